#include "rules/detrazioni.h"

namespace zellora {

namespace {

// Base amount and income limit of the row of `n` children. False for a count
// that matches no row (0 has a row of its own, handled by the caller).
bool riga_figli(double n, double& base, double& limite) {
  if (n == 1) {
    base = 800;
    limite = 95000;
  } else if (n == 2) {
    base = 1600;
    limite = 110000;
  } else if (n == 3) {
    base = 2400;
    limite = 125000;
  } else if (n >= 4) {
    base = 1000 * n;
    limite = (n - 1) * 15000 + 95000;
  } else {
    return false;
  }
  return true;
}

// The steps shared by both variants; the annual one prorates by the months
// of dependency (d x (m / 12)), the monthly one takes a twelfth (d / 12).
void calcola(RecordCalcolo& record, const DatiFamiglia& famiglia, double r, bool annua) {
  record.maggiorazione_figli_minori = famiglia.figli_minori != 0 ? famiglia.figli_minori * 100 : 0;
  const double n = famiglia.figli;
  double base = 0;
  double limite = 0;
  if (n == 0) {
    record.detrazione_figli = 0;
  } else if (riga_figli(n, base, limite)) {
    const double a = base + record.maggiorazione_figli_minori;
    const double b = a * (famiglia.quota_figli / 100);
    const double c = (limite - r) / limite;
    const double d = b * c;
    record.detrazione_figli = annua ? d * (famiglia.mesi_figli / 12) : d / 12;
  }
  if (record.detrazione_figli < 0) record.detrazione_figli = 0;
  if (record.maggiorazione_figli_minori < 0) record.maggiorazione_figli_minori = 0;
}

}  // namespace

void detrazioni_figli_annua(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  calcola(record, famiglia, record.imponibile_fiscale, true);
}

void detrazioni_figli_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia) {
  calcola(record, famiglia, record.imponibile_annuo, false);
}

}  // namespace zellora
