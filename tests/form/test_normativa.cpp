// Today's law (the rule sets "2025" and "2026") against published figures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "../cartella_prova.h"
#include "base/lettura.h"
#include "form/motore.h"
#include "form/normative.h"
#include "rules/caricamento.h"
#include "rules/irpef.h"

using namespace zellora;

namespace {

// An employee of industry up to 15 employees (9,19 % INPS) under
// `normativa`; with `senza_inps` the INPS rates are 0, so that the taxable
// income is the gross.
struct Lavoratore {
  Motore motore;
  CampiForm1 campi;
  Lavoratore(const char* normativa, const std::string& lordo, bool senza_inps = false)
      : motore(Locale::italiano(), regole_incluse(normativa)) {
    motore.scegli_settore("Impiegato", "Settore previdenziale Industria -15dip");
    if (senza_inps) motore.record().aliquota_inps_dip = 0;
    campi.Combo4 = normativa;
    campi.Text1 = lordo;
  }
  const RecordCalcolo& calcola() {
    EXPECT_EQ(motore.verifica_campi(campi).stato, Stato::ok);
    return motore.record();
  }
};

double centesimi(double v) { return std::round(v * 100) / 100; }

}  // namespace

TEST(Normativa, PublishedFigures2025) {
  Lavoratore l("2025", "30000");
  const RecordCalcolo& r = l.calcola();
  EXPECT_EQ(r.ritenuta_inps, 2757);
  EXPECT_EQ(r.imponibile_fiscale, 27243);
  EXPECT_EQ(centesimi(r.irpef_lorda), 6265.89);
  // (28.000 - 27.243) / 13.000 in its first four decimals: 0,0582.
  EXPECT_EQ(centesimi(r.detrazione_dip), 1979.26);
  EXPECT_EQ(r.detrazione_dip_ulteriore, 65);
  EXPECT_EQ(r.ulteriore_detrazione, 1000);
  EXPECT_EQ(l.motore.risultati().Text(9), "3.221,63");
  EXPECT_EQ(l.motore.risultati().Text(10), "24.021,00");
  EXPECT_EQ(l.motore.risultati().Text(23), "1.000,00");

  // R = 12000, 365 days, no family: the tax-free sum on a taxable pay of
  // 12000, the employee deduction, the trattamento integrativo.
  Lavoratore basso("2025", "12000", true);
  const RecordCalcolo& b = basso.calcola();
  EXPECT_EQ(b.irpef_lorda, 2760);
  EXPECT_EQ(centesimi(b.detrazione_dip), 1955);
  EXPECT_EQ(b.trattamento_integrativo, 1200);
  EXPECT_EQ(centesimi(b.somma_esente), 636);
  EXPECT_EQ(basso.motore.risultati().Text(9), "805,00");
}

TEST(Normativa, EveryEarlierSectorItemStandsForOneSectorOfToday) {
  // The items of the lists of before, in stored requests and sheets, are
  // calculated with the sector of today the rule set names for each, and
  // the outcome says which; an item of today's list says nothing.
  const struct {
    const char *categoria, *voce, *settore;
  } voci[] = {
      {"Impiegato", "Settore previdenziale Commercio -50dip",
       "Terziario e commercio fino a 5 dipendenti"},
      {"Impiegato", "Settore previdenziale Commercio +50dip",
       "Terziario e commercio oltre 15 dipendenti"},
      {"Operaio", "Settore previdenziale Industria -15dip", "Industria fino a 15 dipendenti"},
      {"Operaio", "Settore previdenziale Industria +15dip", "Industria da 16 a 50 dipendenti"},
      {"Impiegato", "Settore previdenziale Industria +50dip", "Industria oltre 50 dipendenti"},
      {"Operaio", "Settore previdenziale Pubblici-Esercizi",
       "Pubblici esercizi fino a 5 dipendenti"},
      {"Impiegato", "Settore previdenziale Artigianato", "Artigianato fino a 15 dipendenti"},
      {"Apprendista", "azienda +9 dip.",
       "Terziario, commercio e pubblici esercizi da 10 a 15 dipendenti"},
      {"Apprendista", "azienda -9 dip. 2\u00b0 anno di apprendistato",
       "Terziario, commercio e pubblici esercizi fino a 5 dipendenti, 2\u00b0 anno"},
      {"Impiegato", "Industria oltre 50 dipendenti", nullptr},
  };
  for (const char* normativa : {"2025", "2026"}) {
    for (const auto& v : voci) {
      Lavoratore oggi(normativa, "30000");
      ASSERT_TRUE(
          oggi.motore.scegli_settore(v.categoria, v.settore != nullptr ? v.settore : v.voce))
          << normativa << " " << v.voce;
      const RecordCalcolo atteso = oggi.calcola();
      Lavoratore prima(normativa, "30000");
      ASSERT_TRUE(prima.motore.scegli_settore(v.categoria, v.voce)) << normativa << " " << v.voce;
      const EsitoCalcolo esito = prima.motore.verifica_campi(prima.campi);
      EXPECT_EQ(esito.stato, Stato::ok);
      EXPECT_EQ(prima.motore.record().aliquota_inps_dip, atteso.aliquota_inps_dip) << v.voce;
      EXPECT_EQ(prima.motore.record().aliquota_inps_az, atteso.aliquota_inps_az) << v.voce;
      EXPECT_EQ(prima.motore.risultati().Text(10), oggi.motore.risultati().Text(10)) << v.voce;
      if (v.settore == nullptr) {
        EXPECT_TRUE(esito.messaggi.empty()) << v.voce;
      } else {
        ASSERT_EQ(esito.messaggi.size(), 1u) << v.voce;
        EXPECT_EQ(esito.messaggi[0], "Il settore \"" + std::string(v.voce) +
                                         "\" non \u00e8 pi\u00f9 tra quelli della normativa " +
                                         normativa + ": il calcolo segue \"" + v.settore + "\".");
      }
    }
  }
  // Under 2007 the items are those of its own list, and nothing is said.
  Motore m;
  EXPECT_TRUE(m.scegli_settore("Impiegato", "Settore previdenziale Commercio -50dip"));
  EXPECT_FALSE(m.scegli_settore("Impiegato", "Terziario e commercio fino a 5 dipendenti"));
}

TEST(Normativa, NetAboveTheGrossIsFoundFromZero) {
  // A gross of 10000 nets 10628: the search walks up from 0, not from the
  // net, and finds the smallest gross that shows it.
  Lavoratore l("2025", "10628");
  l.campi.Option4 = false;
  l.campi.Option3 = true;
  const EsitoCalcolo esito = l.motore.verifica_campi(l.campi);
  EXPECT_EQ(esito.stato, Stato::ok);
  EXPECT_TRUE(esito.ricerca.esatta);
  EXPECT_EQ(l.motore.risultati().Text(1), "10.000,00");
  EXPECT_EQ(l.motore.risultati().Text(10), "10.628,00");
}

TEST(Normativa, CutOf2026AndTheCuneo) {
  // The 2026 rate of the second bracket saves 20, 40, 240 and 440 euro.
  const struct {
    double imponibile, risparmio;
  } tagli[] = {{29000, 20}, {30000, 40}, {40000, 240}, {50000, 440}, {90000, 440}};
  for (const auto& t : tagli) {
    EXPECT_EQ(centesimi(imposta_scaglioni(t.imponibile, regole_incluse("2025").irpef_annua) -
                        imposta_scaglioni(t.imponibile, regole_incluse("2026").irpef_annua)),
              t.risparmio)
        << t.imponibile;
  }
  // The further deduction falls from 1000 at 32000 to 0 at 40000; the
  // tax-free sum is a rate of the taxable pay up to 20000.
  const struct {
    const char* lordo;
    double ulteriore, somma;
  } cuneo[] = {{"33000", 875, 0}, {"35000", 625, 0},  {"37000", 375, 0}, {"39000", 125, 0},
               {"40001", 0, 0},   {"20001", 1000, 0}, {"14000", 0, 742}, {"8500", 0, 603.5}};
  for (const auto& c : cuneo) {
    for (const char* normativa : {"2025", "2026"}) {
      Lavoratore l(normativa, c.lordo, true);
      const RecordCalcolo& r = l.calcola();
      EXPECT_EQ(centesimi(r.ulteriore_detrazione), c.ulteriore) << normativa << " " << c.lordo;
      EXPECT_EQ(centesimi(r.somma_esente), c.somma) << normativa << " " << c.lordo;
    }
  }
  // Not for collaborators.
  Lavoratore collaboratore("2025", "14000", true);
  collaboratore.motore.scegli_settore("Collaborazioni Coordinate e Continuative",
                                      "Non Iscritto ad altre forme di previdenza");
  collaboratore.campi.List1 = "Collaborazioni Coordinate e Continuative";
  collaboratore.motore.record().aliquota_inps_dip = 0;
  EXPECT_EQ(collaboratore.calcola().somma_esente, 0);
}

namespace {

void scrivi(const std::filesystem::path& file, const std::string& testo) {
  std::ofstream(file, std::ios::binary) << testo;
}

// An environment variable set (or removed, for nothing) for one block.
class VariabileProva {
 public:
  VariabileProva(const char* nome, const char* valore) : nome_(nome) {
    if (const char* prima = std::getenv(nome)) prima_ = prima;
    imposta(valore);
  }
  ~VariabileProva() { imposta(prima_ ? prima_->c_str() : nullptr); }
  VariabileProva(const VariabileProva&) = delete;
  VariabileProva& operator=(const VariabileProva&) = delete;

 private:
  void imposta(const char* valore) {
#ifdef _WIN32
    _putenv_s(nome_.c_str(), valore != nullptr ? valore : "");
#else
    if (valore != nullptr) {
      setenv(nome_.c_str(), valore, 1);
    } else {
      unsetenv(nome_.c_str());
    }
#endif
  }
  std::string nome_;
  std::optional<std::string> prima_;
};

// The text of the built-in rule set `da` under the name `nome`.
std::string rinominate(const char* da, const std::string& nome) {
  std::string testo(testo_regole_incluse(da));
  const std::string vecchio = std::string("nome = \"") + da + "\"";
  testo.replace(testo.find(vecchio), vecchio.size(), "nome = \"" + nome + "\"");
  return testo;
}

}  // namespace

TEST(Normativa, UserFilesAreOfferedAfterTheBuiltInOnes) {
  const struct Caso {
    const char* file;
    std::string testo;
    bool offerta;        // among the names that can be chosen
    const char* avviso;  // part of the warning naming the file; nothing: none
  } casi[] = {
      {"2027.toml", rinominate("2026", "2027"), true, nullptr},
      {"2026.toml", rinominate("2026", "2026"), false, "named like the built-in rule set"},
      {"rotta.toml", "nome = \"rotta\"\n", false, "rotta.toml"},
      {"altro.toml", rinominate("2025", "diverso"), false, "differs from the file's name"},
      {"con spazio.toml", rinominate("2025", "con spazio"), false, "only letters, digits"},
      {"grande.toml", std::string(limite_regole.byte + 1, '#'), false, "more than"},
  };
  for (const Caso& c : casi) {
    const prova::CartellaProva cartella;
    scrivi(cartella.percorso / c.file, c.testo);
    scrivi(cartella.percorso / "note.txt", "not a rule set");  // not a .toml: passed over
    ElencoNormative normative;
    normative.aggiungi_cartelle({cartella.percorso / "assente", cartella.percorso});
    std::vector<std::string> attesi = {"2007", "2025", "2026"};
    if (c.offerta) attesi.push_back(std::filesystem::path(c.file).stem().string());
    EXPECT_EQ(normative.nomi(), attesi) << c.file;
    if (c.avviso == nullptr) {
      EXPECT_TRUE(normative.avvisi().empty()) << c.file;
      continue;
    }
    ASSERT_EQ(normative.avvisi().size(), 1u) << c.file;
    const std::string avviso = normative.avvisi()[0].testo();
    EXPECT_NE(avviso.find(c.file), std::string::npos) << avviso;
    EXPECT_NE(avviso.find(c.avviso), std::string::npos) << avviso;
    // Asking for a file that cannot be used names it; a built-in name still
    // gives the built-in rule set.
    const std::string nome = std::filesystem::path(c.file).stem().string();
    if (nome == "2026") {
      EXPECT_EQ(&normative.regole(nome), &regole_incluse("2026"));
    } else if (const VoceNormativa* voce = normative.trova(nome)) {
      try {
        normative.regole(nome);
        ADD_FAILURE() << c.file << " was used";
      } catch (const Eccezione& e) {
        EXPECT_NE(e.errore().testo().find(c.file), std::string::npos) << e.what();
      }
      EXPECT_FALSE(voce->file.empty());
    }
  }
}

TEST(Normativa, TheRunUsesTheRuleSetChosenByName) {
  const prova::CartellaProva cartella;
  scrivi(cartella.percorso / "2027.toml", rinominate("2026", "2027"));
  ElencoNormative normative;
  normative.aggiungi_cartelle({cartella.percorso});
  Motore motore;
  motore.offri_normative(normative);
  motore.usa_normativa("2027");
  EXPECT_EQ(motore.regole().nome, "2027");
  EXPECT_EQ(motore.regole().file, (cartella.percorso / "2027.toml").string());
  EXPECT_THROW(motore.usa_normativa("2028"), Eccezione);
  EXPECT_EQ(motore.regole().nome, "2027");  // a refused name changes nothing
}

TEST(Normativa, DataFoldersAsTheDesktopNamesThem) {
  const struct {
    const char* home;
    const char* data_home;
    const char* data_dirs;
    std::vector<std::string> attese;
  } casi[] = {
      {"/casa",
       nullptr,
       nullptr,
       {"/casa/.local/share/zellora/regole", "/usr/local/share/zellora/regole",
        "/usr/share/zellora/regole"}},
      {"/casa",
       "/dati",
       "/a:relativa:/b/",
       {"/dati/zellora/regole", "/a/zellora/regole", "/b/zellora/regole"}},
      {nullptr, "", "", {"/usr/local/share/zellora/regole", "/usr/share/zellora/regole"}},
      {"/casa", "relativa", "::", {}},
  };
  for (const auto& c : casi) {
    VariabileProva home("HOME", c.home), data_home("XDG_DATA_HOME", c.data_home),
        data_dirs("XDG_DATA_DIRS", c.data_dirs);
    std::vector<std::string> trovate;
    for (const auto& p : cartelle_regole_utente()) trovate.push_back(p.lexically_normal().string());
    EXPECT_EQ(trovate, c.attese) << (c.home ? c.home : "-") << " "
                                 << (c.data_dirs ? c.data_dirs : "-");
  }
}
