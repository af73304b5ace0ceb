// The reader of every input: the limit counted as the bytes come, on both
// sides of it and across the reader's blocks, and the names it refuses
// before reading.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

#include "../cartella_prova.h"
#include "base/lettura.h"

using namespace zellora;
using namespace zellora::prova;
namespace fs = std::filesystem;

// A file of each size around its limit: whole up to the limit, refused one
// byte past it, also where the limit falls inside the reader's second block
// of 64 KiB or on its end.
TEST(Lettura, TheLimitOnBothSides) {
  const CartellaProva c;
  struct Caso {
    std::uint64_t limite;
    std::size_t byte;
  };
  const Caso casi[] = {{0, 0},         {0, 1},           {10, 10},
                       {10, 11},       {65536, 65536},   {65536, 65537},
                       {65537, 65537}, {100000, 100000}, {100000, 100001}};
  for (const Caso& k : casi) {
    const LimiteLettura limite{k.limite, "rule set"};
    const std::string nome = (c.percorso / "file").string();
    std::string atteso(k.byte, 'x');
    if (!atteso.empty()) atteso.back() = 'y';  // the last byte read too
    std::ofstream(nome, std::ios::binary) << atteso;
    Errore errore;
    const auto letto = leggi_file(nome, limite, errore);
    if (k.byte <= k.limite) {
      EXPECT_EQ(letto, atteso) << k.limite << " " << errore.testo();
    } else {
      EXPECT_EQ(letto, std::nullopt) << k.limite;
      EXPECT_EQ(errore.ragione, oltre_il_limite(limite)) << k.limite;
      EXPECT_EQ(errore.dove, nome);
    }
  }
  EXPECT_EQ(oltre_il_limite(limite_regole),
            "it holds more than 1 MiB (1048576 bytes), more than any rule set");
  EXPECT_EQ(oltre_il_limite({10, "request"}), "it holds more than 10 bytes, more than any request");
}

// A device without end, whose size the system reports as 0: the reading
// stops one byte past the limit, as a stream too.
TEST(Lettura, CountsTheBytesNotTheReportedSize) {
  Errore errore;
  EXPECT_EQ(leggi_file("/dev/zero", {100000, "request"}, errore), std::nullopt);
  EXPECT_EQ(errore.ragione, oltre_il_limite({100000, "request"}));

  const auto f = FileIngresso::apri("/dev/zero", errore, {100000, "request"});
  ASSERT_TRUE(f) << errore.testo();
  std::string tutto(200000, '\1');
  f->flusso().read(tutto.data(), static_cast<std::streamsize>(tutto.size()));
  EXPECT_LE(f->flusso().gcount(), 100000);
  EXPECT_LE(f->letti(), 100001u);
  EXPECT_EQ(f->errore(), oltre_il_limite({100000, "request"}));
}

// What is refused before a byte is read, with the reason and the name as
// given.
TEST(Lettura, NamesRefusedBeforeReading) {
  const CartellaProva c;
  const fs::path d = c.percorso;
  std::ofstream(d / "file") << "x";
  ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0600), 0);
  struct Caso {
    fs::path nome;
    bool solo_file_regolari;
    std::string ragione;
  };
  const Caso casi[] = {
      {d / "manca", false, std::generic_category().message(ENOENT)},
      {d / "manca", true, std::generic_category().message(ENOENT)},
      {d, false, "it is a folder, not a file"},
      {d, true, "it is a folder, not a file"},
      // Opening a FIFO would wait for a writer that never comes.
      {d / "fifo", true, "not a regular file"},
      {"-", true, std::generic_category().message(ENOENT)},
  };
  for (const Caso& k : casi) {
    Errore errore;
    EXPECT_EQ(leggi_file(k.nome.string(), limite_richiesta, errore, k.solo_file_regolari),
              std::nullopt)
        << k.nome;
    EXPECT_EQ(errore.ragione, k.ragione) << k.nome;
    EXPECT_EQ(errore.dove, k.nome.string());
  }
}
