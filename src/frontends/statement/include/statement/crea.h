// "Esporta" of the results window: the statement as a new Word document,
// opened with the desktop's default application. Each export leaves one more
// document; none is ever overwritten, saved over or deleted by the program.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

#include "base/errore.h"
#include "form/buste_paga.h"
#include "form/campi_form.h"
#include "form/risultati.h"
#include "numbers/numeri.h"

namespace zellora {

// Opens a finished document with the desktop's default application.
class ApertoreDocumenti {
 public:
  virtual ~ApertoreDocumenti() = default;
  // True when the desktop accepted the request; otherwise `errore` says why.
  virtual bool apri(const std::filesystem::path& file, std::string& errore) = 0;
};

// The error numbers shown to the operator when an export fails.
inline constexpr int errore_prospetto_rifiutato = 1;  // monthly cost of labour unreadable
inline constexpr int errore_scrittura = 2;            // folder missing or not writable, disk full
inline constexpr int errore_apertura = 3;             // written, but no application would open it

struct EsitoEsportazione {
  bool riuscita = false;
  int numero = 0;              // error number shown to the operator, 0 on success
  Errore errore;               // what went wrong: the file and the system's reason
  std::filesystem::path file;  // the document written
};

// The folder where "Esporta" writes, for the user alone: "Zellora" in the
// user's documents folder `documenti`, made (with any missing parent, each
// 0700) when missing; an existing one is taken as it is. When it cannot be
// made, a new private folder (0700, unpredictable name) in `temporanea`,
// and `errore` says why the documents folder was not used, so that the user
// can be told. Empty, with `errore` saying why, when neither can be had;
// `errore` is empty when the documents folder is used.
std::filesystem::path cartella_prospetti(const std::filesystem::path& documenti,
                                         const std::filesystem::path& temporanea,
                                         std::string& errore);

// "Esporta": writes the statement as a new DOCX, readable and writable by
// its owner only (0600), in `cartella` (the window passes the user's folder
// of statements, see cartella_prospetti), named
// "Prospetto Zellora YYYY-MM-DD HH.MM.SS.docx" from the local time, never
// overwriting an earlier file (" (2)", " (3)"... before the extension), then
// asks `apertore` to open it.
//
// With `campi`, the input form's fields of the calculation, the statement
// lists its inputs and the day (statement/prospetto.h, CalcoloProspetto);
// with `buste`, a year of payslips of the same calculation, it ends with the
// year (sezione_buste).
//
// On failure nothing is left behind, except when only the opening failed: the
// document is then complete, `file` names it and the description says where
// it is.
EsitoEsportazione Crea(const Risultati& risultati, bool mensile, const Locale& locale,
                       const std::filesystem::path& cartella, ApertoreDocumenti& apertore,
                       const CampiForm1* campi = nullptr, const EsitoBuste* buste = nullptr);

// The same at a given moment, whose local time names the file and dates the
// statement.
EsitoEsportazione Crea(const Risultati& risultati, bool mensile, const Locale& locale,
                       const std::filesystem::path& cartella, ApertoreDocumenti& apertore,
                       std::chrono::system_clock::time_point quando,
                       const CampiForm1* campi = nullptr, const EsitoBuste* buste = nullptr);

// The day of `quando` in local time, as the statement writes it: "08/12/2026".
std::string data_prospetto(std::chrono::system_clock::time_point quando);

}  // namespace zellora
