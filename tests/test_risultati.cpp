// The results texts: format, derived figures, monthly scaling.
#include <gtest/gtest.h>

#include "engine/risultati.h"

using namespace zellora;

namespace {

const Locale it = Locale::italiano();

RecordCalcolo annuale() {
  RecordCalcolo r;
  r.retribuzione_lorda = 30000;
  r.ritenuta_inps = 2757;
  r.contributo_aggiuntivo = 12.345;
  r.altri_contributi_dip = 100;
  r.ritenuta_inail = 50.5;
  r.imponibile_fiscale = 27080.155;
  r.irpef_lorda = 6711.64;
  r.detrazione_dip = 900;
  r.detrazione_dip_ulteriore = 40;
  r.detrazione_coniuge = 690;
  r.detrazione_coniuge_maggiorazione = 20;
  r.detrazione_figli = 500;
  r.detrazione_altri = 100;
  r.trattenuta_non_deducibile = 10;
  r.competenza_non_imponibile = 20;
  r.inps_azienda = 8694;
  r.altri_contributi_az = 200;
  r.premio_inail = 150;
  r.irap = 1200;
  r.tfr = 2072.22;
  r.costo_lavoro = 42316.22;
  return r;
}

}  // namespace

TEST(Risultati, WorkerSide) {
  const Risultati t = riempi_risultati(annuale(), false, "14", it);
  EXPECT_EQ(t.Text(1), "30.000,00");
  EXPECT_EQ(t.Text(2), "2.769,35");  // the two contribution fields together
  EXPECT_EQ(t.Text(18), "100,00");
  EXPECT_EQ(t.Text(17), "50,50");
  EXPECT_EQ(t.Text(3), "27.080,16");
  EXPECT_EQ(t.Text(5), "940,00");
  EXPECT_EQ(t.Text(6), "710,00");
  EXPECT_EQ(t.Text(9), "4.461,64");
  // 30000 - 2769.35 - 100 - 50.5 - 4461.64 - 10 + 20 = 22628.51
  EXPECT_EQ(t.Text(10), "22.628,00");
}

TEST(Risultati, NetTaxNeverBelowZero) {
  RecordCalcolo r = annuale();
  r.irpef_lorda = 1000;
  Risultati t = riempi_risultati(r, false, "14", it);
  EXPECT_EQ(t.Text(9), "0");           // a bare 0
  EXPECT_EQ(t.Text(10), "27.090,00");  // as if the tax were 0
  r.irpef_lorda = 2250;                // exactly the deductions shown
  t = riempi_risultati(r, false, "14", it);
  EXPECT_EQ(t.Text(9), "0,00");
}

TEST(Risultati, NetTaxUsesTheDeductionsAsDisplayed) {
  RecordCalcolo r;
  r.irpef_lorda = 100;
  r.detrazione_dip = 0.004;
  r.detrazione_coniuge = 0.004;
  r.detrazione_figli = 0.004;
  r.detrazione_altri = 0.004;
  const Risultati t = riempi_risultati(r, false, "14", it);
  EXPECT_EQ(t.Text(5), "0,00");
  EXPECT_EQ(t.Text(9), "100,00");
}

TEST(Risultati, NetPayIsWholeEuros) {
  RecordCalcolo r;
  r.retribuzione_lorda = 1234.99;
  EXPECT_EQ(riempi_risultati(r, false, "14", it).Text(10), "1.234,00");
  r.retribuzione_lorda = -0.5;
  EXPECT_EQ(riempi_risultati(r, false, "14", it).Text(10), "-1,00");
}

TEST(Risultati, EmployerSideAnnualAndMonthly) {
  RecordCalcolo r = annuale();
  Risultati t = riempi_risultati(r, false, "14", it);
  EXPECT_EQ(t.Text(11), t.Text(1));
  EXPECT_EQ(t.Text(16), "42.316,22");

  r.retribuzione_lorda = 1000;
  r.costo_lavoro = 1500;
  t = riempi_risultati(r, true, "14", it);
  EXPECT_EQ(t.Text(1), "1.000,00");  // the left panel is never scaled
  EXPECT_EQ(t.Text(11), "1.166,67");
  EXPECT_EQ(t.Text(16), "1.750,00");
  t = riempi_risultati(r, true, "12", it);
  EXPECT_EQ(t.Text(11), "1.000,00");
  // An unreadable number of monthly payments leaves the right panel empty.
  t = riempi_risultati(r, true, "", it);
  for (int box : {11, 12, 13, 14, 15, 16, 19}) EXPECT_EQ(t.Text(box), "") << box;
  EXPECT_EQ(t.Text(1), "1.000,00");
}

TEST(Risultati, FiguresThatCannotBeShownLeaveTheirBoxEmpty) {
  RecordCalcolo r = annuale();
  r.detrazione_figli = std::numeric_limits<double>::infinity();
  const Risultati t = riempi_risultati(r, false, "14", it);
  EXPECT_EQ(t.Text(7), "");
  EXPECT_EQ(t.Text(9), "0");  // the failure cascades to a bare 0
  EXPECT_FALSE(t.Text(10).empty());
}

TEST(Risultati, FollowTheLocale) {
  const Risultati t = riempi_risultati(annuale(), false, "14", Locale{".", ","});
  EXPECT_EQ(t.Text(1), "30,000.00");
  EXPECT_EQ(t.Text(10), "22,628.00");
}
