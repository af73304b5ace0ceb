// The Word document read back from the file, and writing it whole or not
// at all.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QXmlStreamReader>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/file_atomico.h"
#include "lettura.h"
#include "statement/docx.h"
#include "statement/formato.h"

using namespace zellora;
using namespace zellora::prova;
namespace fs = std::filesystem;

namespace {

Prospetto prospetto(const Risultati& r, bool mensile) {
  return componi_prospetto(r, mensile, Locale::italiano()).prospetto.value();
}

fs::path scrivi(const CartellaProva& c, const Prospetto& p, const std::string& nome = "p.docx") {
  const std::optional<Errore> errore = scrivi_prospetto(p, Formato::docx, c.percorso / nome);
  EXPECT_EQ(errore, std::nullopt) << errore->testo();
  return c.percorso / nome;
}

std::string leggi(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ben_formato(const std::string& xml) {
  QXmlStreamReader x(QByteArray::fromStdString(xml));
  while (!x.atEnd()) x.readNext();
  return !x.hasError();
}

bool sul_path(const std::string& programma) {
  const char* path = std::getenv("PATH");
  std::stringstream s(path != nullptr ? path : "");
  for (std::string d; std::getline(s, d, ':');) {
    if (!d.empty() && fs::exists(fs::path(d) / programma)) return true;
  }
  return false;
}

}  // namespace

TEST(Docx, ReadsBackAnnualAndMonthly) {
  const CartellaProva c;
  for (const bool mensile : {false, true}) {
    const DocumentoLetto d = leggi_docx(scrivi(c, prospetto(risultati_prova(), mensile)));
    EXPECT_EQ(d.errore_xml, "");
    EXPECT_EQ(d.paragrafi, prospetto_atteso(mensile ? "Costo del Lavoro : 2.345,67 (=annui euro "
                                                      "28148,04)"
                                                    : "Costo del Lavoro : 2.345,67"));
    EXPECT_EQ(d.caratteri, std::set<std::string>{"Times New Roman/24"});
    EXPECT_FALSE(d.grassetto_parziale);
    EXPECT_FALSE(d.segno_in_grassetto);
    EXPECT_EQ(d.caratteri_paragrafi,
              std::vector<std::string>(paragrafi_prospetto, "Times New Roman/12pt"));
    EXPECT_TRUE(stessa_pagina(d.pagina, {210, 297, 25, 20, 20, 20}));
  }
  const fs::path f = scrivi(c, prospetto(risultati_prova("2.000,00"), true));
  EXPECT_EQ(leggi_docx(f).paragrafi[29].testo, "Costo del Lavoro : 2.000,00 (=annui euro 24000)");
  // Under today's law the document carries every paragraph of the statement.
  Risultati attuali = risultati_prova();
  attuali.righe_attuali = true;
  attuali.normativa = "2026";
  const Prospetto p = prospetto(attuali, false);
  EXPECT_EQ(leggi_docx(scrivi(c, p, "attuale.docx")).paragrafi,
            std::vector<Paragrafo>(p.paragrafi.begin(), p.paragrafi.end()));
}

TEST(Docx, PackageParts) {
  const CartellaProva c;
  const fs::path f = scrivi(c, prospetto(risultati_prova(), false));
  for (const char* parte :
       {"[Content_Types].xml", "_rels/.rels", "word/_rels/document.xml.rels", "word/styles.xml",
        "word/settings.xml", "docProps/core.xml", "word/document.xml"}) {
    EXPECT_TRUE(ben_formato(voce_zip(f, parte))) << parte;
  }
  // The settings part, which Word expects (without it a new document opens
  // in compatibility mode), reached from the document and typed.
  EXPECT_NE(voce_zip(f, "word/_rels/document.xml.rels")
                .find("relationships/settings\" Target=\"settings.xml\""),
            std::string::npos);
  EXPECT_NE(voce_zip(f, "[Content_Types].xml")
                .find("PartName=\"/word/settings.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\""),
            std::string::npos);
  EXPECT_NE(voce_zip(f, "word/settings.xml").find("compatibilityMode"), std::string::npos);
  const std::string stili = voce_zip(f, "word/styles.xml");
  EXPECT_NE(stili.find("<w:rFonts w:ascii=\"Times New Roman\""), std::string::npos);
  EXPECT_NE(stili.find("<w:sz w:val=\"24\"/>"), std::string::npos);
  // Blanks in the labels must survive: every text keeps its spaces.
  const std::string doc = voce_zip(f, "word/document.xml");
  EXPECT_EQ(doc.find("<w:t>"), std::string::npos);
  EXPECT_NE(doc.find("mensilit\u00e0"), std::string::npos);  // UTF-8, not an entity
}

TEST(Docx, TextIsEscapedAndAlwaysValidXml) {
  EXPECT_EQ(testo_xml("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(testo_xml("n\u00b0 1\u00a0000"), "n\u00b0 1\u00a0000");
  EXPECT_EQ(testo_xml("x\x01y"), "x\uFFFDy");                                // not allowed in XML
  EXPECT_EQ(testo_xml("\xC3(\xE0\x80\x80z"), "\uFFFD(\uFFFD\uFFFD\uFFFDz");  // broken UTF-8

  const CartellaProva c;
  Risultati r = risultati_prova();
  r.imposta_testo(1, "<1 & 2> n\u00b0\x02");
  const DocumentoLetto d = leggi_docx(scrivi(c, prospetto(r, false)));
  EXPECT_EQ(d.errore_xml, "");
  EXPECT_EQ(d.paragrafi[4].testo, "Retribuzione Lorda:  <1 & 2> n\u00b0\uFFFD");
}

TEST(Docx, ReplacesAnExistingFileWhole) {
  const CartellaProva c;
  std::ofstream(c.percorso / "p.docx") << std::string(100000, 'x');
  const fs::path f = scrivi(c, prospetto(risultati_prova(), false));
  EXPECT_EQ(leggi(f).substr(0, 2), "PK");
  EXPECT_LT(fs::file_size(f), 100000u);
  EXPECT_EQ(c.nomi(), std::vector<std::string>{"p.docx"});
}

TEST(Docx, FailedWriteLeavesNothing) {
  const CartellaProva c;
  fs::create_directory(c.percorso / "cartella.docx");  // a folder where the file should go
  std::optional<Errore> errore = scrivi_prospetto(prospetto(risultati_prova(), false),
                                                  Formato::docx, c.percorso / "cartella.docx");
  ASSERT_NE(errore, std::nullopt);
  EXPECT_NE(errore->ragione, "");
  EXPECT_TRUE(fs::is_directory(c.percorso / "cartella.docx"));
  EXPECT_EQ(c.nomi(), std::vector<std::string>{"cartella.docx"});  // no temporary left

  errore = scrivi_prospetto(prospetto(risultati_prova(), false), Formato::docx,
                            c.percorso / "no" / "p.docx");
  ASSERT_NE(errore, std::nullopt);
  EXPECT_EQ(errore->dove, testo_percorso(c.percorso / "no" / "p.docx"));
  EXPECT_EQ(errore->ragione, std::make_error_code(std::errc::no_such_file_or_directory).message());
}

TEST(FileTemporaneo, RemovedUnlessPutInPlace) {
  const CartellaProva c;
  Errore errore;
  EXPECT_TRUE(FileTemporaneo::scrivi(c.percorso, "dropped", errore));
  EXPECT_TRUE(c.nomi().empty());
}

// LibreOffice, where installed, must take the document as it is.
TEST(Docx, LibreOfficeConvertsItToPdf) {
  if (!sul_path("soffice")) GTEST_SKIP() << "soffice is not installed";
  const CartellaProva c;
  const fs::path f = scrivi(c, prospetto(risultati_prova(), true));
  const std::string p = c.percorso.string();
  const std::string comando = "soffice -env:UserInstallation=file://" + p +
                              "/lo --headless --convert-to pdf --outdir '" + p + "' '" +
                              f.string() + "' >'" + p + "/lo.log' 2>&1";
  ASSERT_EQ(std::system(comando.c_str()), 0) << leggi(c.percorso / "lo.log");
  const std::string pdf = leggi(c.percorso / "p.pdf");
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  if (!sul_path("pdftotext")) return;
  ASSERT_EQ(std::system(("pdftotext '" + p + "/p.pdf' '" + p + "/p.txt'").c_str()), 0);
  const std::string testo = leggi(c.percorso / "p.txt");
  EXPECT_NE(testo.find("PROSPETTO ZELLORA"), std::string::npos);
  EXPECT_NE(testo.find("(=annui euro 28148,04)"), std::string::npos);
  EXPECT_EQ(testo.find('\f'), testo.rfind('\f'));  // one page
}
