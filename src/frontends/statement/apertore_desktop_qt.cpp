#include "statement/apertore_desktop_qt.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "statement/file_atomico.h"

namespace zellora {

bool ApertoreDesktopQt::apri(const std::filesystem::path& file, std::string& errore) {
  const QString percorso = QString::fromStdU16String(std::filesystem::absolute(file).u16string());
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(percorso))) return true;
  errore =
      "nessuna applicazione predefinita ha accettato di aprire \"" + testo_percorso(file) + "\"";
  return false;
}

}  // namespace zellora
