#include "rules/detrazioni.h"

namespace zellora {

namespace {

// Yearly additional amount of the band that holds `reddito`, 0 outside every
// band. Both bounds are inclusive; the cent-wide gaps between bands get 0.
double importo_ulteriore(double reddito) {
  if (reddito >= 23000 && reddito <= 24000) return 10;
  if (reddito >= 24000.01 && reddito <= 25000) return 20;
  if (reddito >= 25000.01 && reddito <= 26000) return 30;
  if (reddito >= 26000.01 && reddito <= 27700) return 40;
  if (reddito >= 27700.01 && reddito <= 28000) return 25;
  return 0;
}

void non_negativi(RecordCalcolo& record) {
  if (record.detrazione_dip < 0) record.detrazione_dip = 0;
  if (record.detrazione_dip_ulteriore < 0) record.detrazione_dip_ulteriore = 0;
}

}  // namespace

void detrazioni_dip_annua(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  const double r = record.imponibile_fiscale;
  const double g = famiglia.giorni;
  if (r <= 8000) {
    record.detrazione_dip = g * (1840.0 / 365);
    if (record.detrazione_dip < 690) record.detrazione_dip = 690;
  }
  if (r > 8000 && r <= 15000) {
    record.detrazione_dip = ((1338 + 502 * ((15000 - r) / 7000)) * g) / 365;
  }
  if (r > 15000 && r <= 55000) {
    record.detrazione_dip = ((1338 * ((55000 - r) / 40000)) * g) / 365;
  }
  if (r > 55000) record.detrazione_dip = 0;

  const double ulteriore = importo_ulteriore(r);
  record.detrazione_dip_ulteriore = ulteriore != 0 ? (g * ulteriore) / 365 : 0;
  non_negativi(record);
}

void detrazioni_dip_mensile(RecordCalcolo& record) {
  const double r = record.imponibile_annuo;
  if (r <= 8000) record.detrazione_dip = (1840.0 / 365) * 31;
  if (r > 8000 && r <= 15000) {
    record.detrazione_dip = ((1338 + 502 * ((15000 - r) / 7000)) * 31) / 365;
  }
  if (r > 15000 && r <= 55000) {
    record.detrazione_dip = ((1338 * ((55000 - r) / 40000)) * 31) / 365;
  }
  if (r > 55000) record.detrazione_dip = 0;

  // The monthly constant is the yearly amount times 31 (310, 620, ...).
  const double ulteriore = importo_ulteriore(r);
  record.detrazione_dip_ulteriore = ulteriore != 0 ? (ulteriore * 31) / 365 : 0;
  non_negativi(record);
}

}  // namespace zellora
