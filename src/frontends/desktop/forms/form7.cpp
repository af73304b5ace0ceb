#include "forms/form7.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/splash.h"

namespace zellora {

Form7::Form7(Contesto contesto, QWidget* parent)
    : QWidget(parent, Qt::Window), contesto_(std::move(contesto)) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(QStringLiteral("Grafici"));
  font_finestra(this);
  pannello_ = new PannelloGrafici;
  auto* colonna = new QVBoxLayout(this);
  colonna->setContentsMargins(8, 8, 8, 8);
  // The charts scroll in a window that the screen makes smaller than they
  // can be drawn; "Chiudi" stays in sight.
  pannello_->setObjectName(QStringLiteral("pannello"));
  colonna->addWidget(area_scorrevole(pannello_, true));
  // "Chiudi", and Esc, close the window.
  auto* chiudi = new QPushButton(QStringLiteral("Chiudi"), this);
  chiudi->setObjectName(QStringLiteral("Chiudi"));
  connect(chiudi, &QPushButton::clicked, this, &QWidget::close);
  invio_preme(chiudi);
  auto* riga = new QHBoxLayout;
  riga->addStretch(1);
  riga->addWidget(chiudi);
  colonna->addLayout(riga);
  resize(820, 760);
  if (Skin1_.carica(contesto_.file_skin)) Skin1_.applica(this);
}

void Form7::aggiorna() {
  if (contesto_.motore == nullptr) {
    pannello_->mostra(std::nullopt, Locale::italiano());
    return;
  }
  const Motore& motore = *contesto_.motore;
  pannello_->mostra(dati_grafici(motore), motore.locale(), netto_voluto(motore));
}

void Form7::mostra(const QWidget* origine) {
  if (!isVisible()) {
    if (lasciata_) {
      move(*lasciata_);
    } else {
      colloca(this, origine);
    }
  }
  porta_davanti(this);
  tieni_sullo_schermo(this);
}

void Form7::keyPressEvent(QKeyEvent* evento) {
  // Esc closes the window, as a dialog's.
  if (evento->key() == Qt::Key_Escape && evento->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(evento);
}

void Form7::hideEvent(QHideEvent* evento) {
  QWidget::hideEvent(evento);
  lasciata_ = pos();
}

}  // namespace zellora
