// A box of the results window: a read-only line whose text is always whole
// (for copying and for whoever reads it). A text wider than the box is
// shown in a smaller font, down to seven tenths of the size, and only when
// even that does not fit, cut with "…" at its end; it is whole in the box's
// tooltip. While the box has the focus it shows the real text, which
// scrolls as usual.
#pragma once

#include <QLineEdit>
#include <QString>

namespace zellora {

class CasellaRisultato : public QLineEdit {
  Q_OBJECT

 public:
  explicit CasellaRisultato(QWidget* parent = nullptr);

  // The text as painted now: the whole text, or its start and "…", and the
  // font it is painted in.
  QString testo_mostrato() const;
  QFont font_mostrato() const;

 protected:
  void paintEvent(QPaintEvent* evento) override;
  void resizeEvent(QResizeEvent* evento) override;
  void changeEvent(QEvent* evento) override;
  void focusInEvent(QFocusEvent* evento) override;
  void focusOutEvent(QFocusEvent* evento) override;

 private:
  QRect area_testo() const;
  bool largo() const;                   // the text is wider than the box in its font
  bool stringe() const;                 // it is, and the box is not focused
  QFont font_per(int larghezza) const;  // the largest font that fits `larghezza`
  void aggiorna_suggerimento();
};

}  // namespace zellora
