// The statement as a value: rows, labels, alignment, bold and the annual
// figure of the monthly cost-of-labour row.
#include <gtest/gtest.h>

#include "lettura.h"
#include "statement/prospetto.h"

using namespace zellora;
using namespace zellora::prova;

namespace {

std::vector<Paragrafo> paragrafi(const EsitoProspetto& e) {
  if (!e.prospetto) return {};
  return {e.prospetto->paragrafi.begin(), e.prospetto->paragrafi.end()};
}

}  // namespace

TEST(Prospetto, AnnualAndMonthlyRows) {
  const Locale it = Locale::italiano();
  EXPECT_EQ(paragrafi(componi_prospetto(risultati_prova(), false, it)),
            prospetto_atteso("Costo del Lavoro : 2.345,67"));
  EXPECT_EQ(paragrafi(componi_prospetto(risultati_prova(), true, it)),
            prospetto_atteso("Costo del Lavoro : 2.345,67 (=annui euro 28148,04)"));
  EXPECT_EQ(paragrafi(componi_prospetto(risultati_prova("2.000,00"), true, it)),
            prospetto_atteso("Costo del Lavoro : 2.000,00 (=annui euro 24000)"));
}

// A statement of the rules of 2007 says so as one of today's law does, every
// other line as the original's.
TEST(Prospetto, NamesTheRulesOf2007Too) {
  Risultati r = risultati_prova();
  r.normativa = "2007";
  std::vector<Paragrafo> atteso = prospetto_atteso("Costo del Lavoro : 2.345,67");
  atteso.insert(atteso.begin() + 2, {"Normativa 2007", Allineamento::centro, false});
  EXPECT_EQ(paragrafi(componi_prospetto(r, false, Locale::italiano())), atteso);
  EXPECT_EQ(atteso.size(), numero_paragrafi_prospetto(false));
}

// The inputs of the calculation, each a line of its own between the blank
// lines under the headings; every line of the figures as without them.
TEST(Prospetto, ListsTheInputsOfTheCalculation) {
  CalcoloProspetto calcolo;
  calcolo.data = "08/12/2026";
  CampiForm1& c = calcolo.campi;
  c.List1 = "Impiegato";
  c.List2 = "Settore previdenziale Commercio -50dip";
  c.Combo3 = "Si";
  c.Text4 = "2";
  c.Combo1 = "100";
  c.Text6 = "1";
  c.Text3 = "1";
  c.Combo2 = "50";
  c.Text10 = "6";
  Risultati r = risultati_prova();
  r.normativa = "2007";
  const auto s = Allineamento::sinistra;
  std::vector<Paragrafo> atteso = prospetto_atteso("Costo del Lavoro : 2.345,67");
  atteso.insert(atteso.begin() + 3,
                {{"Data : 08/12/2026", s, false},
                 {"Lavoratore : Impiegato, Settore previdenziale Commercio -50dip", s, false},
                 {"Periodo : Annuo", s, false},
                 {"Tipologia di calcolo : Dal lordo al netto", s, false},
                 {"Familiari a carico : coniuge Si (12 mesi); figli 2 al 100% (12 mesi), di cui "
                  "minori di 3 anni 1; altri 1 al 50% (6 mesi)",
                  s, false}});
  atteso.insert(atteso.begin() + 2, {"Normativa 2007", Allineamento::centro, false});
  EXPECT_EQ(paragrafi(componi_prospetto(r, false, Locale::italiano(), &calcolo)), atteso);
  // What the operator was told with the figures (how a comune's
  // deliberation was read): a line each, after the inputs.
  r.note = {"Addizionale comunale di \"PIZZO (VV)\": prima", "seconda"};
  atteso.insert(atteso.begin() + 9,
                {{"Nota : Addizionale comunale di \"PIZZO (VV)\": prima", s, false},
                 {"Nota : seconda", s, false}});
  EXPECT_EQ(paragrafi(componi_prospetto(r, false, Locale::italiano(), &calcolo)), atteso);

  // A month, from net to gross, under today's law: the region and the
  // comune, no months of dependency.
  c = CampiForm1{};
  c.Option1 = false;
  c.Option2 = true;
  c.Option4 = false;
  c.Option3 = true;
  c.Text7 = "13";
  c.Combo5 = "Lombardia";
  c.Text22 = "MILANO (MI)";
  EXPECT_EQ(righe_calcolo_prospetto(calcolo, true),
            (std::vector<std::string>{"Data : 08/12/2026",
                                      "Lavoratore : categoria non indicata, settore non indicato",
                                      "Periodo : Mensile, 13 mensilit\u00e0 retribuite",
                                      "Tipologia di calcolo : Dal netto al lordo",
                                      "Familiari a carico : coniuge No; figli 0; altri 0",
                                      "Regione e comune : Lombardia, MILANO (MI)"}));
  c.Text22.clear();
  c.Text23 = "0,8";
  c.Text24 = "10000";
  EXPECT_EQ(righe_calcolo_prospetto(calcolo, true).back(),
            "Regione e comune : Lombardia, addizionale comunale 0,8%, esenzione fino a 10000");
  // Typed rates stand in place of the tables of the region and comune
  // named, and are said beside them.
  c.Text22 = "MILANO (MI)";
  c.Text25 = "1,73";
  EXPECT_EQ(righe_calcolo_prospetto(calcolo, true).back(),
            "Regione e comune : Lombardia, addizionale regionale 1,73% (aliquota unica), MILANO "
            "(MI), addizionale comunale 0,8%, esenzione fino a 10000");
}

TEST(Prospetto, AnnualFigureFollowsTheLocale) {
  const Locale en{".", ","};
  const EsitoProspetto e = componi_prospetto(risultati_prova("2,345.67"), true, en);
  ASSERT_TRUE(e.prospetto);
  EXPECT_EQ(e.prospetto->paragrafi[29].testo, "Costo del Lavoro : 2,345.67 (=annui euro 28148.04)");
}

TEST(Prospetto, EmptyBoxesGiveTheLabelAlone) {
  Risultati vuoti;  // every box empty
  const EsitoProspetto e = componi_prospetto(vuoti, false, Locale::italiano());
  ASSERT_TRUE(e.prospetto);
  EXPECT_EQ(e.prospetto->paragrafi[4].testo, "Retribuzione Lorda:  ");
  EXPECT_EQ(e.prospetto->paragrafi[29].testo, "Costo del Lavoro : ");
}

TEST(Prospetto, MonthlyWithoutAReadableCostIsRefused) {
  for (const char* costo : {"", "abc", "1.2.3,4,5"}) {
    const EsitoProspetto e = componi_prospetto(risultati_prova(costo), true, Locale::italiano());
    EXPECT_FALSE(e.prospetto) << costo;
    EXPECT_NE(e.errore.ragione.find("Costo del Lavoro"), std::string::npos) << e.errore.ragione;
  }
}

TEST(Prospetto, TodaysLawNamesTheRulesAndAddsThreeRows) {
  Risultati r = risultati_prova();
  r.righe_attuali = true;
  r.normativa = "2025";
  r.imposta_testo(22, "636,00");
  r.imposta_testo(23, "1.000,00");
  r.imposta_testo(24, "1.200,00");
  std::vector<Paragrafo> atteso = prospetto_atteso("Costo del Lavoro : 2.345,67");
  const auto s = Allineamento::sinistra;
  atteso.insert(atteso.begin() + 17, {{"Somma esente : 636,00", s, false},
                                      {"Trattamento integrativo : 1.200,00", s, false}});
  atteso.insert(atteso.begin() + 14, {"Ulteriore detrazione : 1.000,00", s, false});
  atteso.insert(atteso.begin() + 2, {"Normativa 2025", Allineamento::centro, false});
  const EsitoProspetto e = componi_prospetto(r, false, Locale::italiano());
  EXPECT_EQ(paragrafi(e), atteso);
  EXPECT_EQ(atteso.size(), paragrafi_prospetto_attuale);
  EXPECT_EQ(atteso[21].testo, "Retribuzione Netta : 10.000,20");
}
