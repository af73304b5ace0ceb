#include "forms/casella_risultato.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace zellora {

namespace {

// The blank QLineEdit keeps on each side of its text.
constexpr int margine_orizzontale = 2;

}  // namespace

CasellaRisultato::CasellaRisultato(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &CasellaRisultato::aggiorna_suggerimento);
}

QRect CasellaRisultato::area_testo() const {
  QStyleOptionFrame opzioni;
  initStyleOption(&opzioni);
  QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &opzioni, this);
  r = r.marginsRemoved(textMargins());
  return r.adjusted(margine_orizzontale, 0, -margine_orizzontale, 0);
}

QFont CasellaRisultato::font_per(int larghezza) const {
  // Down to seven tenths of the size, by quarters of a point, before the
  // text is cut: a long amount stays a whole number.
  QFont f = font();
  const double pieno = f.pointSizeF() > 0 ? f.pointSizeF() : 8.25;
  for (double p = pieno - 0.25; p >= pieno * 0.7; p -= 0.25) {
    f.setPointSizeF(p);
    if (QFontMetrics(f).horizontalAdvance(text()) <= larghezza) return f;
  }
  return f;
}

QFont CasellaRisultato::font_mostrato() const {
  return stringe() ? font_per(area_testo().width()) : font();
}

QString CasellaRisultato::testo_mostrato() const {
  if (!stringe()) return text();
  const int larghezza = area_testo().width();
  return QFontMetrics(font_per(larghezza)).elidedText(text(), Qt::ElideRight, larghezza);
}

bool CasellaRisultato::largo() const {
  return fontMetrics().horizontalAdvance(text()) > area_testo().width();
}

bool CasellaRisultato::stringe() const { return !hasFocus() && largo(); }

void CasellaRisultato::aggiorna_suggerimento() { setToolTip(largo() ? text() : QString()); }

void CasellaRisultato::paintEvent(QPaintEvent* evento) {
  if (!stringe()) {
    QLineEdit::paintEvent(evento);
    return;
  }
  // The frame and background as the style draws them, then the text in the
  // font that fits, cut only if even the smallest does not.
  QPainter pittore(this);
  QStyleOptionFrame opzioni;
  initStyleOption(&opzioni);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &opzioni, &pittore, this);
  const QRect r = area_testo();
  const QFont f = font_per(r.width());
  const QString mostrato = QFontMetrics(f).elidedText(text(), Qt::ElideRight, r.width());
  pittore.setFont(f);
  pittore.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  pittore.drawText(
      r,
      int(alignment() & Qt::AlignVertical_Mask) |
          (mostrato == text() ? int(alignment() & Qt::AlignHorizontal_Mask) : int(Qt::AlignLeft)),
      mostrato);
}

void CasellaRisultato::resizeEvent(QResizeEvent* evento) {
  QLineEdit::resizeEvent(evento);
  aggiorna_suggerimento();
}

void CasellaRisultato::changeEvent(QEvent* evento) {
  QLineEdit::changeEvent(evento);
  if (evento->type() == QEvent::FontChange || evento->type() == QEvent::StyleChange) {
    aggiorna_suggerimento();
  }
}

void CasellaRisultato::focusInEvent(QFocusEvent* evento) {
  QLineEdit::focusInEvent(evento);
  update();
}

void CasellaRisultato::focusOutEvent(QFocusEvent* evento) {
  QLineEdit::focusOutEvent(evento);
  update();
}

}  // namespace zellora
