// The popup effect: a window shown with a short fade-in. The four
// operations are used in this order: the target window, prepare, show with
// the effect; stop before the window goes away.
#pragma once

#include <QPointer>
#include <QWidget>

class QPropertyAnimation;

namespace zellora {

// Shows a window in front of the others and active; a window the operator
// minimised comes back to its normal state, so that what is shown is seen.
void porta_davanti(QWidget* finestra);

class Splash {
 public:
  Splash() = default;
  Splash(const Splash&) = delete;
  Splash& operator=(const Splash&) = delete;
  ~Splash();

  // The window that the effect works on.
  void imposta_finestra(QWidget* finestra);

  // Gets the window ready for the effect (fully transparent while hidden;
  // a window already visible stays as it is).
  void prepara();

  // Shows the window, raised and active, with the given effect: 1 is a
  // short fade-in, any other value shows it at once. The window is visible
  // when this returns.
  void mostra_con_effetto(int effetto);

  // Stops a running effect and leaves the window fully opaque.
  void ferma();

  bool effetto_in_corso() const;

  static constexpr int durata_dissolvenza_ms = 180;

 private:
  QPointer<QWidget> finestra_;
  QPointer<QPropertyAnimation> animazione_;
};

}  // namespace zellora
