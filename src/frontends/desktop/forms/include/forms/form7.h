// Form7 "Grafici": the charts of the last calculation, opened from the
// results window and drawn anew at each calculation while it is open;
// "Chiudi" and Esc close it.
#pragma once

#include <QPoint>
#include <QWidget>
#include <optional>

#include "charts/grafici_qt.h"
#include "forms/contesto.h"
#include "platform/skin.h"

namespace zellora {

class Form7 : public QWidget {
  Q_OBJECT

 public:
  explicit Form7(Contesto contesto, QWidget* parent = nullptr);

  // Draws the charts of the last calculation of the program.
  void aggiorna();

  // Shows the window in front: the first time beside `origine` (the
  // results window) and on its screen, then where the operator left it.
  void mostra(const QWidget* origine = nullptr);

  PannelloGrafici* pannello() const { return pannello_; }

 protected:
  void hideEvent(QHideEvent* evento) override;
  void keyPressEvent(QKeyEvent* evento) override;

 private:
  Contesto contesto_;
  Skin Skin1_;
  PannelloGrafici* pannello_;
  std::optional<QPoint> lasciata_;
};

}  // namespace zellora
