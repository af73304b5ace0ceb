#include "export/documento_qt.h"

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
#include <QTextDocumentWriter>
#include <QTextFrame>
#include <QTextFrameFormat>
#include <stdexcept>

#include "export/docx.h"
#include "export/file_atomico.h"

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
  richiedi_applicazione();
  const std::unique_ptr<QTextDocument> doc = documento_testo(prospetto);
  QByteArray dati;
  QBuffer buffer(&dati);
  buffer.open(QIODevice::WriteOnly);
  QTextDocumentWriter writer(&buffer, "odf");
  if (!writer.write(doc.get())) throw std::runtime_error("the ODT writer failed");
  return dati;
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
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(20, 25, 20, 20), QPageLayout::Millimeter));
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
