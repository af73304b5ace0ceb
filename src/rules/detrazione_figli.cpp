#include "rules/detrazioni.h"

#include <cmath>

namespace zellora {

namespace {

// The steps shared by both variants; the annual one prorates by the months
// of dependency (d x (m / 12)), the monthly one takes a twelfth (d / 12).
void calcola(RecordCalcolo& record, const DatiFamiglia& famiglia, const RegoleDetrazioneFigli& f,
             double r, bool annua) {
  record.maggiorazione_figli_minori =
      famiglia.figli_minori != 0 ? famiglia.figli_minori * f.maggiorazione_minori : 0;
  const double n = famiglia.figli;
  double base = 0;
  double limite = 0;
  if (n == 0) {
    record.detrazione_figli = 0;
  } else if (base_figli(f, n, base, limite)) {
    const double a = base + record.maggiorazione_figli_minori;
    const double b = a * (famiglia.quota_figli / 100);
    const double c = rapporto(limite, r, limite, f.quattro_decimali);
    const double d = b * c;
    record.detrazione_figli = annua ? d * (famiglia.mesi_figli / 12) : d / 12;
  }
  if (record.detrazione_figli < 0) record.detrazione_figli = 0;
  if (record.maggiorazione_figli_minori < 0) record.maggiorazione_figli_minori = 0;
}

}  // namespace

bool base_figli(const RegoleDetrazioneFigli& f, double n, double& base, double& limite) {
  switch (f.forma) {
    case FormaBaseFigli::aumentata_dal_quarto:
      // One row for each of 1, 2 and 3 children, and one for 4 or more.
      if (n == 1 || n == 2 || n == 3) {
        base = n * f.importo;
      } else if (n >= 4) {
        base = f.importo_dal_quarto * n;
      } else {
        return false;
      }
      break;
    case FormaBaseFigli::per_figlio:
      if (!(n >= 1) || std::floor(n) != n) return false;
      base = f.importo * n;
      break;
  }
  limite = (n - 1) * f.aumento_limite + f.limite;
  return true;
}

void detrazioni_figli_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                            const RegoleDetrazioneFigli& regole) {
  calcola(record, famiglia, regole, record.imponibile_fiscale, true);
}

void detrazioni_figli_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia,
                              const RegoleDetrazioneFigli& regole) {
  calcola(record, famiglia, regole, record.imponibile_annuo, false);
}

}  // namespace zellora
