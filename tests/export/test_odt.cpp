// The OpenDocument statement, written without Qt and read back.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/file_atomico.h"
#include "lettura.h"
#include "statement/formato.h"
#include "statement/odt.h"

using namespace zellora;
using namespace zellora::prova;
namespace fs = std::filesystem;

namespace {

fs::path scrivi(const CartellaProva& c, Formato formato, const std::string& nome) {
  const Prospetto p =
      componi_prospetto(risultati_prova(), true, Locale::italiano()).prospetto.value();
  const std::optional<Errore> errore = scrivi_prospetto(p, formato, c.percorso / nome);
  EXPECT_EQ(errore, std::nullopt) << errore->testo();
  return c.percorso / nome;
}

const std::string riga29 = "Costo del Lavoro : 2.345,67 (=annui euro 28148,04)";

}  // namespace

TEST(Odt, OdtReadsBack) {
  const CartellaProva c;
  const fs::path f = scrivi(c, Formato::odt, "p.odt");
  EXPECT_EQ(voce_zip(f, "mimetype"), "application/vnd.oasis.opendocument.text");
  const DocumentoLetto d = leggi_odt(f);
  EXPECT_EQ(d.errore_xml, "");
  EXPECT_EQ(d.paragrafi, prospetto_atteso(riga29));
  EXPECT_EQ(d.caratteri, std::set<std::string>{"Times New Roman/12pt"});
  EXPECT_FALSE(d.grassetto_parziale);
  // Empty paragraphs too are in the document's font, so their lines have
  // its height; the page is the Word document's.
  EXPECT_EQ(d.caratteri_paragrafi,
            std::vector<std::string>(paragrafi_prospetto, "Times New Roman/12pt"));
  EXPECT_TRUE(stessa_pagina(d.pagina, {210, 297, 25, 20, 20, 20}));
  const std::string manifesto = voce_zip(f, "META-INF/manifest.xml");
  for (const char* parte : {"content.xml", "styles.xml", "meta.xml"}) {
    EXPECT_NE(manifesto.find(std::string("full-path=\"") + parte), std::string::npos) << parte;
  }
}

// Blanks that OpenDocument would collapse (leading, doubled, trailing) and
// tabs survive.
TEST(Odt, OdtKeepsBlanks) {
  const CartellaProva c;
  Risultati r = risultati_prova();
  r.imposta_testo(1, "  a   b\tc ");
  const Prospetto p = componi_prospetto(r, false, Locale::italiano()).prospetto.value();
  const std::optional<Errore> errore = scrivi_prospetto(p, Formato::odt, c.percorso / "p.odt");
  ASSERT_EQ(errore, std::nullopt) << errore->testo();
  EXPECT_EQ(leggi_odt(c.percorso / "p.odt").paragrafi[4].testo, "Retribuzione Lorda:    a   b\tc ");
}

// Without Qt there is no PDF writer: a PDF is refused, naming the file, and
// nothing is written.
TEST(Odt, PdfWithoutItsWriterIsRefused) {
  const CartellaProva c;
  const Prospetto p =
      componi_prospetto(risultati_prova(), false, Locale::italiano()).prospetto.value();
  const std::optional<Errore> errore = scrivi_prospetto(p, Formato::pdf, c.percorso / "p.pdf");
  ASSERT_NE(errore, std::nullopt);
  EXPECT_EQ(errore->ragione, "PDF export needs the build with Qt");
  EXPECT_EQ(errore->dove, testo_percorso(c.percorso / "p.pdf"));
  EXPECT_TRUE(c.nomi().empty());
}
