// Every file the programs write goes through here: batch results, the
// statement of `--export` and of "Esporta".
//
// A regular file (or a name not taken yet) is written whole or not at all:
// the bytes go to a temporary file in the target's folder, which takes the
// target's name only once it is complete, flushed to the disk and closed,
// and the folder is flushed after the rename, so that a power cut leaves
// either the old file or the new one. A failure leaves no partial file, and
// an existing file of the target's name stays as it was.
//
// What the target is decides how it is written:
// - a regular file: replaced as above; the new file keeps the old one's
//   permission bits and, where the process may set it, its owner and group;
// - a missing name: created as above, with the mode any program gives a new
//   file (0666 less the umask), or 0600 with Permessi::solo_utente;
// - a symbolic link: the file it points to (following every link) is written
//   as above and the link stays as the user made it; a link to a missing
//   name creates that name;
// - a FIFO, a terminal or another device: opened and written directly (no
//   temporary file, nothing renamed), so `-o /dev/null` or `-o FIFO` work as
//   the shell's `>` would;
// - a folder: refused.
//
// Temporary files are named ".zellora-XXXXXXXXXXXXXXXX.tmp" (16 hex digits).
// While one exists, SIGINT, SIGTERM and SIGHUP remove it before the program
// ends as the signal would end it (unless the signal was ignored when the
// first file was written). SIGXFSZ is ignored, so a file size limit makes the
// write fail with "File too large", reported with the file's name like any
// other write error. A temporary file that a killed run left (SIGKILL, a
// power cut) is removed by the next writer in that folder once it is older
// than a day: only regular files of this exact pattern owned by the same
// user.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "base/errore.h"

namespace zellora {

// The permission bits of a file written.
enum class Permessi {
  // New files as any program makes them (0666 less the umask); a replaced
  // file keeps its bits.
  predefiniti,
  // New files 0600, for figures that only the user should read; a replaced
  // file keeps its bits for the owner and loses those for group and others.
  solo_utente,
};

// Every error below is an Errore whose `dove` is the file (as the caller
// named it; for a temporary file not yet named, its folder; empty for
// standard output) and whose `ragione` is the system's reason.

// Installs the handlers described above (once per process; also done by the
// first file written). Programs call it early so that a size limit hit while
// writing to standard output is reported too.
void proteggi_scritture();

class FileTemporaneo {
 public:
  // Writes `dati` to a new temporary file in `cartella`. On failure returns
  // nothing, leaves nothing and sets `errore`.
  static std::optional<FileTemporaneo> scrivi(const std::filesystem::path& cartella,
                                              std::string_view dati, Errore& errore,
                                              Permessi permessi = Permessi::predefiniti);
  // An empty temporary file in `cartella`, to be filled through descrittore().
  static std::optional<FileTemporaneo> crea(const std::filesystem::path& cartella,
                                            Permessi permessi, Errore& errore);

  FileTemporaneo(FileTemporaneo&& altro) noexcept;
  FileTemporaneo& operator=(FileTemporaneo&&) = delete;
  FileTemporaneo(const FileTemporaneo&) = delete;
  FileTemporaneo& operator=(const FileTemporaneo&) = delete;
  // Removes the temporary file unless it was put in place.
  ~FileTemporaneo();

  const std::filesystem::path& percorso() const { return percorso_; }
  int descrittore() const { return fd_; }

  // Gives the file the name `file` (in the same folder), replacing a file of
  // that name and taking its permission bits and owner. False, with
  // `errore`, when that cannot be done; the old file then stays.
  bool sostituisci(const std::filesystem::path& file, Errore& errore);

  enum class Esito { fatto, esiste, errore };
  // Gives the file the name `file` only if nothing has that name yet; an
  // existing file is never replaced, even by another program racing for the
  // same name.
  Esito aggiungi(const std::filesystem::path& file, Errore& errore);

 private:
  FileTemporaneo(std::filesystem::path percorso, int fd, int posto, unsigned modo,
                 Permessi permessi)
      : percorso_(std::move(percorso)), fd_(fd), posto_(posto), modo_(modo), permessi_(permessi) {}
  // Flushes the data and the mode to the disk and closes the file.
  bool chiudi(unsigned modo, std::string& errore);
  void rilascia();

  std::filesystem::path percorso_;  // empty once put in place
  int fd_ = -1;
  int posto_ = -1;     // its entry in the list the signal handler removes
  unsigned modo_ = 0;  // the mode of a new file
  Permessi permessi_ = Permessi::predefiniti;
};

// A file written piece by piece through a std::ostream (the batch results),
// following the rules at the top of this file.
class ScritturaFile {
 public:
  // Opens `file` for writing. On failure returns nothing and sets `errore`;
  // nothing is created.
  static std::unique_ptr<ScritturaFile> apri(const std::filesystem::path& file, Errore& errore,
                                             Permessi permessi = Permessi::predefiniti);
  // Standard output, written directly and never closed.
  static std::unique_ptr<ScritturaFile> uscita_standard();

  ~ScritturaFile();  // a file not completed is dropped (its temporary removed)
  ScritturaFile(const ScritturaFile&) = delete;
  ScritturaFile& operator=(const ScritturaFile&) = delete;

  std::ostream& flusso();
  // Writes everything still buffered and puts the file in place. False, with
  // `errore` (of the first write that failed, if one did).
  bool completa(Errore& errore);
  // Why the first failed write failed; nothing while all went well.
  const std::optional<Errore>& errore_scrittura() const;

  struct Stato;

 private:
  explicit ScritturaFile(std::unique_ptr<Stato> stato);
  std::unique_ptr<Stato> stato_;
};

// Writes `dati` as `file` with ScritturaFile. Returns the error on failure.
std::optional<Errore> scrivi_file(const std::filesystem::path& file, std::string_view dati,
                                  Permessi permessi = Permessi::predefiniti);

// The folder a file lives in ("." for a bare file name).
std::filesystem::path cartella_di(const std::filesystem::path& file);

// A path as UTF-8 text, for messages.
std::string testo_percorso(const std::filesystem::path& file);

}  // namespace zellora
