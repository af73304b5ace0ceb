// `zellora-cli batch`: the command-line side of a whole-staff run (files,
// progress bar, summary, exit status), and the reading of input files that
// the one-worker run shares with it.
#pragma once

#include <istream>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "numbers/numeri.h"
#include "rules/caricamento.h"
#include "rules/errore.h"

namespace zellora {

struct RichiestaBatch {
  std::string ingresso;  // CSV or JSON Lines file
  std::string uscita;    // empty or "-": standard output
  std::string formato;   // "csv", "jsonl" or empty (from the input's extension)
  unsigned thread = 0;
  Locale locale;
  const RegoleCalcolo* regole = nullptr;  // --rules FILE; nothing: each row's Combo4
};

// Runs the batch and prints the summary on standard error. Exit status: 0
// when every row was calculated, 1 when some rows were refused or invalid
// (all the others are still calculated and written), 2 when the input or the
// output cannot be used at all: the output names the input file, the input
// is a folder, cannot be opened or fails while being read, the output cannot
// be written (the system's reason is given, e.g. "No space left on device"),
// or the summary cannot be written to standard error.
//
// The output follows export/file_atomico.h: a regular file appears only when
// complete and keeps the permission bits of the file it replaces; a symbolic
// link is followed and stays; a FIFO or a device is written directly.
int esegui_batch(const RichiestaBatch& richiesta);

// A file opened for reading ("" or "-": standard input). A folder or a file
// that cannot be opened is refused (`dove` the name as given, `ragione` the
// system's reason); a read error
// ends the stream as the end of the file would and is kept in errore().
class FileIngresso : private std::streambuf {
 public:
  static std::unique_ptr<FileIngresso> apri(const std::string& nome, Errore& errore);
  ~FileIngresso() override;
  FileIngresso(const FileIngresso&) = delete;
  FileIngresso& operator=(const FileIngresso&) = delete;

  std::istream& flusso() { return flusso_; }
  // The system's reason of a read error; empty while reading went well.
  const std::string& errore() const { return errore_; }
  // The name for messages: the file's, or "standard input".
  std::string nome() const;

 private:
  FileIngresso(int fd, std::string nome);
  int_type underflow() override;

  int fd_;
  std::string nome_;
  std::vector<char> buffer_;
  std::string errore_;
  std::istream flusso_;
};

}  // namespace zellora
