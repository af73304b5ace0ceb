// Takes the pictures of the windows for the documentation: the entry
// window, the input form with the typical request, its results window and
// its charts, under the rules of 2007, and the form and results under those
// of 2026.
// Usage: zellora-schermate SKIN_FILE OUTPUT_FOLDER
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "comandi_finestre.h"
#include "form/motore.h"
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form6.h"
#include "forms/form7.h"
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
  if (argc != 3) {
    std::fprintf(stderr, "uso: zellora-schermate FILE_SKIN CARTELLA\n");
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
  return ok ? 0 : 1;
}
