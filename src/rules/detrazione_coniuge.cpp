#include "rules/detrazioni.h"

namespace zellora {

namespace {

// The annual variant prorates the yearly amounts by the months of
// dependency (x (m / 12), or (m x amount) / 12 for the fixed amount and the
// increase); the monthly variant takes a twelfth.
void calcola(RecordCalcolo& record, const DatiFamiglia& famiglia, const RegoleDetrazioneConiuge& c,
             double r, bool annua) {
  record.detrazione_coniuge = 0;
  record.detrazione_coniuge_maggiorazione = 0;
  if (famiglia.coniuge_a_carico) {
    const double m = famiglia.mesi_coniuge;
    switch (c.forma) {
      case FormaDetrazioneConiuge::tre_fasce:
        if (r <= c.primo_limite) {
          const double annuo =
              c.base - c.riduzione * rapporto(r, 0, c.primo_limite, c.quattro_decimali);
          record.detrazione_coniuge = annua ? annuo * (m / 12) : annuo / 12;
        }
        if (r > c.primo_limite && r <= c.secondo_limite) {
          record.detrazione_coniuge = annua ? (m * c.fisso) / 12 : c.fisso / 12;
        }
        if (r > c.secondo_limite && r <= c.terzo_limite) {
          const double annuo =
              c.fisso *
              rapporto(c.terzo_limite, r, c.terzo_limite - c.secondo_limite, c.quattro_decimali);
          record.detrazione_coniuge = annua ? annuo * (m / 12) : annuo / 12;
        }
        break;
    }
    const double maggiorazione = importo_fascia(c.maggiorazioni, r);
    if (maggiorazione != 0) {
      record.detrazione_coniuge_maggiorazione =
          annua ? (m * maggiorazione) / 12 : maggiorazione / 12;
    }
  }
  if (record.detrazione_coniuge < 0) record.detrazione_coniuge = 0;
  if (record.detrazione_coniuge_maggiorazione < 0) record.detrazione_coniuge_maggiorazione = 0;
}

}  // namespace

void detrazioni_coniuge_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                              const RegoleDetrazioneConiuge& regole) {
  calcola(record, famiglia, regole, record.imponibile_fiscale, true);
}

void detrazioni_coniuge_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia,
                                const RegoleDetrazioneConiuge& regole) {
  calcola(record, famiglia, regole, record.imponibile_annuo, false);
}

}  // namespace zellora
