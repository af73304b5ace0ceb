// The cases of tests/casi: every request runs as zellora-cli runs it, and
// status, messages, the figures of the record (to the last bit) and the
// results texts must be the ones kept. ZELLORA_REGOLE_PROVA may name a
// rule set file to run the cases of the rule set of its name with
// (tests/casi/mutazioni.sh). The cases of the files normativa_*.json, figures
// of today's law, each carry their source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/opzioni_buste.h"
#include "cli/richiesta_json.h"
#include "cli/uscita.h"
#include "cli/uscita_buste.h"
#include "rules/caricamento.h"

using namespace zellora;
using nlohmann::json;

namespace {

struct Caso {
  std::string file;
  json dati;
};

// A failed case is listed with its file.
void PrintTo(const Caso& c, std::ostream* os) { *os << c.file; }

const RegoleCalcolo* regole_prova(std::string& errore);

std::vector<Caso> casi() {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(ZELLORA_CASI)) {
    if (e.path().extension() == ".json") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  // Under a rule set file, the cases of the built-in rule set of its name.
  std::string errore;
  const RegoleCalcolo* prova = regole_prova(errore);
  std::vector<Caso> tutti;
  for (const auto& f : files) {
    std::ifstream in(f);
    for (const json& c : json::parse(in)) {
      const json& richiesta = c.at("request");
      if (prova != nullptr && richiesta.value("Combo4", "2007") != prova->nome) continue;
      tutti.push_back({f.filename().string(), c});
    }
  }
  return tutti;
}

// A published figure's source: where, by whom, when and what was published;
// or a figure worked out by hand, with the rule it follows.
bool fonte_valida(const json& caso) {
  const auto it = caso.find("fonte");
  if (it == caso.end() || !it->is_object()) return false;
  const auto testo = [&](const char* chiave) {
    const auto v = it->find(chiave);
    return v != it->end() && v->is_string() && !v->get<std::string>().empty();
  };
  if (it->size() == 1 && testo("calcolo")) {
    return it->at("calcolo").get<std::string>().starts_with("calcolo a mano secondo ");
  }
  return it->size() == 4 && testo("indirizzo") && testo("editore") && testo("data") &&
         testo("pubblicato");
}

// The rule set of ZELLORA_REGOLE_PROVA, read once: null when none is named
// or when the loader refuses it (its reason in `errore`).
const RegoleCalcolo* regole_prova(std::string& errore) {
  static std::string rifiuto;
  static const std::optional<RegoleCalcolo> regole = []() -> std::optional<RegoleCalcolo> {
    const char* file = std::getenv("ZELLORA_REGOLE_PROVA");
    if (file == nullptr || *file == '\0') return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream testo;
    testo << in.rdbuf();
    try {
      if (!in) throw Eccezione(file, "cannot be read");
      return carica_regole(testo.str(), file);
    } catch (const Eccezione& e) {
      rifiuto = e.what();
      return std::nullopt;
    }
  }();
  errore = rifiuto;
  return regole ? &*regole : nullptr;
}

class Casi : public testing::TestWithParam<Caso> {};

// A case of a year of payslips (buste_*.json): `zellora-cli payslips` with
// the case's options, its JSON kept whole, and the figures published.
void caso_buste(const json& caso) {
  EXPECT_TRUE(fonte_valida(caso)) << "a case of payslips needs its \"fonte\"";
  std::string errore;
  const RegoleCalcolo* prova = regole_prova(errore);
  ASSERT_EQ(errore, "") << "rule set refused";
  OpzioniBuste opzioni;
  ASSERT_EQ(opzioni_buste_da_argomenti(caso.at("options").get<std::vector<std::string>>(), opzioni),
            "");
  const Richiesta richiesta = leggi_richiesta_json(caso.at("request").dump(), prova);
  Motore motore(Locale::italiano(), *richiesta.regole);
  applica_profilo(motore, richiesta);
  const EsitoBuste esito = buste_paga(motore, richiesta.campi, opzioni);
  const json uscita = json::parse(uscita_buste_json(esito, motore.regole().nome));
  EXPECT_EQ(uscita, caso.at("expected"));
  // Where each published figure is: "MONTH KIND" a payslip, or a part.
  for (const json& c : caso.at("checks")) {
    const std::string dove = c.at("where");
    const json* parte = nullptr;
    if (uscita.contains(dove)) {
      parte = &uscita.at(dove);
    } else {
      for (const json& b : uscita.at("payslips")) {
        if (std::to_string(b.at("month").get<int>()) + " " + b.at("kind").get<std::string>() ==
            dove) {
          parte = &b;
        }
      }
    }
    ASSERT_NE(parte, nullptr) << dove;
    EXPECT_EQ(std::llround(parte->at(c.at("field").get<std::string>()).get<double>() * 100),
              std::llround(c.at("value").get<double>() * 100))
        << dove << " " << c.at("field");
  }
}

TEST_P(Casi, GiveTheOutcomeKept) {
  const json& atteso = GetParam().dati.at("expected");
  SCOPED_TRACE(GetParam().file);
  if (GetParam().file.starts_with("buste_")) {
    caso_buste(GetParam().dati);
    return;
  }
  if (GetParam().file.starts_with("normativa_")) {
    EXPECT_TRUE(fonte_valida(GetParam().dati))
        << "a case of today's law needs \"fonte\": {indirizzo, editore, data, pubblicato} or "
           "{calcolo: \"calcolo a mano secondo ...\"}";
  }
  std::string errore;
  const RegoleCalcolo* prova = regole_prova(errore);
  ASSERT_EQ(errore, "") << "rule set refused";
  // As zellora-cli [--rules FILE]: the request's Combo4, or the file.
  const Richiesta richiesta = leggi_richiesta_json(GetParam().dati.at("request").dump(), prova);
  Motore motore(Locale::italiano(), *richiesta.regole);
  applica_profilo(motore, richiesta);
  const EsitoCalcolo esito = motore.verifica_campi(richiesta.campi);
  EXPECT_EQ(nome_stato(esito.stato), atteso.at("status"));
  EXPECT_EQ(json(esito.messaggi), atteso.at("messages"));
  // As zellora-cli prints them: the figures of today's law only under it.
  const bool attuali = regole_attuali(motore.regole());
  const bool addizionali = motore.risultati().righe_addizionali;
  const std::size_t figure = campi_elencati(attuali, addizionali);
  EXPECT_EQ(atteso.at("record").size(), figure);
  for (std::size_t n = 0; n < figure; ++n) {
    const CampoRecord& c = campi_record()[n];
    const double calcolata = motore.record().*c.campo;
    const double tenuta = atteso.at("record").at(c.nome).get<double>();
    EXPECT_EQ(calcolata, tenuta) << c.nome << ": " << json(calcolata) << ", kept " << json(tenuta);
  }
  // The results texts as the results window holds them: a refused request
  // empties it to the texts of always, whatever the rule set.
  const int caselle = motore.risultati().numero_caselle();
  EXPECT_EQ(atteso.at("results").size(), static_cast<std::size_t>(caselle));
  for (int i = 1; i <= caselle; ++i) {
    const std::string box = "Text" + std::to_string(i);
    EXPECT_EQ(motore.risultati().Text(i), atteso.at("results").at(box)) << box;
  }
}

INSTANTIATE_TEST_SUITE_P(Casi, Casi, testing::ValuesIn(casi()),
                         [](const testing::TestParamInfo<Caso>& i) {
                           return i.param.dati.at("name").get<std::string>();
                         });

}  // namespace
