#include "export/file_atomico.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <utility>

namespace zellora {

namespace fs = std::filesystem;

namespace {

// Opens a new file for writing; fails if the name is already taken.
std::FILE* crea_esclusivo(const fs::path& p) {
#ifdef _WIN32
  return _wfopen(p.c_str(), L"wbx");
#else
  return std::fopen(p.c_str(), "wbx");
#endif
}

std::string ragione(int numero) { return std::generic_category().message(numero); }

std::string nome_temporaneo() {
  static constexpr char cifre[] = "0123456789abcdef";
  std::random_device casuale;
  std::string nome = ".zellora-";
  for (int i = 0; i < 4; ++i) {
    unsigned int v = casuale();
    for (int j = 0; j < 4; ++j, v >>= 4) nome += cifre[v & 0xF];
  }
  return nome + ".tmp";
}

bool esiste(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found;
}

}  // namespace

fs::path cartella_di(const fs::path& file) {
  fs::path c = file.parent_path();
  return c.empty() ? fs::path(".") : c;
}

std::string testo_percorso(const fs::path& file) {
  const std::u8string u = file.u8string();
  return std::string(u.begin(), u.end());
}

std::optional<FileTemporaneo> FileTemporaneo::scrivi(const fs::path& cartella,
                                                     std::string_view dati, std::string& errore) {
  fs::path percorso;
  std::FILE* f = nullptr;
  for (int tentativo = 0; tentativo < 8 && f == nullptr; ++tentativo) {
    percorso = cartella / nome_temporaneo();
    errno = 0;
    f = crea_esclusivo(percorso);
    if (f == nullptr && errno != EEXIST) break;
  }
  if (f == nullptr) {
    errore = errno != 0 ? ragione(errno) : "cannot create a file";
    return std::nullopt;
  }
  errno = 0;
  const bool scritto = std::fwrite(dati.data(), 1, dati.size(), f) == dati.size() &&
                       std::fflush(f) == 0 && !std::ferror(f);
  const int errore_scrittura = errno;
  errno = 0;
  const bool chiuso = std::fclose(f) == 0;
  const int errore_chiusura = errno;
  if (!scritto || !chiuso) {
    const int numero = !scritto ? errore_scrittura : errore_chiusura;
    errore = numero != 0 ? ragione(numero) : "write error";
    std::error_code ec;
    fs::remove(percorso, ec);
    return std::nullopt;
  }
  return FileTemporaneo(std::move(percorso));
}

FileTemporaneo::FileTemporaneo(FileTemporaneo&& altro) noexcept
    : percorso_(std::exchange(altro.percorso_, {})) {}

FileTemporaneo::~FileTemporaneo() {
  if (!percorso_.empty()) {
    std::error_code ec;
    fs::remove(percorso_, ec);
  }
}

bool FileTemporaneo::sostituisci(const fs::path& file, std::string& errore) {
  std::error_code ec;
  fs::rename(percorso_, file, ec);
  if (ec) {
    errore = ec.message();
    return false;
  }
  percorso_.clear();
  return true;
}

FileTemporaneo::Esito FileTemporaneo::aggiungi(const fs::path& file, std::string& errore) {
  // A hard link is made only if the name is free, in one step.
  std::error_code ec;
  fs::create_hard_link(percorso_, file, ec);
  if (!ec) {
    fs::remove(percorso_, ec);
    percorso_.clear();
    return Esito::fatto;
  }
  if (ec == std::errc::file_exists) return Esito::esiste;
  // File systems without hard links: check the name, then rename.
  if (esiste(file)) return Esito::esiste;
  return sostituisci(file, errore) ? Esito::fatto : Esito::errore;
}

std::optional<std::string> scrivi_file(const fs::path& file, std::string_view dati) {
  std::string errore;
  std::optional<FileTemporaneo> t = FileTemporaneo::scrivi(cartella_di(file), dati, errore);
  if (!t || !t->sostituisci(file, errore)) return errore;
  return std::nullopt;
}

}  // namespace zellora
