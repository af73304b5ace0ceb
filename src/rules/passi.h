// What the net-to-gross search (ricerca.cpp) shares with the passes
// (calcolo.cpp), inside the rules library only.
#pragma once

#include "rules/calcolo.h"

namespace zellora {

// The first part of a pass: the contributions and the taxable income (in a
// month also the annual-equivalent income) for the gross already in the
// record, and nothing after them: no tax, no deductions (the annual one,
// contributi_annui, is in calcolo.h).
void contributi_mensili(RecordCalcolo& record, const InputCalcolo& input,
                        const RegoleCalcolo& regole, bool ordine_ricerca);

// The four deductions of the pass, before the cuneo fiscale: the total the
// trattamento integrativo compares with the gross tax, added in this order.
inline double detrazioni_del_passo(const RecordCalcolo& r) {
  return r.detrazione_dip + r.detrazione_dip_ulteriore + r.detrazione_coniuge +
         r.detrazione_coniuge_maggiorazione + r.detrazione_figli + r.detrazione_altri;
}

// By how much the gross tax exceeds the employee deduction less the
// reduction for `giorni` days: the whole trattamento integrativo of the
// first band is paid when this is above 0.
inline double eccedenza_integrativo(const RecordCalcolo& r, const RegoleTrattamentoIntegrativo& t,
                                    double giorni) {
  return r.irpef_lorda - (r.detrazione_dip - (t.riduzione * giorni) / 365);
}

// The regional and municipal surcharges of the pass, after the deductions:
// 0 when none is asked for or the IRPEF is not due.
void addizionali(RecordCalcolo& record, const InputCalcolo& input, bool mensile);

// A pass of the net-to-gross search on the trial gross `lordo`: the pass of
// the mode and the total of the deductions, never above the gross tax. The
// other inputs must already be in the record.
void passo_ricerca_record(RecordCalcolo& record, const InputCalcolo& input,
                          const RegoleCalcolo& regole, bool mensile, double lordo);

// The net-to-gross search on a working record that holds the inputs read
// (ricerca.cpp).
CalcoloSvolto ricerca_lordo(RecordCalcolo& record, const InputCalcolo& input,
                            const RegoleCalcolo& regole, bool mensile);

// A calculation refused because its figures overflow the range of a double.
CalcoloSvolto rifiuto_troppo_grandi();

}  // namespace zellora
