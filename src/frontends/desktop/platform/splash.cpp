#include "platform/splash.h"

#include <QPropertyAnimation>

namespace zellora {

void porta_davanti(QWidget* finestra) {
  if (finestra->isMinimized()) {
    finestra->setWindowState(finestra->windowState() & ~Qt::WindowMinimized);
  }
  finestra->show();
  finestra->raise();
  finestra->activateWindow();
}

Splash::~Splash() {
  if (animazione_ != nullptr) animazione_->stop();
}

void Splash::imposta_finestra(QWidget* finestra) {
  if (finestra_ != finestra) ferma();
  finestra_ = finestra;
}

void Splash::prepara() {
  if (finestra_ == nullptr || finestra_->isVisible()) return;
  finestra_->setWindowOpacity(0.0);
}

void Splash::mostra_con_effetto(int effetto) {
  if (finestra_ == nullptr) return;
  if (animazione_ != nullptr) animazione_->stop();
  const bool dissolvenza = effetto == 1 && finestra_->windowOpacity() < 1.0;
  porta_davanti(finestra_);
  if (!dissolvenza) {
    finestra_->setWindowOpacity(1.0);
    return;
  }
  auto* animazione = new QPropertyAnimation(finestra_, "windowOpacity", finestra_);
  animazione->setDuration(durata_dissolvenza_ms);
  animazione->setStartValue(finestra_->windowOpacity());
  animazione->setEndValue(1.0);
  animazione->setEasingCurve(QEasingCurve::OutCubic);
  animazione_ = animazione;
  animazione->start(QAbstractAnimation::DeleteWhenStopped);
}

void Splash::ferma() {
  if (animazione_ != nullptr) {
    animazione_->stop();  // deletes it
  }
  if (finestra_ != nullptr) finestra_->setWindowOpacity(1.0);
}

bool Splash::effetto_in_corso() const {
  return animazione_ != nullptr && animazione_->state() == QAbstractAnimation::Running;
}

}  // namespace zellora
