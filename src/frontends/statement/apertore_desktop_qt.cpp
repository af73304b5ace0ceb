#include "statement/apertore_desktop_qt.h"

#include <QDesktopServices>
#include <QDir>
#include <QString>
#include <QUrl>

#include "base/citazione.h"
#include "base/file_atomico.h"

namespace zellora {

QUrl url_del_file(const std::filesystem::path& file) {
  const QString percorso = QString::fromStdU16String(std::filesystem::absolute(file).u16string());
  return QUrl::fromLocalFile(QDir::cleanPath(percorso));
}

bool ApertoreDesktopQt::apri(const std::filesystem::path& file, std::string& errore) {
  if (QDesktopServices::openUrl(url_del_file(file))) return true;
  errore = "nessuna applicazione predefinita ha accettato di aprire " +
           citazione_file(testo_percorso(file));
  return false;
}

}  // namespace zellora
