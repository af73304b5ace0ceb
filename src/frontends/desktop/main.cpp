// zellora: the desktop program. Start-up shows the entry window; the
// program runs until the input form is closed.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "form/motore.h"
#include "form/normative.h"
#include "forms/contesto.h"
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

// The windows need a display. Where the desktop is X11 or Wayland, without
// either and without a platform chosen (QT_QPA_PLATFORM, -platform) there is
// none to open: said in one line, rather than Qt's abort.
bool senza_schermo(int argc, char** argv) {
#if defined(__unix__) && !defined(__APPLE__)
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strncmp(argv[i], "-platform=", 10) == 0) {
      return false;
    }
  }
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
  (void)argc;
  (void)argv;
  return false;
#endif
}

// While the application starts: a platform that cannot be opened (a display
// that does not answer) ends the program with one line and status 1, not
// with Qt's abort; every other message goes where it always went.
QtMessageHandler gestore_precedente = nullptr;
void all_avvio(QtMsgType tipo, const QMessageLogContext& contesto, const QString& testo) {
  if (tipo == QtFatalMsg) {
    std::fprintf(stderr, "zellora: cannot open the windows (no display answers): %s\n",
                 qPrintable(testo.section(QLatin1Char('\n'), 0, 0)));
    std::fflush(stderr);
    std::_Exit(1);
  }
  if (gestore_precedente != nullptr) gestore_precedente(tipo, contesto, testo);
}

}  // namespace

int Main(int argc, char** argv) {
  if (solo_informazioni(argc, argv)) return Informazioni(argc, argv);
  if (senza_schermo(argc, argv)) {
    std::fprintf(stderr,
                 "zellora: needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set "
                 "(zellora-cli calculates without one)\n");
    return 1;
  }
  gestore_precedente = qInstallMessageHandler(all_avvio);
  QApplication app(argc, argv);
  qInstallMessageHandler(gestore_precedente);
  QApplication::setApplicationName(QStringLiteral("Zellora"));
  QApplication::setApplicationVersion(QStringLiteral("2"));
  zellora::imposta_font_programma();

  // The rule sets offered: the built-in ones, then the user's files of the
  // data folders. A file that cannot be used is said once the entry window
  // is up, and left out.
  zellora::ElencoNormative normative;
  normative.aggiungi_cartelle(zellora::cartelle_regole_utente());
  zellora::Motore motore(zellora::locale_utente());
  motore.offri_normative(normative);
  zellora::ApertoreDesktopQt apertore;
  zellora::Contesto contesto;
  contesto.motore = &motore;
  contesto.apertore = &apertore;

  zellora::frmMain entrata(contesto);
  QObject::connect(&entrata, &zellora::frmMain::terminato, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  entrata.show();
  if (!normative.avvisi().empty()) {
    QTimer::singleShot(0, &entrata, [&entrata, &normative] {
      QString testo = QStringLiteral(
          "Alcuni file di normativa non sono stati caricati e non sono tra le scelte di "
          "\"Normativa\":");
      for (const zellora::Errore& avviso : normative.avvisi()) {
        testo += QStringLiteral("\n\n") + QString::fromStdString(avviso.testo());
      }
      zellora::messaggio_informativo(&entrata, testo);
    });
  }
  return QApplication::exec();
}

}  // namespace Module1

int main(int argc, char** argv) { return Module1::Main(argc, argv); }
