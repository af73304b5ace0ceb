#include "forms/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCompleter>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QStringList>

#include "form/verifica.h"
#include "forms/form2.h"
#include "forms/form6.h"
#include "rules/caricamento.h"
#include "rules/comunali.h"
#include "rules/profilo.h"
#include "rules/regionali.h"
#include "ui_form1.h"

namespace zellora {

namespace {

QString da_utf8(std::string_view testo) {
  return QString::fromUtf8(testo.data(), qsizetype(testo.size()));
}

std::string testo_scelto(const QListWidget* lista) {
  const QList<QListWidgetItem*> scelti = lista->selectedItems();
  return scelti.isEmpty() ? std::string() : scelti.front()->text().toStdString();
}

int indice_scelto(const QListWidget* lista) {
  const QList<QListWidgetItem*> scelti = lista->selectedItems();
  return scelti.isEmpty() ? -1 : lista->row(scelti.front());
}

// Completes "Comune" with the comuni of the list as the list writes them,
// matched as the calculation matches them (chiave_comune): "forlì",
// "Forli'" and "FORLÌ" all offer "FORLI' (FC)", "sant’agata" the SANT'AGATA.
class CompletamentoComune : public QCompleter {
 public:
  CompletamentoComune(const std::vector<std::string>& voci, QObject* padre) : QCompleter(padre) {
    auto* modello = new QStandardItemModel(this);
    for (const std::string& voce : voci) {
      auto* riga = new QStandardItem(da_utf8(voce));
      riga->setData(da_utf8(chiave_comune(voce)), ruolo_chiave);
      modello->appendRow(riga);
    }
    setModel(modello);
    setCompletionRole(ruolo_chiave);
    setCaseSensitivity(Qt::CaseSensitive);  // the keys are in upper case
    setFilterMode(Qt::MatchStartsWith);
  }

  QStringList splitPath(const QString& testo) const override {
    return {da_utf8(chiave_comune(testo.toStdString()))};
  }
  // The item as the list writes it goes in the field, not its key.
  QString pathFromIndex(const QModelIndex& indice) const override {
    return indice.data(Qt::DisplayRole).toString();
  }

 private:
  static constexpr int ruolo_chiave = Qt::UserRole + 1;
};

// Sets the wait cursor while a calculation runs (the net-to-gross search may
// take a moment).
class CursoreAttesa {
 public:
  CursoreAttesa() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~CursoreAttesa() { QApplication::restoreOverrideCursor(); }
  CursoreAttesa(const CursoreAttesa&) = delete;
  CursoreAttesa& operator=(const CursoreAttesa&) = delete;
};

// A line edit draws line breaks and other control characters as blanks; a
// cell copied from a spreadsheet ("30000\r\n") would look like a number and
// be refused as none. The text is made what the field shows: each such
// character becomes a blank (the tab, read as a blank, stays).
void testo_come_mostrato(QLineEdit* campo) {
  QString testo = campo->text();
  bool cambiato = false;
  for (QChar& c : testo) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != u'\t') || u == 0x7F || c == QChar::LineSeparator ||
        c == QChar::ParagraphSeparator) {
      c = QLatin1Char(' ');
      cambiato = true;
    }
  }
  if (!cambiato) return;
  const int cursore = campo->cursorPosition();
  campo->setText(testo);
  campo->setCursorPosition(cursore);
}

}  // namespace

Form1::Form1(Contesto contesto, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::Form1>()), contesto_(std::move(contesto)) {
  ui_->setupUi(this);
  font_finestra(this);
  font_comando(ui_->Command1);
  ui_->centralwidget->setFixedSize(864, 549);
  // The form scrolls on a screen that cannot hold it whole.
  setCentralWidget(area_scorrevole(takeCentralWidget(), false));
  for (QComboBox* c : {ui_->Combo1, ui_->Combo2, ui_->Combo3}) c->setCurrentIndex(-1);

  connect(ui_->Option1, &QRadioButton::toggled, this, [this](bool scelto) {
    if (scelto) Option1_Click();
  });
  connect(ui_->Option2, &QRadioButton::toggled, this, [this](bool scelto) {
    if (scelto) Option2_Click();
  });
  connect(ui_->Combo4, &QComboBox::currentTextChanged, this, &Form1::Combo4_Click);
  connect(ui_->Combo5, &QComboBox::currentTextChanged, this, &Form1::completamento_comuni);
  connect(ui_->Combo5, &QComboBox::currentTextChanged, this, &Form1::nota_regione_scelta);
  connect(ui_->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(ui_->List1, &QListWidget::itemSelectionChanged, this, &Form1::List1_Click);
  connect(ui_->List2, &QListWidget::itemSelectionChanged, this, &Form1::List2_Click);
  connect(ui_->exit, &QAction::triggered, this, &Form1::close);
  const std::array<QPushButton*, 4> aiuti = {ui_->Command2, ui_->Command3, ui_->Command4,
                                             ui_->Command5};
  for (std::size_t i = 0; i < aiuti.size(); ++i) {
    connect(aiuti[i], &QPushButton::clicked, this,
            [this, i] { mostra_guida(QString::fromUtf8(testi_guida[i])); });
  }
  connect(ui_->Command6, &QPushButton::clicked, this,
          [this] { mostra_guida(guida_attuale(testo_guida_figli)); });
  connect(ui_->Command7, &QPushButton::clicked, this,
          [this] { mostra_guida(guida_attuale(testo_guida_altri)); });
  for (QPushButton* pulsante : findChildren<QPushButton*>()) invio_preme(pulsante);
  nomi_accessibili();
  // Enter in a text field calculates, as "C A L C O L A" does.
  for (QLineEdit* campo : findChildren<QLineEdit*>()) {
    connect(campo, &QLineEdit::returnPressed, ui_->Command1, &QPushButton::click);
    connect(campo, &QLineEdit::textChanged, campo, [this, campo] {
      testo_come_mostrato(campo);
      // Typed into: no longer marked empty.
      if (campi_vuoti_.contains(campo)) segna_vuoto(campo, false);
    });
  }

  // Load: the skin, the rule sets the run offers (the built-in ones, then
  // the user's files), the newest built-in one chosen (today's law; a request
  // that names none still means the rules of 2007, but a form opens on the
  // law in force), then the worker categories, none chosen.
  if (Skin1_.carica(contesto_.file_skin)) Skin1_.applica(this);
  {
    QSignalBlocker blocco(ui_->Combo4);
    ui_->Combo4->clear();
    const ElencoNormative& normative =
        contesto_.motore != nullptr ? contesto_.motore->normative() : ElencoNormative::incluse();
    std::string piu_recente;
    for (const std::string& nome : normative.nomi()) {
      ui_->Combo4->addItem(da_utf8(nome));
      const VoceNormativa* voce = normative.trova(nome);
      if (voce != nullptr && voce->file.empty()) piu_recente = nome;
    }
    if (contesto_.motore != nullptr && !piu_recente.empty()) {
      contesto_.motore->usa_normativa(piu_recente);
    }
    ui_->Combo4->setCurrentText(da_utf8(regole().nome));
  }
  for (std::string_view categoria : categorie_lavoratore(regole())) {
    ui_->List1->addItem(da_utf8(categoria));
  }
  ui_->List1->clearSelection();
  stato_periodo(ui_->Option1->isChecked());
  stato_normativa();
  stato_addizionali();

  adatta_allo_schermo(this, sizeHint());
  centra(this);
}

void Form1::nomi_accessibili() {
  // The fields whose label stands beside them: the label names them (and
  // gives them its shortcut). A field whose label is in another frame, or
  // that has none, gets its name here; the help buttons say what they help
  // with.
  struct Nome {
    QWidget* campo;
    QLabel* etichetta;
    const char* nome;
  };
  const Nome nomi[] = {
      {ui_->Text5, ui_->Label9, nullptr},
      {ui_->Text7, ui_->Label11, nullptr},
      {ui_->Combo4, ui_->Label15, nullptr},
      {ui_->Text2, ui_->Label3, nullptr},
      {ui_->Text9, ui_->Label13, nullptr},
      {ui_->Text10, ui_->Label14, nullptr},
      {ui_->Combo3, ui_->Label8, nullptr},
      {ui_->Text4, ui_->Label5, nullptr},
      {ui_->Combo1, nullptr, "Percentuale detrazione figli"},
      {ui_->Text6, ui_->Label10, nullptr},
      {ui_->Text3, ui_->Label4, nullptr},
      {ui_->Combo2, nullptr, "Percentuale detrazione altri a carico"},
      {ui_->List1, nullptr, "Categoria del lavoratore"},
      {ui_->List2, nullptr, "Settore previdenziale"},
      {ui_->Text14, nullptr, "Altri contributi a carico dipendente"},
      {ui_->Text15, nullptr, "Altri contributi a carico azienda"},
      {ui_->Text1, ui_->SkinLabel3, nullptr},
      {ui_->Text8, nullptr, "Retribuzione / Compenso, centesimi"},
      {ui_->Text13, ui_->SkinLabel4, nullptr},
      {ui_->Text12, nullptr, "Valore Convenzionale benefit, centesimi"},
      {ui_->Text19, ui_->SkinLabel5, nullptr},
      {ui_->Text18, nullptr, "Trattenuta non deducibile, centesimi"},
      {ui_->Text21, ui_->SkinLabel6, nullptr},
      {ui_->Text20, nullptr, "Competenza non imponibile, centesimi"},
      {ui_->Text11, ui_->SkinLabel7, nullptr},
      {ui_->Command2, nullptr, "Aiuto: Retribuzione / Compenso"},
      {ui_->Command3, nullptr, "Aiuto: Valore Convenzionale benefit"},
      {ui_->Command4, nullptr, "Aiuto: Trattenuta non deducibile"},
      {ui_->Command5, nullptr, "Aiuto: Competenza non imponibile"},
      {ui_->Command6, nullptr, "Aiuto: figli a carico"},
      {ui_->Command7, nullptr, "Aiuto: altri a carico"},
  };
  for (const Nome& n : nomi) {
    if (n.etichetta != nullptr) {
      n.etichetta->setBuddy(n.campo);
      n.campo->setAccessibleName(n.etichetta->text());
    } else {
      n.campo->setAccessibleName(QString::fromUtf8(n.nome));
    }
    if (qobject_cast<QPushButton*>(n.campo) != nullptr)
      n.campo->setToolTip(n.campo->accessibleName());
  }
  // A drop-down is read by its choice and its label: the "%" beside the
  // two percentages is read as what it is the percentage of.
  ui_->SkinLabel1->setBuddy(ui_->Combo1);
  ui_->SkinLabel1->setAccessibleName(ui_->Combo1->accessibleName());
  ui_->SkinLabel2->setBuddy(ui_->Combo2);
  ui_->SkinLabel2->setAccessibleName(ui_->Combo2->accessibleName());
  // And any field a label names in the form as drawn.
  nomi_dalle_etichette(this);
}

Form6* Form1::form6() const { return form6_.data(); }

Form1::~Form1() {
  if (form6_ != nullptr) delete form6_.data();
}

CampiForm1 Form1::campi() const {
  CampiForm1 c;
  for (const CampoTesto& campo : campi_testo()) {
    const auto* box = findChild<const QLineEdit*>(da_utf8(campo.nome));
    c.*campo.campo = box != nullptr ? box->text().toStdString() : std::string();
  }
  c.Option1 = ui_->Option1->isChecked();
  c.Option2 = ui_->Option2->isChecked();
  c.Option3 = ui_->Option3->isChecked();
  c.Option4 = ui_->Option4->isChecked();
  c.Option5 = ui_->Option5->isChecked();
  c.Option6 = ui_->Option6->isChecked();
  c.Check1 = ui_->Check1->isChecked();
  c.Combo1 = ui_->Combo1->currentText().toStdString();
  c.Combo2 = ui_->Combo2->currentText().toStdString();
  c.Combo3 = ui_->Combo3->currentText().toStdString();
  c.Combo4 = ui_->Combo4->currentText().toStdString();
  // Under a rule set without the surcharges their controls are disabled and
  // ask for nothing; what they hold stays for a rule set that has them.
  if (ui_->Combo5->isEnabled()) {
    c.Combo5 = ui_->Combo5->currentText().toStdString();
  } else {
    c.Text22.clear();
    c.Text23.clear();
    c.Text24.clear();
    c.Text25.clear();
  }
  c.List1 = testo_scelto(ui_->List1);
  c.List2 = testo_scelto(ui_->List2);
  return c;
}

void Form1::stato_periodo(bool annuo) {
  ui_->Text7->setEnabled(!annuo);
  for (QLineEdit* box : {ui_->Text5, ui_->Text2, ui_->Text9, ui_->Text10}) box->setEnabled(annuo);
}

bool Form1::normativa_attuale() const { return regole_attuali(regole()); }

void Form1::stato_normativa() {
  // Today's law has no increase for children under three, and its help
  // says which children and dependants still count.
  const bool attuale = normativa_attuale();
  ui_->Text6->setEnabled(!attuale);
  ui_->Command6->setVisible(attuale);
  ui_->Command7->setVisible(attuale);
}

QString Form1::guida_attuale(const char* testo) const {
  return QString::fromUtf8(testo).arg(ui_->Combo4->currentText());
}

void Form1::stato_addizionali() {
  const RegoleCalcolo& scelte = regole();
  const bool disponibili = addizionali_disponibili(scelte);
  // The region chosen stays chosen where the new rule set offers it.
  const QString scelta = ui_->Combo5->currentText();
  {
    QSignalBlocker blocco(ui_->Combo5);
    ui_->Combo5->clear();
    for (const std::string& voce : voci_regione(scelte)) ui_->Combo5->addItem(da_utf8(voce));
    const int indice = ui_->Combo5->findText(scelta);
    ui_->Combo5->setCurrentIndex(disponibili && indice >= 0 ? indice : 0);
  }
  completamento_comuni();
  nota_regione_scelta();
  for (QWidget* w : std::initializer_list<QWidget*>{
           ui_->Frame12, ui_->Label16, ui_->Combo5, ui_->Label17, ui_->Text22, ui_->Label18,
           ui_->Text23, ui_->Label19, ui_->Text24, ui_->Label20, ui_->Text25, ui_->Label21,
           ui_->Label22}) {
    w->setEnabled(disponibili);
  }
}

void Form1::nota_regione_scelta() {
  // A region without a table says why beside the list, and where its rate
  // goes instead.
  const QString nota = da_utf8(nota_regione(regole(), ui_->Combo5->currentText().toStdString()));
  ui_->Label22->setText(nota);
  ui_->Combo5->setAccessibleDescription(nota);
}

void Form1::completamento_comuni() {
  // The comuni of the region chosen, or every comune with "Nessuna": a
  // comune of another region is refused.
  std::vector<std::string> comuni;
  if (const std::optional<int> anno = anno_delle_regole(regole())) {
    const std::string regione = ui_->Combo5->currentText().toStdString();
    const RegolaRegionale* r =
        senza_regione(regione) ? nullptr : regola_regionale(regole(), regione);
    comuni = r == nullptr ? voci_comuni(*anno) : voci_comuni(*anno, r->nome);
  }
  delete ui_->Text22->completer();
  ui_->Text22->setCompleter(new CompletamentoComune(comuni, ui_->Text22));
}

void Form1::Combo4_Click() {
  if (contesto_.motore == nullptr) {
    stato_normativa();
    stato_addizionali();
    return;
  }
  const RegoleCalcolo& prima = regole();
  try {
    contesto_.motore->usa_normativa(ui_->Combo4->currentText().toStdString());
  } catch (const Eccezione& e) {
    messaggio_critico(this, da_utf8(e.errore().testo()));
    return;
  }
  stato_normativa();
  stato_addizionali();
  // The contribution figures of the chosen sector are those of the rule set
  // in use: a sector already chosen is taken again under the new one.
  rinnova_elenchi(prima);
}

void Form1::Option1_Click() { stato_periodo(true); }

void Form1::Option2_Click() { stato_periodo(false); }

void Form1::rinnova_elenchi(const RegoleCalcolo& prima) {
  const std::string categoria = testo_scelto(ui_->List1);
  const std::string settore = testo_scelto(ui_->List2);
  const auto categorie = categorie_lavoratore(regole());
  const int c = indice_di(categorie, categoria);
  // A sector the new lists hold, or the sector of today that an item of an
  // earlier list stands for ("Commercio -50dip" of 2007 under 2026), or the
  // item of before a sector of today stands for (back under 2007).
  int s = trova_settore(regole(), c, settore).indice;
  const int c_prima = indice_di(categorie_lavoratore(prima), categoria);
  const int s_prima = trova_settore(prima, c_prima, settore).indice;
  if (s < 0 && s_prima >= 0) {
    const auto& settori_prima = prima.categorie[static_cast<std::size_t>(c_prima)].settori;
    for (const std::string& voce :
         settori_prima[static_cast<std::size_t>(s_prima)].voci_precedenti) {
      if (s < 0) s = indice_di(voci_settore(regole(), c), voce);
    }
  }
  {
    QSignalBlocker blocco1(ui_->List1);
    QSignalBlocker blocco2(ui_->List2);
    ui_->List1->clear();
    for (std::string_view voce : categorie) ui_->List1->addItem(da_utf8(voce));
    ui_->List1->clearSelection();
    ui_->List1->setCurrentRow(c, QItemSelectionModel::ClearAndSelect);
    ui_->List2->clear();
    for (std::string_view voce : voci_settore(regole(), c)) ui_->List2->addItem(da_utf8(voce));
    ui_->List2->clearSelection();
    ui_->List2->setCurrentRow(s, QItemSelectionModel::ClearAndSelect);
  }
  if (contesto_.motore == nullptr) return;
  if (s >= 0) {
    List2_Click();
  } else {
    contesto_.motore->scegli_settore(testo_scelto(ui_->List1), {});
  }
}

void Form1::List1_Click() {
  const int categoria = indice_scelto(ui_->List1);
  if (categoria < 0) return;
  QSignalBlocker blocco(ui_->List2);
  ui_->List2->clear();
  for (std::string_view voce : voci_settore(regole(), categoria)) {
    ui_->List2->addItem(da_utf8(voce));
  }
  ui_->List2->clearSelection();
  ui_->List2->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
  // The sector of the category before is no longer chosen: nothing is
  // calculated until one of this category is.
  if (contesto_.motore != nullptr) contesto_.motore->scegli_settore(testo_scelto(ui_->List1), {});
}

void Form1::List2_Click() {
  if (contesto_.motore == nullptr || indice_scelto(ui_->List2) < 0) return;
  contesto_.motore->scegli_settore(testo_scelto(ui_->List1), testo_scelto(ui_->List2));
}

void Form1::Command1_Click() {
  if (contesto_.motore == nullptr) return;
  EsitoCalcolo esito;
  {
    CursoreAttesa attesa;
    esito = contesto_.motore->verifica_campi(campi());
  }
  QStringList messaggi;
  for (const std::string& m : esito.messaggi) messaggi << da_utf8(m);
  // The empty fields: marked on the form and named after the warning.
  for (QLineEdit* campo : campi_vuoti_.keys()) segna_vuoto(campo, false);
  QLineEdit* primo_vuoto = nullptr;
  if (esito.campi_vuoti) {
    QStringList nomi;
    for (std::string_view nome : elenco_campi_non_valorizzati(campi())) {
      auto* campo = findChild<QLineEdit*>(da_utf8(nome));
      if (campo == nullptr) continue;
      segna_vuoto(campo, true);
      nomi << QStringLiteral("\"%1\"").arg(da_utf8(etichetta(nome)));
      if (primo_vuoto == nullptr && campo->isEnabled()) primo_vuoto = campo;
    }
    if (!nomi.isEmpty() && !messaggi.isEmpty()) {
      messaggi.back() += QStringLiteral("\n\nCampi non valorizzati: ") +
                         nomi.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
  }

  if (esito.stato != Stato::rifiutato) {
    mostra_risultati();
  } else if (form2_ != nullptr) {
    // The figures on screen are those of an earlier calculation.
    form2_->segna_non_aggiornato();
  }
  // A calculation that ran may come with notes (how a comune's deliberation
  // was read): shown as the notice about its figures.
  if (!messaggi.isEmpty()) {
    const QString testo = messaggi.join(QLatin1Char('\n'));
    if (esito.stato == Stato::rifiutato || form2_ == nullptr) {
      messaggio_critico(this, testo);
    } else {
      // A notice about valid figures already shown: it stands over the
      // results window, with the information icon.
      messaggio_informativo(form2_.get(), testo);
    }
  }
  if (primo_vuoto != nullptr) primo_vuoto->setFocus();
}

void Form1::segna_vuoto(QLineEdit* campo, bool vuoto) {
  if (vuoto) {
    if (!campi_vuoti_.contains(campo)) campi_vuoti_.insert(campo, campo->styleSheet());
    campo->setStyleSheet(campi_vuoti_.value(campo) +
                         QStringLiteral(" QLineEdit { border: 2px solid rgb(192, 0, 0); "
                                        "background-color: rgb(255, 235, 235); }"));
    campo->setAccessibleDescription(QStringLiteral("campo non valorizzato"));
    return;
  }
  campo->setStyleSheet(campi_vuoti_.take(campo));
  campo->setAccessibleDescription(QString());
}

void Form1::mostra_risultati() {
  if (form2_ == nullptr) {
    form2_ = std::make_unique<Form2>(contesto_, [this] { return ui_->Option2->isChecked(); });
  }
  form2_->riempi(contesto_.motore->risultati());
  form2_->mostra(this);
}

void Form1::mostra_guida(const QString& testo) {
  if (form6_ == nullptr) form6_ = new Form6();
  form6_->imposta_testo(testo);
  Splash& splash = form6_->Splash1();
  splash.imposta_finestra(form6_);
  splash.prepara();
  splash.mostra_con_effetto(1);
}

void Form1::closeEvent(QCloseEvent* evento) {
  evento->accept();
  if (form6_ != nullptr) form6_->close();
  if (form2_ != nullptr) form2_->close();
  emit chiusura();
}

}  // namespace zellora
