// The pay calculations: the annual and the monthly pass over the calculation
// record, in both directions (gross to net, and net to gross by a search
// over whole euros).
#pragma once

#include <cstdint>
#include <optional>

#include "rules/comunali.h"
#include "rules/detrazioni.h"
#include "rules/record.h"
#include "rules/regole.h"

namespace zellora {

// The inputs of a calculation, the form's texts already converted.
struct InputCalcolo {
  double retribuzione = 0;  // "Retribuzione / Compenso" (gross, or the net wanted)
  double benefit = 0;       // "Valore Convenzionale benefit"
  double trattenuta = 0;    // "Trattenuta non deducibile"
  double competenza = 0;    // "Competenza non imponibile"
  bool percentuale = true;  // "Valori in %" rather than "Valori Importo Fisso"
  double altri_dip = 0;     // "A carico Dipendente", percent or amount
  double altri_az = 0;      // "A carico Azienda", percent or amount
  double tasso_inail = 0;   // per thousand
  bool irap = false;        // IRAP asked for
  bool cuneo = true;        // the worker's category has the cuneo fiscale (employees)
  bool lordo_netto = true;  // "Dal lordo al netto"
  double mensilita = 14;    // "Numero mensilità retribuite" (monthly mode)
  DatiFamiglia famiglia;
  // The surcharges asked for: the region's rule (of the rule set in use,
  // which must outlive the calculation) or the one rate typed in its place,
  // and the comune's rule, or the rule typed in its place. None: both
  // surcharges are 0.
  const RegolaRegionale* regione = nullptr;
  std::optional<RegolaRegionale> regione_digitata;
  std::optional<RegolaComunale> comune;

  // The regional rule the calculation applies: the typed one first.
  const RegolaRegionale* regola_regionale() const {
    return regione_digitata ? &*regione_digitata : regione;
  }
};

// How a calculation ended.
enum class Stato {
  ok,               // calculated
  rifiutato,        // refused before anything was written
  irraggiungibile,  // net to gross: no whole gross, from where the search starts up to a
                    // thousand billion euro, shows the net wanted
};

// Why a calculation was refused.
enum class Rifiuto {
  nessuno,
  netto_negativo,  // a net wanted below zero
  troppo_grandi,   // the figures overflow the range of a double
};

// How a net-to-gross search ended.
enum class FineRicerca {
  esatta,              // the gross found shows the net wanted
  superato_dal_netto,  // already the gross equal to the net shows more
  superato,            // the net shown jumps over the net wanted, and no higher gross gives it
  ferma,               // the withholdings and taxes take each further euro: the net cannot grow
  interrotta,          // the search gave up (passes, or a gross beyond a thousand billion euro)
};

struct EsitoRicerca {
  std::int64_t passaggi = 0;  // passes made
  bool esatta = false;        // the gross found shows exactly the net wanted
  FineRicerca fine = FineRicerca::esatta;
  double obiettivo = 0;        // the net wanted, in whole euros
  double lordo = 0;            // the gross shown: found, or the last tried, or the start
  double netto_raggiunto = 0;  // the net that gross shows (not a number if it cannot be shown)
  bool da_zero = false;        // the walk started at a gross of 0, not at the net
  // Where the net stops growing (`ferma`): what takes each further euro of
  // gross, as shares of it: the worker's contributions, the net IRPEF (less
  // the tax-free sum and the trattamento integrativo), the surcharges.
  double quota_ritenute = 0;
  double quota_irpef = 0;
  double quota_addizionali = 0;
};

// What a calculation did, before any word is said of it to the operator.
struct CalcoloSvolto {
  Stato stato = Stato::ok;
  Rifiuto rifiuto = Rifiuto::nessuno;
  bool ricerca_svolta = false;
  EsitoRicerca ricerca;
};

// Most passes a net-to-gross search makes before it gives up. Searches take
// a few passes, rarely a few dozen, and never more than about a hundred for
// the counts of dependants the checks accept: the search passes over whole
// stretches of grosses between the limits of the rule set, and tries the
// grosses one by one only where the net shown can be the net wanted, one or
// two where the net rises by cents per euro. Where it is nearly flat (other
// contributions of 90,80999 % beside an INPS rate of 9,19 %: a net that rises
// by a ten-millionth of a euro per euro of gross) the first gross that shows
// the net wanted is a matter of the cents of each figure, and finding it
// would take half a million passes: the search gives up and says so.
inline constexpr std::int64_t passaggi_massimi = 1'000;

// One annual pass for the gross and inputs already in the record.
void passo_annuo(RecordCalcolo& record, const InputCalcolo& input, const RegoleCalcolo& regole);

// The annual pass after the contributions, on the taxable income already in
// the record: the gross tax, the deductions, the cuneo fiscale and the
// trattamento integrativo, the surcharges.
void imposte_annue(RecordCalcolo& record, const InputCalcolo& input, const RegoleCalcolo& regole);

// The contributions and the taxable income of the annual pass, for the
// gross already in the record.
void contributi_annui(RecordCalcolo& record, const InputCalcolo& input,
                      const RegoleCalcolo& regole);

// One monthly pass. In the net-to-gross search the INAIL withholding is
// subtracted before the other contributions in the taxable income.
void passo_mensile(RecordCalcolo& record, const InputCalcolo& input, const RegoleCalcolo& regole,
                   bool ordine_ricerca = false);

// The pay before tax that the net of a search pass starts from: the gross
// less the worker's contributions, in the order of the mode (in a month the
// INAIL withholding before the other contributions).
double netto_prima_delle_imposte(const RecordCalcolo& record, bool mensile);

// One pass of the net-to-gross search on the trial gross `lordo`: the pass of
// the mode, the total of the deductions (never above the gross tax) and the
// net it shows (`netto_mostrato`, cifre.h). The other inputs must already be
// in the record.
double passo_ricerca(RecordCalcolo& record, const InputCalcolo& input, const RegoleCalcolo& regole,
                     bool mensile, double lordo);

// The annual and the monthly calculation: the inputs are read into the
// record, then one pass (gross to net) or the search (net to gross), under
// the rule set `regole`. The
// record is written only when the calculation completes; a calculation that
// overflows the range of a double is refused and writes nothing.
CalcoloSvolto calcola_annuo(RecordCalcolo& record, const InputCalcolo& input,
                            const RegoleCalcolo& regole);
CalcoloSvolto calcola_mese(RecordCalcolo& record, const InputCalcolo& input,
                           const RegoleCalcolo& regole);

}  // namespace zellora
