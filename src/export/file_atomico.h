// Documents are written whole or not at all: the bytes go to a temporary file
// in the target's folder, which takes the target's name only once it is
// complete and closed. A failure leaves no partial file behind, and an
// existing file of the target's name stays as it was.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zellora {

class FileTemporaneo {
 public:
  // Writes `dati` to a new temporary file in `cartella`. On failure returns
  // nothing, leaves nothing and sets `errore` to the system's reason.
  static std::optional<FileTemporaneo> scrivi(const std::filesystem::path& cartella,
                                              std::string_view dati, std::string& errore);

  FileTemporaneo(FileTemporaneo&& altro) noexcept;
  FileTemporaneo& operator=(FileTemporaneo&&) = delete;
  FileTemporaneo(const FileTemporaneo&) = delete;
  FileTemporaneo& operator=(const FileTemporaneo&) = delete;
  // Removes the temporary file unless it was put in place.
  ~FileTemporaneo();

  const std::filesystem::path& percorso() const { return percorso_; }

  // Gives the file the name `file` (in the same folder), replacing a file of
  // that name. False, with the system's reason, when that cannot be done.
  bool sostituisci(const std::filesystem::path& file, std::string& errore);

  enum class Esito { fatto, esiste, errore };
  // Gives the file the name `file` only if nothing has that name yet; an
  // existing file is never replaced, even by another program racing for the
  // same name.
  Esito aggiungi(const std::filesystem::path& file, std::string& errore);

 private:
  explicit FileTemporaneo(std::filesystem::path percorso) : percorso_(std::move(percorso)) {}
  std::filesystem::path percorso_;  // empty once put in place
};

// Writes `dati` as `file`, replacing an existing file, through a temporary
// file beside it. Returns the system's reason on failure.
std::optional<std::string> scrivi_file(const std::filesystem::path& file, std::string_view dati);

// The folder a file lives in ("." for a bare file name).
std::filesystem::path cartella_di(const std::filesystem::path& file);

// A path as UTF-8 text, for messages.
std::string testo_percorso(const std::filesystem::path& file);

}  // namespace zellora
