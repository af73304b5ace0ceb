// Takes the pictures of the windows for the documentation: the entry
// window, the input form with the typical request, its results window and
// its charts, under the rules of 2007, and the form and results under those
// of 2026; then the charts window under 2007 and 2026 for a worker with a
// family and side amounts (charts-YEAR-annuo, -annuo-curva, -mensile,
// -netto-lordo), each beside the results window it came from, whose
// figures it shows; last the year of payslips of the typical request under
// 2026 in Milan, its table and its chart.
// Usage: zellora-schermate SKIN_FILE OUTPUT_FOLDER [SCREEN_PICTURE]
// With SCREEN_PICTURE, the whole screen at the end, as the window manager
// placed the windows.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "comandi_finestre.h"
#include "form/motore.h"
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "forms/formbuste.h"
#include "forms/frmmain.h"
#include "platform/ambiente.h"

namespace {

class ApertoreNullo : public zellora::ApertoreDocumenti {
 public:
  bool apri(const std::filesystem::path&, std::string&) override { return true; }
};

bool salva(QWidget* finestra, const QString& file) {
  QTest::qWait(150);
  const bool ok = finestra->grab().save(file);
  std::printf("%s %s\n", ok ? "scritta" : "NON scritta", qPrintable(file));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "uso: zellora-schermate FILE_SKIN CARTELLA [SCHERMO]\n");
    return 2;
  }
  zellora::imposta_font_programma();
  const QDir cartella(QString::fromLocal8Bit(argv[2]));
  zellora::Motore motore(zellora::Locale::italiano());
  ApertoreNullo apertore;
  zellora::Contesto contesto;
  contesto.motore = &motore;
  contesto.apertore = &apertore;
  contesto.file_skin = QString::fromLocal8Bit(argv[1]);

  // A notice of the calculation (a net to gross) is told and closed.
  QTimer chiudi_avvisi;
  chiudi_avvisi.setInterval(50);
  QObject::connect(&chiudi_avvisi, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      std::printf("avviso: %s\n", qPrintable(box->text()));
      box->done(QMessageBox::Ok);
    }
  });
  chiudi_avvisi.start();

  zellora::frmMain entrata(contesto);
  entrata.show();
  bool ok = salva(&entrata, cartella.filePath(QStringLiteral("entry-window.png")));
  zellora::prova::premi(zellora::prova::controllo<QPushButton>(&entrata, "Command1"));
  zellora::Form1* form1 = entrata.form1();
  ok = zellora::prova::richiesta_tipica(form1) && ok;
  ok = salva(form1, cartella.filePath(QStringLiteral("input-form.png"))) && ok;
  zellora::prova::premi(zellora::prova::controllo<QPushButton>(form1, "Command1"));
  ok = form1->form2() != nullptr && ok;
  if (form1->form2() != nullptr) {
    ok = salva(form1->form2(), cartella.filePath(QStringLiteral("results-window.png"))) && ok;
  }
  if (form1->form2() != nullptr) {
    zellora::prova::premi(zellora::prova::controllo<QPushButton>(form1->form2(), "Command2"));
    ok = form1->form2()->form7() != nullptr && ok;
    if (form1->form2()->form7() != nullptr) {
      ok = salva(form1->form2()->form7(), cartella.filePath(QStringLiteral("charts-window.png"))) &&
           ok;
      form1->form2()->form7()->close();
    }
  }
  zellora::prova::premi(zellora::prova::controllo<QPushButton>(form1, "Command3"));
  if (form1->form6() != nullptr) {
    form1->form6()->Splash1().ferma();
    ok = salva(form1->form6(), cartella.filePath(QStringLiteral("help-popup.png"))) && ok;
  }
  if (form1->form6() != nullptr) form1->form6()->close();

  // The same request under today's law.
  zellora::prova::controllo<QComboBox>(form1, "Combo4")->setCurrentText(QStringLiteral("2026"));
  ok = salva(form1, cartella.filePath(QStringLiteral("input-form-2026.png"))) && ok;
  zellora::prova::premi(zellora::prova::controllo<QPushButton>(form1, "Command1"));
  if (form1->form2() != nullptr) {
    ok = salva(form1->form2(), cartella.filePath(QStringLiteral("results-window-2026.png"))) && ok;
  }

  // The charts of a worker with a spouse, two children and side amounts.
  using zellora::prova::controllo;
  using zellora::prova::premi;
  using zellora::prova::scrivi;
  struct Scena {
    const char* normativa;
    bool mensile;
    bool netto;
    const char* importo;
    const char* file;
    int scheda;
  };
  const Scena scene[] = {
      {"2007", false, false, "30000", "charts-2007-annuo.png", 0},
      {"2007", false, false, "30000", "charts-2007-annuo-curva.png", 1},
      {"2007", true, false, "2500", "charts-2007-mensile.png", 0},
      {"2007", false, true, "22000", "charts-2007-netto-lordo.png", 1},
      {"2026", false, false, "30000", "charts-2026-annuo.png", 0},
      {"2026", false, false, "14000", "charts-2026-annuo-curva.png", 1},
      {"2026", true, false, "2500", "charts-2026-mensile.png", 0},
      {"2026", false, true, "22000", "charts-2026-netto-lordo.png", 1},
  };
  for (const Scena& s : scene) {
    controllo<QComboBox>(form1, "Combo4")->setCurrentText(QString::fromLatin1(s.normativa));
    zellora::prova::scegli(controllo<QListWidget>(form1, "List1"), QStringLiteral("Impiegato"));
    zellora::prova::scegli(controllo<QListWidget>(form1, "List2"),
                           std::string_view(s.normativa) == "2007"
                               ? QStringLiteral("Settore previdenziale Commercio -50dip")
                               : QStringLiteral("Terziario e commercio fino a 5 dipendenti"));
    premi(controllo<QRadioButton>(form1, s.mensile ? "Option2" : "Option1"));
    premi(controllo<QRadioButton>(form1, s.netto ? "Option3" : "Option4"));
    controllo<QComboBox>(form1, "Combo3")->setCurrentText(QStringLiteral("Si"));
    scrivi(controllo<QLineEdit>(form1, "Text4"), QStringLiteral("2"));
    controllo<QComboBox>(form1, "Combo1")->setCurrentText(QStringLiteral("100"));
    scrivi(controllo<QLineEdit>(form1, "Text19"), QStringLiteral("100"));
    scrivi(controllo<QLineEdit>(form1, "Text21"), QStringLiteral("300"));
    scrivi(controllo<QLineEdit>(form1, "Text1"), QString::fromLatin1(s.importo));
    premi(controllo<QPushButton>(form1, "Command1"));
    zellora::Form2* form2 = form1->form2();
    if (form2 == nullptr) {
      ok = false;
      continue;
    }
    premi(controllo<QPushButton>(form2, "Command2"));
    zellora::Form7* form7 = form2->form7();
    if (form7 == nullptr) {
      ok = false;
      continue;
    }
    form7->pannello()->schede()->setCurrentIndex(s.scheda);
    if (s.scheda == 1) {
      // The crosshair on the worker of the calculation.
      QTest::qWait(100);
      form7->pannello()->segui(motore.record().retribuzione_lorda);
    }
    ok = salva(form7, cartella.filePath(QString::fromLatin1(s.file))) && ok;
    // The results window it came from, to compare the figures with.
    if (std::getenv("ZELLORA_SCHERMATE_RISULTATI") != nullptr) {
      salva(form2, cartella.filePath(QStringLiteral("risultati-") + QString::fromLatin1(s.file)));
    }
  }
  // The year of payslips of the typical request under 2026 in Milan: its
  // table and its chart.
  zellora::prova::richiesta_tipica(form1, QStringLiteral("2026"));
  controllo<QComboBox>(form1, "Combo3")->setCurrentText(QStringLiteral("No"));
  scrivi(controllo<QLineEdit>(form1, "Text4"), QStringLiteral("0"));
  scrivi(controllo<QLineEdit>(form1, "Text19"), QStringLiteral("0"));
  scrivi(controllo<QLineEdit>(form1, "Text21"), QStringLiteral("0"));
  controllo<QComboBox>(form1, "Combo5")->setCurrentText(QStringLiteral("Lombardia"));
  scrivi(controllo<QLineEdit>(form1, "Text22"), QStringLiteral("MILANO (MI)"));
  premi(controllo<QPushButton>(form1, "Command1"));
  if (form1->form2() != nullptr) {
    premi(controllo<QPushButton>(form1->form2(), "Command3"));
    zellora::FormBuste* buste = form1->form2()->form_buste();
    ok = buste != nullptr && ok;
    if (buste != nullptr) {
      ok = salva(buste, cartella.filePath(QStringLiteral("payslips-window.png"))) && ok;
      buste->schede()->setCurrentIndex(1);
      ok = salva(buste, cartella.filePath(QStringLiteral("payslips-chart.png"))) && ok;
      buste->schede()->setCurrentIndex(0);
    }
  }
  if (argc == 4) {
    QTest::qWait(500);
    const QPixmap schermo = QGuiApplication::primaryScreen()->grabWindow(0);
    ok = schermo.save(QString::fromLocal8Bit(argv[3])) && ok;
  }
  return ok ? 0 : 1;
}
