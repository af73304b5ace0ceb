#include "rules/detrazioni.h"

namespace zellora {

namespace {

void calcola(RecordCalcolo& record, const DatiFamiglia& famiglia, const RegoleDetrazioneAltri& d,
             double r, bool annua) {
  const double n = famiglia.altri;
  if (n != 0) {
    const double q = famiglia.quota_altri / 100;
    const double a = (n * d.importo) * q;
    const double c = rapporto(d.limite, r, d.limite, d.quattro_decimali);
    record.detrazione_altri = annua ? (a * c) * (famiglia.mesi_altri / 12) : (a * c) / 12;
  } else {
    record.detrazione_altri = 0;
  }
  if (record.detrazione_altri < 0) record.detrazione_altri = 0;
}

}  // namespace

void detrazioni_altri_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                            const RegoleDetrazioneAltri& regole) {
  calcola(record, famiglia, regole, record.imponibile_fiscale, true);
}

void detrazioni_altri_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia,
                              const RegoleDetrazioneAltri& regole) {
  calcola(record, famiglia, regole, record.imponibile_annuo, false);
}

}  // namespace zellora
