// The results texts: format, derived figures, monthly scaling.
#include <gtest/gtest.h>

#include <cstdint>

#include "esempi.h"
#include "form/risultati.h"

using zellora::prova::netto_atteso;

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

TEST(Risultati, NetPayIsTheExactBalanceOfTheFiguresShown) {
  struct Caso {
    double lordo, inps, altri, inail, irpef, detrazioni, trattenuta, competenza;
    const char* netto;
  };
  const Caso casi[] = {
      // 159014 - 15782.42 - 54759.58 is 88471.99999999999 in doubles.
      {159014, 15782.42, 0, 0, 54759.58, 0, 0, 0, "88.472,00"},
      {0, 0, 0.3, 0, 0, 0, 0, 0, "-1,00"},             // -0.30
      {100, 10.1, 10.2, 10.3, 69.4, 0, 0, 0, "0,00"},  // exactly 0
      // Beyond 1e13 euro the figures are added as their texts read back.
      {2e13 + 0.5, 0.25, 0, 0, 0, 0, 0, 0, "20.000.000.000.000,00"},
  };
  for (const Caso& c : casi) {
    RecordCalcolo r;
    r.retribuzione_lorda = c.lordo;
    r.ritenuta_inps = c.inps;
    r.altri_contributi_dip = c.altri;
    r.ritenuta_inail = c.inail;
    r.irpef_lorda = c.irpef;
    r.detrazione_dip = c.detrazioni;
    r.trattenuta_non_deducibile = c.trattenuta;
    r.competenza_non_imponibile = c.competenza;
    const Risultati t = riempi_risultati(r, false, "14", it);
    EXPECT_EQ(t.Text(10), c.netto) << c.lordo;
    EXPECT_EQ(netto_mostrato(r), converti_numero(t.Text(10), it).value()) << c.lordo;
  }
}

TEST(Risultati, NetPayOfRandomWorkersIsTheSumOfTheFiguresShown) {
  std::uint64_t x = 0x2545F4914F6CDD1Dull;
  auto caso = [&](std::uint64_t n) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return static_cast<double>(x % n);
  };
  // Amounts of whole cents and amounts with more decimals, as the passes
  // leave them; annual and monthly sizes.
  auto importo = [&](double massimo) {
    const double centesimi = caso(static_cast<std::uint64_t>(massimo * 100)) / 100;
    return caso(2) == 0 ? centesimi : centesimi + caso(1000) / 1e5;
  };
  for (int i = 0; i < 20000; ++i) {
    const double scala = i % 2 == 0 ? 200000 : 10000;
    RecordCalcolo r;
    r.retribuzione_lorda = caso(static_cast<std::uint64_t>(scala));
    r.ritenuta_inps = importo(scala / 10);
    r.contributo_aggiuntivo = caso(4) == 0 ? importo(scala / 100) : 0;
    r.altri_contributi_dip = caso(3) == 0 ? importo(scala / 20) : 0;
    r.ritenuta_inail = caso(3) == 0 ? importo(scala / 100) : 0;
    r.irpef_lorda = importo(scala / 3);
    r.detrazione_dip = caso(2) == 0 ? importo(scala / 50) : 0;
    r.detrazione_coniuge = caso(3) == 0 ? importo(scala / 100) : 0;
    r.detrazione_figli = caso(3) == 0 ? importo(scala / 50) : 0;
    r.trattenuta_non_deducibile = caso(4) == 0 ? caso(1000) : 0;
    r.competenza_non_imponibile = caso(4) == 0 ? caso(1000) : 0;
    const Risultati t = riempi_risultati(r, false, "14", it);
    ASSERT_EQ(t.Text(10), netto_atteso(t)) << i;
    ASSERT_EQ(netto_mostrato(r), converti_numero(t.Text(10), it).value()) << i;
  }
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
