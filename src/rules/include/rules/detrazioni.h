// The four IRPEF deductions, each in an annual and a monthly variant.
//
// The annual variants find their band from `imponibile_fiscale` and prorate
// by the days or months the operator entered; the monthly variants find
// their band from the annual-equivalent `imponibile_annuo` and take one
// month. Each writes only its own figures of the record.
#pragma once

#include "rules/record.h"
#include "rules/regole.h"

namespace zellora {

// The family situation of the input form, its texts already converted.
struct DatiFamiglia {
  double giorni = 365;            // "Giorni detrazione spettanti"
  bool coniuge_a_carico = false;  // "Coniuge a carico" is "Si"
  double mesi_coniuge = 12;       // "N.mesi coniuge carico"
  double figli = 0;               // "Figli a carico"
  double figli_minori = 0;        // "di cui minori di 3 anni"
  double quota_figli = 0;         // "%" of the children deduction
  double mesi_figli = 12;         // "N.mesi figli carico"
  double altri = 0;               // "Altri a carico"
  double quota_altri = 0;         // "%" of the other dependants deduction
  double mesi_altri = 12;         // "N.mesi altri carico"
};

// Employee-income deduction: `detrazione_dip`, `detrazione_dip_ulteriore`.
void detrazioni_dip_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                          const RegoleDetrazioneDipendente& regole);
void detrazioni_dip_mensile(RecordCalcolo& record, const RegoleDetrazioneDipendente& regole);

// Spouse deduction: `detrazione_coniuge`, `detrazione_coniuge_maggiorazione`.
void detrazioni_coniuge_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                              const RegoleDetrazioneConiuge& regole);
void detrazioni_coniuge_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia,
                                const RegoleDetrazioneConiuge& regole);

// Children deduction: `maggiorazione_figli_minori`, `detrazione_figli`.
void detrazioni_figli_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                            const RegoleDetrazioneFigli& regole);
void detrazioni_figli_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia,
                              const RegoleDetrazioneFigli& regole);

// The base amount and the income limit of `n` children, as the rule set's
// shape gives them; false for a count that has none (0 is handled by the
// caller).
bool base_figli(const RegoleDetrazioneFigli& regole, double n, double& base, double& limite);

// Other dependants deduction: `detrazione_altri`.
void detrazioni_altri_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                            const RegoleDetrazioneAltri& regole);
void detrazioni_altri_mensile(RecordCalcolo& record, const DatiFamiglia& famiglia,
                              const RegoleDetrazioneAltri& regole);

// The ratio (a - b) / d of a deduction formula. With `quattro_decimali` a
// ratio above zero is taken in its first four decimals (TUIR art. 13 c. 6),
// the digits of the exact decimal ratio of the amounts to the cent: 5.297,50
// / 13.000 is 0,4075, though the nearest double of that quotient lies below
// it. Without, exactly (a - b) / d.
double rapporto(double a, double b, double d, bool quattro_decimali);

// The amount of the band of `fasce` that holds `reddito`; 0 outside every
// band.
double importo_fascia(const ImportiFascia& fasce, double reddito);

// The largest amount of all the bands while `reddito` is not above their
// last upper bound, else 0: a bound of what the bands can still add as the
// income grows from `reddito`.
double importo_massimo_avanti(const ImportiFascia& fasce, double reddito);

}  // namespace zellora
