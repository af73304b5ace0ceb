// The annual and the monthly pass, gross to net.
#include <gtest/gtest.h>

#include "esempi.h"
#include "form/esito.h"
#include "rules/calcolo.h"

using namespace zellora;
using namespace zellora::prova;

TEST(PassoAnnuo, WorkedExample) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = lordo(30000);
  in.benefit = 1000;
  in.altri_dip = 1;
  in.altri_az = 2;
  in.tasso_inail = 5;
  in.irap = true;
  ASSERT_EQ(calcola_irpef_annua(r, in, it()).stato, Stato::ok);
  EXPECT_EQ(r.contributo_aggiuntivo, 0);
  EXPECT_DOUBLE_EQ(r.ritenuta_inps, 2848.9);
  EXPECT_DOUBLE_EQ(r.inps_azienda, 9300);
  EXPECT_DOUBLE_EQ(r.altri_contributi_dip, 310);
  EXPECT_DOUBLE_EQ(r.altri_contributi_az, 620);
  EXPECT_DOUBLE_EQ(r.premio_inail, 156.55);
  EXPECT_EQ(r.ritenuta_inail, 0);
  EXPECT_DOUBLE_EQ(r.tfr, 2141.294);
  EXPECT_DOUBLE_EQ(r.irap, 1679.390466);
  EXPECT_DOUBLE_EQ(r.costo_lavoro, 43897.234466);
  EXPECT_DOUBLE_EQ(r.imponibile_fiscale, 27841.1);
  EXPECT_DOUBLE_EQ(r.irpef_lorda, 6917.097);
  // The order of operations gives these bits exactly.
  EXPECT_EQ(r.irap, 1679.3904660000001);
  EXPECT_EQ(r.costo_lavoro, 43897.234466000002);
  EXPECT_EQ(r.irpef_lorda, 6917.0969999999998);
  EXPECT_EQ(r.retribuzione_intera, 30000);
  EXPECT_EQ(r.valore_benefit, 1000);
}

TEST(PassoAnnuo, NoSectorChosenCountsAsZero) {
  RecordCalcolo r;
  InputCalcolo in = lordo(20000);
  in.altri_dip = 2;
  in.tasso_inail = 10;
  in.irap = true;
  ASSERT_EQ(calcola_irpef_annua(r, in, it()).stato, Stato::ok);
  EXPECT_EQ(r.contributo_aggiuntivo, 200);  // 1 % of all of B
  EXPECT_EQ(r.ritenuta_inps, 0);
  EXPECT_EQ(r.inps_azienda, 0);
  EXPECT_EQ(r.premio_inail, 0);
  EXPECT_EQ(r.tfr, 0);
  EXPECT_EQ(r.irap, 0);
  EXPECT_EQ(r.imponibile_fiscale, 20000 - 200 - 400);
}

TEST(PassoAnnuo, AmountsAreWholeEuros) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = lordo(1500.99);
  in.trattenuta = 10.9;
  in.competenza = 20.5;
  in.benefit = 99.99;
  calcola_irpef_annua(r, in, it());
  EXPECT_EQ(r.retribuzione_lorda, 1500);
  EXPECT_EQ(r.trattenuta_non_deducibile, 10);
  EXPECT_EQ(r.competenza_non_imponibile, 20);
  EXPECT_EQ(r.valore_benefit, 99);
  calcola_irpef_annua(r, lordo(-0.5), it());
  EXPECT_EQ(r.retribuzione_lorda, -1);
}

TEST(PassoAnnuo, AdditionalContributionAndInpsCeiling) {
  RecordCalcolo r = profilo_esempio();
  calcola_irpef_annua(r, lordo(42111), it());
  EXPECT_EQ(r.contributo_aggiuntivo, 0);
  calcola_irpef_annua(r, lordo(42211), it());
  EXPECT_EQ(r.contributo_aggiuntivo, 1);

  r.massimale_inps = 50000;
  calcola_irpef_annua(r, lordo(60000), it());
  EXPECT_DOUBLE_EQ(r.ritenuta_inps, 0.0919 * 50000);
  EXPECT_DOUBLE_EQ(r.inps_azienda, 0.30 * 50000);
  EXPECT_DOUBLE_EQ(r.contributo_aggiuntivo, (60000 - 42111) / 100.0);
}

TEST(PassoAnnuo, OtherContributionsPercentOrFixed) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = lordo(20000);
  in.altri_dip = 2.5;
  calcola_irpef_annua(r, in, it());
  EXPECT_EQ(r.altri_contributi_dip, 500);
  in.percentuale = false;
  in.altri_dip = 12.5;
  calcola_irpef_annua(r, in, it());
  EXPECT_EQ(r.altri_contributi_dip, 12.5);
}

TEST(PassoAnnuo, InailRateFloorAndCeiling) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = lordo(20000);
  in.tasso_inail = 10;
  calcola_irpef_annua(r, in, it());
  EXPECT_DOUBLE_EQ(r.premio_inail, 202);
  EXPECT_EQ(r.ritenuta_inail, 0);

  r.minimale_inail = 13899.9;
  r.massimale_inail = 25814.1;
  r.quota_inail_dip = 1;
  r.quota_inail_az = 2;
  const double terzo = 10.1 / 1000 / 3;
  for (auto [gross, base] :
       {std::pair{10000.0, 13899.9}, std::pair{13899.9, 13899.9}, std::pair{20000.0, 20000.0},
        std::pair{25814.1, 25814.1}, std::pair{40000.0, 25814.1}}) {
    in.retribuzione = gross;
    calcola_irpef_annua(r, in, it());
    const double B = Int(gross);
    const double atteso = B < 13899.9 ? 13899.9 : (B > 25814.1 ? 25814.1 : B);
    EXPECT_NEAR(r.ritenuta_inail, atteso * terzo, 1e-9) << gross;
    EXPECT_NEAR(r.premio_inail, 2 * atteso * terzo, 1e-9) << gross;
    (void)base;
  }
}

TEST(PassoAnnuo, IrapOnlyWhenAskedAndBenefitOnlyThroughContributions) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = lordo(30000);
  calcola_irpef_annua(r, in, it());
  EXPECT_EQ(r.irap, 0);
  const RecordCalcolo senza = r;

  in.benefit = 1000;
  calcola_irpef_annua(r, in, it());
  EXPECT_GT(r.imponibile_fiscale, senza.imponibile_fiscale);
  EXPECT_GT(r.ritenuta_inps, senza.ritenuta_inps);
  EXPECT_GT(r.tfr, senza.tfr);
  // The benefit itself is not part of the cost of labour.
  EXPECT_NEAR(r.costo_lavoro - senza.costo_lavoro,
              (r.inps_azienda - senza.inps_azienda) + (r.tfr - senza.tfr), 1e-9);
}

TEST(PassoMensile, WorkedExample) {
  RecordCalcolo r = profilo_esempio();
  InputCalcolo in = lordo(2500);
  in.mensilita = 14;
  ASSERT_EQ(calcola_mensile(r, in, it()).stato, Stato::ok);
  EXPECT_EQ(r.contributo_aggiuntivo, 0);
  EXPECT_DOUBLE_EQ(r.ritenuta_inps, 229.75);
  EXPECT_DOUBLE_EQ(r.inps_azienda, 750);
  EXPECT_DOUBLE_EQ(r.imponibile_annuo, 31783.5);
  EXPECT_DOUBLE_EQ(r.imponibile_fiscale, 2270.25);
  EXPECT_DOUBLE_EQ(r.irpef_lorda, 562.9675);
}

TEST(PassoMensile, MonthlyThresholdsAndNoInpsCeiling) {
  RecordCalcolo r = profilo_esempio();
  calcola_mensile(r, lordo(3600), it());
  EXPECT_DOUBLE_EQ(r.contributo_aggiuntivo, 0.9075);
  r.massimale_inps = 1000;  // not used in a month
  calcola_mensile(r, lordo(50000), it());
  EXPECT_DOUBLE_EQ(r.ritenuta_inps, 0.0919 * 50000);
}

TEST(PassoMensile, AnnualEquivalentIncome) {
  RecordCalcolo r = profilo_esempio();
  calcola_mensile(r, lordo(2000), it());
  EXPECT_DOUBLE_EQ(r.imponibile_annuo, 25426.8);
  const double senza = r.imponibile_annuo;
  InputCalcolo in = lordo(2000);
  in.percentuale = false;
  in.altri_dip = 50;  // subtracted once, not fourteen times
  calcola_mensile(r, in, it());
  EXPECT_DOUBLE_EQ(senza - r.imponibile_annuo, 50);
}

TEST(PassoMensile, InailOnMonthlyBounds) {
  RecordCalcolo r = profilo_esempio();
  r.minimale_inail = 12000;
  r.massimale_inail = 24000;
  r.quota_inail_dip = 1;
  InputCalcolo in = lordo(500);
  in.tasso_inail = 10;
  calcola_mensile(r, in, it());
  EXPECT_DOUBLE_EQ(r.ritenuta_inail, ((10.1 * 1000) / 1000) / 3);
  in.retribuzione = 5000;
  calcola_mensile(r, in, it());
  EXPECT_DOUBLE_EQ(r.ritenuta_inail, ((10.1 * 2000) / 1000) / 3);
}

TEST(Record, StateBetweenCalculations) {
  RecordCalcolo r = profilo_esempio();
  calcola_mensile(r, lordo(2500), it());
  const double annuo = r.imponibile_annuo;
  r.totale_detrazioni = 123;  // as a net-to-gross search leaves it
  calcola_irpef_annua(r, lordo(30000), it());
  EXPECT_EQ(r.imponibile_annuo, annuo);  // only a monthly pass writes it
  EXPECT_EQ(r.totale_detrazioni, 123);   // only the search writes it
  EXPECT_EQ(r.aliquota_inps_az, 0.30);   // the profile stays
}

TEST(Record, OverflowIsRefusedAndWritesNothing) {
  RecordCalcolo r = profilo_esempio();
  const RecordCalcolo prima = r;
  InputCalcolo in = lordo(1.7e308);
  in.benefit = 1.7e308;
  const auto esito = calcola_irpef_annua(r, in, it());
  EXPECT_EQ(esito.stato, Stato::rifiutato);
  EXPECT_FALSE(esito.messaggi.empty());
  EXPECT_EQ(r, prima);
}

TEST(Record, NamesInDeclaredOrder) {
  const auto& campi = campi_record();
  EXPECT_EQ(campi.front().nome, "irpef_lorda");
  EXPECT_EQ(campi[12].nome, "retribuzione_lorda");
  EXPECT_EQ(campi[35].nome, "competenza_non_imponibile");
  EXPECT_EQ(campi[numero_campi_attuali - 1].nome, "trattamento_integrativo");
  EXPECT_EQ(campi.back().nome, "addizionale_comunale");
  RecordCalcolo r;
  *campo_record(r, "tfr") = 5;
  EXPECT_EQ(r.tfr, 5);
  EXPECT_EQ(campo_record(r, "nessuno"), nullptr);
  static_assert(sizeof(RecordCalcolo) == 41 * sizeof(double));
}
