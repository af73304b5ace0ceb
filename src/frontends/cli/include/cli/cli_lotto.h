// `zellora-cli batch`: the command-line side of a whole-staff run (files,
// progress bar, summary, exit status).
#pragma once

#include <string>

#include "base/errore.h"
#include "base/lettura.h"
#include "form/normative.h"
#include "numbers/numeri.h"
#include "rules/caricamento.h"

namespace zellora {

struct ComandoLotto {
  std::string ingresso;  // CSV or JSON Lines file
  std::string uscita;    // empty or "-": standard output
  std::string formato;   // "csv", "jsonl" or empty (from the input's extension)
  unsigned thread = 0;
  Locale locale;
  const RegoleCalcolo* regole = nullptr;  // --rules FILE; nothing: each row's Combo4
  const ElencoNormative* normative = &ElencoNormative::incluse();  // what a row's Combo4 may name
  bool buste = false;  // --payslips: each worker's year of payslips (OpzioniLotto::buste)
};

// Runs the batch and prints the summary on standard error. Exit status: 0
// when every row was calculated, 1 when some rows were refused or invalid
// (all the others are still calculated and written), 2 when the input or the
// output cannot be used at all: the output names the input file, the input
// is a folder, cannot be opened or fails while being read, the output cannot
// be written (the system's reason is given, e.g. "No space left on device"),
// or the summary cannot be written to standard error.
//
// The output follows base/file_atomico.h: a regular file appears only when
// complete and keeps the permission bits of the file it replaces; a symbolic
// link is followed and stays; a FIFO or a device is written directly.
int esegui_comando_lotto(const ComandoLotto& richiesta);

// True when writing `uscita` would replace the input `ingresso` ("" or "-":
// standard input, by the file it was opened on): the same file by identity,
// also under another name or through a link. A terminal may be both.
bool stesso_file(const std::string& ingresso, const std::string& uscita);

// An input file as messages name it: quoted, or "standard input".
std::string nome_ingresso(const FileIngresso& file);

}  // namespace zellora
