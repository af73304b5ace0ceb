// Every file the programs read goes through here: the request of
// zellora-cli, the staff sheet of a batch, a rule set file, the skin of the
// windows and the files it names.
//
// Each kind of input has a size that no real file of its kind comes near.
// The bytes are counted as they come and the reading stops at the limit, so
// that a device without end (/dev/zero), a FIFO fed forever or a file that
// grows while it is read cannot take the memory. The size that the system
// reports is never trusted: a device reports 0.
//
// A name "" or "-" is standard input. A folder is refused before anything is
// read; a FIFO or a device is read as the shell's `<` would read it (a FIFO
// waits for its writer), unless only regular files are wanted, in which case
// anything else is refused before it is opened, so that the reader never
// waits.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "base/errore.h"

namespace zellora {

// The most a kind of input may hold, and what it is called in the message
// that refuses a larger one ("more than any rule set").
struct LimiteLettura {
  std::uint64_t byte = UINT64_MAX;
  std::string_view cosa;
};

inline constexpr std::uint64_t un_mebibyte = std::uint64_t{1} << 20;

// A request of zellora-cli: a few hundred bytes; as much as a line of JSON
// Lines in a batch may hold.
inline constexpr LimiteLettura limite_richiesta{un_mebibyte, "request"};
// A rule set: about 20 KB for a year of law.
inline constexpr LimiteLettura limite_regole{un_mebibyte, "rule set"};
// The skin of the windows: a style sheet of a few KB.
inline constexpr LimiteLettura limite_skin{un_mebibyte, "skin"};
// A file the skin names: an image of a background, a border or an icon.
inline constexpr LimiteLettura limite_file_skin{16 * un_mebibyte, "image of a skin"};
// A staff sheet is read as a stream, row by row, and has no limit of its
// own: the batch bounds a cell, a line and a row instead.
inline constexpr LimiteLettura senza_limite{UINT64_MAX, "file"};

// The reason given for an input past its limit: "it holds more than 1 MiB
// (1048576 bytes), more than any rule set".
std::string oltre_il_limite(const LimiteLettura& limite);

// A file opened for reading as a stream, with the limit checked as the bytes
// come. A read error, or the limit passed, ends the stream as the end of the
// file would; errore() then says which.
class FileIngresso : private std::streambuf {
 public:
  // Opens `nome` ("" or "-": standard input, unless `solo_file_regolari`).
  // A folder, a file that cannot be opened and, with `solo_file_regolari`,
  // anything but a regular file are refused: nothing, and `errore` with
  // `dove` the name as given and `ragione` the reason.
  static std::unique_ptr<FileIngresso> apri(const std::string& nome, Errore& errore,
                                            const LimiteLettura& limite = senza_limite,
                                            bool solo_file_regolari = false);
  ~FileIngresso() override;
  FileIngresso(const FileIngresso&) = delete;
  FileIngresso& operator=(const FileIngresso&) = delete;

  std::istream& flusso() { return flusso_; }
  // Why the reading stopped early: the system's reason of a read error, or
  // the limit passed; empty while reading went well.
  const std::string& errore() const { return errore_; }
  // The name as given; empty for standard input.
  const std::string& nome() const { return nome_; }
  // Bytes read so far.
  std::uint64_t letti() const { return letti_; }

 private:
  FileIngresso(std::FILE* file, std::string nome, const LimiteLettura& limite);
  int_type underflow() override;

  std::FILE* file_;
  std::string nome_;
  LimiteLettura limite_;
  std::vector<char> buffer_;
  std::uint64_t letti_ = 0;
  std::string errore_;
  std::istream flusso_;
};

// The whole of `nome` ("" or "-": standard input) in memory, at most
// `limite.byte` bytes. Nothing, with `errore` (`dove` the name as given,
// `ragione` the reason), when it cannot be opened or read whole, or holds
// more than the limit.
std::optional<std::string> leggi_file(const std::string& nome, const LimiteLettura& limite,
                                      Errore& errore, bool solo_file_regolari = false);

}  // namespace zellora
