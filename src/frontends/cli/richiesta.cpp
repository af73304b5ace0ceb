#include "cli/richiesta.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/citazione.h"

#include "form/verifica.h"
#include "rules/profilo.h"
#include "rules/regionali.h"

namespace zellora {

namespace {

std::string elenco(std::span<const std::string_view> voci) {
  std::string s;
  for (const auto v : voci) s += (s.empty() ? "\"" : ", \"") + std::string(v) + "\"";
  return s;
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

const Coppia* coppia_di(std::string_view chiave) {
  for (const auto& c : coppie) {
    if (c.primo == chiave || c.secondo == chiave) return &c;
  }
  return nullptr;
}

int numero_opzione(std::string_view chiave) { return chiave.back() - '1'; }

}  // namespace

ErroreRichiesta errore_chiave_sconosciuta(std::string_view chiave) {
  return ErroreRichiesta(
      "unknown key " + citazione(chiave) + ": not a control of the input form",
      "chiave sconosciuta " + citazione(chiave) + ": non \u00e8 un controllo del modulo");
}

ErroreRichiesta errore_testo(std::string_view chiave) {
  return ErroreRichiesta(std::string(chiave) + " must be a string (the text as typed)",
                         std::string(chiave) + " deve essere un testo (come digitato)");
}

ErroreRichiesta errore_booleano(std::string_view chiave) {
  return ErroreRichiesta(std::string(chiave) + " must be true or false",
                         std::string(chiave) + " deve essere true o false");
}

namespace {

// An item of a drop-down list or a list: one of its items, or nothing.
void controlla_voce(std::string_view valore, std::string_view chiave,
                    std::span<const std::string_view> voci) {
  if (!valore.empty() && indice_di(voci, valore) < 0) {
    throw ErroreRichiesta(std::string(chiave) + " must be one of " + elenco(voci) +
                              " or \"\" (nothing chosen), not " + citazione(valore),
                          std::string(chiave) + " deve essere una delle voci " + elenco(voci) +
                              " o \"\" (nessuna scelta), non " + citazione(valore));
  }
}

void scelta(std::string& campo, std::string valore, std::string_view chiave,
            std::span<const std::string_view> voci) {
  controlla_voce(valore, chiave, voci);
  campo = std::move(valore);
}

}  // namespace

TipoChiave tipo_chiave(std::string_view chiave) {
  if (campo_testo(chiave) != nullptr || chiave == "Combo1" || chiave == "Combo2" ||
      chiave == "Combo3" || chiave == "Combo4" || chiave == "Combo5" || chiave == "List1" ||
      chiave == "List2") {
    return TipoChiave::testo;
  }
  if (coppia_di(chiave) != nullptr || chiave == "Check1") return TipoChiave::booleano;
  if (std::find(nomi_profilo.begin(), nomi_profilo.end(), chiave) != nomi_profilo.end()) {
    return TipoChiave::profilo;
  }
  return TipoChiave::sconosciuta;
}

void imposta_testo(Richiesta& r, std::string_view chiave, std::string valore) {
  CampiForm1& c = r.campi;
  if (const CampoTesto* t = campo_testo(chiave)) {
    // The form limits what can be typed; a request is not typed, so its
    // texts are taken whole and checked by the calculation like any other.
    c.*(t->campo) = std::move(valore);
  } else if (chiave == "Combo4") {
    // "Normativa": with a rule set given, the name of that one (a request
    // that asks for other rules is not calculated under these); otherwise
    // one of the rule sets built in. Never nothing.
    if (r.regole_fissate) {
      if (valore != r.regole->nome) {
        const std::string file =
            r.regole->file.empty() ? "" : " of --rules " + citazione_file(r.regole->file);
        throw ErroreRichiesta(
            std::string(chiave) + " names the rule set " + citazione(valore) +
                ", but the rules in force are " + citazione(r.regole->nome) + file + "; leave " +
                std::string(chiave) + " out or give the rule set it names",
            std::string(chiave) + " indica la normativa " + citazione(valore) +
                ", ma le regole in uso sono " + citazione(r.regole->nome) + file + "; togliere " +
                std::string(chiave) + " o indicare la normativa in uso");
      }
    } else {
      const VoceNormativa* voce = r.normative->trova(valore);
      if (voce == nullptr) {
        const std::vector<std::string> nomi = r.normative->nomi();
        const std::string voci = elenco(std::vector<std::string_view>(nomi.begin(), nomi.end()));
        throw ErroreRichiesta(
            std::string(chiave) + " must be one of " + voci + ", not " + citazione(valore),
            std::string(chiave) + " deve essere una delle normative " + voci + ", non " +
                citazione(valore));
      }
      try {
        r.regole = &r.normative->regole(valore);
      } catch (const Eccezione& e) {
        throw ErroreRichiesta(std::string(chiave) + " names the rule set " + citazione(valore) +
                                  ", which cannot be used: " + e.errore().testo(),
                              std::string(chiave) + " indica la normativa " + citazione(valore) +
                                  ", che non si pu\u00f2 usare: " + e.errore().testo());
      }
    }
    c.Combo4 = std::move(valore);
    r.normativa_in_arrivo = false;
  } else if (chiave == "Combo1") {
    scelta(c.Combo1, std::move(valore), chiave, voci_percentuale);
  } else if (chiave == "Combo2") {
    scelta(c.Combo2, std::move(valore), chiave, voci_percentuale);
  } else if (chiave == "Combo3") {
    scelta(c.Combo3, std::move(valore), chiave, voci_coniuge);
  } else if (chiave == "Combo5") {
    c.Combo5 = std::move(valore);  // checked against the rule set when complete
  } else if (chiave == "List1") {
    if (r.normativa_in_arrivo) {
      c.List1 = std::move(valore);  // checked when the request is complete
      r.categoria_rinviata = true;
    } else {
      scelta(c.List1, std::move(valore), chiave, categorie_lavoratore(*r.regole));
    }
  } else if (chiave == "List2") {
    c.List2 = std::move(valore);  // checked against the category when complete
  } else if (tipo_chiave(chiave) == TipoChiave::booleano) {
    throw errore_booleano(chiave);
  } else {
    throw errore_chiave_sconosciuta(chiave);
  }
}

void imposta_booleano(Richiesta& r, std::string_view chiave, bool valore) {
  if (chiave == "Check1") {
    r.campi.Check1 = valore;
    return;
  }
  const Coppia* coppia = coppia_di(chiave);
  if (coppia == nullptr) {
    if (tipo_chiave(chiave) == TipoChiave::testo) throw errore_testo(chiave);
    throw errore_chiave_sconosciuta(chiave);
  }
  const std::string_view altra = coppia->primo == chiave ? coppia->secondo : coppia->primo;
  if (r.opzioni_date[static_cast<std::size_t>(numero_opzione(altra))] == (valore ? 2 : 1)) {
    throw ErroreRichiesta(std::string(coppia->primo) + " and " + std::string(coppia->secondo) +
                              " are one choice: exactly one of them is true",
                          std::string(coppia->primo) + " e " + std::string(coppia->secondo) +
                              " sono una sola scelta: esattamente una delle due \u00e8 true");
  }
  r.opzioni_date[static_cast<std::size_t>(numero_opzione(chiave))] = valore ? 2 : 1;
  const bool primo = coppia->primo == chiave ? valore : !valore;
  r.campi.*(coppia->campo_primo) = primo;
  r.campi.*(coppia->campo_secondo) = !primo;
}

void imposta_profilo(Richiesta& r, std::string_view nome, double valore) {
  if (tipo_chiave(nome) != TipoChiave::profilo) {
    throw ErroreRichiesta("profile has no figure named " + citazione(nome),
                          "profile non ha una cifra di nome " + citazione(nome));
  }
  if (!std::isfinite(valore)) {
    throw ErroreRichiesta("profile." + std::string(nome) + " must be a finite number",
                          "profile." + std::string(nome) + " deve essere un numero finito");
  }
  r.profilo.emplace_back(std::string(nome), valore);
}

namespace {

// The surcharges asked for must be of the rule set: its regions, the comuni
// of its year's list. The numbers typed are checked with the others.
void controlla_addizionali(const Richiesta& r) {
  const CampiForm1& c = r.campi;
  if (!addizionali_chieste(c)) return;
  const RegoleCalcolo& regole = *r.regole;
  if (!addizionali_disponibili(regole)) {
    for (const auto& [chiave, campo] :
         {std::pair{"Combo5", &CampiForm1::Combo5}, std::pair{"Text22", &CampiForm1::Text22},
          std::pair{"Text23", &CampiForm1::Text23}, std::pair{"Text24", &CampiForm1::Text24},
          std::pair{"Text25", &CampiForm1::Text25}}) {
      const std::string& valore = c.*campo;
      if (valore.find_first_not_of(" \t") == std::string::npos ||
          (campo == &CampiForm1::Combo5 && senza_regione(valore))) {
        continue;
      }
      throw ErroreRichiesta(
          std::string(chiave) + " is " + citazione(valore) + ", but the rule set " +
              citazione(regole.nome) + " has no regional or municipal surcharge; leave " + chiave +
              " out or choose a rule set that has them (2025, 2026)",
          std::string(chiave) + " \u00e8 " + citazione(valore) + ", ma la normativa " +
              citazione(regole.nome) + " non ha le addizionali regionale e comunale; togliere " +
              chiave + " o scegliere una normativa che le ha (2025, 2026)");
    }
  }
  // A region the rule set names without a table is the form's to refuse,
  // unless a rate is typed in its place.
  if (!senza_regione(c.Combo5)) {
    const RegolaRegionale* regione = regola_regionale(regole, c.Combo5);
    if (regione == nullptr) {
      std::string voci;
      for (const auto& voce : voci_regione(regole)) {
        voci += (voci.empty() ? "" : ", ") + citazione(voce);
      }
      throw ErroreRichiesta(
          "Combo5 must be one of " + voci + ", not " + citazione(c.Combo5),
          "Combo5 deve essere una delle voci " + voci + ", non " + citazione(c.Combo5));
    }
  }
}

}  // namespace

void completa_richiesta(const Richiesta& r) {
  controlla_addizionali(r);
  const CampiForm1& c = r.campi;
  if (r.categoria_rinviata) controlla_voce(c.List1, "List1", categorie_lavoratore(*r.regole));
  if (c.List2.empty()) return;
  if (c.List1.empty()) {
    throw ErroreRichiesta("List2 needs a List1 category", "List2 richiede una categoria in List1");
  }
  const int categoria = indice_di(categorie_lavoratore(*r.regole), c.List1);
  const auto voci = voci_settore(*r.regole, categoria);
  // An item of an earlier list of the rule set's own naming one of its
  // sectors is taken too (a stored request, a sheet of before).
  if (trova_settore(*r.regole, categoria, c.List2).indice < 0) {
    throw ErroreRichiesta("List2 must be one of the items of \"" + c.List1 + "\": " + elenco(voci) +
                              "; not " + citazione(c.List2),
                          "List2 deve essere una delle voci di \"" + c.List1 +
                              "\": " + elenco(voci) + "; non " + citazione(c.List2));
  }
}

void applica_profilo(Motore& motore, const Richiesta& richiesta) {
  motore.usa_regole(*richiesta.regole);
  if (!richiesta.campi.List2.empty()) {
    motore.scegli_settore(richiesta.campi.List1, richiesta.campi.List2);
  }
  std::array<bool, nomi_profilo.size()> dati{};
  for (const auto& [nome, valore] : richiesta.profilo) {
    *campo_record(motore.record(), nome) = valore;
    for (std::size_t i = 0; i < nomi_profilo.size(); ++i) {
      if (nomi_profilo[i] == nome) dati[i] = true;
    }
  }
  // The ten figures of a sector given one by one stand for a sector.
  if (std::all_of(dati.begin(), dati.end(), [](bool d) { return d; })) motore.profilo_dato();
}

}  // namespace zellora
