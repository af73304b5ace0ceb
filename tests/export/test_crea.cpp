// "Esporta": the new document's name, never overwriting, opening it, and
// what a failure leaves (nothing). The tests run with TZ=UTC.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <tuple>

#include "lettura.h"
#include "statement/crea.h"

using namespace zellora;
using namespace zellora::prova;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

struct ApertoreFinto : ApertoreDocumenti {
  bool accetta = true;
  std::vector<fs::path> aperti;
  bool apri(const fs::path& file, std::string& errore) override {
    EXPECT_EQ(leggi_docx(file).paragrafi.size(), paragrafi_prospetto);  // complete when opened
    aperti.push_back(file);
    if (!accetta) errore = "no application for .docx";
    return accetta;
  }
};

const system_clock::time_point ora = sys_days{2026y / 12 / 7} + 15h + 4min + 31s + 600ms;

EsitoEsportazione esporta(const fs::path& cartella, ApertoreDocumenti& a, bool mensile = false,
                          const Risultati& r = risultati_prova()) {
  return Crea(r, mensile, Locale::italiano(), cartella, a, ora);
}

}  // namespace

fs::perms permessi(const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; }

constexpr fs::perms solo_utente = fs::perms::owner_read | fs::perms::owner_write;
constexpr fs::perms cartella_utente = fs::perms::owner_all;

TEST(Crea, NamesByTimeAndNeverOverwrites) {
  const CartellaProva c;
  const mode_t maschera = ::umask(022);  // the usual one, which would give 0644
  std::ofstream(c.percorso / "Prospetto Zellora 2026-12-07 15.04.31 (2).docx") << "earlier";
  ApertoreFinto a;
  std::vector<std::string> nomi;
  for (int i = 0; i < 3; ++i) {
    const EsitoEsportazione e = esporta(c.percorso, a, true);
    EXPECT_TRUE(e.riuscita) << e.errore.testo();
    EXPECT_EQ(e.numero, 0);
    nomi.push_back(e.file.filename().string());
    EXPECT_EQ(permessi(e.file), solo_utente) << e.file;
  }
  ::umask(maschera);
  EXPECT_EQ(nomi, (std::vector<std::string>{"Prospetto Zellora 2026-12-07 15.04.31.docx",
                                            "Prospetto Zellora 2026-12-07 15.04.31 (3).docx",
                                            "Prospetto Zellora 2026-12-07 15.04.31 (4).docx"}));
  EXPECT_EQ(a.aperti.size(), 3u);
  EXPECT_EQ(c.nomi().size(), 4u);
  std::string prima;
  std::getline(std::ifstream(c.percorso / "Prospetto Zellora 2026-12-07 15.04.31 (2).docx"), prima);
  EXPECT_EQ(prima, "earlier");
  EXPECT_EQ(leggi_docx(c.percorso / nomi[0]).paragrafi[29].testo,
            "Costo del Lavoro : 2.345,67 (=annui euro 28148,04)");
}

TEST(Crea, RefusedStatementWritesNothing) {
  const CartellaProva c;
  ApertoreFinto a;
  const EsitoEsportazione e = esporta(c.percorso, a, true, risultati_prova(""));
  EXPECT_FALSE(e.riuscita);
  EXPECT_EQ(e.numero, errore_prospetto_rifiutato);
  EXPECT_NE(e.errore.testo().find("Costo del Lavoro"), std::string::npos);
  EXPECT_TRUE(c.nomi().empty());
  EXPECT_TRUE(a.aperti.empty());
  // In annual mode an empty box is only an empty figure.
  EXPECT_TRUE(esporta(c.percorso, a, false, risultati_prova("")).riuscita);
}

TEST(Crea, UnwritableFolderLeavesNothingAndSaysWhy) {
  const CartellaProva c;
  ApertoreFinto a;
  std::ofstream(c.percorso / "file") << "x";
  const std::string manca = "\"" + (c.percorso / "missing").string() + "\"";
  const std::string file = "\"" + (c.percorso / "file").string() + "\"";
  const std::string docx = "/Prospetto Zellora 2026-12-07 15.04.31.docx\"";
  // A path is quoted as every value shown back: a mark that turns the text
  // around it is shown as an escape.
  for (const auto& [cartella, perche, documento] :
       {std::tuple{c.percorso / "missing", "la cartella " + manca + " non esiste",
                   "\"" + (c.percorso / "missing").string() + docx},
        std::tuple{c.percorso / "file", file + " non \u00e8 una cartella",
                   "\"" + (c.percorso / "file").string() + docx},
        std::tuple{c.percorso / "manca\u202e",
                   "la cartella \"" + c.percorso.string() + "/manca\\u202e\" non esiste",
                   "\"" + c.percorso.string() + "/manca\\u202e" + docx}}) {
    const EsitoEsportazione e = esporta(cartella, a);
    EXPECT_FALSE(e.riuscita);
    EXPECT_EQ(e.numero, errore_scrittura);
    EXPECT_NE(e.errore.testo().find("Impossibile scrivere il prospetto " + documento + ": "),
              std::string::npos)
        << e.errore.testo();
    EXPECT_NE(e.errore.testo().find(perche), std::string::npos) << e.errore.testo();
  }
  EXPECT_EQ(c.nomi(), std::vector<std::string>{"file"});
  EXPECT_TRUE(a.aperti.empty());
}

TEST(Crea, ReadOnlyFolder) {
  const CartellaProva c;
  ApertoreFinto a;
  const fs::path sola_lettura = c.percorso / "ro";
  fs::create_directory(sola_lettura);
  fs::permissions(sola_lettura, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(sola_lettura / "probe")) GTEST_SKIP() << "permissions not enforced (root)";
  const EsitoEsportazione e = esporta(sola_lettura, a);
  EXPECT_EQ(e.numero, errore_scrittura);
  EXPECT_NE(e.errore.testo().find(std::make_error_code(std::errc::permission_denied).message()),
            std::string::npos);
  EXPECT_TRUE(fs::is_empty(sola_lettura));
}

TEST(Crea, DocumentThatCannotBeOpenedIsKeptAndNamed) {
  const CartellaProva c;
  ApertoreFinto a;
  a.accetta = false;
  const EsitoEsportazione e = esporta(c.percorso, a);
  EXPECT_FALSE(e.riuscita);
  EXPECT_EQ(e.numero, errore_apertura);
  EXPECT_TRUE(fs::exists(e.file));
  EXPECT_NE(e.errore.testo().find(e.file.string()), std::string::npos);
  EXPECT_NE(e.errore.testo().find("no application for .docx"), std::string::npos);
}

// Where "Esporta" writes: the user's "Zellora" among the documents, or else a
// private folder of unpredictable name in the temporary folder.
TEST(Crea, FolderOfStatementsIsTheUsersOwn) {
  const CartellaProva c;
  const mode_t maschera = ::umask(022);
  const fs::path tmp = c.percorso / "tmp";
  fs::create_directory(tmp);
  std::string errore;

  // Missing, with a missing parent: both made for the user alone.
  const fs::path documenti = c.percorso / "home" / "Documenti";
  fs::create_directory(c.percorso / "home");
  errore = "da prima";
  EXPECT_EQ(cartella_prospetti(documenti, tmp, errore), documenti / "Zellora");
  EXPECT_EQ(errore, "");
  EXPECT_EQ(permessi(documenti), cartella_utente);
  EXPECT_EQ(permessi(documenti / "Zellora"), cartella_utente);
  // Existing: taken as the user left it.
  fs::permissions(documenti / "Zellora", fs::perms::group_read | fs::perms::group_exec,
                  fs::perm_options::add);
  const fs::perms scelti = permessi(documenti / "Zellora");
  EXPECT_EQ(cartella_prospetti(documenti, tmp, errore), documenti / "Zellora");
  EXPECT_EQ(permessi(documenti / "Zellora"), scelti);
  EXPECT_TRUE(fs::is_empty(tmp));

  // No documents folder to be had: a new private folder each time.
  std::ofstream(c.percorso / "un file") << "x";
  for (const fs::path& senza : {c.percorso / "un file", fs::path()}) {
    const fs::path prima = cartella_prospetti(senza, tmp, errore);
    // The user is told why the statement is not among the documents.
    EXPECT_NE(errore.find(senza.empty() ? "non \u00e8 nota" : "non si pu\u00f2 creare"),
              std::string::npos)
        << errore;
    const fs::path seconda = cartella_prospetti(senza, tmp, errore);
    for (const fs::path& p : {prima, seconda}) {
      EXPECT_EQ(p.parent_path(), tmp);
      EXPECT_EQ(p.filename().string().rfind("Zellora-", 0), 0u) << p;
      EXPECT_GE(p.filename().string().size(), 20u) << p;
      EXPECT_TRUE(fs::is_directory(fs::symlink_status(p)));
      EXPECT_EQ(permessi(p), cartella_utente);
    }
    EXPECT_NE(prima, seconda);
  }

  // Neither: nothing, and the reason names both places.
  errore.clear();
  EXPECT_EQ(cartella_prospetti(c.percorso / "un file", c.percorso / "nessuna", errore), fs::path());
  EXPECT_NE(errore.find((c.percorso / "un file" / "Zellora").string()), std::string::npos)
      << errore;
  EXPECT_NE(errore.find((c.percorso / "nessuna").string()), std::string::npos) << errore;
  // With the reason of each: a file stands where a folder should be.
  EXPECT_NE(errore.find(std::make_error_code(std::errc::not_a_directory).message()),
            std::string::npos)
      << errore;
  ::umask(maschera);
}
