#include "forms/form7.h"

#include <QVBoxLayout>

#include "platform/splash.h"

namespace zellora {

Form7::Form7(Contesto contesto, QWidget* parent)
    : QWidget(parent, Qt::Window), contesto_(std::move(contesto)) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(QStringLiteral("Grafici"));
  font_finestra(this);
  pannello_ = new PannelloGrafici(this);
  auto* colonna = new QVBoxLayout(this);
  colonna->setContentsMargins(8, 8, 8, 8);
  colonna->addWidget(pannello_);
  resize(820, 760);
  if (Skin1_.carica(contesto_.file_skin)) Skin1_.applica(this);
  centra(this);
}

void Form7::aggiorna() {
  if (contesto_.motore == nullptr) {
    pannello_->mostra(std::nullopt, Locale::italiano());
    return;
  }
  const Motore& motore = *contesto_.motore;
  pannello_->mostra(dati_grafici(motore), motore.locale(), netto_voluto(motore));
}

void Form7::mostra() {
  if (!isVisible() && lasciata_) move(*lasciata_);
  porta_davanti(this);
}

void Form7::hideEvent(QHideEvent* evento) {
  QWidget::hideEvent(evento);
  lasciata_ = pos();
}

}  // namespace zellora
