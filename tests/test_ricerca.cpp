// The net-to-gross search.
#include <gtest/gtest.h>

#include "engine/calcolo.h"
#include "esempi.h"

using namespace zellora;
using namespace zellora::prova;

namespace {

InputCalcolo netto(double valore) {
  InputCalcolo in = lordo(valore);
  in.lordo_netto = false;
  return in;
}

EsitoCalcolo cerca(RecordCalcolo& r, const InputCalcolo& in, bool mensile) {
  return mensile ? calcola_mensile(r, in, it()) : calcola_irpef_annua(r, in, it());
}

// The net a gross-to-net pass gives for `gross`, as the search computes it.
double netto_di(RecordCalcolo r, InputCalcolo in, double gross, bool mensile) {
  in.lordo_netto = true;
  in.retribuzione = gross;
  cerca(r, in, mensile);
  double totale = r.detrazione_dip + r.detrazione_dip_ulteriore + r.detrazione_coniuge +
                  r.detrazione_coniuge_maggiorazione + r.detrazione_figli + r.detrazione_altri;
  if (totale > r.irpef_lorda) totale = r.irpef_lorda;
  const double prima = mensile ? r.retribuzione_lorda - r.ritenuta_inps - r.contributo_aggiuntivo -
                                     r.ritenuta_inail - r.altri_contributi_dip
                               : r.retribuzione_lorda - r.ritenuta_inps - r.contributo_aggiuntivo -
                                     r.altri_contributi_dip - r.ritenuta_inail;
  return Int(prima - r.irpef_lorda - r.trattenuta_non_deducibile + r.competenza_non_imponibile +
             totale);
}

InputCalcolo famiglia_tipica(InputCalcolo in) {
  in.famiglia.coniuge_a_carico = true;
  in.famiglia.figli = 2;
  in.famiglia.figli_minori = 1;
  in.famiglia.quota_figli = 50;
  in.trattenuta = 120;
  in.altri_dip = 1;
  in.tasso_inail = 5;
  return in;
}

}  // namespace

class RicercaInEntrambiIModi : public ::testing::TestWithParam<bool> {};

TEST_P(RicercaInEntrambiIModi, FindsTheSmallestGrossWithThatNet) {
  const bool mensile = GetParam();
  const RecordCalcolo profilo = profilo_esempio();
  for (double gross : mensile ? std::vector<double>{900, 1800, 2500, 4100, 7000}
                              : std::vector<double>{9000, 24000, 30000, 61000, 90000}) {
    const InputCalcolo in = famiglia_tipica(netto(0));
    const double obiettivo = netto_di(profilo, in, gross, mensile);
    RecordCalcolo r = profilo;
    InputCalcolo cercato = in;
    cercato.retribuzione = obiettivo;
    const auto esito = cerca(r, cercato, mensile);
    ASSERT_EQ(esito.stato, Stato::ok) << gross;
    EXPECT_TRUE(esito.ricerca.esatta);
    EXPECT_LE(r.retribuzione_lorda, gross);
    EXPECT_EQ(netto_di(profilo, in, r.retribuzione_lorda, mensile), obiettivo);
    EXPECT_LT(netto_di(profilo, in, r.retribuzione_lorda - 1, mensile), obiettivo);
    EXPECT_EQ(esito.ricerca.passaggi, r.retribuzione_lorda - obiettivo + 1);
    EXPECT_EQ(r.retribuzione_intera, obiettivo);
    EXPECT_LE(r.totale_detrazioni, r.irpef_lorda);

    // Every figure is that of a gross-to-net pass on the gross found.
    RecordCalcolo diretto = profilo;
    InputCalcolo avanti = in;
    avanti.lordo_netto = true;
    avanti.retribuzione = r.retribuzione_lorda;
    cerca(diretto, avanti, mensile);
    diretto.totale_detrazioni = r.totale_detrazioni;
    diretto.retribuzione_intera = r.retribuzione_intera;
    if (mensile) {
      EXPECT_NEAR(diretto.imponibile_fiscale, r.imponibile_fiscale, 1e-9);
      diretto.imponibile_fiscale = r.imponibile_fiscale;
      diretto.irpef_lorda = r.irpef_lorda;
    }
    EXPECT_EQ(diretto, r) << gross;
  }
}

INSTANTIATE_TEST_SUITE_P(AnnuoEMensile, RicercaInEntrambiIModi, ::testing::Bool());

TEST(Ricerca, TwentyThousandNetIsAbout8600Passes) {
  RecordCalcolo r = profilo_esempio();
  const auto esito = calcola_irpef_annua(r, netto(20000), it());
  ASSERT_EQ(esito.stato, Stato::ok);
  EXPECT_TRUE(esito.ricerca.esatta);
  EXPECT_GT(esito.ricerca.passaggi, 7000);
  EXPECT_LT(esito.ricerca.passaggi, 10000);
}

TEST(Ricerca, DeductionsAboveTheTaxAddBackOnlyTheTax) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = netto(7000);
  in.famiglia.figli = 3;
  in.famiglia.quota_figli = 100;
  ASSERT_EQ(calcola_irpef_annua(r, in, it()).stato, Stato::ok);
  EXPECT_EQ(r.totale_detrazioni, r.irpef_lorda);
}

TEST(Ricerca, NonDeductibleAndNonTaxableMoveTheNetOneForOne) {
  RecordCalcolo base = profilo_esempio();
  calcola_irpef_annua(base, netto(20000), it());
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = netto(20000);
  in.trattenuta = 300;
  in.competenza = 300;
  calcola_irpef_annua(r, in, it());
  EXPECT_EQ(r.retribuzione_lorda, base.retribuzione_lorda);
  EXPECT_EQ(r.imponibile_fiscale, base.imponibile_fiscale);
}

TEST(Ricerca, AJumpOverTheTargetStopsAtTheFirstGrossAboveIt) {
  // The additional employee deduction appears at a taxable income of
  // 23000: the net jumps by several euros between two whole grosses.
  const RecordCalcolo profilo = profilo_esempio();
  const InputCalcolo in = netto(0);
  double salto = 0;
  for (double g = 25000; g < 26000 && salto == 0; ++g) {
    if (netto_di(profilo, in, g + 1, false) - netto_di(profilo, in, g, false) >= 2) salto = g;
  }
  ASSERT_NE(salto, 0);
  RecordCalcolo r = profilo;
  InputCalcolo cercato = in;
  cercato.retribuzione = netto_di(profilo, in, salto, false) + 1;
  const auto esito = calcola_irpef_annua(r, cercato, it());
  EXPECT_EQ(esito.stato, Stato::irraggiungibile);
  EXPECT_FALSE(esito.ricerca.esatta);
  EXPECT_EQ(r.retribuzione_lorda, salto + 1);
  ASSERT_EQ(esito.messaggi.size(), 1u);
  EXPECT_NE(esito.messaggi[0].find("esattamente"), std::string::npos);
}

TEST(Ricerca, NetAlreadyAboveTheTargetAtTheStart) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = netto(100);
  in.competenza = 1000;
  const auto esito = calcola_irpef_annua(r, in, it());
  EXPECT_EQ(esito.stato, Stato::irraggiungibile);
  EXPECT_EQ(esito.ricerca.passaggi, 1);
  EXPECT_EQ(r.retribuzione_lorda, 100);
}

TEST(Ricerca, ContributionsOfAHundredPercentEndAtOnce) {
  for (bool mensile : {false, true}) {
    RecordCalcolo r = profilo_esempio();
    InputCalcolo in = netto(1500);
    in.altri_dip = 100;
    const auto esito = cerca(r, in, mensile);
    EXPECT_EQ(esito.stato, Stato::irraggiungibile);
    EXPECT_EQ(esito.ricerca.passaggi, 1);
    EXPECT_EQ(r.retribuzione_lorda, 1500);
  }
}

TEST(Ricerca, FixedContributionsAboveTheNetStillFindTheGross) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = netto(1000);
  in.percentuale = false;
  in.altri_dip = 5000;  // a fixed amount: the net still grows with the gross
  const auto esito = calcola_irpef_annua(r, in, it());
  EXPECT_EQ(esito.stato, Stato::ok);
  EXPECT_GT(r.retribuzione_lorda, 6000);
}

TEST(Ricerca, ANetOfZeroMakesItsPass) {
  RecordCalcolo r = profilo_esempio();
  r.irpef_lorda = 999;  // as an earlier calculation left it
  const auto esito = calcola_irpef_annua(r, netto(0), it());
  EXPECT_EQ(esito.stato, Stato::ok);
  EXPECT_EQ(esito.ricerca.passaggi, 1);
  EXPECT_EQ(r.retribuzione_lorda, 0);
  EXPECT_EQ(r.irpef_lorda, 0);
}

TEST(Ricerca, ANegativeNetIsRefusedAndWritesNothing) {
  RecordCalcolo r = profilo_esempio();
  const RecordCalcolo prima = r;
  const auto esito = calcola_irpef_annua(r, netto(-0.5), it());
  EXPECT_EQ(esito.stato, Stato::rifiutato);
  EXPECT_EQ(r, prima);
}

TEST(Ricerca, TotalDeductionsSurviveAGrossToNetRun) {
  RecordCalcolo r = profilo_esempio();
  calcola_irpef_annua(r, netto(20000), it());
  const double totale = r.totale_detrazioni;
  ASSERT_GT(totale, 0);
  calcola_irpef_annua(r, lordo(50000), it());
  EXPECT_EQ(r.totale_detrazioni, totale);
}

TEST(Ricerca, MonthlyNetSubtractsInailBeforeOtherContributions) {
  RecordCalcolo r = profilo_esempio();
  r.quota_inail_dip = 1;
  InputCalcolo in = netto(1500);
  in.altri_dip = 1.3;
  in.tasso_inail = 7;
  ASSERT_EQ(calcola_mensile(r, in, it()).stato, Stato::ok);
  const double B = r.retribuzione_lorda + r.valore_benefit;
  EXPECT_EQ(r.imponibile_fiscale, B - r.ritenuta_inps - r.contributo_aggiuntivo - r.ritenuta_inail -
                                      r.altri_contributi_dip);
}

TEST(Ricerca, HugeTargetsEndWithoutHanging) {
  RecordCalcolo r = profilo_esempio();
  const auto esito = calcola_irpef_annua(r, netto(1e17), it());
  EXPECT_NE(esito.stato, Stato::ok);
  EXPECT_LE(esito.ricerca.passaggi, 2);
}
