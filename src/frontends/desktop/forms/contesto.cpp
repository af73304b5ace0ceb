#include "forms/contesto.h"

#include <QAbstractButton>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

#include "form/verifica.h"

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

QString cartella_prospetti_utente(QString& errore) {
  auto percorso = [](const QString& p) {
    return std::filesystem::path(QDir::cleanPath(p).toStdU16String());
  };
  // Without a home (HOME unset) the documents location is "//Documents",
  // the home "/" and "Documents": a folder at the root of the file system,
  // not the user's.
  QString documenti = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documenti.startsWith(QStringLiteral("//")) || !QDir::isAbsolutePath(documenti)) {
    documenti.clear();
  }
  std::string perche;
  const std::filesystem::path cartella =
      cartella_prospetti(percorso(documenti), percorso(QDir::tempPath()), perche);
  errore = QString::fromStdString(perche);
  return QString::fromStdU16String(cartella.u16string());
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

namespace {

class InvioPreme : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* oggetto, QEvent* evento) override {
    if (evento->type() != QEvent::KeyPress) return false;
    const auto* tasto = static_cast<QKeyEvent*>(evento);
    if (tasto->key() != Qt::Key_Return && tasto->key() != Qt::Key_Enter) return false;
    if ((tasto->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    auto* pulsante = qobject_cast<QAbstractButton*>(oggetto);
    if (pulsante != nullptr && pulsante->isEnabled() && !tasto->isAutoRepeat()) pulsante->click();
    return true;
  }
};

void messaggio(QMessageBox::Icon icona, QWidget* proprietario, const QString& testo) {
  QMessageBox box(
      icona, QString::fromUtf8(titolo_applicazione.data(), qsizetype(titolo_applicazione.size())),
      testo, QMessageBox::Ok, proprietario);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
}

}  // namespace

void invio_preme(QAbstractButton* pulsante) {
  pulsante->installEventFilter(new InvioPreme(pulsante));
}

void messaggio_critico(QWidget* proprietario, const QString& testo) {
  messaggio(QMessageBox::Critical, proprietario, testo);
}

void messaggio_informativo(QWidget* proprietario, const QString& testo) {
  messaggio(QMessageBox::Information, proprietario, testo);
}

bool messaggio_informativo_con_scelta(QWidget* proprietario, const QString& testo,
                                      const QString& scelta) {
  QMessageBox box(
      QMessageBox::Information,
      QString::fromUtf8(titolo_applicazione.data(), qsizetype(titolo_applicazione.size())), testo,
      QMessageBox::Ok, proprietario);
  QPushButton* altro = box.addButton(scelta, QMessageBox::ActionRole);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  return box.clickedButton() == altro;
}

}  // namespace zellora
