#include "base/file_atomico.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <streambuf>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

namespace zellora {

namespace fs = std::filesystem;

namespace {

std::string ragione(int numero) {
  return numero != 0 ? std::generic_category().message(numero) : "write error";
}

#ifdef _WIN32
// Windows: no owners, no FIFOs, no folder flush; the same steps otherwise.
using stat_t = struct _stat64;
int apri_nuovo(const fs::path& p, int modo) {
  return _wopen(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, modo & 0600);
}
int apri_diretto(const fs::path& p) { return _wopen(p.c_str(), _O_WRONLY | _O_BINARY); }
long scrivi_fd(int fd, const char* dati, std::size_t n) {
  return _write(fd, dati, static_cast<unsigned>(n));
}
int chiudi_fd(int fd) { return _close(fd); }
int sincronizza(int fd) { return _commit(fd); }
int stat_fd(int fd, stat_t* s) { return _fstat64(fd, s); }
void imposta_modo(int, unsigned) {}
void imposta_proprietario(int, const stat_t&) {}
void sincronizza_cartella(const fs::path&) {}
void rimuovi_vecchi(const fs::path&) {}
int rimuovi(const char* p) { return std::remove(p); }
bool regolare(const stat_t& s) { return (s.st_mode & _S_IFMT) == _S_IFREG; }
bool cartella(const stat_t& s) { return (s.st_mode & _S_IFMT) == _S_IFDIR; }
#else
using stat_t = struct stat;
int apri_nuovo(const fs::path& p, int modo) {
  return ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, modo);
}
// No O_CREAT: a name that vanished since it was looked at is an error, not a
// regular file made without a temporary.
int apri_diretto(const fs::path& p) { return ::open(p.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY); }
long scrivi_fd(int fd, const char* dati, std::size_t n) { return ::write(fd, dati, n); }
int chiudi_fd(int fd) { return ::close(fd); }
int sincronizza(int fd) { return ::fsync(fd); }
int stat_fd(int fd, stat_t* s) { return ::fstat(fd, s); }
bool regolare(const stat_t& s) { return S_ISREG(s.st_mode); }
bool cartella(const stat_t& s) { return S_ISDIR(s.st_mode); }
int rimuovi(const char* p) { return ::unlink(p); }
void imposta_modo(int fd, unsigned modo) { (void)::fchmod(fd, static_cast<mode_t>(modo)); }
// Only where the process may: a user who replaces someone else's file in a
// folder of theirs becomes its owner, as with any editor that saves by
// rename.
void imposta_proprietario(int fd, const stat_t& vecchio) {
  stat_t s{};
  if (::fstat(fd, &s) != 0) return;
  if (s.st_uid == vecchio.st_uid && s.st_gid == vecchio.st_gid) return;
  if (::fchown(fd, vecchio.st_uid, vecchio.st_gid) != 0) {
    (void)::fchown(fd, static_cast<uid_t>(-1), vecchio.st_gid);  // the group may still be allowed
  }
}
// So that the rename is on the disk too.
void sincronizza_cartella(const fs::path& c) {
  const int fd = ::open(c.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}
#endif

constexpr char prefisso[] = ".zellora-";
constexpr char suffisso[] = ".tmp";
constexpr std::size_t cifre_nome = 16;

std::string nome_temporaneo() {
  static constexpr char cifre[] = "0123456789abcdef";
  std::random_device casuale;
  std::string nome = prefisso;
  for (int i = 0; i < 4; ++i) {
    unsigned int v = casuale();
    for (int j = 0; j < 4; ++j, v >>= 4) nome += cifre[v & 0xF];
  }
  return nome + suffisso;
}

bool nome_di_temporaneo(const char* nome) {
  const std::size_t n = std::strlen(nome);
  const std::size_t p = sizeof prefisso - 1;
  const std::size_t s = sizeof suffisso - 1;
  if (n != p + cifre_nome + s) return false;
  if (std::strncmp(nome, prefisso, p) != 0 || std::strcmp(nome + p + cifre_nome, suffisso) != 0) {
    return false;
  }
  for (std::size_t i = p; i < p + cifre_nome; ++i) {
    const char c = nome[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

#ifndef _WIN32
// Temporary files a killed run left: older than a day, ours, regular.
void rimuovi_vecchi(const fs::path& c) {
  const int fd = ::open(c.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* d = ::fdopendir(fd);
  if (d == nullptr) {
    ::close(fd);
    return;
  }
  const std::time_t limite = std::time(nullptr) - 24 * 60 * 60;
  while (const dirent* voce = ::readdir(d)) {
    if (!nome_di_temporaneo(voce->d_name)) continue;
    struct stat s {};
    if (::fstatat(fd, voce->d_name, &s, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(s.st_mode) || s.st_uid != ::geteuid() || s.st_mtime >= limite) continue;
    (void)::unlinkat(fd, voce->d_name, 0);
  }
  ::closedir(d);
}
#endif

// The temporary files that exist now, for the signal handler: fixed buffers
// that it reads without allocating.
constexpr int posti = 8;
constexpr std::size_t lunghezza_posto = 4096;
struct Posto {
  std::atomic<int> stato{0};  // 0 free, 1 being filled, 2 holds a path
  char percorso[lunghezza_posto];
};
static_assert(std::atomic<int>::is_always_lock_free);
Posto elenco[posti];

extern "C" void al_segnale(int segnale) {
  const int errno_salvato = errno;
  for (Posto& p : elenco) {
    if (p.stato.load(std::memory_order_acquire) == 2) rimuovi(p.percorso);
  }
  errno = errno_salvato;
  std::signal(segnale, SIG_DFL);
  std::raise(segnale);
}

void installa(int segnale) {
#ifdef _WIN32
  void (*prima)(int) = std::signal(segnale, al_segnale);
  if (prima == SIG_IGN) std::signal(segnale, SIG_IGN);
#else
  struct sigaction prima {};
  if (::sigaction(segnale, nullptr, &prima) != 0) return;
  if (prima.sa_handler != SIG_DFL || (prima.sa_flags & SA_SIGINFO) != 0) return;  // not ours
  struct sigaction nuova {};
  nuova.sa_handler = al_segnale;
  sigemptyset(&nuova.sa_mask);
  ::sigaction(segnale, &nuova, nullptr);
#endif
}

int registra(const fs::path& percorso) {
  proteggi_scritture();
  const auto& nativo = percorso.native();
  if (nativo.size() >= lunghezza_posto) return -1;
  for (int i = 0; i < posti; ++i) {
    int libero = 0;
    if (!elenco[i].stato.compare_exchange_strong(libero, 1)) continue;
    for (std::size_t j = 0; j < nativo.size(); ++j) {
      elenco[i].percorso[j] = static_cast<char>(nativo[j]);
    }
    elenco[i].percorso[nativo.size()] = '\0';
    elenco[i].stato.store(2, std::memory_order_release);
    return i;
  }
  return -1;  // more files at once than places: still written, only not guarded
}

void cancella(int posto) {
  if (posto >= 0) elenco[posto].stato.store(0, std::memory_order_release);
}

bool scrivi_tutto(int fd, const char* dati, std::size_t n, int& numero) {
  while (n > 0) {
    const long fatto = scrivi_fd(fd, dati, n);
    if (fatto < 0) {
      if (errno == EINTR) continue;
      numero = errno;
      return false;
    }
    dati += fatto;
    n -= static_cast<std::size_t>(fatto);
  }
  return true;
}

// Where a path leads after its symbolic links; `errore` set when a link
// cannot be read or they loop.
fs::path risolvi(fs::path p, std::string& errore) {
  for (int passo = 0; passo < 40; ++passo) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(p, ec))) return p;
    const fs::path destinazione = fs::read_symlink(p, ec);
    if (ec) {
      errore = ec.message();
      return {};
    }
    p = destinazione.is_absolute() ? destinazione : cartella_di(p) / destinazione;
  }
  errore = std::generic_category().message(ELOOP);
  return {};
}

// Writes to a file descriptor through a buffer, keeping the first error.
class BufferFile : public std::streambuf {
 public:
  explicit BufferFile(int fd) : fd_(fd), buffer_(1 << 16) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  int errore() const { return errore_; }
  bool fallito() const { return fallito_; }
  bool svuota() {
    if (fallito_) return false;
    const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (!scrivi_tutto(fd_, buffer_.data(), n, errore_)) fallito_ = true;
    return !fallito_;
  }

 protected:
  int_type overflow(int_type c) override {
    if (!svuota()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const auto libero = epptr() - pptr();
    if (n <= libero) {
      std::memcpy(pptr(), s, static_cast<std::size_t>(n));
      pbump(static_cast<int>(n));
      return n;
    }
    if (!svuota()) return 0;
    if (n < static_cast<std::streamsize>(buffer_.size())) return xsputn(s, n);
    if (!scrivi_tutto(fd_, s, static_cast<std::size_t>(n), errore_)) {
      fallito_ = true;
      return 0;
    }
    return n;
  }
  int sync() override { return svuota() ? 0 : -1; }

 private:
  int fd_;
  std::vector<char> buffer_;
  int errore_ = 0;
  bool fallito_ = false;
};

}  // namespace

void proteggi_scritture() {
  static std::once_flag una_volta;
  std::call_once(una_volta, [] {
    installa(SIGINT);
    installa(SIGTERM);
#ifndef _WIN32
    installa(SIGHUP);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
  });
}

fs::path cartella_di(const fs::path& file) {
  fs::path c = file.parent_path();
  return c.empty() ? fs::path(".") : c;
}

std::string testo_percorso(const fs::path& file) {
  const std::u8string u = file.u8string();
  return std::string(u.begin(), u.end());
}

// ---- FileTemporaneo

std::optional<FileTemporaneo> FileTemporaneo::crea(const fs::path& cartella, Permessi permessi,
                                                   Errore& errore) {
  proteggi_scritture();
  rimuovi_vecchi(cartella);
  fs::path percorso;
  int fd = -1;
  for (int tentativo = 0; tentativo < 8 && fd < 0; ++tentativo) {
    percorso = cartella / nome_temporaneo();
    fd = apri_nuovo(percorso, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    errore = {testo_percorso(cartella), ragione(errno)};
    return std::nullopt;
  }
  const int posto = registra(percorso);
  // The mode the system gives a new file (the umask applied); the file stays
  // readable by its owner only until it is complete.
  stat_t s{};
  const unsigned modo = permessi == Permessi::solo_utente ? 0600u
                        : stat_fd(fd, &s) == 0 ? static_cast<unsigned>(s.st_mode) & 07777u
                                               : 0644u;
  imposta_modo(fd, 0600);
  return FileTemporaneo(std::move(percorso), fd, posto, modo, permessi);
}

std::optional<FileTemporaneo> FileTemporaneo::scrivi(const fs::path& cartella,
                                                     std::string_view dati, Errore& errore,
                                                     Permessi permessi) {
  std::optional<FileTemporaneo> t = crea(cartella, permessi, errore);
  if (!t) return t;
  int numero = 0;
  if (!scrivi_tutto(t->fd_, dati.data(), dati.size(), numero)) {
    errore = {testo_percorso(cartella), ragione(numero)};
    return std::nullopt;  // t removes the file
  }
  return t;
}

FileTemporaneo::FileTemporaneo(FileTemporaneo&& altro) noexcept
    : percorso_(std::exchange(altro.percorso_, {})),
      fd_(std::exchange(altro.fd_, -1)),
      posto_(std::exchange(altro.posto_, -1)),
      modo_(altro.modo_),
      permessi_(altro.permessi_) {}

void FileTemporaneo::rilascia() {
  if (fd_ >= 0) chiudi_fd(fd_);
  fd_ = -1;
  if (!percorso_.empty()) {
    std::error_code ec;
    fs::remove(percorso_, ec);
    percorso_.clear();
  }
  cancella(posto_);
  posto_ = -1;
}

FileTemporaneo::~FileTemporaneo() { rilascia(); }

bool FileTemporaneo::chiudi(unsigned modo, std::string& errore) {
  imposta_modo(fd_, modo);
  errno = 0;
  bool fatto = sincronizza(fd_) == 0;
  int numero = errno;
  if (chiudi_fd(fd_) != 0 && fatto) {
    fatto = false;
    numero = errno;
  }
  fd_ = -1;
  if (!fatto) errore = ragione(numero);
  return fatto;
}

bool FileTemporaneo::sostituisci(const fs::path& file, Errore& errore) {
  errore.dove = testo_percorso(file);
  if (fd_ < 0) {
    errore.ragione = ragione(EBADF);
    return false;
  }
  unsigned modo = modo_;
#ifndef _WIN32
  struct stat vecchio {};
  if (::stat(file.c_str(), &vecchio) == 0 && S_ISREG(vecchio.st_mode)) {
    imposta_proprietario(fd_, vecchio);
    modo = static_cast<unsigned>(vecchio.st_mode) & 07777u;
    if (permessi_ == Permessi::solo_utente) modo &= 07700u;
  }
#endif
  if (!chiudi(modo, errore.ragione)) {
    rilascia();
    return false;
  }
  std::error_code ec;
  fs::rename(percorso_, file, ec);
  if (ec) {
    errore.ragione = ec.message();
    rilascia();
    return false;
  }
  percorso_.clear();
  cancella(posto_);
  posto_ = -1;
  sincronizza_cartella(cartella_di(file));
  return true;
}

FileTemporaneo::Esito FileTemporaneo::aggiungi(const fs::path& file, Errore& errore) {
  errore.dove = testo_percorso(file);
  if (fd_ >= 0 && !chiudi(modo_, errore.ragione)) {
    rilascia();
    return Esito::errore;
  }
  // A hard link is made only if the name is free, in one step.
  std::error_code ec;
  fs::create_hard_link(percorso_, file, ec);
  if (!ec) {
    rilascia();
    sincronizza_cartella(cartella_di(file));
    return Esito::fatto;
  }
  if (ec == std::errc::file_exists) return Esito::esiste;
  // File systems without hard links: check the name, then rename.
  if (fs::symlink_status(file, ec).type() != fs::file_type::not_found) return Esito::esiste;
  fs::rename(percorso_, file, ec);
  if (ec) {
    errore.ragione = ec.message();
    return Esito::errore;
  }
  percorso_.clear();
  rilascia();
  sincronizza_cartella(cartella_di(file));
  return Esito::fatto;
}

// ---- ScritturaFile

struct ScritturaFile::Stato {
  std::optional<FileTemporaneo> temporaneo;  // a regular file
  fs::path destinazione;                     // the name it takes
  int fd = -1;                               // the file written
  bool proprio = false;                      // fd is closed here
  BufferFile buffer;
  std::ostream flusso;
  std::string nome;  // the file, for its errors; empty for standard output
  std::optional<Errore> errore;
  bool completo = false;

  explicit Stato(int descrittore) : fd(descrittore), buffer(descrittore), flusso(&buffer) {}
  ~Stato() {
    if (proprio && fd >= 0) chiudi_fd(fd);
  }
};

ScritturaFile::ScritturaFile(std::unique_ptr<Stato> stato) : stato_(std::move(stato)) {}
ScritturaFile::~ScritturaFile() = default;

std::unique_ptr<ScritturaFile> ScritturaFile::apri(const fs::path& file, Errore& errore,
                                                   Permessi permessi) {
  proteggi_scritture();
  errore.dove = testo_percorso(file);
  const fs::path destinazione = risolvi(file, errore.ragione);
  if (destinazione.empty()) return nullptr;
  std::error_code ec;
  const fs::file_status s = fs::status(destinazione, ec);
  if (s.type() == fs::file_type::directory) {
    errore.ragione = std::generic_category().message(EISDIR);
    return nullptr;
  }
  if (s.type() == fs::file_type::regular || s.type() == fs::file_type::not_found) {
    Errore temporaneo;
    std::optional<FileTemporaneo> t =
        FileTemporaneo::crea(cartella_di(destinazione), permessi, temporaneo);
    if (!t) {
      errore.ragione = std::move(temporaneo.ragione);
      return nullptr;
    }
    auto stato = std::make_unique<Stato>(t->descrittore());
    stato->temporaneo.emplace(std::move(*t));
    stato->destinazione = destinazione;
    stato->nome = errore.dove;
    return std::unique_ptr<ScritturaFile>(new ScritturaFile(std::move(stato)));
  }
  // A FIFO, a terminal, a device: written as it is.
  const int fd = apri_diretto(destinazione);
  if (fd < 0) {
    errore.ragione = ragione(errno);
    return nullptr;
  }
  stat_t aperto{};
  if (stat_fd(fd, &aperto) == 0 && (regolare(aperto) || cartella(aperto))) {
    // Replaced by a file or a folder since it was looked at.
    chiudi_fd(fd);
    errore.ragione = ragione(regolare(aperto) ? EEXIST : EISDIR);
    return nullptr;
  }
  auto stato = std::make_unique<Stato>(fd);
  stato->proprio = true;
  stato->nome = errore.dove;
  return std::unique_ptr<ScritturaFile>(new ScritturaFile(std::move(stato)));
}

std::unique_ptr<ScritturaFile> ScritturaFile::uscita_standard() {
  proteggi_scritture();
  return std::unique_ptr<ScritturaFile>(new ScritturaFile(std::make_unique<Stato>(1)));
}

std::ostream& ScritturaFile::flusso() { return stato_->flusso; }

const std::optional<Errore>& ScritturaFile::errore_scrittura() const {
  if (!stato_->errore && stato_->buffer.fallito()) {
    stato_->errore = Errore{stato_->nome, ragione(stato_->buffer.errore())};
  }
  return stato_->errore;
}

bool ScritturaFile::completa(Errore& errore) {
  Stato& s = *stato_;
  const bool scritto = s.buffer.svuota();
  if (!scritto) {
    errore = *errore_scrittura();
    if (s.temporaneo) s.temporaneo.reset();
    return false;
  }
  if (s.temporaneo) {
    bool fatto = s.temporaneo->sostituisci(s.destinazione, errore);
    errore.dove = s.nome;  // the name given, not where its links lead
    s.temporaneo.reset();
    s.fd = -1;
    return fatto;
  }
  if (s.proprio) {
    const int fd = std::exchange(s.fd, -1);
    if (chiudi_fd(fd) != 0) {
      errore = {s.nome, ragione(errno)};
      return false;
    }
  }
  return true;
}

std::optional<Errore> scrivi_file(const fs::path& file, std::string_view dati, Permessi permessi) {
  Errore errore;
  std::unique_ptr<ScritturaFile> f = ScritturaFile::apri(file, errore, permessi);
  if (!f) return errore;
  f->flusso().write(dati.data(), static_cast<std::streamsize>(dati.size()));
  if (!f->completa(errore)) return errore;
  return std::nullopt;
}

}  // namespace zellora
