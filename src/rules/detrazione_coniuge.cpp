#include "rules/detrazioni.h"

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

// The annual variant prorates the yearly amounts by the months of
// dependency (x (m / 12), or (m x amount) / 12 for the additional amount);
// the monthly variant takes a twelfth.
void calcola(RecordCalcolo& record, const DatiFamiglia& famiglia, double r, bool annua) {
  record.detrazione_coniuge = 0;
  record.detrazione_coniuge_maggiorazione = 0;
  if (famiglia.coniuge_a_carico) {
    const double m = famiglia.mesi_coniuge;
    if (r <= 15000) {
      const double annuo = 800 - 110 * (r / 15000);
      record.detrazione_coniuge = annua ? annuo * (m / 12) : annuo / 12;
    }
    if (r > 15000 && r <= 40000) record.detrazione_coniuge = annua ? (m * 690) / 12 : 690.0 / 12;
    if (r > 40000 && r <= 80000) {
      const double annuo = 690 * ((80000 - r) / 40000);
      record.detrazione_coniuge = annua ? annuo * (m / 12) : annuo / 12;
    }
    const double maggiorazione = importo_maggiorazione(r);
    if (maggiorazione != 0) {
      record.detrazione_coniuge_maggiorazione =
          annua ? (m * maggiorazione) / 12 : maggiorazione / 12;
    }
  }
  if (record.detrazione_coniuge < 0) record.detrazione_coniuge = 0;
  if (record.detrazione_coniuge_maggiorazione < 0) record.detrazione_coniuge_maggiorazione = 0;
}

}  // namespace

void detrazioni_coniuge_annua(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  calcola(record, famiglia, record.imponibile_fiscale, true);
}

void detrazioni_coniuge_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  calcola(record, famiglia, record.imponibile_annuo, false);
}

}  // namespace zellora
