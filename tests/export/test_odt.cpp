// The OpenDocument statement, written without Qt and read back.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/file_atomico.h"
#include "form/buste_paga.h"
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

// The year of payslips after the statement, from a new page in both
// formats: its paragraphs, the cells of its table in order (the short
// table's headings, a line for each payslip and the totals), the legend,
// the reconciliation and next year's lines, in the smaller size; the page
// stays the statement's.
TEST(Odt, TheYearOfPayslipsOnAPageOfItsOwn) {
  Motore motore(Locale::italiano());
  motore.usa_normativa("2026");
  CampiForm1 campi;
  campi.Combo4 = "2026";
  campi.Text1 = "30000";
  campi.List1 = "Impiegato";
  campi.List2 = "Terziario e commercio fino a 5 dipendenti";
  campi.Combo5 = "Lombardia";
  campi.Text22 = "MILANO (MI)";
  ASSERT_TRUE(motore.scegli_settore(campi.List1, campi.List2));
  const EsitoBuste buste = buste_paga(motore, campi, {});
  ASSERT_TRUE(buste.anno);
  Prospetto p = componi_prospetto(motore.risultati(), false, Locale::italiano()).prospetto.value();
  const std::size_t prima = p.paragrafi.size();
  p.sezione = sezione_buste(buste, Locale::italiano());
  ASSERT_TRUE(p.sezione);
  const SezioneProspetto& s = *p.sezione;
  EXPECT_EQ(s.prima.front().testo, "Buste paga dell'anno");
  ASSERT_EQ(s.tabella.righe.size(), buste.anno->buste.size() + 1);
  EXPECT_EQ(s.tabella.righe.back().celle.front(), "Totale");
  EXPECT_TRUE(s.tabella.righe.back().grassetto);
  std::vector<std::string> testi;
  for (const Paragrafo& x : p.paragrafi) testi.push_back(x.testo);
  for (const Paragrafo& x : s.prima) testi.push_back(x.testo);
  const std::size_t celle = testi.size();
  for (const std::string& t : s.tabella.intestazioni) testi.push_back(t);
  for (const RigaTabella& r : s.tabella.righe)
    testi.insert(testi.end(), r.celle.begin(), r.celle.end());
  const std::size_t dopo = testi.size();
  for (const Paragrafo& x : s.dopo) testi.push_back(x.testo);
  const CartellaProva c;
  for (const Formato formato : {Formato::docx, Formato::odt}) {
    const fs::path f = c.percorso / (formato == Formato::docx ? "p.docx" : "p.odt");
    const std::optional<Errore> errore = scrivi_prospetto(p, formato, f);
    ASSERT_EQ(errore, std::nullopt) << errore->testo();
    const DocumentoLetto d = formato == Formato::docx ? leggi_docx(f) : leggi_odt(f);
    EXPECT_EQ(d.errore_xml, "");
    std::vector<std::string> letti;
    for (const Paragrafo& x : d.paragrafi) letti.push_back(x.testo);
    EXPECT_EQ(letti, testi) << nome_formato(formato);
    EXPECT_EQ(d.pagine_nuove, std::vector<std::size_t>{prima}) << nome_formato(formato);
    ASSERT_EQ(d.caratteri_paragrafi.size(), testi.size());
    for (std::size_t i = celle; i < dopo; ++i) {
      EXPECT_EQ(d.caratteri_paragrafi[i], i < celle + s.tabella.intestazioni.size()
                                              ? "Times New Roman/7pt"
                                              : "Times New Roman/8pt")
          << nome_formato(formato) << i;
    }
    EXPECT_TRUE(stessa_pagina(d.pagina, {210, 297, 25, 20, 20, 20}));
    // The line of totals: each figure is that of the year's totals.
    const std::vector<std::string> totale(letti.begin() + std::ptrdiff_t(dopo) - 11,
                                          letti.begin() + std::ptrdiff_t(dopo));
    EXPECT_EQ(totale.front(), "Totale");
    EXPECT_EQ(totale.back(), formato_F_centesimi(buste.anno->totale.netto, Locale::italiano()));
  }
}
