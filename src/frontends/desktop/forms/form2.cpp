#include "forms/form2.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QLineEdit>

#include "forms/contesto.h"
#include "platform/splash.h"
#include "ui_form2.h"

namespace zellora {

namespace {

QString da_utf8(const std::string& testo) {
  return QString::fromUtf8(testo.data(), qsizetype(testo.size()));
}

std::filesystem::path percorso(const QString& cartella) {
  return std::filesystem::path(cartella.toStdU16String());
}

}  // namespace

Form2::Form2(Contesto contesto, std::function<bool()> mensile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ui_(std::make_unique<Ui::Form2>()),
      contesto_(std::move(contesto)),
      mensile_(std::move(mensile)) {
  ui_->setupUi(this);
  font_finestra(this);
  font_comando(ui_->Command1);
  setFixedSize(size());
  for (int n = 1; n <= 21; ++n) {
    auto* box = findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n));
    Q_ASSERT(box != nullptr);
    caselle_[std::size_t(n - 1)] = box;
  }
  connect(ui_->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
  invio_preme(ui_->Command1);
  if (Skin1_.carica(contesto_.file_skin)) Skin1_.applica(this);
  centra(this);
}

Form2::~Form2() = default;

void Form2::mostra() {
  // Some window managers place a window anew each time it is shown; the
  // window asks for the place it was left in.
  if (!isVisible() && lasciata_) move(*lasciata_);
  porta_davanti(this);
}

void Form2::hideEvent(QHideEvent* evento) {
  QWidget::hideEvent(evento);
  lasciata_ = pos();
}

QLineEdit* Form2::casella(int n) const {
  if (n < 1 || n > 21) return nullptr;
  return caselle_[std::size_t(n - 1)];
}

void Form2::riempi(const Risultati& risultati) {
  for (QLineEdit* box : caselle_) box->clear();
  for (int n = 1; n <= 21; ++n) {
    QLineEdit* box = casella(n);
    box->setText(da_utf8(risultati.Text(n)));
    box->setCursorPosition(0);
  }
  ui_->Command1->setFocus();
}

EsitoEsportazione Form2::Crea() {
  EsitoEsportazione esito;
  if (contesto_.motore == nullptr || contesto_.apertore == nullptr) {
    esito.numero = errore_apertura;
    esito.errore.ragione = "nessun programma disponibile per aprire il prospetto";
  } else {
    QString cartella = contesto_.cartella_esportazione;
    if (cartella.isEmpty()) {
      // The user's folder, found (and made) at the first export; the same
      // private folder again for the next ones while it stands.
      if (cartella_.isEmpty() || !QFileInfo(cartella_).isDir()) {
        QString errore;
        cartella_ = cartella_prospetti_utente(errore);
        if (cartella_.isEmpty()) {
          esito.numero = errore_scrittura;
          esito.errore.ragione = errore.toStdString();
        }
      }
      cartella = cartella_;
    }
    if (!cartella.isEmpty()) {
      QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
      esito = zellora::Crea(contesto_.motore->risultati(), mensile_ && mensile_(),
                            contesto_.motore->locale(), percorso(cartella), *contesto_.apertore);
      QApplication::restoreOverrideCursor();
    }
  }
  if (!esito.riuscita) {
    messaggio_critico(
        this, QStringLiteral("Errore %1: %2").arg(esito.numero).arg(da_utf8(esito.errore.testo())));
  }
  return esito;
}

void Form2::Command1_Click() { Crea(); }

}  // namespace zellora
