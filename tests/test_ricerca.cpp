// The net-to-gross search.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/calcolo.h"
#include "esempi.h"
#include "profile/profilo.h"

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

// The net that a search pass computes for `gross`.
double netto_di(RecordCalcolo r, InputCalcolo in, double gross, bool mensile) {
  r.trattenuta_non_deducibile = Int(in.trattenuta);
  r.competenza_non_imponibile = Int(in.competenza);
  r.valore_benefit = Int(in.benefit);
  return passo_ricerca(r, in, mensile, gross);
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
    EXPECT_LE(esito.ricerca.passaggi, r.retribuzione_lorda - obiettivo + 1);
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

TEST(Ricerca, SkipsWhatCannotMatchInsteadOfTryingEveryEuro) {
  // About 8600 euros lie between a net of 20000 and its gross.
  RecordCalcolo r = profilo_esempio();
  const auto esito = calcola_irpef_annua(r, netto(20000), it());
  ASSERT_EQ(esito.stato, Stato::ok);
  EXPECT_TRUE(esito.ricerca.esatta);
  EXPECT_GT(r.retribuzione_lorda - 20000, 7000);
  EXPECT_LT(esito.ricerca.passaggi, 200);
  // A net of ten million euros ends as quickly.
  const auto grande = calcola_irpef_annua(r, netto(10'000'000), it());
  EXPECT_EQ(grande.stato, Stato::ok);
  EXPECT_LT(grande.ricerca.passaggi, 1000);
}

namespace {

// The search as a plain walk over every whole euro, for comparison.
double ricerca_lineare(RecordCalcolo r, const InputCalcolo& in, bool mensile) {
  const double obiettivo = Int(in.retribuzione);
  for (double g = obiettivo;; g += 1) {
    if (netto_di(r, in, g, mensile) >= obiettivo || g - obiettivo > 400000) return g;
  }
}

}  // namespace

TEST(Ricerca, SameGrossAsTryingEveryEuro) {
  std::uint64_t x = 0x9E3779B97F4A7C15ull;
  auto caso = [&](std::uint64_t n) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return static_cast<double>(x % n);
  };
  const int categorie[] = {0, 1, 2, 3};
  for (int i = 0; i < 400; ++i) {
    const bool mensile = i % 2 == 1;
    RecordCalcolo r;
    const int categoria = categorie[i % 4];
    scrivi_profilo(r, categoria, static_cast<int>(caso(categoria == 0 ? 2 : 4)));
    InputCalcolo in = netto(mensile ? caso(6000) : caso(90000));
    in.benefit = caso(4) == 0 ? caso(3000) : 0;
    in.trattenuta = caso(3) == 0 ? caso(800) : 0;
    in.competenza = caso(3) == 0 ? caso(800) : 0;
    in.percentuale = caso(4) != 0;
    in.altri_dip = in.percentuale ? caso(40) / 4 : caso(300);
    in.tasso_inail = caso(60);
    in.irap = caso(2) == 0;
    in.mensilita = 12 + caso(3);
    DatiFamiglia& f = in.famiglia;
    f.giorni = 365 - caso(300);
    f.coniuge_a_carico = caso(2) == 0;
    f.mesi_coniuge = 1 + caso(12);
    f.figli = caso(6);
    f.figli_minori = caso(3);
    f.quota_figli = caso(2) == 0 ? 50 : 100;
    f.mesi_figli = 1 + caso(12);
    f.altri = caso(3);
    f.quota_altri = caso(2) == 0 ? 50 : 100;
    f.mesi_altri = 1 + caso(12);

    const double atteso = ricerca_lineare(r, in, mensile);
    RecordCalcolo cercato = r;
    const auto esito = cerca(cercato, in, mensile);
    ASSERT_NE(esito.stato, Stato::rifiutato);
    ASSERT_EQ(cercato.retribuzione_lorda, atteso) << "case " << i;
  }
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
