#include "statement/documento_qt.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QByteArray>
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
#include <stdexcept>
#include <string>
#include <string_view>

#include "statement/odt.h"

namespace zellora {

namespace {

QString da_utf8(std::string_view testo) {
  return QString::fromUtf8(testo.data(), static_cast<qsizetype>(testo.size()));
}

// A paragraph's text as the document shows it (see testo_paragrafo).
QString testo_mostrato(std::string_view testo) { return da_utf8(testo_paragrafo(testo)); }

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
    throw std::runtime_error("the PDF writer needs a QGuiApplication");
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
      cursore.insertText(testo_mostrato(p.testo), formato_carattere(p.grassetto));
    }
  }
  return doc;
}

std::string documento_pdf(const Prospetto& prospetto) {
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
  return std::string(dati.constData(), static_cast<std::size_t>(dati.size()));
}

}  // namespace zellora
