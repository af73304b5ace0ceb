// The PDF statement, laid out by Qt, and the desktop opener.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "lettura.h"
#include "statement/apertore_desktop_qt.h"
#include "statement/documento_qt.h"
#include "statement/formato.h"

using namespace zellora;
using namespace zellora::prova;
namespace fs = std::filesystem;

namespace {

fs::path scrivi(const CartellaProva& c, Formato formato, const std::string& nome) {
  // The longest statement: today's law with both surcharges, and the inputs.
  Risultati r = risultati_prova();
  r.normativa = "2026";
  r.righe_attuali = true;
  r.righe_addizionali = true;
  for (int n : {22, 23, 24, 25, 26}) r.imposta_testo(n, "1.000,00");
  CalcoloProspetto calcolo;
  calcolo.data = "08/12/2026";
  calcolo.campi.List1 = "Collaborazioni Coordinate e Continuative";
  calcolo.campi.List2 = "Iscritto ad altre forme di previdenza obbligatoria";
  calcolo.campi.Combo3 = "Si";
  calcolo.campi.Text4 = "2";
  calcolo.campi.Combo1 = "100";
  calcolo.campi.Text3 = "1";
  calcolo.campi.Combo2 = "50";
  calcolo.campi.Combo5 = "Lombardia";
  calcolo.campi.Text22 = "MILANO (MI)";
  const Prospetto p = componi_prospetto(r, true, Locale::italiano(), &calcolo).prospetto.value();
  const std::optional<Errore> errore =
      scrivi_prospetto(p, formato, c.percorso / nome, documento_pdf);
  EXPECT_EQ(errore, std::nullopt) << errore->testo();
  return c.percorso / nome;
}

const std::string riga29 = "Costo del Lavoro : 2.345,67 (=annui euro 28148,04)";

}  // namespace

TEST(DocumentoQt, PdfIsOnePageWithTheText) {
  const CartellaProva c;
  const fs::path f = scrivi(c, Formato::pdf, "p.pdf");
  std::stringstream s;
  s << std::ifstream(f, std::ios::binary).rdbuf();
  const std::string pdf = s.str();
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos);
  EXPECT_NE(pdf.find("/Count 1"), std::string::npos);            // one page
  EXPECT_NE(pdf.find("/MediaBox [0 0 595"), std::string::npos);  // A4: 595 x 842 points
  EXPECT_NE(pdf.find(" 842"), std::string::npos);
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
  // The margins: the text starts 2 cm from the left; the heading, after one
  // empty line, below the top margin of 2.5 cm.
  const std::string parole = (c.percorso / "p.html").string();
  ASSERT_EQ(std::system(("pdftotext -bbox '" + f.string() + "' '" + parole + "'").c_str()), 0);
  std::stringstream b;
  b << std::ifstream(parole).rdbuf();
  auto posizione = [&](const std::string& parola, const char* coordinata) {
    const std::size_t fine = b.str().find(">" + parola + "</word>");
    const std::size_t inizio = b.str().rfind("<word ", fine);
    const std::size_t v = b.str().find(std::string(coordinata) + "=\"", inizio);
    return fine == std::string::npos ? -1.0 : std::stod(b.str().substr(v + 6));
  };
  const double punti_per_mm = 72 / 25.4;
  EXPECT_NEAR(posizione("Retribuzione", "xMin"), 20 * punti_per_mm, 1.0);
  const double titolo = posizione("PROSPETTO", "yMin");
  EXPECT_GT(titolo, 25 * punti_per_mm + 12);
  EXPECT_LT(titolo, 25 * punti_per_mm + 2 * 12 * 1.2);
}

// The desktop is asked to open the file that was written, on this machine.
TEST(ApertoreDesktopQt, UrlOfTheLocalFile) {
  const std::pair<std::string, QString> casi[] = {
      {"//Documents/Zellora/Prospetto.docx", "/Documents/Zellora/Prospetto.docx"},
      {"/home/a/Documents//Zellora/./P #1 50%.docx", "/home/a/Documents/Zellora/P #1 50%.docx"},
  };
  for (const auto& [file, atteso] : casi) {
    const QUrl url = url_del_file(file);
    EXPECT_TRUE(url.isLocalFile()) << file;
    EXPECT_EQ(url.host().toStdString(), "") << file;
    EXPECT_EQ(url.toLocalFile().toStdString(), atteso.toStdString()) << file;
  }
}

int main(int argc, char** argv) {
  // Also when ctest lists the tests, before its environment applies.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
