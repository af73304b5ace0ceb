#include "statement/documento_qt.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextFrameFormat>
#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "statement/docx.h"
#include "statement/file_atomico.h"

namespace zellora {

namespace {

QString da_utf8(std::string_view testo) {
  return QString::fromUtf8(testo.data(), static_cast<qsizetype>(testo.size()));
}

// A paragraph's text as the document shows it. A line break would split the
// paragraph in two, so it shows as a blank, as in the Word document; other
// control characters, which the OpenDocument XML cannot carry, show as
// U+FFFD (broken UTF-8 already does).
QString testo_paragrafo(std::string_view testo) {
  QString s = da_utf8(testo);
  for (QChar& c : s) {
    const char16_t u = c.unicode();
    if (u == u'\n' || u == u'\r' || u == 0x0B || u == 0x0C || u == 0x2028 || u == 0x2029) {
      c = QChar(u' ');
    } else if ((u < 0x20 && u != u'\t') || u == 0xFFFE || u == 0xFFFF) {
      c = QChar(0xFFFD);
    }
  }
  return s;
}

QFont carattere() {
  QFont f(da_utf8(carattere_prospetto));
  f.setPointSize(punti_prospetto);
  return f;
}

QTextCharFormat formato_carattere(bool grassetto) {
  QTextCharFormat c;
  c.setFontFamilies({da_utf8(carattere_prospetto)});
  // Qt 6.4's OpenDocument writer reads only the single-family property of
  // Qt 5 and writes "Sans" when it is missing.
  c.setProperty(QTextFormat::OldFontFamily, da_utf8(carattere_prospetto));
  c.setFontPointSize(punti_prospetto);
  c.setFontWeight(grassetto ? QFont::Bold : QFont::Normal);
  return c;
}

QTextBlockFormat formato_paragrafo(Allineamento a) {
  QTextBlockFormat b;
  if (a == Allineamento::centro) b.setAlignment(Qt::AlignHCenter);
  if (a == Allineamento::sinistra) b.setAlignment(Qt::AlignLeft);
  return b;
}

// The OpenDocument text is written here rather than by Qt, whose writer
// gives the empty paragraphs no font and the document no page.

constexpr std::string_view xml_intestazione = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

constexpr std::string_view spazi_nomi_odt =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.2\"";

const std::string manifesto_odt =
    std::string(xml_intestazione) +
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
    "manifest:version=\"1.2\">"
    "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
    "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
    "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
    "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>"
    "<manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>"
    "</manifest:manifest>";

std::string millimetri(double mm) {
  QString t = QString::number(mm, 'f', 2);
  while (t.endsWith(QLatin1Char('0'))) t.chop(1);
  if (t.endsWith(QLatin1Char('.'))) t.chop(1);
  return t.toStdString() + "mm";
}

std::string font_odt() { return testo_xml(carattere_prospetto); }

std::string dichiarazione_font() {
  return "<office:font-face-decls><style:font-face style:name=\"" + font_odt() +
         "\" svg:font-family=\"&apos;" + font_odt() +
         "&apos;\" style:font-family-generic=\"roman\" style:font-pitch=\"variable\"/>"
         "</office:font-face-decls>";
}

// The font and size of the whole document, on every paragraph and run.
std::string proprieta_testo(bool grassetto, std::string_view altro = {}) {
  std::string x = "<style:text-properties style:font-name=\"" + font_odt() +
                  "\" fo:font-family=\"" + font_odt() + "\" fo:font-size=\"" +
                  std::to_string(punti_prospetto) + "pt\"";
  x += altro;
  if (grassetto) {
    x += " fo:font-weight=\"bold\" style:font-weight-asian=\"bold\" "
         "style:font-weight-complex=\"bold\"";
  }
  return x + "/>";
}

std::string meta_odt() {
  return std::string(xml_intestazione) + "<office:document-meta" + std::string(spazi_nomi_odt) +
         "><office:meta><meta:generator>Zellora</meta:generator><dc:title>" +
         testo_xml(titolo_prospetto) +
         "</dc:title><dc:language>it-IT</dc:language>"
         "</office:meta></office:document-meta>";
}

std::string stili_odt() {
  const PaginaProspetto& p = pagina_prospetto;
  return std::string(xml_intestazione) + "<office:document-styles" + std::string(spazi_nomi_odt) +
         ">" + dichiarazione_font() +
         "<office:styles><style:default-style style:family=\"paragraph\">"
         "<style:paragraph-properties fo:margin-top=\"0mm\" fo:margin-bottom=\"0mm\"/>" +
         proprieta_testo(false, " fo:language=\"it\" fo:country=\"IT\"") +
         "</style:default-style>"
         "<style:style style:name=\"Standard\" style:family=\"paragraph\" "
         "style:class=\"text\"/></office:styles>"
         "<office:automatic-styles><style:page-layout style:name=\"pagina\">"
         "<style:page-layout-properties fo:page-width=\"" +
         millimetri(p.larghezza) + "\" fo:page-height=\"" + millimetri(p.altezza) +
         "\" style:print-orientation=\"portrait\" fo:margin-top=\"" + millimetri(p.sopra) +
         "\" fo:margin-right=\"" + millimetri(p.destra) + "\" fo:margin-bottom=\"" +
         millimetri(p.sotto) + "\" fo:margin-left=\"" + millimetri(p.sinistra) +
         "\"/></style:page-layout></office:automatic-styles>"
         "<office:master-styles><style:master-page style:name=\"Standard\" "
         "style:page-layout-name=\"pagina\"/></office:master-styles>"
         "</office:document-styles>";
}

// A paragraph's text in OpenDocument markup: as testo_paragrafo shows it,
// blanks that would collapse kept as <text:s/>, tabs as <text:tab/>.
std::string testo_odt(std::string_view testo) {
  const std::string t = testo_paragrafo(testo).toStdString();
  std::string x;
  std::size_t i = 0;
  while (i < t.size()) {
    if (t[i] == '\t') {
      x += "<text:tab/>";
      ++i;
      continue;
    }
    if (t[i] != ' ') {
      const std::size_t fine = std::min(t.find_first_of(" \t", i), t.size());
      x += testo_xml(std::string_view(t).substr(i, fine - i));
      i = fine;
      continue;
    }
    const std::size_t fine = std::min(t.find_first_not_of(' ', i), t.size());
    std::size_t n = fine - i;
    // One blank between words stays as it is; any other is spelt out.
    if (i > 0 && t[i - 1] != '\t' && fine < t.size() && t[fine] != '\t') {
      x += ' ';
      --n;
    }
    if (n == 1) x += "<text:s/>";
    if (n > 1) x += "<text:s text:c=\"" + std::to_string(n) + "\"/>";
    i = fine;
  }
  return x;
}

std::string contenuto_odt(const Prospetto& prospetto) {
  // One paragraph style per alignment; the first paragraph's also names the
  // page.
  auto nome_stile = [](Allineamento a, bool primo) {
    std::string n = a == Allineamento::centro     ? "Centro"
                    : a == Allineamento::sinistra ? "Sinistra"
                                                  : "Predefinito";
    return primo ? n + "Pagina" : n;
  };
  std::string stili;
  std::set<std::string> fatti;
  bool primo = true;
  for (const Paragrafo& p : prospetto.paragrafi) {
    const std::string nome = nome_stile(p.allineamento, primo);
    if (fatti.insert(nome).second) {
      stili += "<style:style style:name=\"" + nome +
               "\" style:family=\"paragraph\" style:parent-style-name=\"Standard\"";
      if (primo) stili += " style:master-page-name=\"Standard\"";
      stili += "><style:paragraph-properties";
      if (p.allineamento == Allineamento::centro) stili += " fo:text-align=\"center\"";
      if (p.allineamento == Allineamento::sinistra) stili += " fo:text-align=\"start\"";
      stili += "/>" + proprieta_testo(false) + "</style:style>";
    }
    primo = false;
  }
  for (const bool grassetto : {false, true}) {
    stili += std::string("<style:style style:name=\"") + (grassetto ? "Grassetto" : "Normale") +
             "\" style:family=\"text\">" + proprieta_testo(grassetto) + "</style:style>";
  }

  std::string x = std::string(xml_intestazione) + "<office:document-content" +
                  std::string(spazi_nomi_odt) + ">" + dichiarazione_font() +
                  "<office:automatic-styles>" + stili +
                  "</office:automatic-styles><office:body><office:text>";
  primo = true;
  for (const Paragrafo& p : prospetto.paragrafi) {
    x += "<text:p text:style-name=\"" + nome_stile(p.allineamento, primo) + "\"";
    primo = false;
    if (p.testo.empty()) {
      x += "/>";
      continue;
    }
    x += std::string("><text:span text:style-name=\"") + (p.grassetto ? "Grassetto" : "Normale") +
         "\">" + testo_odt(p.testo) + "</text:span></text:p>";
  }
  return x + "</office:text></office:body></office:document-content>";
}

void richiedi_applicazione() {
  if (QGuiApplication::instance() == nullptr) {
    throw std::runtime_error("the ODT and PDF writers need a QGuiApplication");
  }
}

}  // namespace

std::unique_ptr<QTextDocument> documento_testo(const Prospetto& prospetto) {
  auto doc = std::make_unique<QTextDocument>();
  doc->setDefaultFont(carattere());
  doc->setDocumentMargin(0);  // the page margins are the writer's
  doc->setMetaInformation(QTextDocument::DocumentTitle, da_utf8(titolo_prospetto));
  QTextCursor cursore(doc.get());
  bool primo = true;
  for (const Paragrafo& p : prospetto.paragrafi) {
    // The paragraph mark keeps the plain format; only the text is bold.
    if (primo) {
      cursore.setBlockFormat(formato_paragrafo(p.allineamento));
      cursore.setBlockCharFormat(formato_carattere(false));
      primo = false;
    } else {
      cursore.insertBlock(formato_paragrafo(p.allineamento), formato_carattere(false));
    }
    if (!p.testo.empty()) {
      cursore.insertText(testo_paragrafo(p.testo), formato_carattere(p.grassetto));
    }
  }
  return doc;
}

QByteArray documento_odt(const Prospetto& prospetto) {
  std::vector<std::pair<std::string, std::string>> parti = {
      {"mimetype", "application/vnd.oasis.opendocument.text"},
      {"META-INF/manifest.xml", manifesto_odt},
      {"meta.xml", meta_odt()},
      {"styles.xml", stili_odt()},
      {"content.xml", contenuto_odt(prospetto)},
  };
  const std::string dati = pacchetto_zip(parti, true);
  return QByteArray(dati.data(), static_cast<qsizetype>(dati.size()));
}

QByteArray documento_pdf(const Prospetto& prospetto) {
  richiedi_applicazione();
  const std::unique_ptr<QTextDocument> doc = documento_testo(prospetto);
  QByteArray dati;
  QBuffer buffer(&dati);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setCreator(QStringLiteral("Zellora"));
    pdf.setTitle(da_utf8(titolo_prospetto));
    const PaginaProspetto& p = pagina_prospetto;
    pdf.setPageLayout(QPageLayout(
        QPageSize(QSizeF(p.larghezza, p.altezza), QPageSize::Millimeter), QPageLayout::Portrait,
        QMarginsF(p.sinistra, p.sopra, p.destra, p.sotto), QPageLayout::Millimeter));
    // Laid out for the writer's own resolution and page, so that print()
    // neither rescales it nor adds margins or page numbers of its own.
    doc->documentLayout()->setPaintDevice(&pdf);
    doc->setPageSize(QSizeF(pdf.width(), pdf.height()));
    doc->print(&pdf);
  }
  if (dati.isEmpty()) throw std::runtime_error("the PDF writer failed");
  return dati;
}

bool scrivi_prospetto(const Prospetto& prospetto, Formato formato,
                      const std::filesystem::path& file, std::string& errore) {
  if (formato == Formato::docx) return scrivi_docx(prospetto, file, errore);
  QByteArray dati;
  try {
    dati = formato == Formato::odt ? documento_odt(prospetto) : documento_pdf(prospetto);
  } catch (const std::runtime_error& e) {
    errore = e.what();
    return false;
  }
  if (auto e = scrivi_file(
          file, std::string_view(dati.constData(), static_cast<std::size_t>(dati.size())))) {
    errore = *e;
    return false;
  }
  return true;
}

}  // namespace zellora
