// The writer of every output file: what it leaves behind for each kind of
// target, the permissions and owner of a replaced file, write errors with
// their reason, and temporary files that a killed run left.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "../cartella_prova.h"
#include "base/file_atomico.h"

using namespace zellora;
using namespace zellora::prova;
namespace fs = std::filesystem;

namespace {

struct stat stato(const fs::path& p) {
  struct stat s {};
  EXPECT_EQ(::lstat(p.c_str(), &s), 0) << p;
  return s;
}

std::string contenuto(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

mode_t umask_attuale() {
  const mode_t m = ::umask(022);
  ::umask(m);
  return m;
}

}  // namespace

// Mode and owner of the file written, by what the name held before.
TEST(ScritturaFile, PermissionsAndOwner) {
  const CartellaProva c;
  struct Caso {
    const char* nome;
    int modo_prima;  // -1: no file yet
    Permessi permessi;
    mode_t atteso;
  };
  const mode_t nuovo = 0666 & ~umask_attuale();
  const Caso casi[] = {
      {"nuovo", -1, Permessi::predefiniti, nuovo},
      {"nuovo_privato", -1, Permessi::solo_utente, 0600},
      {"privato", 0600, Permessi::predefiniti, 0600},
      {"condiviso", 0664, Permessi::predefiniti, 0664},
      {"eseguibile", 0750, Permessi::predefiniti, 0750},
      {"condiviso_privato", 0664, Permessi::solo_utente, 0600},
  };
  for (const Caso& k : casi) {
    const fs::path f = c.percorso / k.nome;
    if (k.modo_prima >= 0) {
      std::ofstream(f) << "old";
      ASSERT_EQ(::chmod(f.c_str(), static_cast<mode_t>(k.modo_prima)), 0);
    }
    EXPECT_EQ(scrivi_file(f, "new", k.permessi), std::nullopt) << k.nome;
    EXPECT_EQ(stato(f).st_mode & 07777, k.atteso) << k.nome;
    EXPECT_EQ(contenuto(f), "new") << k.nome;
  }
  Errore errore;
  std::optional<FileTemporaneo> t =
      FileTemporaneo::scrivi(c.percorso, "esporta", errore, Permessi::solo_utente);
  ASSERT_TRUE(t) << errore.testo();
  ASSERT_EQ(t->aggiungi(c.percorso / "esportato", errore), FileTemporaneo::Esito::fatto);
  EXPECT_EQ(stato(c.percorso / "esportato").st_mode & 07777, 0600u);

  // Root may give the file back to its owner; others keep theirs.
  if (::geteuid() == 0) {
    const fs::path f = c.percorso / "altrui";
    std::ofstream(f) << "old";
    ASSERT_EQ(::chown(f.c_str(), 4321, 4322), 0);
    EXPECT_EQ(scrivi_file(f, "new"), std::nullopt);
    EXPECT_EQ(stato(f).st_uid, 4321u);
    EXPECT_EQ(stato(f).st_gid, 4322u);
  }
  for (const std::string& n : c.nomi()) EXPECT_EQ(n.find(".zellora-"), std::string::npos) << n;
}

// A link is followed and stays; a folder is refused; what is not a regular
// file is written as it is, never replaced by one.
TEST(ScritturaFile, KindsOfTarget) {
  const CartellaProva c;
  const fs::path d = c.percorso;
  std::ofstream(d / "vero") << "old";
  fs::create_symlink("vero", d / "link");
  fs::create_directory(d / "sotto");
  fs::create_symlink("sotto/nuovo", d / "pendente");  // to a name not taken yet
  EXPECT_EQ(scrivi_file(d / "link", "via link"), std::nullopt);
  EXPECT_TRUE(fs::is_symlink(d / "link"));
  EXPECT_EQ(contenuto(d / "vero"), "via link");
  EXPECT_EQ(scrivi_file(d / "pendente", "created"), std::nullopt);
  EXPECT_TRUE(fs::is_symlink(d / "pendente"));
  EXPECT_EQ(contenuto(d / "sotto" / "nuovo"), "created");

  EXPECT_EQ(scrivi_file(d / "sotto", "x").value().ragione, std::generic_category().message(EISDIR));
  fs::create_symlink("giro", d / "giro");
  EXPECT_EQ(scrivi_file(d / "giro", "x").value().ragione, std::generic_category().message(ELOOP));

  ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0600), 0);
  std::string letto;
  std::thread lettore([&] { letto = contenuto(d / "fifo"); });
  EXPECT_EQ(scrivi_file(d / "fifo", "through the pipe"), std::nullopt);
  lettore.join();
  EXPECT_EQ(letto, "through the pipe");
  EXPECT_TRUE(fs::is_fifo(d / "fifo"));

  // A device node of our own (root only) before the real /dev/null, which a
  // faulty writer would replace with a file.
  if (::mknod((d / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    EXPECT_EQ(scrivi_file(d / "null", "gone"), std::nullopt);
    ASSERT_TRUE(fs::is_character_file(d / "null"));
    EXPECT_EQ(scrivi_file("/dev/null", "gone"), std::nullopt);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
  std::vector<std::string> attesi{"fifo", "giro", "link", "pendente", "sotto", "vero"};
  if (fs::exists(d / "null")) attesi.insert(attesi.begin() + 3, "null");
  EXPECT_EQ(c.nomi(), attesi);
}

// A write that fails is reported with the system's reason and leaves the old
// file as it was.
TEST(ScritturaFile, WriteErrorsGiveTheReason) {
  const CartellaProva c;
  // As root a copy of /dev/full, which a faulty writer could replace.
  const fs::path pieno = ::mknod((c.percorso / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0
                             ? c.percorso / "full"
                             : fs::path("/dev/full");
  Errore errore;
  std::unique_ptr<ScritturaFile> f = ScritturaFile::apri(pieno, errore);
  ASSERT_TRUE(f) << errore.testo();
  f->flusso() << std::string(200000, 'x');
  EXPECT_FALSE(f->completa(errore));
  EXPECT_EQ(errore.ragione, std::generic_category().message(ENOSPC));
  EXPECT_EQ(errore.dove, testo_percorso(pieno));
  EXPECT_TRUE(fs::is_character_file(pieno));
  fs::remove(c.percorso / "full");

  std::ofstream(c.percorso / "tenuto") << "old";
  f = ScritturaFile::apri(c.percorso / "tenuto", errore);
  ASSERT_TRUE(f) << errore.testo();
  f->flusso() << "half";
  f.reset();  // dropped before completion
  EXPECT_EQ(contenuto(c.percorso / "tenuto"), "old");
  EXPECT_EQ(c.nomi(), std::vector<std::string>{"tenuto"});
}

// Only temporaries of the exact pattern, regular, ours and over a day old go.
TEST(ScritturaFile, StaleTemporariesRemoved) {
  const CartellaProva c;
  const fs::path d = c.percorso;
  const auto vecchio = fs::file_time_type::clock::now() - std::chrono::hours(48);
  auto file = [&](const std::string& nome, bool vecchio_) {
    std::ofstream(d / nome) << "left";
    if (vecchio_) fs::last_write_time(d / nome, vecchio);
  };
  file(".zellora-0123456789abcdef.tmp", true);   // goes
  file(".zellora-fedcba9876543210.tmp", false);  // fresh: maybe another run's
  file(".zellora-0123456789ABCDEF.tmp", true);   // not the pattern
  file(".zellora-0123456789abcdef.tmp~", true);
  file("zellora-0123456789abcdef.tmp", true);
  fs::create_directory(d / ".zellora-1111111111111111.tmp");
  fs::last_write_time(d / ".zellora-1111111111111111.tmp", vecchio);
  std::vector<std::string> restano{".zellora-0123456789ABCDEF.tmp",
                                   ".zellora-0123456789abcdef.tmp~",
                                   ".zellora-1111111111111111.tmp",
                                   ".zellora-fedcba9876543210.tmp",
                                   "out",
                                   "zellora-0123456789abcdef.tmp"};
  if (::geteuid() == 0) {
    file(".zellora-2222222222222222.tmp", true);  // another user's
    ASSERT_EQ(::lchown((d / ".zellora-2222222222222222.tmp").c_str(), 4321, 4321), 0);
    fs::last_write_time(d / ".zellora-2222222222222222.tmp", vecchio);
    restano.insert(restano.begin() + 3, ".zellora-2222222222222222.tmp");
  }
  EXPECT_EQ(scrivi_file(d / "out", "x"), std::nullopt);
  EXPECT_EQ(c.nomi(), restano);
}
