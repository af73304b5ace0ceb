// zellora: the desktop program. Start-up shows the entry window; the
// program runs until the input form is closed.
#include <QApplication>

#include "form/motore.h"
#include "statement/apertore_desktop_qt.h"
#include "forms/frmmain.h"
#include "platform/ambiente.h"
#include "platform/skin.h"

namespace Module1 {

int Main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zellora"));
  QApplication::setApplicationVersion(QStringLiteral("2"));
  zellora::imposta_font_programma();

  zellora::Motore motore(zellora::locale_utente());
  zellora::ApertoreDesktopQt apertore;
  zellora::Contesto contesto;
  contesto.motore = &motore;
  contesto.apertore = &apertore;

  zellora::frmMain entrata(contesto);
  QObject::connect(&entrata, &zellora::frmMain::terminato, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  entrata.show();
  return QApplication::exec();
}

}  // namespace Module1

int main(int argc, char** argv) { return Module1::Main(argc, argv); }
