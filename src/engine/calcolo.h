// The pay calculations: the annual and the monthly pass over the calculation
// record, in both directions (gross to net, and net to gross by a search
// over whole euros).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "deductions/detrazioni.h"
#include "engine/numeri.h"
#include "engine/record.h"

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
  bool lordo_netto = true;  // "Dal lordo al netto"
  double mensilita = 14;    // "Numero mensilità retribuite" (monthly mode)
  DatiFamiglia famiglia;
};

// How a calculation ended.
enum class Stato {
  ok,               // calculated
  rifiutato,        // refused before anything was written
  irraggiungibile,  // net to gross: the search, going up from the net, found no whole
                    // gross whose net shown is the net wanted
};

struct EsitoRicerca {
  std::int64_t passaggi = 0;  // passes made
  bool esatta = false;        // the gross found shows exactly the net wanted
};

struct EsitoCalcolo {
  Stato stato = Stato::ok;
  bool campi_vuoti = false;  // refused by the empty-field warning
  std::vector<std::string> messaggi;
  bool ricerca_svolta = false;
  EsitoRicerca ricerca;
};

// Most passes a net-to-gross search makes before it gives up. Ordinary
// searches take a few dozen passes, since they skip the grosses that cannot
// reach the net; only inputs that rule the skipping out (negative counts,
// months or shares, an INAIL floor above its ceiling) walk euro by euro.
inline constexpr std::int64_t passaggi_massimi = 5'000'000;

// One annual pass for the gross and inputs already in the record.
void passo_annuo(RecordCalcolo& record, const InputCalcolo& input);

// One monthly pass. In the net-to-gross search the INAIL withholding is
// subtracted before the other contributions in the taxable income.
void passo_mensile(RecordCalcolo& record, const InputCalcolo& input, bool ordine_ricerca = false);

// The pay before tax that the net of a search pass starts from: the gross
// less the worker's contributions, in the order of the mode (in a month the
// INAIL withholding before the other contributions).
double netto_prima_delle_imposte(const RecordCalcolo& record, bool mensile);

// One pass of the net-to-gross search on the trial gross `lordo`: the pass of
// the mode, the total of the deductions (never above the gross tax) and the
// net it gives: the "Netto in busta" that the results window shows for it, in
// whole euros (not a number when a figure cannot be shown). The search
// compares that net with the net wanted, so a net found is the net shown.
// The other inputs must already be in the record.
double passo_ricerca(RecordCalcolo& record, const InputCalcolo& input, bool mensile, double lordo);

// The annual and the monthly calculation: the inputs are read into the
// record, then one pass (gross to net) or the search (net to gross). The
// record is written only when the calculation completes; a calculation that
// overflows the range of a double is refused and writes nothing. `locale`
// formats the figures of the operator's messages.
EsitoCalcolo calcola_irpef_annua(RecordCalcolo& record, const InputCalcolo& input,
                                 const Locale& locale);
EsitoCalcolo calcola_mensile(RecordCalcolo& record, const InputCalcolo& input,
                             const Locale& locale);

}  // namespace zellora
