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

TEST(Prospetto, AnnualFigureFollowsTheLocale) {
  const Locale en{".", ","};
  const EsitoProspetto e = componi_prospetto(risultati_prova("2,345.67"), true, en);
  ASSERT_TRUE(e.prospetto);
  EXPECT_EQ(e.prospetto->paragrafi[28].testo, "Costo del Lavoro : 2,345.67 (=annui euro 28148.04)");
}

TEST(Prospetto, EmptyBoxesGiveTheLabelAlone) {
  Risultati vuoti;  // every box empty
  const EsitoProspetto e = componi_prospetto(vuoti, false, Locale::italiano());
  ASSERT_TRUE(e.prospetto);
  EXPECT_EQ(e.prospetto->paragrafi[4].testo, "Retribuzione Lorda:  ");
  EXPECT_EQ(e.prospetto->paragrafi[28].testo, "Costo del Lavoro : ");
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
  atteso.insert(atteso.begin() + 16, {{"Somma esente : 636,00", s, false},
                                      {"Trattamento integrativo : 1.200,00", s, false}});
  atteso.insert(atteso.begin() + 14, {"Ulteriore detrazione : 1.000,00", s, false});
  atteso.insert(atteso.begin() + 2, {"Normativa 2025", Allineamento::centro, false});
  const EsitoProspetto e = componi_prospetto(r, false, Locale::italiano());
  EXPECT_EQ(paragrafi(e), atteso);
  EXPECT_EQ(atteso.size(), paragrafi_prospetto_attuale);
  EXPECT_EQ(atteso[20].testo, "Retribuzione Netta : 10.000,20");
}
