// A whole staff in one run: one worker per row of a spreadsheet (CSV, comma
// or semicolon separated) or per line of JSON Lines, one result row per
// worker, in the input order. A bad row is reported with its number and its
// messages; every other row is still computed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/errore.h"
#include "cli/richiesta.h"
#include "form/normative.h"
#include "numbers/numeri.h"
#include "rules/caricamento.h"

namespace zellora {

enum class FormatoLotto { csv, jsonl };

struct OpzioniLotto {
  // The format of the input, and of the results unless formato_uscita says
  // otherwise.
  FormatoLotto formato = FormatoLotto::csv;
  // The input's format from its first character that is not blank instead:
  // '{' is JSON Lines, anything else CSV.
  bool riconosci_formato = false;
  std::optional<FormatoLotto> formato_uscita;
  Locale locale = Locale::italiano();
  // The rule set of every row (--rules); nothing: each row's "Combo4".
  const RegoleCalcolo* regole = nullptr;
  // The rule sets a row's "Combo4" may name.
  const ElencoNormative* normative = &ElencoNormative::incluse();
  unsigned thread = 0;  // calculating threads; 0: one per core and one more
  // Called after each block of rows with the bytes of input read so far.
  std::function<void(std::uint64_t letti)> avanzamento;
  // The language of the messages of the rows the batch cannot take (their
  // texts in the results) and of ErroreLotto; a refused calculation's
  // messages are the form's, always Italian.
  Lingua lingua = Lingua::inglese;
  // Each worker's year of payslips (form/buste_paga.h) instead of the
  // calculation: the year's choices from the columns payslips.KEY (the keys
  // of campi_buste) or a line's "payslips" object.
  bool buste = false;
};

// A row that was not calculated: its number and why.
struct RigaScartata {
  std::uint64_t riga = 0;
  std::string stato;  // "refused" or "invalid"
  std::string messaggi;
};

// How many refused rows the summary lists; the others are only counted.
inline constexpr std::size_t scartate_conservate = 20;

struct RiepilogoLotto {
  std::uint64_t lavoratori = 0;  // data rows read
  std::uint64_t rifiutati = 0;   // refused or invalid rows
  std::uint64_t irraggiungibili = 0;
  double totale_netto = 0;  // sum of "Netto in busta" as shown (of the year's payslips)
  double totale_costo = 0;  // sum of "Costo del Lavoro" as shown (none for payslips)
  // A run of years of payslips (OpzioniLotto::buste), and the lines of the
  // years it wrote (payslips and adjustments; none for a worker refused).
  bool buste_paga = false;
  std::uint64_t buste = 0;
  // The first scartate_conservate refused rows, in input order; the other
  // rifiutati - scartate.size() are in the output only.
  std::vector<RigaScartata> scartate;
};

// The summary of a run as `zellora-cli batch` prints it on standard error
// (in English) and the page shows it (in Italian): the refused rows kept,
// how many more, the counts and the two totals in the locale's format.
std::string testo_riepilogo(const RiepilogoLotto& riepilogo, const Locale& locale,
                            Lingua lingua = Lingua::inglese);

// The most bytes one cell of a CSV row, or one line of JSON Lines, may hold
// (1 MiB). A longer one refuses its row, naming the column, and is not kept.
inline constexpr std::size_t limite_cella = std::size_t{1} << 20;
// The most bytes the header row of a CSV sheet may take (1 MiB), and a row
// or a line (64 MiB: more than the named columns can hold, each at most a
// cell's limit). Past either the input is not a sheet: ErroreLotto, and the
// run stops, rather than reading on for the end of a row that never comes.
inline constexpr std::uint64_t limite_intestazione = std::uint64_t{1} << 20;
inline constexpr std::uint64_t limite_riga = std::uint64_t{64} << 20;

// The whole input cannot be taken (no header, an unknown column): nothing is
// calculated. The program's one error type, as a request's; `dove` is the
// row and cell where the input can no longer be split, when that is what
// went wrong.
using ErroreLotto = ErroreRichiesta;

// Reads every row of `in`, calculates each worker as `zellora-cli` would,
// and writes the result rows to `out`: for CSV the header row, then per
// worker its row number, status, messages, the results texts of the rows
// of rules/righe.h (Form2.Text1 ... Form2.Text21, to Text24 for a sheet of
// today's law, to Text26 when the sheet has the surcharges' columns), the
// figures of the record (36; 39 for a sheet of today's law; 41 with the two
// surcharges) in plain decimals, and the name of the rule
// set of the row (`rules`; empty for an invalid row without --rules), with
// the input's separator (from JSON Lines, ';' where the locale's decimal
// sign is ',', else ','; and the columns of today's law unless --rules gives
// a rule set of 2007's kind); for JSON Lines one object per line, with
// `rules` last (null where the CSV cell is empty).
//
// The CSV separator is ';' when the header holds one, else ','; a header of
// one cell is a sheet of one column (written back with ';' where the locale's
// decimal sign is ',', else with ','). A header cell without a name is an
// unused column: its cells must be empty, and may be missing at the end of a
// row. A row with more cells than the header is refused, and what it holds
// past the header's width is not kept. A quoted cell that is never closed
// leaves the rest of the input without rows: ErroreLotto, naming the row and
// line where it opens. Every text written is valid UTF-8.
//
// With OpzioniLotto::buste each worker's year of payslips instead, for CSV
// one row per line of the year: `row`, `status`, `messages` (the form's, then
// what the operator is told of last year's surcharges), the month, the kind
// and the figures of `zellora-cli payslips --format csv`, and `rules`; a
// worker without a year (refused, invalid) is one row with its messages and
// the figures' cells empty. For JSON Lines one object per worker: `row`,
// `status`, `messages`, the members of `zellora-cli payslips --format json`
// from `notes` on, and `rules` last. The choices of the year are the texts
// of a form (form/testi_buste.h), refused with the form's message naming the
// field; a column payslips.KEY without OpzioniLotto::buste is ErroreLotto.
RiepilogoLotto esegui_lotto(std::istream& in, std::ostream& out, const OpzioniLotto& opzioni);

}  // namespace zellora
