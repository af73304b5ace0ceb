#include "forms/form2.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/citazione.h"
#include "base/file_atomico.h"
#include "forms/casella_risultato.h"
#include "forms/contesto.h"
#include "platform/splash.h"
#include "ui_form2.h"

namespace zellora {

namespace {

QString da_utf8(std::string_view testo) {
  return QString::fromUtf8(testo.data(), qsizetype(testo.size()));
}

std::filesystem::path percorso(const QString& cartella) {
  return std::filesystem::path(cartella.toStdU16String());
}

// The room the line above the panels takes: two lines of text, for the
// notice of figures no longer up to date.
constexpr int altezza_riga_calcolo = 30;

// Stale figures: grey, with a contrast of 5,9:1 on the yellow of the totals
// and 6,4:1 on white (text needs at least 4,5:1).
constexpr char stile_non_aggiornato[] = " QLineEdit { color: #5f5f5f; }";

}  // namespace

Form2::Form2(Contesto contesto, std::function<bool()> mensile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ui_(std::make_unique<Ui::Form2>()),
      contesto_(std::move(contesto)),
      mensile_(std::move(mensile)) {
  ui_->setupUi(this);
  font_finestra(this);
  font_comando(ui_->Command1);
  font_comando(ui_->Command2);
  // The window as drawn, in a scroll area for a screen that cannot hold it
  // whole: its controls move into one widget of the drawn size.
  contenuto_ = new QWidget;
  contenuto_->setObjectName(QStringLiteral("contenuto"));
  contenuto_->setFixedSize(size());
  for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const bool nascosto = w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide);
    const QRect dove = w->geometry();
    w->setParent(contenuto_);
    w->setGeometry(dove);
    w->setVisible(!nascosto);
  }
  // The line of what was calculated, above the panels, which move down.
  for (QWidget* w : contenuto_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    w->move(w->pos() + QPoint(0, altezza_riga_calcolo));
  }
  contenuto_->setFixedSize(size() + QSize(0, altezza_riga_calcolo));
  riga_calcolo_ = new QLabel(contenuto_);
  riga_calcolo_->setObjectName(QStringLiteral("RigaCalcolo"));
  riga_calcolo_->setGeometry(ui_->Frame1->x(), 4,
                             ui_->Frame2->geometry().right() + 1 - ui_->Frame1->x(),
                             altezza_riga_calcolo - 4);
  riga_calcolo_->setWordWrap(true);
  riga_calcolo_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  riga_calcolo_->setTextFormat(Qt::PlainText);
  auto* tutto = new QVBoxLayout(this);
  tutto->setContentsMargins(0, 0, 0, 0);
  tutto->addWidget(area_scorrevole(contenuto_, false));
  // Each row of the table with its box and the label on its row; a row
  // that form2.ui does not draw gets a box and a label like the others.
  for (const RigaRisultato& riga : righe_risultato) {
    QWidget* pannello = riga.pannello == Pannello::lavoratore ? static_cast<QWidget*>(ui_->Frame1)
                                                              : static_cast<QWidget*>(ui_->Frame2);
    const QString nome = QStringLiteral("Text%1").arg(riga.casella);
    auto* box = pannello->findChild<QLineEdit*>(nome);
    QLabel* etichetta = nullptr;
    if (box != nullptr) {
      for (QLabel* l : pannello->findChildren<QLabel*>()) {
        if (l->y() == box->y()) etichetta = l;
      }
    } else {
      box = new CasellaRisultato(pannello);
      box->setObjectName(nome);
      box->setGeometry(ui_->Text1->geometry());
      box->setAlignment(ui_->Text1->alignment());
      box->setReadOnly(true);
      const bool totale = riga.genere == Genere::netto || riga.genere == Genere::totale;
      box->setStyleSheet(QStringLiteral("QLineEdit#%1 { background-color: %2; }")
                             .arg(nome, totale ? QStringLiteral("rgb(255, 255, 0)")
                                               : QStringLiteral("rgb(255, 255, 255)")));
    }
    if (etichetta == nullptr) {
      etichetta = new QLabel(pannello);
      etichetta->setGeometry(ui_->SkinLabel1->geometry());
      etichetta->setAlignment(ui_->SkinLabel1->alignment());
    }
    etichetta->setText(da_utf8(riga.etichetta));
    // Read by a screen reader as the row's label.
    etichetta->setBuddy(box);
    box->setAccessibleName(da_utf8(riga.etichetta));
    // Read, selected and copied, but not a stop of Tab: from the net the
    // keyboard goes to "Esporta" and "Grafici" (a screen reader reads the
    // boxes all the same).
    box->setFocusPolicy(Qt::ClickFocus);
    caselle_[std::size_t(riga.casella - 1)] = box;
    stili_.insert(box, box->styleSheet());
    etichette_[std::size_t(riga.casella - 1)] = etichetta;
  }
  // "Buste paga" beside "Grafici", as wide as the rest of the line allows.
  comando_buste_ = new QPushButton(QStringLiteral("Buste paga"), ui_->Command2->parentWidget());
  comando_buste_->setObjectName(QStringLiteral("Command3"));
  font_comando(comando_buste_);
  comando_buste_->setAutoDefault(false);
  connect(comando_buste_, &QPushButton::clicked, this, &Form2::Command3_Click);
  invio_preme(comando_buste_);
  disponi(false, false);
  // "Esporta" writes a file: only a deliberate press, never an Enter that
  // was meant for the input form.
  ui_->Command1->setAutoDefault(false);
  ui_->Command2->setAutoDefault(false);
  connect(ui_->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
  invio_preme(ui_->Command1);
  connect(ui_->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
  invio_preme(ui_->Command2);
  if (Skin1_.carica(contesto_.file_skin)) Skin1_.applica(this);
  centra(this);
}

Form2::~Form2() = default;

void Form2::mostra(QWidget* origine) {
  // Some window managers place a window anew each time it is shown; the
  // window asks for the place it was left in, the first time one beside
  // the input form.
  if (!isVisible()) {
    if (lasciata_) {
      move(*lasciata_);
    } else if (origine != nullptr) {
      fai_posto(origine, this);
      colloca(this, origine);
    }
  }
  porta_davanti(this);
  // Grown by the rows of today's law, or left where a screen no longer
  // reaches: whole on its screen again.
  tieni_sullo_schermo(this);
}

void Form2::segna_non_aggiornato() {
  if (calcolo_.isEmpty() || non_aggiornato_) return;
  non_aggiornato_ = true;
  // The caption stays short; the line says it whole.
  setWindowTitle(QString::fromUtf8(titolo_risultati.data(), qsizetype(titolo_risultati.size())) +
                 QStringLiteral(" - non aggiornato"));
  riga_calcolo_->setText(QStringLiteral("Non aggiornato: l'ultimo calcolo \u00e8 stato rifiutato, "
                                        "queste sono le cifre del calcolo precedente (") +
                         calcolo_ + QStringLiteral(")."));
  riga_calcolo_->setStyleSheet(
      QStringLiteral("QLabel#RigaCalcolo { color: rgb(128, 0, 0); font-weight: bold; }"));
  for (QLineEdit* box : caselle_) {
    box->setStyleSheet(box->styleSheet() + QLatin1String(stile_non_aggiornato));
    box->setAccessibleDescription(QStringLiteral("non aggiornato"));
  }
  ui_->Command1->setEnabled(false);
  if (form7_ != nullptr) form7_->setWindowTitle(titolo_grafici());
  if (form_buste_ != nullptr) form_buste_->segna_non_aggiornato();
}

QString Form2::titolo_grafici() const {
  return non_aggiornato_ ? QStringLiteral("Grafici - non aggiornati")
                         : QStringLiteral("Grafici - ") + calcolo_;
}

void Form2::keyPressEvent(QKeyEvent* evento) {
  // Esc closes the window, as a dialog's.
  if (evento->key() == Qt::Key_Escape && evento->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(evento);
}

void Form2::hideEvent(QHideEvent* evento) {
  QWidget::hideEvent(evento);
  lasciata_ = pos();
}

QLineEdit* Form2::casella(int n) const {
  if (n < 1 || n > numero_caselle) return nullptr;
  return caselle_[std::size_t(n - 1)];
}

QLabel* Form2::etichetta(int n) const {
  if (n < 1 || n > numero_caselle) return nullptr;
  return etichette_[std::size_t(n - 1)];
}

void Form2::disponi(bool attuali, bool addizionali) {
  // The rows of each panel one under the other, from the first row of the
  // window as drawn; its last row (the net, the cost of labour) on the last
  // line, the two side by side. More rows than form2.ui draws make the
  // panels, and the window, taller by theirs.
  constexpr int prima = 24;
  constexpr int passo = 32;
  constexpr int linee_disegnate = 14;  // the rows of the worker's panel in form2.ui
  int linee = 0;
  for (const Pannello pannello : {Pannello::lavoratore, Pannello::azienda}) {
    int righe = 0;
    for (const RigaRisultato& r : righe_risultato) {
      righe += r.pannello == pannello && mostrata(r, attuali, addizionali) ? 1 : 0;
    }
    linee = std::max(linee, righe);
  }
  setTabOrder(ui_->Command1, ui_->Command2);
  setTabOrder(ui_->Command2, comando_buste_);
  QWidget* precedente = comando_buste_;
  std::optional<Pannello> pannello;
  int riga = 0;
  for (const RigaRisultato& r : righe_risultato) {
    QLineEdit* box = casella(r.casella);
    QLabel* l = etichetta(r.casella);
    box->setVisible(mostrata(r, attuali, addizionali));
    l->setVisible(mostrata(r, attuali, addizionali));
    if (!mostrata(r, attuali, addizionali)) continue;
    if (r.pannello != pannello) riga = 0;
    pannello = r.pannello;
    const bool ultima = r.genere == Genere::netto || r.genere == Genere::totale;
    const int y = prima + (ultima ? linee - 1 : riga) * passo;
    box->move(box->x(), y);
    l->move(l->x(), y);
    setTabOrder(precedente, box);
    precedente = box;
    ++riga;
  }

  const int in_piu = (linee - linee_disegnate) * passo;
  if (!geometria_base_) {
    geometria_base_ = GeometriaBase{ui_->Frame1->height(), ui_->Command1->y(),
                                    ui_->SkinLabel20->y(), contenuto_->size()};
  }
  const GeometriaBase& base = *geometria_base_;
  for (QWidget* p : {static_cast<QWidget*>(ui_->Frame1), static_cast<QWidget*>(ui_->Frame2)}) {
    p->resize(p->width(), base.altezza_pannelli + in_piu);
  }
  ui_->Command1->move(ui_->Command1->x(), base.esporta + in_piu);
  ui_->Command2->move(ui_->Command2->x(), base.esporta + in_piu);
  // "Buste paga" after "Grafici" as "Grafici" is after "Esporta".
  comando_buste_->setGeometry(ui_->Command2->geometry().translated(
      ui_->Command2->x() - ui_->Command1->x(), base.esporta + in_piu - ui_->Command2->y()));
  ui_->SkinLabel20->move(ui_->SkinLabel20->x(), base.nota + in_piu);
  contenuto_->setFixedSize(base.finestra.width(), base.finestra.height() + in_piu);
  adatta_allo_schermo(this, contenuto_->size());
}

void Form2::riempi(const Risultati& risultati) {
  for (QLineEdit* box : caselle_) {
    box->clear();
    if (!box->accessibleDescription().isEmpty()) {
      box->setStyleSheet(stili_.value(box));
      box->setAccessibleDescription(QString());
    }
  }
  disponi(risultati.righe_attuali, risultati.righe_addizionali);
  // What was calculated: the rule set, and the period and direction of the
  // form's fields of the calculation.
  const std::optional<CampiForm1>* campi =
      contesto_.motore != nullptr ? &contesto_.motore->campi_calcolo() : nullptr;
  const bool mensile =
      campi != nullptr && campi->has_value() ? (*campi)->Option2 : mensile_ && mensile_();
  const bool dal_netto = campi != nullptr && campi->has_value() && (*campi)->Option3;
  calcolo_ = QStringLiteral("Normativa %1 - %2 - %3")
                 .arg(da_utf8(risultati.normativa),
                      mensile ? QStringLiteral("Mensile") : QStringLiteral("Annuo"),
                      dal_netto ? QStringLiteral("Dal netto al lordo")
                                : QStringLiteral("Dal lordo al netto"));
  non_aggiornato_ = false;
  const QString titolo = da_utf8(titolo_risultati);
  setWindowTitle(risultati.righe_attuali ? titolo + QStringLiteral(" - ") + calcolo_ : titolo);
  riga_calcolo_->setText(calcolo_);
  riga_calcolo_->setStyleSheet(QStringLiteral("QLabel#RigaCalcolo { font-weight: bold; }"));
  ui_->Command1->setEnabled(true);
  if (form7_ != nullptr) form7_->setWindowTitle(titolo_grafici());
  for (int n = 1; n <= numero_caselle; ++n) {
    QLineEdit* box = casella(n);
    box->setText(da_utf8(risultati.Text(n)));
    box->setCursorPosition(0);
  }
  // The focus on the net, not on "Esporta": a second Enter writes nothing.
  casella(righe_risultato[riga_del_genere(Genere::netto)].casella)->setFocus();
  // The charts follow the calculation while they are open.
  if (form7_ != nullptr && form7_->isVisible()) form7_->aggiorna();
  if (form_buste_ != nullptr) form_buste_->segui_calcolo(calcolo_);
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
        avviso_cartella_ = cartella_.isEmpty() ? QString() : errore;
      }
      cartella = cartella_;
    }
    if (!cartella.isEmpty()) {
      QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
      const std::optional<CampiForm1>& campi = contesto_.motore->campi_calcolo();
      esito = zellora::Crea(contesto_.motore->risultati(), mensile_ && mensile_(),
                            contesto_.motore->locale(), percorso(cartella), *contesto_.apertore,
                            campi ? &*campi : nullptr,
                            form_buste_ != nullptr ? form_buste_->anno_del_calcolo() : nullptr);
      QApplication::restoreOverrideCursor();
    }
  }
  if (esito.file.empty()) {
    messaggio_critico(
        this, QStringLiteral("Errore %1: %2").arg(esito.numero).arg(da_utf8(esito.errore.testo())));
    return esito;
  }
  // Written: the operator is told where, whether or not the desktop opened
  // it (a desktop without an application for the document may say it did
  // and show nothing), and may open the folder.
  QString testo = esito.riuscita ? QStringLiteral("Il prospetto \u00e8 stato salvato in %1.")
                                       .arg(da_utf8(citazione_file(testo_percorso(esito.file))))
                                 : da_utf8(esito.errore.testo()) + QLatin1Char('.');
  if (contesto_.cartella_esportazione.isEmpty() && !avviso_cartella_.isEmpty()) {
    testo += QStringLiteral("\n\nNon \u00e8 nella cartella dei documenti perch\u00e9 ") +
             avviso_cartella_ + QStringLiteral(": \u00e8 in una cartella temporanea.");
  }
  if (messaggio_informativo_con_scelta(this, testo, QStringLiteral("Apri cartella"))) {
    const std::filesystem::path cartella_file = esito.file.parent_path();
    std::string non_aperta;
    if (!contesto_.apertore->apri(cartella_file, non_aperta)) {
      messaggio_informativo(this, QStringLiteral("Non \u00e8 stato possibile aprire la cartella "
                                                 "%1: %2")
                                      .arg(da_utf8(citazione_file(testo_percorso(cartella_file))),
                                           da_utf8(non_aperta)));
    }
  }
  return esito;
}

void Form2::Command1_Click() {
  // Disabled while the figures are not those of the form; so is Enter.
  if (non_aggiornato_) return;
  Crea();
}

void Form2::Command2_Click() {
  if (form7_ == nullptr) form7_ = std::make_unique<Form7>(contesto_);
  form7_->setWindowTitle(titolo_grafici());
  form7_->aggiorna();
  form7_->mostra(this);
}

void Form2::Command3_Click() {
  if (form_buste_ == nullptr) {
    form_buste_ = std::make_unique<FormBuste>(contesto_);
    form_buste_->segui_calcolo(calcolo_);
    if (non_aggiornato_) form_buste_->segna_non_aggiornato();
  }
  if (!form_buste_->non_aggiornato() && form_buste_->anno_del_calcolo() == nullptr) {
    form_buste_->calcola();
  }
  form_buste_->mostra(this);
}

}  // namespace zellora
