#include "forms/contesto.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

#include "engine/verifica.h"

namespace zellora {

void centra(QWidget* finestra) {
  QScreen* schermo = finestra->screen();
  if (schermo == nullptr) schermo = QGuiApplication::primaryScreen();
  if (schermo == nullptr) return;
  const QRect area = schermo->availableGeometry();
  const QSize dimensione = finestra->frameGeometry().size().expandedTo(finestra->size());
  finestra->move(area.x() + (area.width() - dimensione.width()) / 2,
                 area.y() + (area.height() - dimensione.height()) / 2);
}

void font_finestra(QWidget* finestra) {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(8.25);
  finestra->setFont(font);
}

void font_comando(QWidget* pulsante) {
  QFont font(QStringLiteral("Verdana"));
  font.setPointSizeF(9.75);
  font.setBold(true);
  pulsante->setFont(font);
}

void messaggio_critico(QWidget* proprietario, const QString& testo) {
  QMessageBox box(
      QMessageBox::Critical,
      QString::fromUtf8(titolo_applicazione.data(), qsizetype(titolo_applicazione.size())), testo,
      QMessageBox::Ok, proprietario);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
}

}  // namespace zellora
