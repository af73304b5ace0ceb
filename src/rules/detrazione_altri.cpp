#include "rules/detrazioni.h"

namespace zellora {

namespace {

void calcola(RecordCalcolo& record, const DatiFamiglia& famiglia, double r, bool annua) {
  const double n = famiglia.altri;
  if (n != 0) {
    const double q = famiglia.quota_altri / 100;
    const double a = (n * 750) * q;
    const double c = (80000 - r) / 80000;
    record.detrazione_altri = annua ? (a * c) * (famiglia.mesi_altri / 12) : (a * c) / 12;
  } else {
    record.detrazione_altri = 0;
  }
  if (record.detrazione_altri < 0) record.detrazione_altri = 0;
}

}  // namespace

void detrazioni_altri_annua(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  calcola(record, famiglia, record.imponibile_fiscale, true);
}

void detrazioni_altri_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  calcola(record, famiglia, record.imponibile_annuo, false);
}

}  // namespace zellora
