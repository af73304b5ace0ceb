// `zellora-cli batch`: the command-line side of a whole-staff run (files,
// progress bar, summary, exit status).
#pragma once

#include <string>

#include "engine/numeri.h"

namespace zellora {

struct RichiestaBatch {
  std::string ingresso;  // CSV or JSON Lines file
  std::string uscita;    // empty: standard output
  std::string formato;   // "csv", "jsonl" or empty (from the input's extension)
  unsigned thread = 0;
  Locale locale;
};

// Runs the batch and prints the summary on standard error. Exit status: 0
// when every row was calculated, 1 when some rows were refused or invalid
// (all the others are still calculated and written), 2 when the input or the
// output cannot be used at all.
int esegui_batch(const RichiestaBatch& richiesta);

}  // namespace zellora
