#include "platform/skin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QWidget>

namespace zellora {

namespace {
// A skin larger than this is not a style sheet written for these windows.
constexpr qint64 dimensione_massima = 1024 * 1024;
}  // namespace

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
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) {
    errore_ = f.errorString();
    return false;
  }
  if (f.size() > dimensione_massima) {
    errore_ = QStringLiteral("file troppo grande");
    return false;
  }
  const QByteArray dati = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    errore_ = f.errorString();
    return false;
  }
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
