#include "base/lettura.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace zellora {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t blocco = std::size_t{1} << 16;

std::string ragione(int numero) {
  return numero != 0 ? std::generic_category().message(numero) : "read error";
}

std::FILE* apri_file(const std::string& nome) {
#ifdef _WIN32
  return _wfopen(fs::path(nome).c_str(), L"rb");
#else
  return std::fopen(nome.c_str(), "rb");
#endif
}

std::FILE* ingresso_standard() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  return stdin;
}

}  // namespace

std::string oltre_il_limite(const LimiteLettura& limite) {
  std::string s = "it holds more than ";
  if (limite.byte % un_mebibyte == 0) {
    s += std::to_string(limite.byte / un_mebibyte) + " MiB (" + std::to_string(limite.byte) +
         " bytes)";
  } else {
    s += std::to_string(limite.byte) + " bytes";
  }
  s += ", more than any ";
  s += limite.cosa;
  return s;
}

std::unique_ptr<FileIngresso> FileIngresso::apri(const std::string& nome, Errore& errore,
                                                 const LimiteLettura& limite,
                                                 bool solo_file_regolari) {
  errore.dove = nome;
  if (!solo_file_regolari && (nome.empty() || nome == "-")) {
    return std::unique_ptr<FileIngresso>(new FileIngresso(ingresso_standard(), {}, limite));
  }
  // Looked at before it is opened: opening a FIFO waits for its writer.
  std::error_code ec;
  const fs::file_status stato = fs::status(fs::path(nome), ec);
  if (stato.type() == fs::file_type::directory) {
    errore.ragione = "it is a folder, not a file";
    return nullptr;
  }
  if (solo_file_regolari && (ec || stato.type() != fs::file_type::regular)) {
    errore.ragione = ec ? ec.message() : "not a regular file";
    return nullptr;
  }
  errno = 0;
  std::FILE* f = apri_file(nome);
  if (f == nullptr) {
    errore.ragione = ragione(errno);
    return nullptr;
  }
  return std::unique_ptr<FileIngresso>(new FileIngresso(f, nome, limite));
}

FileIngresso::FileIngresso(std::FILE* file, std::string nome, const LimiteLettura& limite)
    : file_(file), nome_(std::move(nome)), limite_(limite), buffer_(blocco), flusso_(this) {}

FileIngresso::~FileIngresso() {
  if (file_ != stdin) std::fclose(file_);
}

FileIngresso::int_type FileIngresso::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (!errore_.empty()) return traits_type::eof();
  // One byte more than the limit allows tells a file of exactly the limit
  // from a larger one.
  // letti_ never passes the limit while the reading goes on.
  std::size_t quanto = buffer_.size();
  if (limite_.byte - letti_ < quanto) quanto = static_cast<std::size_t>(limite_.byte - letti_) + 1;
  errno = 0;
  const std::size_t n = std::fread(buffer_.data(), 1, quanto, file_);
  if (n == 0) {
    if (std::ferror(file_) != 0) errore_ = ragione(errno);
    return traits_type::eof();
  }
  letti_ += n;
  if (letti_ > limite_.byte) {
    errore_ = oltre_il_limite(limite_);
    return traits_type::eof();
  }
  setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
  return traits_type::to_int_type(*gptr());
}

std::optional<std::string> leggi_file(const std::string& nome, const LimiteLettura& limite,
                                      Errore& errore, bool solo_file_regolari) {
  const std::unique_ptr<FileIngresso> f =
      FileIngresso::apri(nome, errore, limite, solo_file_regolari);
  if (!f) return std::nullopt;
  std::string testo;
  char pezzo[blocco];
  while (f->flusso().read(pezzo, sizeof pezzo) || f->flusso().gcount() > 0) {
    testo.append(pezzo, static_cast<std::size_t>(f->flusso().gcount()));
  }
  if (!f->errore().empty()) {
    errore.ragione = f->errore();
    return std::nullopt;
  }
  return testo;
}

}  // namespace zellora
