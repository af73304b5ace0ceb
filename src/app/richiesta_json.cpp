#include "app/richiesta_json.h"

#include <algorithm>
#include <optional>

#include "profile/profilo.h"

namespace zellora {

namespace {

using nlohmann::json;

std::string elenco(std::span<const std::string_view> voci) {
  std::string s;
  for (const auto v : voci) s += (s.empty() ? "\"" : ", \"") + std::string(v) + "\"";
  return s;
}

bool booleano(const json& valore, std::string_view chiave) {
  if (!valore.is_boolean()) {
    throw ErroreRichiesta(std::string(chiave) + " must be true or false");
  }
  return valore.get<bool>();
}

std::string testo(const json& valore, std::string_view chiave) {
  if (!valore.is_string()) {
    throw ErroreRichiesta(std::string(chiave) + " must be a string (the text as typed)");
  }
  return valore.get<std::string>();
}

// An option pair of the form: exactly one of the two is selected.
struct Coppia {
  std::string_view primo;
  std::string_view secondo;
  bool CampiForm1::*campo_primo;
  bool CampiForm1::*campo_secondo;
};

constexpr Coppia coppie[] = {
    {"Option1", "Option2", &CampiForm1::Option1, &CampiForm1::Option2},
    {"Option4", "Option3", &CampiForm1::Option4, &CampiForm1::Option3},
    {"Option5", "Option6", &CampiForm1::Option5, &CampiForm1::Option6},
};

void scelta(std::string& campo, const json& valore, std::string_view chiave,
            std::span<const std::string_view> voci) {
  campo = testo(valore, chiave);
  if (!campo.empty() && indice_di(voci, campo) < 0) {
    throw ErroreRichiesta(std::string(chiave) + " must be one of " + elenco(voci) +
                          " or \"\" (nothing chosen), not \"" + campo + "\"");
  }
}

}  // namespace

Richiesta leggi_richiesta(const json& oggetto) {
  if (!oggetto.is_object()) throw ErroreRichiesta("the request must be a JSON object");
  Richiesta r;
  CampiForm1& c = r.campi;
  for (const auto& [chiave, valore] : oggetto.items()) {
    if (const CampoTesto* t = campo_testo(chiave)) {
      // The form limits what can be typed; a request is not typed, so its
      // texts are taken whole and checked by the calculation like any other.
      c.*(t->campo) = testo(valore, chiave);
      continue;
    }
    const std::string& controllo = chiave;  // a binding a lambda can capture
    const auto coppia = std::find_if(std::begin(coppie), std::end(coppie), [&](const Coppia& p) {
      return p.primo == controllo || p.secondo == controllo;
    });
    if (coppia != std::end(coppie)) {
      const bool v = booleano(valore, chiave);
      const bool primo = coppia->primo == chiave ? v : !v;
      const std::string_view altra = coppia->primo == chiave ? coppia->secondo : coppia->primo;
      if (oggetto.contains(altra) && oggetto[std::string(altra)].is_boolean() &&
          oggetto[std::string(altra)].get<bool>() == v) {
        throw ErroreRichiesta(std::string(coppia->primo) + " and " + std::string(coppia->secondo) +
                              " are one choice: exactly one of them is true");
      }
      c.*(coppia->campo_primo) = primo;
      c.*(coppia->campo_secondo) = !primo;
    } else if (chiave == "Check1") {
      c.Check1 = booleano(valore, chiave);
    } else if (chiave == "Combo1") {
      scelta(c.Combo1, valore, chiave, voci_percentuale);
    } else if (chiave == "Combo2") {
      scelta(c.Combo2, valore, chiave, voci_percentuale);
    } else if (chiave == "Combo3") {
      scelta(c.Combo3, valore, chiave, voci_coniuge);
    } else if (chiave == "List1") {
      scelta(c.List1, valore, chiave, categorie_lavoratore());
    } else if (chiave == "List2") {
      c.List2 = testo(valore, chiave);
    } else if (chiave == "profile") {
      if (!valore.is_object()) throw ErroreRichiesta("profile must be an object");
      for (const auto& [nome, numero] : valore.items()) {
        if (std::find(nomi_profilo.begin(), nomi_profilo.end(), nome) == nomi_profilo.end()) {
          throw ErroreRichiesta("profile has no figure named \"" + nome + "\"");
        }
        if (!numero.is_number()) {
          throw ErroreRichiesta("profile." + nome + " must be a number");
        }
        r.profilo.emplace_back(nome, numero.get<double>());
      }
    } else {
      throw ErroreRichiesta("unknown key \"" + chiave + "\": not a control of the input form");
    }
  }
  if (!c.List2.empty()) {
    if (c.List1.empty()) throw ErroreRichiesta("List2 needs a List1 category");
    const auto voci = voci_settore(indice_di(categorie_lavoratore(), c.List1));
    if (indice_di(voci, c.List2) < 0) {
      throw ErroreRichiesta("List2 must be one of the items of \"" + c.List1 +
                            "\": " + elenco(voci) + "; not \"" + c.List2 + "\"");
    }
  }
  return r;
}

void applica_profilo(Motore& motore, const Richiesta& richiesta) {
  if (!richiesta.campi.List2.empty()) {
    motore.scegli_settore(richiesta.campi.List1, richiesta.campi.List2);
  }
  for (const auto& [nome, valore] : richiesta.profilo) {
    *campo_record(motore.record(), nome) = valore;
  }
}

}  // namespace zellora
