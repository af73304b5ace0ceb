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
#include <QTextTable>
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

QTextCharFormat formato_carattere(bool grassetto, int punti = punti_prospetto) {
  QTextCharFormat c;
  c.setFontFamilies({da_utf8(carattere_prospetto)});
  // Qt 6.4's OpenDocument writer reads only the single-family property of
  // Qt 5 and writes "Sans" when it is missing.
  c.setProperty(QTextFormat::OldFontFamily, da_utf8(carattere_prospetto));
  c.setFontPointSize(punti);
  c.setFontWeight(grassetto ? QFont::Bold : QFont::Normal);
  return c;
}

QTextBlockFormat formato_paragrafo(Allineamento a) {
  QTextBlockFormat b;
  if (a == Allineamento::centro) b.setAlignment(Qt::AlignHCenter);
  if (a == Allineamento::sinistra) b.setAlignment(Qt::AlignLeft);
  if (a == Allineamento::destra) b.setAlignment(Qt::AlignRight);
  return b;
}

// The section from a new page: its paragraphs, its table across the width
// of the page (the columns of amounts of their width, the first the rest),
// its paragraphs.
void scrivi_sezione(QTextCursor& cursore, const SezioneProspetto& sezione) {
  const auto paragrafo = [&](const Paragrafo& p, bool pagina_nuova) {
    QTextBlockFormat b = formato_paragrafo(p.allineamento);
    if (pagina_nuova) b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursore.insertBlock(b, formato_carattere(false, p.punti));
    if (!p.testo.empty()) {
      cursore.insertText(testo_mostrato(p.testo), formato_carattere(p.grassetto, p.punti));
    }
  };
  bool primo = true;
  for (const Paragrafo& p : sezione.prima) {
    paragrafo(p, primo);
    primo = false;
  }
  const TabellaProspetto& t = sezione.tabella;
  const int colonne = static_cast<int>(t.intestazioni.size());
  if (colonne > 0) {
    const PaginaProspetto& pg = pagina_prospetto;
    const double larga = pg.larghezza - pg.sinistra - pg.destra;
    QTextTableFormat f;
    f.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    f.setCellSpacing(0);
    f.setCellPadding(1);
    f.setHeaderRowCount(1);
    f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> larghezze;
    for (int i = 0; i < colonne; ++i) {
      const double mm = i == 0 ? larga - larghezza_colonna_prospetto * (colonne - 1)
                               : larghezza_colonna_prospetto;
      larghezze << QTextLength(QTextLength::PercentageLength, mm / larga * 100);
    }
    f.setColumnWidthConstraints(larghezze);
    QTextTable* tabella = cursore.insertTable(static_cast<int>(t.righe.size()) + 1, colonne, f);
    const auto riga = [&](int n, const std::vector<std::string>& celle, bool grassetto, int punti) {
      for (int i = 0; i < colonne; ++i) {
        QTextCursor c = tabella->cellAt(n, i).firstCursorPosition();
        c.setBlockFormat(formato_paragrafo(i == 0 ? Allineamento::sinistra : Allineamento::destra));
        c.setBlockCharFormat(formato_carattere(false, punti));
        if (static_cast<std::size_t>(i) < celle.size() && !celle[std::size_t(i)].empty()) {
          c.insertText(testo_mostrato(celle[std::size_t(i)]), formato_carattere(grassetto, punti));
        }
      }
    };
    riga(0, t.intestazioni, true, punti_intestazioni_prospetto);
    for (std::size_t n = 0; n < t.righe.size(); ++n) {
      riga(static_cast<int>(n) + 1, t.righe[n].celle, t.righe[n].grassetto,
           punti_sezione_prospetto);
    }
    cursore.movePosition(QTextCursor::End);
  }
  for (const Paragrafo& p : sezione.dopo) paragrafo(p, false);
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
  if (prospetto.sezione) scrivi_sezione(cursore, *prospetto.sezione);
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
