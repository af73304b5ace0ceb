// zellora: the desktop program. Start-up shows the entry window; the
// program runs until the input form is closed.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

#include "form/motore.h"
#include "forms/frmmain.h"
#include "platform/ambiente.h"
#include "platform/skin.h"
#include "statement/apertore_desktop_qt.h"

namespace Module1 {

namespace {

// --help, --version and --skin-path answer without a display and without
// opening a window. Any other argument goes to Qt as before (-platform, ...).
bool solo_informazioni(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* o : {"-h", "--help", "--help-all", "-v", "--version", "--skin-path"}) {
      if (std::strcmp(argv[i], o) == 0) return true;
    }
  }
  return false;
}

int Informazioni(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("zellora"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(ZELLORA_VERSIONE));
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Italian pay from gross to net and from net to gross, on the desktop.\n"
                     "Without options it opens the entry window."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption skin(QStringLiteral("skin-path"),
                                QStringLiteral("Print the skin file the windows use and exit "
                                               "(status 1 when it is missing)."));
  parser.addOption(skin);
  parser.process(app);  // --help and --version print and exit here
  if (parser.isSet(skin)) {
    const QString file = zellora::Skin::file_predefinito();
    std::printf("%s\n", qPrintable(file));
    return QFileInfo(file).isFile() ? 0 : 1;
  }
  return 0;
}

}  // namespace

int Main(int argc, char** argv) {
  if (solo_informazioni(argc, argv)) return Informazioni(argc, argv);
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
