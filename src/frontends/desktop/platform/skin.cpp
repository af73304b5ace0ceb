#include "platform/skin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QWidget>
#include <optional>
#include <string>

#include "base/lettura.h"

namespace zellora {

QString Skin::file_predefinito() {
  return file_predefinito(QCoreApplication::applicationDirPath());
}

QString Skin::file_predefinito(const QString& cartella_programma) {
  const QDir programma(cartella_programma);
  const QString accanto = programma.filePath(QStringLiteral("Paper.skn"));
  if (QFileInfo::exists(accanto)) return accanto;
  // An installation keeps its data relative to the executable, so a copy
  // installed under any prefix finds its skin.
  const QString installata =
      QDir::cleanPath(programma.filePath(QStringLiteral(ZELLORA_DATI_RELATIVI "/Paper.skn")));
  if (QFileInfo::exists(installata)) return installata;
  return accanto;
}

bool Skin::carica(const QString& file) {
  caricata_ = false;
  foglio_.clear();
  errore_.clear();

  if (file.isEmpty()) {
    errore_ = QStringLiteral("nessun file indicato");
    return false;
  }
  // Only a regular file, looked at before it is opened: a FIFO would hold
  // the window until someone writes to it, a device would never end.
  Errore ragione;
  const std::optional<std::string> letto =
      leggi_file(QFile::encodeName(file).toStdString(), limite_skin, ragione, true);
  if (!letto) {
    errore_ = QString::fromStdString(ragione.ragione);
    return false;
  }
  const QByteArray dati = QByteArray::fromStdString(*letto);
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString testo = utf8(dati);
  if (utf8.hasError() || testo.contains(QChar(u'\0'))) {
    errore_ = QStringLiteral("il file non \u00e8 un testo UTF-8");
    return false;
  }
  foglio_ = std::move(testo);
  caricata_ = true;
  return true;
}

void Skin::applica(QWidget* finestra) const {
  if (finestra == nullptr || !caricata_) return;
  finestra->setStyleSheet(foglio_);
}

}  // namespace zellora
