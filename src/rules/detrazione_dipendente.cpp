#include "rules/detrazioni.h"

namespace zellora {

namespace {

// Both variants: the days of the year in the annual one, 31 in the monthly
// one, where the floor does not apply. The first band is the days' share
// of its amount; each further band goes down from its fixed part plus its
// variable part to its fixed part across the band.
void calcola(RecordCalcolo& record, const RegoleDetrazioneDipendente& d, double r, double g,
             bool con_minimo) {
  switch (d.forma) {
    case FormaDetrazioneDipendente::fasce_decrescenti: {
      if (r <= d.primo_limite) {
        record.detrazione_dip = g * (d.importo_primo / 365);
        if (con_minimo && record.detrazione_dip < d.minimo) record.detrazione_dip = d.minimo;
      }
      double sotto = d.primo_limite;
      for (std::size_t i = 0; i < d.n; ++i) {
        const FasciaDipendente& f = d.fasce[i];
        if (r > sotto && r <= f.fino_a) {
          record.detrazione_dip =
              ((f.fisso + f.variabile * ((f.fino_a - r) / (f.fino_a - sotto))) * g) / 365;
        }
        sotto = f.fino_a;
      }
      if (r > sotto) record.detrazione_dip = 0;
      break;
    }
  }
  const double ulteriore = importo_fascia(d.ulteriori, r);
  record.detrazione_dip_ulteriore = ulteriore != 0 ? (g * ulteriore) / 365 : 0;
  if (record.detrazione_dip < 0) record.detrazione_dip = 0;
  if (record.detrazione_dip_ulteriore < 0) record.detrazione_dip_ulteriore = 0;
}

}  // namespace

double importo_fascia(const ImportiFascia& fasce, double reddito) {
  for (std::size_t i = 0; i < fasce.n; ++i) {
    const ImportoFascia& f = fasce.fasce[i];
    const bool sopra = f.da_escluso ? reddito > f.da : reddito >= f.da;
    if (sopra && reddito <= f.a) return f.importo;
  }
  return 0;
}

double importo_massimo_avanti(const ImportiFascia& fasce, double reddito) {
  // The bands as a whole: the largest amount while the income is not above
  // the last upper bound.
  double massimo = 0;
  double ultimo = 0;
  for (std::size_t i = 0; i < fasce.n; ++i) {
    if (fasce.fasce[i].importo > massimo) massimo = fasce.fasce[i].importo;
    if (i == 0 || fasce.fasce[i].a > ultimo) ultimo = fasce.fasce[i].a;
  }
  return fasce.n > 0 && reddito <= ultimo ? massimo : 0;
}

void detrazioni_dip_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                          const RegoleDetrazioneDipendente& regole) {
  calcola(record, regole, record.imponibile_fiscale, famiglia.giorni, true);
}

void detrazioni_dip_mensile(RecordCalcolo& record, const RegoleDetrazioneDipendente& regole) {
  calcola(record, regole, record.imponibile_annuo, 31, false);
}

}  // namespace zellora
