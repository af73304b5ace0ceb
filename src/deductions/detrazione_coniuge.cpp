#include "deductions/detrazioni.h"

namespace zellora {

namespace {

double importo_maggiorazione(double reddito) {
  if (reddito >= 29000 && reddito <= 29200) return 10;
  if (reddito >= 29200.01 && reddito <= 34700) return 20;
  if (reddito >= 34700.01 && reddito <= 35000) return 30;
  if (reddito >= 35000.01 && reddito <= 35100) return 20;
  if (reddito >= 35100.01 && reddito <= 35200) return 10;
  return 0;
}

void non_negativi(RecordCalcolo& record) {
  if (record.detrazione_coniuge < 0) record.detrazione_coniuge = 0;
  if (record.detrazione_coniuge_maggiorazione < 0) record.detrazione_coniuge_maggiorazione = 0;
}

}  // namespace

void detrazioni_coniuge_annua(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  if (!famiglia.coniuge_a_carico) {
    record.detrazione_coniuge = 0;
    record.detrazione_coniuge_maggiorazione = 0;
    non_negativi(record);
    return;
  }
  const double r = record.imponibile_fiscale;
  const double m = famiglia.mesi_coniuge;
  if (r <= 15000) record.detrazione_coniuge = (800 - 110 * (r / 15000)) * (m / 12);
  if (r > 15000 && r <= 40000) record.detrazione_coniuge = (m * 690) / 12;
  if (r > 40000 && r <= 80000) {
    record.detrazione_coniuge = (690 * ((80000 - r) / 40000)) * (m / 12);
  }
  if (r > 80000) record.detrazione_coniuge = 0;

  const double maggiorazione = importo_maggiorazione(r);
  record.detrazione_coniuge_maggiorazione = maggiorazione != 0 ? (m * maggiorazione) / 12 : 0;
  non_negativi(record);
}

void detrazioni_coniuge_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  if (!famiglia.coniuge_a_carico) {
    record.detrazione_coniuge = 0;
    record.detrazione_coniuge_maggiorazione = 0;
    non_negativi(record);
    return;
  }
  const double r = record.imponibile_annuo;
  if (r <= 15000) record.detrazione_coniuge = (800 - 110 * (r / 15000)) / 12;
  if (r > 15000 && r <= 40000) record.detrazione_coniuge = 690.0 / 12;
  if (r > 40000 && r <= 80000) record.detrazione_coniuge = (690 * ((80000 - r) / 40000)) / 12;
  if (r > 80000) record.detrazione_coniuge = 0;

  const double maggiorazione = importo_maggiorazione(r);
  record.detrazione_coniuge_maggiorazione = maggiorazione != 0 ? maggiorazione / 12 : 0;
  non_negativi(record);
}

}  // namespace zellora
