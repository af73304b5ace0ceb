#include "forms/formbuste.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/errore.h"
#include "charts/grafici_qt.h"
#include "platform/splash.h"

namespace zellora {

namespace {

QString da_utf8(std::string_view testo) {
  return QString::fromUtf8(testo.data(), qsizetype(testo.size()));
}

// The choices of the payroll office: their keys in campi_buste.
bool e_scelta(std::string_view chiave) { return chiave == "deductions" || chiave == "projection"; }

const std::array<SceltaBuste, 2>& scelte_di(std::string_view chiave) {
  return chiave == "deductions" ? scelte_detrazioni : scelte_proiezione;
}

QTableWidgetItem* cella(const QString& testo, bool importo, bool grassetto = false) {
  auto* c = new QTableWidgetItem(testo);
  c->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  if (importo) c->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (grassetto) {
    QFont f = c->font();
    f.setBold(true);
    c->setFont(f);
  }
  return c;
}

QTableWidget* nuova_tabella(const QString& nome, const QString& accessibile, QWidget* genitore) {
  auto* t = new QTableWidget(genitore);
  t->setObjectName(nome);
  t->setAccessibleName(accessibile);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->setSelectionBehavior(QAbstractItemView::SelectItems);
  // The arrows go from cell to cell; Tab leaves the table.
  t->setTabKeyNavigation(false);
  t->verticalHeader()->setVisible(false);
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 8);
  return t;
}

}  // namespace

FormBuste::FormBuste(Contesto contesto, QWidget* parent)
    : QWidget(parent, Qt::Window), contesto_(std::move(contesto)) {
  setObjectName(QStringLiteral("FormBuste"));
  setWindowTitle(da_utf8(titolo_sezione_buste));
  font_finestra(this);
  auto* contenuto = new QWidget;
  contenuto->setObjectName(QStringLiteral("contenuto"));
  auto* colonna = new QVBoxLayout(contenuto);
  colonna->setContentsMargins(8, 8, 8, 8);

  riga_calcolo_ = new QLabel(contenuto);
  riga_calcolo_->setObjectName(QStringLiteral("RigaCalcolo"));
  riga_calcolo_->setWordWrap(true);
  riga_calcolo_->setTextFormat(Qt::PlainText);
  colonna->addWidget(riga_calcolo_);

  // The choices of the year, two to a row, each under its label; empty
  // means the default, the two choices start at theirs.
  auto* scelte = new QGroupBox(QStringLiteral("Scelte dell'anno"), contenuto);
  scelte->setObjectName(QStringLiteral("Scelte"));
  auto* griglia = new QGridLayout(scelte);
  for (std::size_t i = 0; i < campi_buste.size(); ++i) {
    const CampoBuste& c = campi_buste[i];
    auto* etichetta = new QLabel(da_utf8(c.etichetta), scelte);
    QWidget* w = nullptr;
    if (e_scelta(c.chiave)) {
      auto* combo = new QComboBox(scelte);
      // As narrow as a line beside it: the list shows its labels whole.
      combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
      combo->setMinimumContentsLength(16);
      for (const SceltaBuste& s : scelte_di(c.chiave)) {
        combo->addItem(da_utf8(s.etichetta), da_utf8(s.valore));
      }
      w = combo;
    } else {
      auto* linea = new QLineEdit(scelte);
      if (c.chiave == "gross_from" || c.chiave == "extra") {
        const std::string decimale =
            contesto_.motore != nullptr ? contesto_.motore->locale().decimale : std::string(",");
        linea->setPlaceholderText(QStringLiteral("MESE:IMPORTO, es. 7:2200") + da_utf8(decimale) +
                                  QStringLiteral("50"));
      }
      // Enter in a field calculates, as in the input form.
      connect(linea, &QLineEdit::returnPressed, this, &FormBuste::calcola);
      w = linea;
    }
    w->setObjectName(da_utf8(c.chiave));
    etichetta->setBuddy(w);
    campi_[i] = w;
    const int r = int(i) / 2, k = int(i) % 2;
    griglia->addWidget(etichetta, r, k * 2);
    griglia->addWidget(w, r, k * 2 + 1);
  }
  griglia->setColumnStretch(1, 1);
  griglia->setColumnStretch(3, 1);
  colonna->addWidget(scelte);

  calcola_ = new QPushButton(QStringLiteral("Calcola"), contenuto);
  calcola_->setObjectName(QStringLiteral("Calcola"));
  calcola_->setAutoDefault(false);
  font_comando(calcola_);
  connect(calcola_, &QPushButton::clicked, this, &FormBuste::calcola);
  invio_preme(calcola_);
  auto* riga_calcola = new QHBoxLayout;
  riga_calcola->addWidget(calcola_);
  riga_calcola->addStretch(1);
  colonna->addLayout(riga_calcola);

  messaggi_ = new QLabel(contenuto);
  messaggi_->setObjectName(QStringLiteral("Messaggi"));
  messaggi_->setAccessibleName(QStringLiteral("Messaggi"));
  messaggi_->setWordWrap(true);
  messaggi_->setTextFormat(Qt::PlainText);
  messaggi_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  messaggi_->hide();
  colonna->addWidget(messaggi_);

  // The table and the chart in two tabs.
  schede_ = new QTabWidget(contenuto);
  schede_->setObjectName(QStringLiteral("SchedeBuste"));
  schede_->setAccessibleName(da_utf8(titolo_sezione_buste));
  schede_->tabBar()->setAccessibleName(QStringLiteral("Schede delle buste paga"));
  // The keyboard stops on the tabs themselves, not on their frame as well.
  schede_->setFocusPolicy(Qt::NoFocus);
  schede_->tabBar()->setFocusPolicy(Qt::TabFocus);
  auto* pagina_tabella = new QWidget(schede_);
  auto* colonna_tabella = new QVBoxLayout(pagina_tabella);
  tabella_ =
      nuova_tabella(QStringLiteral("TabellaBuste"), da_utf8(titolo_sezione_buste), pagina_tabella);
  tabella_->setColumnCount(int(tabella_breve_buste.size()) + 1);
  auto* intestazione = new QTableWidgetItem(da_utf8(intestazione_busta));
  tabella_->setHorizontalHeaderItem(0, intestazione);
  for (std::size_t i = 0; i < tabella_breve_buste.size(); ++i) {
    const ColonnaBreve& c = tabella_breve_buste[i];
    auto* h = new QTableWidgetItem(da_utf8(c.intestazione));
    const QString piena = da_utf8(colonne_buste[c.colonna].etichetta);
    h->setToolTip(piena);
    h->setData(Qt::AccessibleDescriptionRole, piena);
    tabella_->setHorizontalHeaderItem(int(i) + 1, h);
  }
  tabella_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tabella_->setMinimumHeight(200);
  colonna_tabella->addWidget(tabella_, 3);
  legenda_tabella_ = new QLabel(da_utf8(legenda_buste), pagina_tabella);
  legenda_tabella_->setObjectName(QStringLiteral("LegendaBuste"));
  legenda_tabella_->setWordWrap(true);
  colonna_tabella->addWidget(legenda_tabella_);
  riconciliazione_ = nuova_tabella(QStringLiteral("TabellaRiconciliazione"),
                                   da_utf8(titolo_riconciliazione_buste) + QStringLiteral(" e ") +
                                       da_utf8(titolo_anno_prossimo_buste).toLower(),
                                   pagina_tabella);
  riconciliazione_->setColumnCount(2);
  riconciliazione_->setHorizontalHeaderLabels({QStringLiteral("Voce"), QStringLiteral("Importo")});
  riconciliazione_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  riconciliazione_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  riconciliazione_->setMinimumHeight(160);
  colonna_tabella->addWidget(riconciliazione_, 2);
  incapiente_ = new QLabel(da_utf8(testo_incapiente), pagina_tabella);
  incapiente_->setObjectName(QStringLiteral("Incapiente"));
  incapiente_->setWordWrap(true);
  incapiente_->setStyleSheet(QStringLiteral("QLabel#Incapiente { color: rgb(128, 0, 0); }"));
  incapiente_->hide();
  colonna_tabella->addWidget(incapiente_);
  auto* pagina_grafico = new QWidget(schede_);
  auto* colonna_grafico = new QVBoxLayout(pagina_grafico);
  grafico_ = new QChartView(pagina_grafico);
  grafico_->setObjectName(QStringLiteral("GraficoBuste"));
  grafico_->setAccessibleName(QStringLiteral("Grafico delle buste paga"));
  grafico_->setRenderHint(QPainter::Antialiasing);
  grafico_->setFocusPolicy(Qt::StrongFocus);
  grafico_->setMinimumHeight(260);
  legenda_grafico_ = new Legenda(pagina_grafico);
  colonna_grafico->addWidget(grafico_, 1);
  colonna_grafico->addWidget(legenda_grafico_);
  schede_->addTab(pagina_tabella, QStringLiteral("Tabella"));
  schede_->addTab(pagina_grafico, QStringLiteral("Grafico"));
  colonna->addWidget(schede_, 1);

  auto* tutto = new QVBoxLayout(this);
  tutto->setContentsMargins(0, 0, 0, 0);
  tutto->addWidget(area_scorrevole(contenuto, true));
  auto* chiudi = new QPushButton(QStringLiteral("Chiudi"), this);
  chiudi->setObjectName(QStringLiteral("Chiudi"));
  chiudi->setAutoDefault(false);
  connect(chiudi, &QPushButton::clicked, this, &QWidget::close);
  invio_preme(chiudi);
  auto* riga_chiudi = new QHBoxLayout;
  riga_chiudi->setContentsMargins(8, 0, 8, 8);
  riga_chiudi->addStretch(1);
  riga_chiudi->addWidget(chiudi);
  tutto->addLayout(riga_chiudi);

  // Tab: the choices in their order, "Calcola", the page's table or chart,
  // the tabs, "Chiudi".
  QWidget* precedente = nullptr;
  for (QWidget* w : campi_) {
    if (precedente != nullptr) setTabOrder(precedente, w);
    precedente = w;
  }
  setTabOrder(precedente, calcola_);
  setTabOrder(calcola_, tabella_);
  setTabOrder(tabella_, riconciliazione_);
  setTabOrder(riconciliazione_, grafico_);
  setTabOrder(grafico_, schede_->tabBar());
  setTabOrder(schede_->tabBar(), chiudi);
  nomi_dalle_etichette(this);
  // Whole where the screen has room (colloca shrinks it to a smaller one).
  resize(QSize(860, 720).expandedTo(QSize(0, sizeHint().height())));
  if (Skin1_.carica(contesto_.file_skin)) Skin1_.applica(this);
  pulisci();
}

QWidget* FormBuste::campo(std::string_view chiave) const {
  for (std::size_t i = 0; i < campi_buste.size(); ++i) {
    if (campi_buste[i].chiave == chiave) return campi_[i];
  }
  return nullptr;
}

CampiBuste FormBuste::campi_buste_scritti() const {
  CampiBuste c;
  for (std::size_t i = 0; i < campi_buste.size(); ++i) {
    QString testo;
    if (auto* combo = qobject_cast<QComboBox*>(campi_[i])) {
      testo = combo->currentData().toString();
    } else if (auto* linea = qobject_cast<QLineEdit*>(campi_[i])) {
      testo = linea->text();
    }
    c.*campi_buste[i].testo = testo.toStdString();
  }
  return c;
}

void FormBuste::pulisci() {
  esito_.reset();
  campi_anno_.reset();
  tabella_->setRowCount(0);
  riconciliazione_->setRowCount(0);
  incapiente_->hide();
  messaggi_->clear();
  messaggi_->hide();
  legenda_grafico_->imposta({});
  QChart* prima = grafico_->chart();
  grafico_->setChart(new QChart);
  delete prima;
  grafico_->setAccessibleDescription(QString());
  schede_->setEnabled(false);
}

void FormBuste::mostra_messaggi(const QStringList& righe, bool rifiuto) {
  messaggi_->setText(righe.join(QLatin1Char('\n')));
  messaggi_->setStyleSheet(rifiuto ? QStringLiteral("QLabel#Messaggi { color: rgb(128, 0, 0); "
                                                    "font-weight: bold; }")
                                   : QString());
  messaggi_->setAccessibleDescription(messaggi_->text());
  messaggi_->setVisible(!righe.isEmpty());
}

void FormBuste::calcola() {
  pulisci();
  if (non_aggiornato_) return;
  if (contesto_.motore == nullptr || !contesto_.motore->campi_calcolo()) {
    mostra_messaggi({QStringLiteral("Nessun calcolo: premere \"Calcola\" nel modulo.")}, true);
    return;
  }
  const Motore& motore = *contesto_.motore;
  const CampiForm1 campi = *motore.campi_calcolo();
  OpzioniBuste opzioni;
  const std::string errore = leggi_campi_buste(campi_buste_scritti(), motore.locale(), opzioni);
  if (!errore.empty()) {
    mostra_messaggi({da_utf8(errore)}, true);
    return;
  }
  // The year on a run of its own, with the rule set and the sector of the
  // calculation: the input form may have chosen others since, and the
  // results shown stay as they are.
  EsitoBuste esito;
  try {
    Motore anno(motore.locale(), motore.regole());
    anno.offri_normative(motore.normative());
    if (!campi.Combo4.empty()) anno.usa_normativa(campi.Combo4);
    if (!campi.List2.empty()) anno.scegli_settore(campi.List1, campi.List2);
    esito = buste_paga(anno, campi, opzioni);
  } catch (const Eccezione& e) {
    mostra_messaggi({da_utf8(e.errore().testo())}, true);
    return;
  }
  QStringList righe;
  for (const std::string& m : esito.esito.messaggi) righe << da_utf8(m);
  for (const std::string& n : esito.note) righe << da_utf8(n);
  mostra_messaggi(righe, !esito.anno);
  if (!esito.anno) return;
  campi_anno_ = campi;
  esito_ = std::move(esito);
  mostra_anno(*esito_);
}

void FormBuste::mostra_anno(const EsitoBuste& esito) {
  const AnnoBuste& a = *esito.anno;
  const Locale& locale = contesto_.motore->locale();
  const auto euro = [&locale](std::int64_t c) { return da_utf8(formato_F_centesimi(c, locale)); };
  schede_->setEnabled(true);
  tabella_->setRowCount(int(a.buste.size()) + 1);
  const auto riga = [&](int n, const BustaPaga& b, const QString& descrizione, bool totale) {
    tabella_->setItem(n, 0, cella(descrizione, false, totale));
    for (std::size_t i = 0; i < tabella_breve_buste.size(); ++i) {
      const ColonnaBreve& c = tabella_breve_buste[i];
      QTableWidgetItem* v = cella(euro(colonne_buste[c.colonna].cifra(b)), true, totale);
      // Read with its line and column, as a screen reader goes cell by cell.
      v->setData(Qt::AccessibleDescriptionRole,
                 descrizione + QStringLiteral(", ") + da_utf8(colonne_buste[c.colonna].etichetta));
      tabella_->setItem(n, int(i) + 1, v);
    }
  };
  for (std::size_t i = 0; i < a.buste.size(); ++i) {
    riga(int(i), a.buste[i], da_utf8(descrizione_busta(a.buste[i])), false);
  }
  riga(int(a.buste.size()), a.totale, da_utf8(riga_totale_buste), true);
  tabella_->resizeColumnsToContents();

  const std::vector<VoceBuste> riconciliazione = riconciliazione_buste(a);
  const std::vector<VoceBuste> prossimo = anno_prossimo_buste(a);
  riconciliazione_->setRowCount(int(riconciliazione.size() + prossimo.size()) + 2);
  int n = 0;
  const auto titolo = [&](std::string_view testo) {
    riconciliazione_->setItem(n, 0, cella(da_utf8(testo), false, true));
    riconciliazione_->setItem(n++, 1, cella(QString(), true));
  };
  const auto voce = [&](const VoceBuste& v) {
    riconciliazione_->setItem(n, 0, cella(da_utf8(v.testo), false));
    riconciliazione_->setItem(n++, 1, cella(euro(v.centesimi), true));
  };
  titolo(titolo_riconciliazione_buste);
  for (const VoceBuste& v : riconciliazione) voce(v);
  titolo(titolo_anno_prossimo_buste);
  for (const VoceBuste& v : prossimo) voce(v);
  incapiente_->setVisible(a.incapiente);

  QChart* prima = grafico_->chart();
  QChart* nuovo = grafico_buste(a, locale, grafico_, legenda_grafico_);
  nuovo->setTitle(da_utf8(titolo_sezione_buste) + QStringLiteral(" - ") + calcolo_);
  grafico_->setChart(nuovo);
  delete prima;
  grafico_->setAccessibleDescription(testo_grafico_buste(a, locale));
}

void FormBuste::segui_calcolo(const QString& calcolo) {
  calcolo_ = calcolo;
  non_aggiornato_ = false;
  setWindowTitle(da_utf8(titolo_sezione_buste) + QStringLiteral(" - ") + calcolo);
  riga_calcolo_->setText(calcolo);
  riga_calcolo_->setStyleSheet(QStringLiteral("QLabel#RigaCalcolo { font-weight: bold; }"));
  calcola_->setEnabled(true);
  if (isVisible()) {
    calcola();
  } else {
    pulisci();
  }
}

void FormBuste::segna_non_aggiornato() {
  if (non_aggiornato_) return;
  non_aggiornato_ = true;
  pulisci();
  setWindowTitle(da_utf8(titolo_sezione_buste) + QStringLiteral(" - non aggiornate"));
  riga_calcolo_->setText(
      QStringLiteral("Non aggiornate: l'ultimo calcolo \u00e8 stato rifiutato. Le buste paga "
                     "tornano con il prossimo calcolo del modulo."));
  riga_calcolo_->setStyleSheet(
      QStringLiteral("QLabel#RigaCalcolo { color: rgb(128, 0, 0); font-weight: bold; }"));
  calcola_->setEnabled(false);
}

const EsitoBuste* FormBuste::anno_del_calcolo() const {
  if (non_aggiornato_ || !esito_ || !esito_->anno || !campi_anno_ || contesto_.motore == nullptr ||
      contesto_.motore->campi_calcolo() != campi_anno_) {
    return nullptr;
  }
  return &*esito_;
}

void FormBuste::mostra(const QWidget* origine) {
  if (!isVisible()) {
    if (lasciata_) {
      move(*lasciata_);
    } else {
      colloca(this, origine);
    }
  }
  porta_davanti(this);
  tieni_sullo_schermo(this);
}

void FormBuste::keyPressEvent(QKeyEvent* evento) {
  // Esc closes the window, as a dialog's.
  if (evento->key() == Qt::Key_Escape && evento->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(evento);
}

void FormBuste::hideEvent(QHideEvent* evento) {
  QWidget::hideEvent(evento);
  lasciata_ = pos();
}

}  // namespace zellora
