// The OpenDocument and PDF statements, laid out by Qt.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "export/documento_qt.h"
#include "lettura.h"

using namespace zellora;
using namespace zellora::prova;
namespace fs = std::filesystem;

namespace {

fs::path scrivi(const CartellaProva& c, Formato formato, const std::string& nome) {
  const Prospetto p =
      componi_prospetto(risultati_prova(), true, Locale::italiano()).prospetto.value();
  std::string errore;
  EXPECT_TRUE(scrivi_prospetto(p, formato, c.percorso / nome, errore)) << errore;
  return c.percorso / nome;
}

const std::string riga29 = "Costo del Lavoro : 2.345,67 (=annui euro 28148,04)";

}  // namespace

TEST(DocumentoQt, OdtReadsBack) {
  const CartellaProva c;
  const fs::path f = scrivi(c, Formato::odt, "p.odt");
  EXPECT_EQ(voce_zip(f, "mimetype"), "application/vnd.oasis.opendocument.text");
  const DocumentoLetto d = leggi_odt(f);
  EXPECT_EQ(d.errore_xml, "");
  EXPECT_EQ(d.paragrafi, prospetto_atteso(riga29));
  EXPECT_EQ(d.caratteri, std::set<std::string>{"Times New Roman/12pt"});
  EXPECT_FALSE(d.grassetto_parziale);
}

TEST(DocumentoQt, PdfIsOnePageWithTheText) {
  const CartellaProva c;
  const fs::path f = scrivi(c, Formato::pdf, "p.pdf");
  std::stringstream s;
  s << std::ifstream(f, std::ios::binary).rdbuf();
  const std::string pdf = s.str();
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos);
  EXPECT_NE(pdf.find("/Count 1"), std::string::npos);  // one page
  // Times New Roman, or its metric twin where it is not installed.
  EXPECT_TRUE(pdf.find("TimesNewRoman") != std::string::npos ||
              pdf.find("LiberationSerif") != std::string::npos);
  if (std::system("pdftotext -v >/dev/null 2>&1") != 0) return;  // optional text check
  const std::string txt = (c.percorso / "p.txt").string();
  ASSERT_EQ(std::system(("pdftotext '" + f.string() + "' '" + txt + "'").c_str()), 0);
  std::stringstream t;
  t << std::ifstream(txt).rdbuf();
  for (const std::string& riga :
       {std::string("PROSPETTO ZELLORA"), riga29, std::string("mensilit\u00e0 aggiuntive"),
        std::string("n\u00e8")}) {
    EXPECT_NE(t.str().find(riga), std::string::npos) << riga;
  }
}

int main(int argc, char** argv) {
  // Also when ctest lists the tests, before its environment applies.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
