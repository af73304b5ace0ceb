// The platform layer: the skin file, the popup effect and the number signs
// taken from the user's regional settings.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "platform/ambiente.h"
#include "platform/skin.h"
#include "platform/splash.h"

using namespace zellora;

class ProvaPiattaforma : public QObject {
  Q_OBJECT

 private slots:
  void locale_dalle_impostazioni_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("decimale");
    QTest::addColumn<QString>("migliaia");
    QTest::newRow("C vale italiano") << QLocale::c() << ","
                                     << ".";
    QTest::newRow("italiano") << QLocale(QLocale::Italian, QLocale::Italy) << ","
                              << ".";
    QTest::newRow("inglese") << QLocale(QLocale::English, QLocale::UnitedStates) << "."
                             << ",";
    QTest::newRow("svizzero tedesco")
        << QLocale(QLocale::German, QLocale::Switzerland) << "." << QString(QChar(0x2019));
    QTest::newRow("francese") << QLocale(QLocale::French, QLocale::France) << ","
                              << QString(QChar(0x202F));
    QTest::newRow("spagnolo USA") << QLocale(QLocale::Spanish, QLocale::UnitedStates) << "."
                                  << ",";
  }

  void locale_dalle_impostazioni() {
    QFETCH(QLocale, locale);
    QFETCH(QString, decimale);
    QFETCH(QString, migliaia);
    const Locale l = locale_da_qlocale(locale);
    QCOMPARE(QString::fromStdString(l.decimale), decimale);
    QCOMPARE(QString::fromStdString(l.migliaia), migliaia);
  }

  void avviso_per_un_locale_sconosciuto() {
    LocaleAmbiente lang;
    lang.variabile = "LANG";
    lang.nome = "xx_YY.UTF-8";
    const std::string avviso = avviso_locale(QLocale::c(), lang);
    QVERIFY(avviso.find("\"xx_YY.UTF-8\" of LANG") != std::string::npos);
    QVERIFY(avviso.find("Italian") != std::string::npos);
    QVERIFY(avviso_locale(QLocale(QLocale::Spanish, QLocale::UnitedStates), lang).empty());
    lang.nome = "C.UTF-8";
    QVERIFY(avviso_locale(QLocale::c(), lang).empty());
    QVERIFY(avviso_locale(QLocale::c(), LocaleAmbiente{}).empty());
  }

  void skin_caricata_o_assente() {
    QTemporaryDir cartella;
    const QString buono = cartella.filePath("Paper.skn");
    {
      QFile f(buono);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("QLabel { color: #2e2a24; } /* carta \xc3\xa8 */\n");
    }
    const QString binario = cartella.filePath("binario.skn");
    {
      QFile f(binario);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QByteArray("\x00\xff\xfe\x01 QLabel {}", 14));
    }

    Skin skin;
    QLabel finestra;
    QVERIFY(skin.carica(buono));
    skin.applica(&finestra);
    QVERIFY(finestra.styleSheet().contains(QStringLiteral("carta \u00e8")));

    // Neither a device without end nor a FIFO with no writer may hold the
    // window: anything but a regular file is refused before it is opened,
    // and a file is read up to 1 MiB.
    const QString zero = cartella.filePath("zero.skn");
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString fifo = cartella.filePath("fifo.skn");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString al_fifo = cartella.filePath("al-fifo.skn");
    QVERIFY(QFile::link(fifo, al_fifo));
    const QString grande = cartella.filePath("grande.skn");
    {
      QFile f(grande);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QByteArray((1 << 20) + 1, ' '));
    }

    // A failed load leaves no skin, not the earlier one.
    for (const QString& cattivo : {cartella.filePath("manca.skn"), binario, cartella.path(),
                                   QString(), zero, fifo, al_fifo, grande}) {
      QVERIFY(skin.carica(buono));
      QVERIFY2(!skin.carica(cattivo), qPrintable(cattivo));
      QVERIFY(!skin.caricata());
      QVERIFY(!skin.errore().isEmpty());
      QLabel altra;
      skin.applica(&altra);
      QVERIFY(altra.styleSheet().isEmpty());
    }
    skin.applica(nullptr);  // nothing to apply to: no effect
  }

  // The files a skin names are read as the skin is: a rule that names a
  // FIFO (Qt would wait on it forever as it lays the skin), a device or a
  // file past the limit is left out; the other rules stay.
  void skin_che_nomina_file() {
    QTemporaryDir cartella;
    const QString fifo = cartella.filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString al_fifo = cartella.filePath("al-fifo.png");
    QVERIFY(QFile::link(fifo, al_fifo));
    const QString zero = cartella.filePath("zero.png");
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString grande = cartella.filePath("grande.png");
    {
      QFile f(grande);
      QVERIFY(f.open(QIODevice::WriteOnly));
      QVERIFY(f.resize((qint64{16} << 20) + 1));
    }
    const QString immagine = cartella.filePath("carta.png");
    QImage carta(4, 4, QImage::Format_RGB32);
    carta.fill(Qt::white);
    QVERIFY(carta.save(immagine));
    struct Caso {
      QString regola;
      bool tenuta;
    };
    const Caso casi[] = {
        {"QLabel { background-image: url(fifo); }", false},  // beside the program
        {"QPushButton { border-image: url(\"" + al_fifo + "\") 0 0 0 0; }", false},
        {"QLineEdit { color: red; image: URL( '" + zero + "' ); }", false},
        {"QFrame { background: url(" + grande + ") }", false},
        {"QCheckBox { image: url(" + immagine + "); }", true},
        {"QRadioButton { image: url(" + cartella.filePath("manca.png") + "); }", true},
        {"QComboBox { image: url(:/non/un/file.png); }", true},
        {"/* url(fifo) */ QGroupBox { color: red; }", true},
        {"QToolTip { font-family: \"url(fifo)\"; }", true},
    };
    const QString file = cartella.filePath("Paper.skn");
    {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
      for (const Caso& c : casi) f.write((c.regola + "\n").toUtf8());
    }
    const QString prima = QDir::currentPath();
    QVERIFY(QDir::setCurrent(cartella.path()));
    Skin skin;
    const bool caricata = skin.carica(file);
    QVERIFY(QDir::setCurrent(prima));
    QVERIFY(caricata);
    for (const Caso& c : casi) {
      QVERIFY2(skin.foglio().contains(c.regola) == c.tenuta, qPrintable(c.regola));
    }
    // Laid over a window that is drawn, it waits on nothing.
    QLabel finestra(QStringLiteral("Entra"));
    skin.applica(&finestra);
    QVERIFY(!finestra.grab().isNull());
  }

  // The build folder keeps the skin beside the executable, an installation
  // in <prefix>/share/zellora; the first one found wins.
  void skin_accanto_al_programma_o_installata() {
    QTemporaryDir radice;
    QVERIFY(QDir(radice.path()).mkpath("bin"));
    QVERIFY(QDir(radice.path()).mkpath("share/zellora"));
    const QString bin = radice.filePath("bin");
    const QString accanto = radice.filePath("bin/Paper.skn");
    const QString installata = radice.filePath("share/zellora/Paper.skn");
    QCOMPARE(Skin::file_predefinito(bin), accanto);  // neither: the usual place
    for (const QString& f : {installata, accanto}) {
      QFile file(f);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("QLabel {}\n");
      file.close();
      QCOMPARE(Skin::file_predefinito(bin), f);
    }
  }

  void splash_mostra_subito_e_si_ferma_opaco() {
    QWidget finestra;
    Splash splash;
    splash.prepara();  // no target yet: nothing happens
    splash.mostra_con_effetto(1);
    splash.imposta_finestra(&finestra);
    splash.prepara();
    QCOMPARE(finestra.windowOpacity(), 0.0);
    QVERIFY(!finestra.isVisible());
    splash.mostra_con_effetto(1);
    QVERIFY(finestra.isVisible());
    QVERIFY(splash.effetto_in_corso());
    splash.ferma();
    QVERIFY(!splash.effetto_in_corso());
    QCOMPARE(finestra.windowOpacity(), 1.0);

    // Shown again while visible: no fade, stays opaque.
    splash.prepara();
    splash.mostra_con_effetto(1);
    QCOMPARE(finestra.windowOpacity(), 1.0);
    QVERIFY(!splash.effetto_in_corso());

    // The fade ends fully opaque.
    finestra.hide();
    splash.prepara();
    splash.mostra_con_effetto(1);
    QTRY_VERIFY(!splash.effetto_in_corso());
    QCOMPARE(finestra.windowOpacity(), 1.0);
  }

  void splash_sopravvive_alla_finestra() {
    Splash splash;
    {
      auto* finestra = new QWidget;
      splash.imposta_finestra(finestra);
      splash.prepara();
      splash.mostra_con_effetto(1);
      delete finestra;  // closed with its own close box, mid-effect
    }
    QVERIFY(!splash.effetto_in_corso());
    splash.ferma();
    splash.mostra_con_effetto(1);
  }
};

QTEST_MAIN(ProvaPiattaforma)
#include "prova_piattaforma.moc"
