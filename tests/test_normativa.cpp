// Today's law (the rule sets "2025" and "2026") against published figures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "form/motore.h"
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
