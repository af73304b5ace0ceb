#include "cli/richiesta_json.h"

#include <algorithm>
#include <vector>

#include "base/citazione.h"

namespace zellora {

Richiesta leggi_richiesta(const nlohmann::json& oggetto, const RegoleCalcolo* fissate,
                          const ElencoNormative* normative) {
  if (!oggetto.is_object()) {
    throw ErroreRichiesta("the request must be a JSON object",
                          "la richiesta deve essere un oggetto JSON");
  }
  Richiesta r;
  if (normative != nullptr) r.normative = normative;
  // The keys come in name order, "Combo4" before "List1": a category is
  // checked under the rule set chosen as it comes.
  if (fissate != nullptr) {
    r.regole = fissate;
    r.regole_fissate = true;
  }
  for (const auto& [chiave, valore] : oggetto.items()) {
    if (chiave == "profile") {
      if (!valore.is_object()) {
        throw ErroreRichiesta("profile must be an object", "profile deve essere un oggetto");
      }
      for (const auto& [nome, numero] : valore.items()) {
        if (tipo_chiave(nome) == TipoChiave::profilo && !numero.is_number()) {
          throw ErroreRichiesta("profile." + nome + " must be a number",
                                "profile." + nome + " deve essere un numero");
        }
        imposta_profilo(r, nome, numero.is_number() ? numero.get<double>() : 0);
      }
    } else if (chiave == "payslips") {
      if (!valore.is_object()) {
        throw ErroreRichiesta("payslips must be an object", "payslips deve essere un oggetto");
      }
      for (const auto& [nome, testo] : valore.items()) {
        const CampoBuste* c = campo_buste(nome);
        if (c == nullptr) {
          throw ErroreRichiesta(
              "unknown key payslips." + citazione(nome) + ": not a choice of the year",
              "chiave payslips." + citazione(nome) +
                  " sconosciuta: non \u00e8 una scelta dell'anno");
        }
        if (!testo.is_string()) {
          throw ErroreRichiesta("payslips." + nome + " must be a text (as typed in the form)",
                                "payslips." + nome + " deve essere un testo (come nel modulo)");
        }
        r.buste.*c->testo = testo.get<std::string>();
        r.buste_date[static_cast<std::size_t>(c - campi_buste.data())] = true;
      }
    } else if (valore.is_string()) {
      imposta_testo(r, chiave, valore.get<std::string>());
    } else if (valore.is_boolean()) {
      imposta_booleano(r, chiave, valore.get<bool>());
    } else {
      switch (tipo_chiave(chiave)) {
        case TipoChiave::testo:
          throw errore_testo(chiave);
        case TipoChiave::booleano:
          throw errore_booleano(chiave);
        default:
          throw errore_chiave_sconosciuta(chiave);
      }
    }
  }
  completa_richiesta(r);
  return r;
}

Richiesta leggi_richiesta_json(std::string_view testo, const RegoleCalcolo* fissate,
                               const ElencoNormative* normative) {
  // The keys met so far in each object being read, innermost last.
  std::vector<std::vector<std::string>> chiavi;
  const auto controlla = [&chiavi](int, nlohmann::json::parse_event_t evento,
                                   nlohmann::json& letto) {
    using Evento = nlohmann::json::parse_event_t;
    if (evento == Evento::object_start) {
      chiavi.emplace_back();
    } else if (evento == Evento::object_end) {
      chiavi.pop_back();
    } else if (evento == Evento::key && !chiavi.empty()) {
      auto& viste = chiavi.back();
      const std::string& chiave = letto.get_ref<const std::string&>();
      if (std::find(viste.begin(), viste.end(), chiave) != viste.end()) {
        throw ErroreRichiesta("key " + citazione(chiave) + " appears twice",
                              "la chiave " + citazione(chiave) + " compare due volte");
      }
      viste.push_back(chiave);
    }
    return true;
  };
  return leggi_richiesta(nlohmann::json::parse(testo, controlla), fissate, normative);
}

std::string messaggio_json(const nlohmann::json::exception& errore) {
  const auto semplice = [](std::string_view t) {
    return std::all_of(t.begin(), t.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  };
  // The reader's messages quote the input they stopped at, raw and whole:
  // "...; last read: '<input>'; expected ..." or "number overflow parsing
  // '<input>'". Everything from there on is shown as a quoted value.
  const std::string_view testo = errore.what();
  for (const std::string_view segno : {"last read: '", "parsing '"}) {
    const auto inizio = testo.find(segno);
    if (inizio == std::string_view::npos) continue;
    std::string_view valore = testo.substr(inizio + segno.size());
    std::string_view coda;
    const auto atteso = valore.rfind("'; expected ");
    if (atteso != std::string_view::npos && semplice(valore.substr(atteso + 1))) {
      coda = valore.substr(atteso + 1);
      valore = valore.substr(0, atteso);
    } else if (!valore.empty() && valore.back() == '\'') {
      valore.remove_suffix(1);
    }
    return std::string(testo.substr(0, inizio + segno.size() - 1)) + citazione(valore) +
           std::string(coda);
  }
  if (testo.size() <= 300 && semplice(testo)) return std::string(testo);
  return citazione(testo, 300);
}

std::string json_non_valido(const nlohmann::json::exception& errore, Lingua lingua) {
  if (lingua == Lingua::inglese) return "invalid JSON: " + messaggio_json(errore);
  if (const auto* sintassi = dynamic_cast<const nlohmann::json::parse_error*>(&errore)) {
    return "JSON non valido: errore di sintassi al byte " + std::to_string(sintassi->byte);
  }
  return "JSON non valido";
}

}  // namespace zellora
