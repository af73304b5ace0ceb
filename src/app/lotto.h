// A whole staff in one run: one worker per row of a spreadsheet (CSV, comma
// or semicolon separated) or per line of JSON Lines, one result row per
// worker, in the input order. A bad row is reported with its number and its
// messages; every other row is still computed.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/numeri.h"

namespace zellora {

enum class FormatoLotto { csv, jsonl };

struct OpzioniLotto {
  FormatoLotto formato = FormatoLotto::csv;
  Locale locale = Locale::italiano();
  unsigned thread = 0;  // calculating threads; 0: one per core and one more
  // Called after each block of rows with the bytes of input read so far.
  std::function<void(std::uint64_t letti)> avanzamento;
};

// A row that was not calculated: its number and why.
struct RigaScartata {
  std::uint64_t riga = 0;
  std::string stato;  // "refused" or "invalid"
  std::string messaggi;
};

struct RiepilogoLotto {
  std::uint64_t lavoratori = 0;  // data rows read
  std::uint64_t rifiutati = 0;   // refused or invalid rows
  std::uint64_t irraggiungibili = 0;
  double totale_netto = 0;  // sum of "Netto in busta" as shown
  double totale_costo = 0;  // sum of "Costo del Lavoro" as shown
  std::vector<RigaScartata> scartate;
};

// The whole input cannot be taken (no header, an unknown column): nothing is
// calculated.
class ErroreLotto : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads every row of `in`, calculates each worker as `zellora-cli` would,
// and writes the result rows to `out`: for CSV the header row, then per
// worker its row number, status, messages, the 21 results texts
// (Form2.Text1 ... Form2.Text21) and the 36 figures of the record, with the
// input's separator; for JSON Lines one object per line.
RiepilogoLotto esegui_lotto(std::istream& in, std::ostream& out, const OpzioniLotto& opzioni);

}  // namespace zellora
