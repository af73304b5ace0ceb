// The windows of the desktop program, driven by the object names of their
// controls from "Entra" on, with the program-wide state, the fonts and the
// Italian number settings of the real program.
#include <QAccessible>
#include <QAction>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QSet>
#include <QSignalSpy>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include <sys/stat.h>

#include "apertore_finto.h"
#include "comandi_finestre.h"
#include "form/grafici.h"
#include "form/motore.h"
#include "form/normative.h"
#include "form/verifica.h"
#include "forms/casella_risultato.h"
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "forms/formbuste.h"
#include "forms/frmmain.h"
#include "platform/ambiente.h"
#include "platform/skin.h"
#include "rules/caricamento.h"

using namespace zellora;
using namespace zellora::prova;

namespace {

// A message box as the operator saw it.
struct Messaggio {
  QString titolo;
  QString testo;
  QMessageBox::Icon icona = QMessageBox::NoIcon;
  QMessageBox::StandardButtons pulsanti;
  QStringList altri;  // the texts of the buttons that are not standard ones
};

// Closes every modal window that opens while it runs, so that a message box
// never stops a test, and remembers what the message boxes said. A box with
// a button labelled `scelta` is closed with that button, any other with OK.
class Sentinella {
 public:
  Sentinella() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modale = QApplication::activeModalWidget();
      if (modale == nullptr) return;
      if (auto* box = qobject_cast<QMessageBox*>(modale)) {
        Messaggio m{box->windowTitle(), box->text(), box->icon(), box->standardButtons(), {}};
        QAbstractButton* scelto = nullptr;
        for (QAbstractButton* b : box->buttons()) {
          if (box->standardButton(b) != QMessageBox::NoButton) continue;
          m.altri << b->text();
          if (!scelta.isEmpty() && b->text() == scelta) scelto = b;
        }
        visti.push_back(m);
        if (scelto != nullptr) {
          scelto->click();
        } else {
          box->done(QMessageBox::Ok);
        }
      } else {
        modale->close();
      }
    });
    timer_.start();
  }
  std::vector<Messaggio> visti;
  QString scelta;

 private:
  QTimer timer_;
};

QString u8(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QString skin_vera() { return QStringLiteral(ZELLORA_SKIN_SORGENTE); }

// The figures that the core gives for the fields, computed apart from the
// windows.
Risultati attesi(const CampiForm1& campi) {
  Motore m(Locale::italiano());
  m.scegli_settore(campi.List1, campi.List2);
  m.verifica_campi(campi);
  return m.risultati();
}

CampiForm1 campi_tipici() {
  CampiForm1 c;
  c.List1 = "Impiegato";
  c.List2 = "Settore previdenziale Commercio -50dip";
  c.Text1 = "30000";
  return c;
}

// The cents of a text of the window ("1.234,56", "0").
std::int64_t cent_testo(QString t) {
  t.remove(QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.'));
  return std::llround(t.toDouble() * 100);
}

// The bars of a split as drawn against the results window: each set is
// one row of the window, its amount the cents of that row's box, its label
// the row's label; the sets come in the order of the window and the legend
// lists each of them, in that order; the bars add up to the figures of the
// split.
void confronta_barra(QChartView* vista, Legenda* legenda, Form2* form2,
                     const Ripartizione& attesa) {
  QCOMPARE(vista->chart()->series().size(), 1);
  auto* serie = qobject_cast<QHorizontalStackedBarSeries*>(vista->chart()->series().front());
  QVERIFY(serie != nullptr);
  QStringList etichette;
  std::size_t prima = 0;
  std::int64_t somma = 0;
  for (QBarSet* set : serie->barSets()) {
    etichette << set->label();
    const QString voce = set->label().section(QStringLiteral(": "), 0, 0);
    const Pannello pannello = vista->objectName().contains(QStringLiteral("Azienda"))
                                  ? Pannello::azienda
                                  : Pannello::lavoratore;
    std::size_t n = std::size(righe_risultato);
    for (std::size_t k = 0; k < std::size(righe_risultato); ++k) {
      const RigaRisultato& r = righe_risultato[k];
      if (u8(r.etichetta) == voce && r.pannello == pannello) n = k;
    }
    QVERIFY2(n < std::size(righe_risultato), qPrintable(voce));
    QVERIFY2(n >= prima, qPrintable(voce));
    prima = n;
    double valore = 0;
    for (int i = 0; i < set->count(); ++i) valore += set->at(i);
    const std::int64_t centesimi = std::llround(valore * 100);
    // The parts where the pay goes: every row but the gross and the
    // additions (the employer's rows are all parts).
    const bool pagato =
        pannello == Pannello::lavoratore &&
        (righe_risultato[n].genere == Genere::lordo || righe_risultato[n].segno > 0);
    somma += pagato ? 0 : centesimi;
    QCOMPARE(centesimi, cent_testo(form2->casella(righe_risultato[n].casella)->text()));
    QVERIFY2(set->label().contains(form2->casella(righe_risultato[n].casella)->text()),
             qPrintable(set->label()));
  }
  QCOMPARE(legenda->testi(), etichette);
  std::int64_t parti = 0;
  for (const Quota& q : attesa.parti) parti += q.centesimi;
  QCOMPARE(somma, parti);
}

// The contrast of a box's text with its background: the darkest pixel of
// the text against the pixel at the box's left (the figures are on the
// right), as WCAG computes it from their luminances.
double contrasto_testo(QLineEdit* box) {
  const QImage img = box->grab().toImage();
  const auto luminanza = [](QColor c) {
    const auto lineare = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lineare(c.redF()) + 0.7152 * lineare(c.greenF()) + 0.0722 * lineare(c.blueF());
  };
  const double fondo = luminanza(QColor(img.pixel(4, img.height() / 2)));
  double testo = fondo;
  for (int x = img.width() / 2; x < img.width() - 3; ++x) {
    for (int y = 3; y < img.height() - 3; ++y) {
      testo = std::min(testo, luminanza(QColor(img.pixel(x, y))));
    }
  }
  return (fondo + 0.05) / (testo + 0.05);
}

template <typename S>
S* serie_curva(Form7* form7, const QString& nome) {
  for (QAbstractSeries* s : form7->pannello()->vista_curva()->chart()->series()) {
    if (s->name().startsWith(nome)) return qobject_cast<S*>(s);
  }
  return nullptr;
}

// The charts window against the results window and the chart data of the
// last calculation.
void confronta_grafici(Form7* form7, Form2* form2, const CampiForm1& campi) {
  Motore m(Locale::italiano());
  m.scegli_settore(campi.List1, campi.List2);
  m.verifica_campi(campi);
  const std::optional<DatiGrafici> dati = dati_grafici(m);
  QVERIFY(dati && dati->lavoratore && dati->azienda);
  PannelloGrafici* p = form7->pannello();
  confronta_barra(p->vista_lavoratore(), p->legenda_lavoratore(), form2, *dati->lavoratore);
  confronta_barra(p->vista_azienda(), p->legenda_azienda(), form2, *dati->azienda);

  auto* netto = serie_curva<QLineSeries>(form7, QStringLiteral("Netto in busta"));
  auto* marginale = serie_curva<QLineSeries>(form7, QStringLiteral("Aliquota marginale"));
  QVERIFY(netto != nullptr && marginale != nullptr);
  const std::vector<PuntoCurva>& punti = dati->curva.punti;
  QVERIFY(punti.size() > 500);
  QCOMPARE(std::size_t(netto->count()), punti.size());
  qsizetype k = 0;
  for (std::size_t i = 0; i < punti.size(); ++i) {
    QCOMPARE(netto->at(qsizetype(i)), QPointF(punti[i].lordo, punti[i].netto));
    // The rate is drawn where it is a rate; a cliff is marked apart.
    const auto salto = [&](const Salto& x) {
      return x.lordo >= punti[i].lordo && x.lordo < punti[i].lordo + dati->curva.passo;
    };
    if (std::abs(punti[i].aliquota_marginale - 0.5) > 1 ||
        std::any_of(dati->curva.salti.begin(), dati->curva.salti.end(), salto)) {
      continue;
    }
    QCOMPARE(marginale->at(k++), QPointF(punti[i].lordo, punti[i].aliquota_marginale * 100));
  }
  QCOMPARE(marginale->count(), k);
  auto* attuale = serie_curva<QScatterSeries>(form7, QStringLiteral("Lavoratore"));
  QVERIFY(attuale != nullptr);
  QCOMPARE(attuale->count(), 1);
  QCOMPARE(attuale->at(0),
           QPointF(m.record().retribuzione_lorda,
                   static_cast<double>(cent_testo(form2->casella(10)->text())) / 100));
}

}  // namespace

class ProvaFinestre : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Motore> motore_;
  std::unique_ptr<ElencoNormative> normative_;
  std::unique_ptr<ApertoreFinto> apertore_;
  std::unique_ptr<QTemporaryDir> cartella_;
  std::unique_ptr<frmMain> ingresso_;

  // Starts the program as Module1 does, with the given skin file.
  // Statements go to a folder of the test, or, with `cartella_utente`, to
  // where the program puts them (a home of the test's).
  void avvia(const QString& skin = skin_vera(), bool cartella_utente = false) {
    motore_ = std::make_unique<Motore>(Locale::italiano());
    apertore_ = std::make_unique<ApertoreFinto>();
    cartella_ = std::make_unique<QTemporaryDir>();
    Contesto c;
    c.motore = motore_.get();
    c.apertore = apertore_.get();
    c.file_skin = skin;
    if (!cartella_utente) c.cartella_esportazione = cartella_->path();
    ingresso_ = std::make_unique<frmMain>(c);
    ingresso_->show();
  }

  Form1* entra() {
    premi(controllo<QPushButton>(ingresso_.get(), "Command1"));
    return ingresso_->form1();
  }

  template <typename T>
  T* in1(const char* nome) {
    return controllo<T>(ingresso_->form1(), nome);
  }

  QString casella2(int n) { return ingresso_->form1()->form2()->casella(n)->text(); }

  void calcola() { premi(in1<QPushButton>("Command1")); }

  // The controls a Tab reaches, in order.
  static QString ordine_tab(QWidget* finestra) {
    QStringList ordine;
    for (QWidget* w = finestra->nextInFocusChain(); w != finestra; w = w->nextInFocusChain()) {
      if ((w->focusPolicy() & Qt::TabFocus) != 0 && !w->objectName().isEmpty() &&
          w->isVisibleTo(finestra)) {
        ordine << w->objectName();
      }
    }
    return ordine.join(' ');
  }

  void confronta_risultati(const Risultati& attesi) {
    for (int n = 1; n <= 21; ++n) {
      QCOMPARE(casella2(n), u8(attesi.Text(n)));
    }
  }

 private slots:
  void initTestCase() {
    imposta_font_programma();
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QVERIFY2(QFileInfo::exists(skin_vera()), "Paper.skn missing");
  }

  void cleanup() {
    ingresso_.reset();
    cartella_.reset();
    apertore_.reset();
    motore_.reset();
    normative_.reset();
  }

  void normativa_dell_utente_tra_le_scelte() {
    // An accountant's 2027.toml in a data folder, and a copy named like a
    // built-in rule set, which is left out.
    const QTemporaryDir dati;
    const std::filesystem::path cartella(dati.path().toStdString());
    std::string testo(testo_regole_incluse("2026"));
    std::ofstream(cartella / "2026.toml", std::ios::binary) << testo;
    testo.replace(testo.find("nome = \"2026\""), 13, "nome = \"2027\"");
    std::ofstream(cartella / "2027.toml", std::ios::binary) << testo;
    normative_ = std::make_unique<ElencoNormative>();
    normative_->aggiungi_cartelle({cartella});
    QCOMPARE(normative_->avvisi().size(), std::size_t{1});
    avvia();
    motore_->offri_normative(*normative_);
    Form1* form1 = entra();
    auto* combo4 = in1<QComboBox>("Combo4");
    QStringList voci;
    for (int i = 0; i < combo4->count(); ++i) voci << combo4->itemText(i);
    QCOMPARE(voci, QStringList({"2007", "2025", "2026", "2027"}));
    combo4->setCurrentText(QStringLiteral("2027"));
    QCOMPARE(motore_->regole().nome, std::string("2027"));
    QCOMPARE(form1->campi().Combo4, std::string("2027"));
    // Today's law, as the file has the cuneo fiscale.
    QVERIFY(!in1<QLineEdit>("Text6")->isEnabled());
  }

  void richiesta_tipica_da_entra_ai_risultati() {
    Sentinella sentinella;
    avvia();
    QVERIFY(ingresso_->isVisible());
    QVERIFY(ingresso_->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(ingresso_->form1() == nullptr);
    Form1* form1 = entra();
    QVERIFY(form1 != nullptr && form1->isVisible());
    QVERIFY(ingresso_->isVisible());  // stays behind
    QCOMPARE(form1->windowTitle(), QStringLiteral("Zellora Netta/Lorda - Ver. 2"));

    auto* list1 = in1<QListWidget>("List1");
    auto* list2 = in1<QListWidget>("List2");
    QStringList categorie;
    for (int i = 0; i < list1->count(); ++i) categorie << list1->item(i)->text();
    // The form opens on 2026, whose categories have the executives too.
    QCOMPARE(categorie, QStringList({"Collaborazioni Coordinate e Continuative", "Impiegato",
                                     "Operaio", "Dirigente", "Apprendista"}));
    QVERIFY(list1->selectedItems().isEmpty());
    QCOMPARE(list2->count(), 0);
    for (const char* c : {"Combo1", "Combo2", "Combo3"}) {
      QCOMPARE(in1<QComboBox>(c)->currentText(), QString());
    }
    // The form opens on the newest built-in rule set, today's law, and the
    // run uses it; the figures of always are asked for by choosing 2007.
    QCOMPARE(in1<QComboBox>("Combo4")->currentText(), QStringLiteral("2026"));
    QCOMPARE(motore_->regole().nome, std::string("2026"));
    QCOMPARE(form1->campi().Combo4, std::string("2026"));

    QVERIFY(richiesta_tipica(form1));
    QCOMPARE(list2->count(), 7);
    QCOMPARE(motore_->record().aliquota_inps_dip, 0.0919);
    QCOMPARE(motore_->record().aliquota_inps_az, 0.2898);
    QCOMPARE(form1->campi(), campi_tipici());

    calcola();
    QVERIFY(sentinella.visti.empty());
    Form2* form2 = form1->form2();
    QVERIFY(form2 != nullptr && form2->isVisible());
    QVERIFY(form2->parentWidget() == nullptr);
    QCOMPARE(form2->windowTitle(), QStringLiteral("Risultato Calcolo"));
    QCOMPARE(controllo<QLabel>(form2, "RigaCalcolo")->text(),
             QStringLiteral("Normativa 2007 - Annuo - Dal lordo al netto"));
    QCOMPARE(casella2(10), QStringLiteral("21.455,00"));
    QCOMPARE(casella2(16), QStringLiteral("40.766,22"));
    QCOMPARE(casella2(1), QStringLiteral("30.000,00"));
    confronta_risultati(attesi(campi_tipici()));
    for (int n = 1; n <= 21; ++n) {
      QVERIFY(form2->casella(n)->isReadOnly());
      QVERIFY(form2->casella(n)->alignment().testFlag(Qt::AlignRight));
    }
  }

  void categoria_nuova_svuota_la_scelta_del_settore() {
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    const RecordCalcolo prima = motore_->record();
    QVERIFY(scegli(in1<QListWidget>("List1"), QStringLiteral("Apprendista")));
    auto* list2 = in1<QListWidget>("List2");
    QCOMPARE(list2->count(), 4);
    QCOMPARE(list2->item(3)->text(),
             QStringLiteral("azienda -9 dip. dal 3° anno di apprendistato"));
    QVERIFY(list2->selectedItems().isEmpty());
    QCOMPARE(motore_->record(), prima);  // figures of the earlier choice stay
    QVERIFY(scegli(list2, QStringLiteral("azienda +9 dip.")));
    QCOMPARE(motore_->record().aliquota_inps_dip, 0.0584);
    QCOMPARE(motore_->record().aliquota_irap, 0.0);
  }

  void interruttore_del_periodo_cambia_solo_gli_stati() {
    avvia();
    entra();
    auto abilitati = [this] {
      QList<bool> s;
      for (const char* n : {"Text7", "Text5", "Text2", "Text9", "Text10"}) {
        s << in1<QLineEdit>(n)->isEnabled();
      }
      return s;
    };
    const QList<bool> annuo = {false, true, true, true, true};
    const QList<bool> mensile = {true, false, false, false, false};
    QCOMPARE(abilitati(), annuo);
    scrivi(in1<QLineEdit>("Text5"), QStringLiteral("200"));
    CampiForm1 prima = ingresso_->form1()->campi();

    premi(in1<QRadioButton>("Option2"));
    QCOMPARE(abilitati(), mensile);
    scrivi(in1<QLineEdit>("Text7"), QStringLiteral("13"));
    prima.Text7 = "13";
    premi(in1<QRadioButton>("Option1"));
    QCOMPARE(abilitati(), annuo);
    QCOMPARE(in1<QLineEdit>("Text7")->text(), QStringLiteral("13"));
    QCOMPARE(ingresso_->form1()->campi(), prima);  // no value set or cleared

    // However the option gets selected (keyboard, program), the states follow.
    in1<QRadioButton>("Option2")->setChecked(true);
    QCOMPARE(abilitati(), mensile);
    for (const char* n : {"Text8", "Text12", "Text18", "Text20"}) {
      QVERIFY(!in1<QLineEdit>(n)->isEnabled());
    }
  }

  void campi_vuoti_avvisano_e_non_calcolano() {
    Sentinella sentinella;
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    // Emptied while monthly, then back to annual: disabled, still checked.
    premi(in1<QRadioButton>("Option2"));
    scrivi(in1<QLineEdit>("Text7"), QString());
    premi(in1<QRadioButton>("Option1"));
    const RecordCalcolo prima = motore_->record();
    calcola();
    QCOMPARE(sentinella.visti.size(), std::size_t(1));
    const Messaggio& m = sentinella.visti.front();
    QCOMPARE(m.titolo, QStringLiteral("Zellora"));
    // The warning as it always read, then the empty field named by its
    // label, which the form marks.
    QCOMPARE(m.testo, u8(messaggio_campi_vuoti) +
                          QStringLiteral("\n\nCampi non valorizzati: \"Numero mensilit\u00e0 "
                                         "retribuite\"."));
    QVERIFY(
        m.testo.startsWith(QStringLiteral("Attenzione ci sono dei campi non valorizzati, se non "
                                          "necessari ai fini del conteggio mettere 0")));
    QCOMPARE(m.icona, QMessageBox::Critical);
    QCOMPARE(m.pulsanti, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(form1->form2() == nullptr);
    QCOMPARE(motore_->record(), prima);
    QVERIFY(form1->segnato_vuoto(in1<QLineEdit>("Text7")));
    QCOMPARE(in1<QLineEdit>("Text7")->accessibleDescription(),
             QStringLiteral("campo non valorizzato"));
    QVERIFY(!form1->segnato_vuoto(in1<QLineEdit>("Text5")));

    // Two empty fields, in the order of the check; the first one that can
    // be typed into gets the focus.
    scrivi(in1<QLineEdit>("Text11"), QString());
    scrivi(in1<QLineEdit>("Text1"), QString());
    calcola();
    QCOMPARE(sentinella.visti.size(), std::size_t(2));
    QVERIFY2(sentinella.visti[1].testo.endsWith(
                 QStringLiteral("Campi non valorizzati: \"Retribuzione / Compenso\", \"Numero "
                                "mensilit\u00e0 retribuite\", \"Indicare il tasso Inail "
                                "applicato\".")),
             qPrintable(sentinella.visti[1].testo));
    for (const char* n : {"Text1", "Text7", "Text11"}) {
      QVERIFY2(form1->segnato_vuoto(in1<QLineEdit>(n)), n);
    }
    QCOMPARE(form1->focusWidget(), in1<QLineEdit>("Text1"));
    // Typed into, no longer marked.
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("0"));
    scrivi(in1<QLineEdit>("Text11"), QStringLiteral("0"));
    QVERIFY(!form1->segnato_vuoto(in1<QLineEdit>("Text1")));
    QCOMPARE(in1<QLineEdit>("Text1")->accessibleDescription(), QString());

    // The operator types 0 and calculates again.
    premi(in1<QRadioButton>("Option2"));
    scrivi(in1<QLineEdit>("Text7"), QStringLiteral("0"));
    premi(in1<QRadioButton>("Option1"));
    calcola();
    QCOMPARE(sentinella.visti.size(), std::size_t(2));
    QVERIFY(!form1->segnato_vuoto(in1<QLineEdit>("Text7")));
    QVERIFY(form1->form2() != nullptr && form1->form2()->isVisible());
  }

  void rifiuti_e_avvisi_del_calcolo() {
    Sentinella sentinella;
    avvia();
    Form1* form1 = entra();
    // No worker chosen: no figures, and the message says what to choose;
    // the same once the category is changed and its sector not yet chosen.
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("30000"));
    calcola();
    QCOMPARE(sentinella.visti.size(), std::size_t(1));
    QVERIFY2(sentinella.visti[0].testo.startsWith(QStringLiteral(
                 "Scegliere la categoria del lavoratore e il settore previdenziale")),
             qPrintable(sentinella.visti[0].testo));
    QVERIFY(form1->form2() == nullptr);
    QVERIFY(richiesta_tipica(form1));
    QVERIFY(scegli(in1<QListWidget>("List1"), QStringLiteral("Operaio")));
    calcola();
    QCOMPARE(sentinella.visti.size(), std::size_t(2));
    QVERIFY2(sentinella.visti[1].testo.startsWith(
                 QStringLiteral("Scegliere il settore previdenziale di \"Operaio\"")),
             qPrintable(sentinella.visti[1].testo));
    QVERIFY(form1->form2() == nullptr);
    sentinella.visti.clear();
    QVERIFY(richiesta_tipica(form1));

    // Not a number: refused, one line per message, no results window.
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("trentamila"));
    scrivi(in1<QLineEdit>("Text11"), QStringLiteral("x"));
    Motore riferimento(Locale::italiano());
    QVERIFY(riferimento.scegli_settore(form1->campi().List1, form1->campi().List2));
    const EsitoCalcolo rifiuto = riferimento.verifica_campi(form1->campi());
    QCOMPARE(rifiuto.stato, Stato::rifiutato);
    QVERIFY(rifiuto.messaggi.size() >= 2);
    calcola();
    QCOMPARE(sentinella.visti.size(), std::size_t(1));
    QStringList righe;
    for (const auto& r : rifiuto.messaggi) righe << u8(r);
    QCOMPARE(sentinella.visti[0].testo, righe.join('\n'));
    QCOMPARE(sentinella.visti[0].icona, QMessageBox::Critical);
    QCOMPARE(sentinella.visti[0].titolo, QStringLiteral("Zellora"));
    QVERIFY(form1->form2() == nullptr);

    // Net to gross that no gross reaches: the results, then the notice.
    scrivi(in1<QLineEdit>("Text11"), QStringLiteral("0"));
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("1000"));
    scrivi(in1<QLineEdit>("Text14"), QStringLiteral("100"));
    premi(in1<QRadioButton>("Option3"));
    calcola();
    QCOMPARE(sentinella.visti.size(), std::size_t(2));
    QVERIFY(sentinella.visti[1].testo.contains(QStringLiteral("non è raggiungibile")));
    QCOMPARE(sentinella.visti[1].icona, QMessageBox::Information);
    QCOMPARE(sentinella.visti[1].titolo, QStringLiteral("Zellora"));
    QVERIFY(form1->form2() != nullptr && form1->form2()->isVisible());
    confronta_risultati(attesi(form1->campi()));
  }

  void entra_due_volte_apre_un_solo_form() {
    avvia();
    Form1* primo = entra();
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("1234"));
    Form1* secondo = entra();
    QCOMPARE(primo, secondo);
    int form1 = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<Form1*>(w) != nullptr) ++form1;
    }
    QCOMPARE(form1, 1);
    QCOMPARE(in1<QLineEdit>("Text1")->text(), QStringLiteral("1234"));
  }

  void guida_una_sola_e_ricentrata_dopo_chiudi() {
    avvia();
    Form1* form1 = entra();
    premi(in1<QPushButton>("Command2"));
    Form6* guida = form1->form6();
    QVERIFY(guida != nullptr && guida->isVisible());
    QCOMPARE(guida->windowTitle(), QStringLiteral("Guida"));
    QCOMPARE(guida->testo(),
             QStringLiteral("INSERIRE L'IMPORTO NETTO O LORDO COME BASE DI CALCOLO "));
    const QPoint centrata = guida->pos();

    guida->move(centrata + QPoint(40, 30));
    const QPoint spostata = guida->pos();
    premi(in1<QPushButton>("Command4"));
    QCOMPARE(form1->form6(), guida);
    QCOMPARE(guida->testo(),
             QStringLiteral("Es. ritenuta sindacale, addizionale regionale e comunale ecc..."));
    QCOMPARE(guida->pos(), spostata);
    int popup = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<Form6*>(w) != nullptr) ++popup;
    }
    QCOMPARE(popup, 1);

    // "Chiudi" first in the tab order, then it destroys the popup.
    auto* chiudi = controllo<QPushButton>(guida, "Command1");
    QCOMPARE(chiudi->text(), QStringLiteral("Chiudi"));
    QWidget* primo = guida->nextInFocusChain();
    while (primo != guida && !(primo->focusPolicy() & Qt::TabFocus))
      primo = primo->nextInFocusChain();
    QCOMPARE(primo->objectName(), QStringLiteral("Command1"));
    premi(chiudi);
    QTRY_VERIFY(form1->form6() == nullptr);
    premi(in1<QPushButton>("Command5"));
    QVERIFY(form1->form6() != nullptr);
    QCOMPARE(form1->form6()->pos(), centrata);
    QCOMPARE(form1->form6()->testo(), QString::fromUtf8(testi_guida[3]));
    premi(in1<QPushButton>("Command3"));
    QCOMPARE(form1->form6()->testo(), QString::fromUtf8(testi_guida[1]));
  }

  void normativa_attuale_nel_form_e_nei_risultati() {
    Sentinella sentinella;
    avvia();
    Form1* form1 = entra();
    auto* combo4 = in1<QComboBox>("Combo4");
    QStringList voci;
    for (int i = 0; i < combo4->count(); ++i) voci << combo4->itemText(i);
    QCOMPARE(voci, QStringList({"2007", "2025", "2026"}));
    QCOMPARE(combo4->currentText(), QStringLiteral("2026"));
    QVERIFY(!in1<QLineEdit>("Text6")->isEnabled());
    QVERIFY(in1<QWidget>("Command6")->isVisibleTo(form1));
    QVERIFY(in1<QWidget>("Combo5")->isEnabled());
    combo4->setCurrentText(QStringLiteral("2007"));
    QVERIFY(in1<QLineEdit>("Text6")->isEnabled());
    QVERIFY(!in1<QWidget>("Command6")->isVisibleTo(form1));
    // No surcharges under 2007: their controls are disabled.
    for (const char* nome : {"Combo5", "Text22", "Text23", "Text24", "Text25"}) {
      QVERIFY(!in1<QWidget>(nome)->isEnabled());
    }

    // A sector chosen before the rule set takes the figures of the new one.
    QVERIFY(scegli(in1<QListWidget>("List1"), "Collaborazioni Coordinate e Continuative"));
    QVERIFY(scegli(in1<QListWidget>("List2"), "Non Iscritto ad altre forme di previdenza"));
    const double inps_2007 = motore_->record().aliquota_inps_dip;
    combo4->setCurrentText(QStringLiteral("2026"));
    QCOMPARE(motore_->record().aliquota_inps_dip, 0.1168);
    QVERIFY(inps_2007 != 0.1168);
    QCOMPARE(form1->campi().Combo4, std::string("2026"));
    // The lists are the new rule set's: an item of the list of before shows
    // as the sector of today it stands for, chosen, and back again.
    combo4->setCurrentText(QStringLiteral("2007"));
    QVERIFY(scegli(in1<QListWidget>("List1"), "Impiegato"));
    QVERIFY(scegli(in1<QListWidget>("List2"), "Settore previdenziale Commercio -50dip"));
    combo4->setCurrentText(QStringLiteral("2026"));
    QCOMPARE(form1->campi().List1, std::string("Impiegato"));
    QCOMPARE(form1->campi().List2, std::string("Terziario e commercio fino a 5 dipendenti"));
    QVERIFY(in1<QListWidget>("List1")
                ->findItems(QStringLiteral("Dirigente"), Qt::MatchExactly)
                .size() == 1);
    QCOMPARE(motore_->record().aliquota_inps_dip, 0.0936);
    combo4->setCurrentText(QStringLiteral("2007"));
    QCOMPARE(form1->campi().List2, std::string("Settore previdenziale Commercio -50dip"));
    QVERIFY(in1<QListWidget>("List1")
                ->findItems(QStringLiteral("Dirigente"), Qt::MatchExactly)
                .isEmpty());
    combo4->setCurrentText(QStringLiteral("2026"));
    QVERIFY(!in1<QLineEdit>("Text6")->isEnabled());
    QVERIFY(
        ordine_tab(form1).contains(QStringLiteral("Combo1 Command6 Text6 Text3 Combo2 Command7")));
    premi(in1<QPushButton>("Command6"));
    QVERIFY(form1->form6()->testo().contains(QStringLiteral("da 21 a 29 anni")));
    premi(in1<QPushButton>("Command7"));
    QVERIFY(form1->form6()->testo().contains(QStringLiteral("genitori e i nonni")));

    QVERIFY(richiesta_tipica(form1, QStringLiteral("2026")));
    calcola();
    Form2* form2 = form1->form2();
    QCOMPARE(form2->windowTitle(),
             QStringLiteral("Risultato Calcolo - Normativa 2026 - Annuo - Dal lordo al netto"));
    QCOMPARE(casella2(10), QStringLiteral("23.986,00"));
    QCOMPARE(casella2(23), QStringLiteral("1.000,00"));
    // The worker's rows top to bottom, none overlapping, inside the panel.
    int sotto = 0;
    for (const RigaRisultato& r : righe_risultato) {
      if (r.pannello != Pannello::lavoratore) continue;
      QLineEdit* box = form2->casella(r.casella);
      QCOMPARE(box->isVisibleTo(form2), mostrata(r, true, false));
      if (!mostrata(r, true, false)) continue;
      QCOMPARE(form2->etichetta(r.casella)->text(), u8(r.etichetta));
      QVERIFY(box->y() >= sotto);
      sotto = box->geometry().bottom() + 1;
    }
    QVERIFY(sotto <= controllo<QWidget>(form2, "Frame1")->height());
    QVERIFY(controllo<QWidget>(form2, "Frame1")->geometry().bottom() <
            controllo<QWidget>(form2, "Command1")->y());
    QVERIFY(form2->height() > 596);

    // A region and a comune: the two surcharges shown before the net, which
    // they reduce; "Nessuna" and no comune, the window as before.
    auto* combo5 = in1<QComboBox>("Combo5");
    QVERIFY(combo5->isEnabled());
    QCOMPARE(combo5->itemText(0), QStringLiteral("Nessuna"));
    QVERIFY(combo5->findText(QStringLiteral("Lombardia")) > 0);
    QVERIFY(in1<QLineEdit>("Text22")->completer() != nullptr);
    QCOMPARE(in1<QLabel>("Label17")->buddy(), in1<QWidget>("Text22"));
    // "Comune" completes as the calculation matches, accents, apostrophes,
    // case and blanks aside, with the comune as the list writes it: every
    // comune with "Nessuna", those of the region chosen otherwise.
    const auto proposte = [&](const char* testo) {
      QCompleter* completa = in1<QLineEdit>("Text22")->completer();
      completa->setCompletionPrefix(QString::fromUtf8(testo));
      QStringList r;
      for (int i = 0; completa->setCurrentRow(i); ++i) r << completa->currentCompletion();
      return r;
    };
    QCOMPARE(proposte("forl\u00ec ("), QStringList({"FORLI' (FC)"}));
    QCOMPARE(proposte("FORL\u00cc (fc)"), QStringList({"FORLI' (FC)"}));
    QCOMPARE(proposte("Sant\u2019Agata di Mil"), QStringList({"SANT'AGATA DI MILITELLO (ME)"}));
    QCOMPARE(proposte("cant\u00f9 "), QStringList({"CANTU' (CO)"}));
    QCOMPARE(proposte("castro ("), QStringList({"CASTRO (BG)", "CASTRO (LE)"}));
    combo5->setCurrentText(QStringLiteral("Lombardia"));
    QCOMPARE(proposte("castro ("), QStringList({"CASTRO (BG)"}));
    QCOMPARE(proposte("roma ("), QStringList());
    combo5->setCurrentText(QStringLiteral("Lazio"));
    QCOMPARE(proposte("roma ("), QStringList({"ROMA (RM)"}));
    // A region without a table is offered, with why beside the list; its
    // rate typed in "Addizionale regionale %" is calculated.
    QVERIFY(in1<QLabel>("Label22")->text().isEmpty());
    combo5->setCurrentText(QStringLiteral("Calabria"));
    QCOMPARE(combo5->currentText(), QStringLiteral("Calabria"));
    QVERIFY(in1<QLabel>("Label22")->text().contains(QStringLiteral("Addizionale regionale %")));
    QCOMPARE(in1<QLabel>("Label20")->buddy(), in1<QWidget>("Text25"));
    scrivi(in1<QLineEdit>("Text25"), QStringLiteral("1,73"));
    calcola();
    QVERIFY(form2->casella(25)->isVisibleTo(form2));
    QVERIFY(casella2(25) != QStringLiteral("0,00") && !casella2(25).isEmpty());
    scrivi(in1<QLineEdit>("Text25"), QString());
    combo5->setCurrentText(QStringLiteral("Lombardia"));
    QVERIFY(in1<QLabel>("Label22")->text().isEmpty());
    scrivi(in1<QLineEdit>("Text22"), QStringLiteral("MILANO (MI)"));
    calcola();
    for (int n : {25, 26}) QVERIFY(form2->casella(n)->isVisibleTo(form2));
    QVERIFY(form2->casella(25)->y() < form2->casella(10)->y());
    QVERIFY(casella2(10) != QStringLiteral("23.986,00"));
    combo5->setCurrentText(QStringLiteral("Nessuna"));
    in1<QLineEdit>("Text22")->clear();
    calcola();
    QCOMPARE(casella2(10), QStringLiteral("23.986,00"));
    for (int n : {25, 26}) QVERIFY(!form2->casella(n)->isVisibleTo(form2));

    // Back to the rules of 2007: the window of always.
    combo4->setCurrentText(QStringLiteral("2007"));
    QVERIFY(in1<QLineEdit>("Text6")->isEnabled());
    calcola();
    QCOMPARE(form2->windowTitle(), QStringLiteral("Risultato Calcolo"));
    QCOMPARE(casella2(10), QStringLiteral("21.455,00"));
    for (int n : {22, 23, 24}) QVERIFY(!form2->casella(n)->isVisibleTo(form2));
    QCOMPARE(form2->size(), QSize(635, 596));
    QCOMPARE(form2->casella(10)->geometry(), QRect(160, 440, 97, 19));
    // The boxes are read and copied, not stops of Tab: the keyboard goes
    // from the net to the three commands.
    QCOMPARE(ordine_tab(form2).split(' ').size(), 3);
    for (int n = 1; n <= 21; ++n) {
      QCOMPARE(form2->casella(n)->focusPolicy(), Qt::ClickFocus);
    }
    // Monthly, net to gross: the line says so, the caption of 2007 stays.
    premi(in1<QRadioButton>("Option2"));
    premi(in1<QRadioButton>("Option3"));
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("1500"));
    calcola();
    QCOMPARE(form2->windowTitle(), QStringLiteral("Risultato Calcolo"));
    QCOMPARE(controllo<QLabel>(form2, "RigaCalcolo")->text(),
             QStringLiteral("Normativa 2007 - Mensile - Dal netto al lordo"));
    combo4->setCurrentText(QStringLiteral("2025"));
    calcola();
    QCOMPARE(form2->windowTitle(),
             QStringLiteral("Risultato Calcolo - Normativa 2025 - Mensile - Dal netto al lordo"));
  }

  void secondo_calcolo_sostituisce_ogni_cifra() {
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    Form2* form2 = form1->form2();
    QVERIFY(form2 != nullptr);
    const QPoint dove = form2->pos();

    // A monthly calculation with other figures, the window still open.
    premi(in1<QRadioButton>("Option2"));
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("2500"));
    scrivi(in1<QLineEdit>("Text13"), QStringLiteral("100"));
    scrivi(in1<QLineEdit>("Text19"), QStringLiteral("20"));
    scrivi(in1<QLineEdit>("Text21"), QStringLiteral("30"));
    scrivi(in1<QLineEdit>("Text14"), QStringLiteral("1"));
    scrivi(in1<QLineEdit>("Text15"), QStringLiteral("2"));
    scrivi(in1<QLineEdit>("Text11"), QStringLiteral("5"));
    premi(in1<QCheckBox>("Check1"));
    QVERIFY(scegli(in1<QListWidget>("List2"), QStringLiteral("Settore previdenziale Artigianato")));
    const Risultati prima = attesi(campi_tipici());
    const Risultati dopo = attesi(form1->campi());
    calcola();
    QCOMPARE(form1->form2(), form2);
    QVERIFY(form2->isVisible());
    QCOMPARE(form2->pos(), dove);  // not recentred
    confronta_risultati(dopo);
    int cambiate = 0;
    for (int n = 1; n <= 21; ++n) cambiate += prima.Text(n) != dopo.Text(n) ? 1 : 0;
    QVERIFY2(cambiate >= 15, "the second request should change most figures");

    // Switching the period afterwards changes nothing shown.
    premi(in1<QRadioButton>("Option1"));
    confronta_risultati(dopo);

    // Moved, closed, then calculated again: the same window, filled anew,
    // where the operator left it.
    form2->move(dove + QPoint(37, -23));
    const QPoint lasciata = form2->pos();
    form2->close();
    calcola();
    QCOMPARE(form1->form2(), form2);
    QVERIFY(form2->isVisible());
    QCOMPARE(form2->pos(), lasciata);
    confronta_risultati(attesi(form1->campi()));
  }

  void grafici_seguono_il_calcolo() {
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    Form2* form2 = form1->form2();
    QVERIFY(form2 != nullptr && form2->form7() == nullptr);
    // Beside "Esporta" in the free space of the window as drawn.
    auto* grafici = controllo<QPushButton>(form2, "Command2");
    auto* esporta = controllo<QPushButton>(form2, "Command1");
    QCOMPARE(grafici->text(), QStringLiteral("Grafici"));
    QCOMPARE(esporta->geometry(), QRect(120, 534, 121, 25));
    QCOMPARE(grafici->y(), esporta->y());
    QVERIFY(QRect(QPoint(0, 0), form2->size()).contains(grafici->geometry()));
    for (QWidget* w : grafici->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (w != grafici && w->isVisibleTo(form2)) {
        QVERIFY2(!w->geometry().intersects(grafici->geometry()), qPrintable(w->objectName()));
      }
    }

    premi(grafici);
    Form7* form7 = form2->form7();
    QVERIFY(form7 != nullptr && form7->isVisible());
    QCOMPARE(form7->windowTitle(),
             QStringLiteral("Grafici - Normativa 2007 - Annuo - Dal lordo al netto"));
    // Tab goes to the page's chart before the tab bar; the crosshair starts
    // at the worker.
    QCOMPARE(ordine_tab(form7).split(' ').mid(0, 2),
             QStringList({"GraficoLavoratore", "GraficoAzienda"}));
    QVERIFY(ordine_tab(form7).indexOf(QStringLiteral("GraficoAzienda")) <
            ordine_tab(form7).indexOf(QStringLiteral("qt_tabwidget_tabbar")));
    QVERIFY(!form7->pannello()->mirino_visibile());
    QTest::keyClick(form7->pannello()->vista_curva(), Qt::Key_Right);
    QVERIFY2(form7->pannello()->testo_mirino().contains(QStringLiteral("Lordo: 30.000,00")),
             qPrintable(form7->pannello()->testo_mirino()));
    form7->aggiorna();
    QCOMPARE(form7->font().family(), QStringLiteral("MS Sans Serif"));
    confronta_grafici(form7, form2, campi_tipici());
    const QString punto = form7->pannello()->suggerimento_curva(30000.4);
    for (const char* cifra : {"30.000,00", "21.455,00", "36,75%", "40.766,22"}) {
      QVERIFY2(punto.contains(QString::fromUtf8(cifra)), qPrintable(punto));
    }
    // The crosshair follows the pointer and stays while it rests; the
    // arrows move it a point at a time.
    PannelloGrafici* pannello = form7->pannello();
    QVERIFY(!pannello->mirino_visibile());
    QCOMPARE(pannello->segui(30000.4), punto);
    QVERIFY(pannello->mirino_visibile());
    QCOMPARE(pannello->segui(83000), pannello->suggerimento_curva(83000));
    QVERIFY(pannello->testo_mirino().contains(QStringLiteral("Lordo: 83.000,00")));
    QTest::keyClick(pannello->vista_curva(), Qt::Key_Right);
    QVERIFY2(pannello->testo_mirino().contains(QStringLiteral("Lordo: 83.100,00")),
             qPrintable(pannello->testo_mirino()));
    // The last number of a bar chart's axis, centred on the plot's right
    // edge, is drawn whole inside the chart.
    for (QChartView* vista : {pannello->vista_lavoratore(), pannello->vista_azienda()}) {
      for (QAbstractAxis* a : vista->chart()->axes(Qt::Horizontal)) {
        auto* asse = qobject_cast<QCategoryAxis*>(a);
        QVERIFY(asse != nullptr && !asse->categoriesLabels().isEmpty());
        const int mezza =
            QFontMetrics(asse->labelsFont()).horizontalAdvance(asse->categoriesLabels().back()) / 2;
        QVERIFY2(vista->chart()->plotArea().right() + mezza <= vista->chart()->size().width(),
                 qPrintable(asse->categoriesLabels().back()));
      }
    }
    // Titles say the rule set and the period; the table holds the figures.
    QVERIFY(pannello->vista_lavoratore()->chart()->title().contains(
        QStringLiteral("Normativa 2007, Annuo")));
    QVERIFY(pannello->tabella()->rowCount() > 10);
    // Esc and "Chiudi" close it.
    QTest::keyClick(form7, Qt::Key_Escape);
    QVERIFY(!form7->isVisible());
    premi(grafici);
    QVERIFY(form7->isVisible());
    premi(controllo<QPushButton>(form7, "Chiudi"));
    QVERIFY(!form7->isVisible());
    premi(grafici);

    // A new calculation while the charts are open draws them anew; the
    // charts drawn before go.
    const QPointer<QChart> prima = form7->pannello()->vista_curva()->chart();
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("45000"));
    calcola();
    QVERIFY(prima.isNull());
    QCOMPARE(form2->form7(), form7);
    confronta_grafici(form7, form2, form1->campi());
    auto* attuale = serie_curva<QScatterSeries>(form7, QStringLiteral("Lavoratore"));
    QVERIFY(attuale != nullptr && attuale->at(0).x() == 45000);

    // A withholding larger than the net makes the net negative: the net
    // axis reaches below 0, down to the worker and the curve.
    scrivi(in1<QLineEdit>("Text19"), QStringLiteral("100000"));
    calcola();
    attuale = serie_curva<QScatterSeries>(form7, QStringLiteral("Lavoratore"));
    auto* netto = serie_curva<QLineSeries>(form7, QStringLiteral("Netto in busta"));
    QVERIFY(attuale != nullptr && netto != nullptr && netto->count() > 0);
    QVERIFY(attuale->at(0).y() < 0);
    int assi = 0;
    for (QAbstractAxis* a : attuale->attachedAxes()) {
      auto* asse = qobject_cast<QValueAxis*>(a);
      if (asse == nullptr || a->orientation() != Qt::Vertical) continue;
      ++assi;
      QVERIFY2(asse->min() <= attuale->at(0).y() && attuale->at(0).y() <= asse->max(),
               qPrintable(QStringLiteral("%1 .. %2").arg(asse->min()).arg(asse->max())));
      double minimo = 0;
      for (const QPointF& p : netto->points()) minimo = std::min(minimo, p.y());
      QVERIFY(asse->min() <= minimo);
    }
    QCOMPARE(assi, 1);
    // The bar of where the pay goes draws the negative net left of 0, on
    // its axis, under its label.
    auto* barre = qobject_cast<QHorizontalStackedBarSeries*>(
        form7->pannello()->vista_lavoratore()->chart()->series().front());
    QBarSet* netto_barra = nullptr;
    for (QBarSet* set : barre->barSets()) {
      if (set->label().startsWith(QStringLiteral("Netto in busta: -"))) netto_barra = set;
    }
    QVERIFY(netto_barra != nullptr && netto_barra->at(0) < 0);
    for (QAbstractAxis* a : barre->attachedAxes()) {
      if (auto* asse = qobject_cast<QValueAxis*>(a)) QVERIFY(asse->min() <= netto_barra->at(0));
    }
    confronta_grafici(form7, form2, form1->campi());
  }

  // "Buste paga": the year of the worker of the results, its figures those
  // of `zellora-cli payslips` for the same worker, the chart's those of the
  // table; Tab goes through the choices to the table. A choice that cannot
  // be read is named; a net-to-gross calculation is refused with its
  // message; a refused calculation takes the year away until the next one,
  // and a calculation while the window is closed leaves no year of the
  // worker before, to show or to export.
  void buste_paga_seguono_il_calcolo() {
    Sentinella sentinella;
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1, QStringLiteral("2026")));
    in1<QComboBox>("Combo5")->setCurrentText(QStringLiteral("Lombardia"));
    scrivi(in1<QLineEdit>("Text22"), QStringLiteral("MILANO (MI)"));
    calcola();
    Form2* form2 = form1->form2();
    auto* buste = controllo<QPushButton>(form2, "Command3");
    auto* grafici = controllo<QPushButton>(form2, "Command2");
    QCOMPARE(buste->text(), QStringLiteral("Buste paga"));
    QCOMPARE(buste->y(), grafici->y());
    QVERIFY(buste->x() > grafici->geometry().right());
    QVERIFY(buste->geometry().right() <= controllo<QWidget>(form2, "Frame2")->geometry().right());
    QVERIFY(buste->sizeHint().width() <= buste->width());
    premi(buste);
    FormBuste* f = form2->form_buste();
    QVERIFY(f != nullptr && f->isVisible());
    QCOMPARE(f->windowTitle(), QStringLiteral("Buste paga dell'anno - Normativa 2026 - Annuo - "
                                              "Dal lordo al netto"));
    QTableWidget* t = f->tabella();
    // Twelve months, the thirteenth, the adjustment and the totals.
    QCOMPARE(t->rowCount(), 15);
    QCOMPARE(t->columnCount(), 11);
    const auto testo = [t](int r, int c) { return t->item(r, c)->text(); };
    QCOMPARE(testo(0, 0), QStringLiteral("Gennaio"));
    QCOMPARE(testo(0, 1), QStringLiteral("2.307,69"));
    QCOMPARE(testo(0, 10), QStringLiteral("1.821,42"));
    QCOMPARE(testo(12, 0), QStringLiteral("Tredicesima (dicembre)"));
    QCOMPARE(testo(13, 0), QStringLiteral("Conguaglio (dicembre)"));
    QCOMPARE(testo(14, 0), QStringLiteral("Totale"));
    QCOMPARE(testo(14, 9), QStringLiteral("594,67"));
    QCOMPARE(testo(14, 10), QStringLiteral("23.392,05"));
    // Each heading short, its full label its tooltip and description.
    QTableWidgetItem* inps = t->horizontalHeaderItem(2);
    QCOMPARE(inps->text(), QStringLiteral("Inps"));
    QCOMPARE(inps->toolTip(), QStringLiteral("Ritenuta Inps"));
    QCOMPARE(inps->data(Qt::AccessibleDescriptionRole).toString(), QStringLiteral("Ritenuta Inps"));
    QCOMPARE(f->riconciliazione()->item(0, 0)->text(), QStringLiteral("Riconciliazione"));
    // The chart: a bar for each line, the net of each the table's.
    auto* barre = qobject_cast<QStackedBarSeries*>(f->grafico()->chart()->series().front());
    QVERIFY(barre != nullptr);
    QStringList serie;
    for (QBarSet* set : barre->barSets()) serie << set->label();
    QCOMPARE(serie, QStringList({"Netto in busta", "Ritenuta Inps", "Irpef netta", "Addizionali"}));
    for (int r = 0; r < 14; ++r) {
      QCOMPARE(std::llround(barre->barSets()[0]->at(r) * 100), cent_testo(testo(r, 10)));
      QCOMPARE(std::llround(barre->barSets()[3]->at(r) * 100), cent_testo(testo(r, 9)));
    }
    QVERIFY(f->grafico()->accessibleDescription().startsWith(
        QStringLiteral("Gennaio: Netto in busta 1.821,42, Ritenuta Inps 216,00")));
    QCOMPARE(ordine_tab(f), QStringLiteral("payments fourteenth_in from_month to_month gross_from "
                                           "extra deductions projection previous_taxable "
                                           "previous_regional previous_municipal "
                                           "previous_advance_paid advance Calcola TabellaBuste "
                                           "TabellaRiconciliazione qt_tabwidget_tabbar Chiudi"));
    QCOMPARE(f->campo("to_month")->accessibleName(), QStringLiteral("Al mese"));
    QCOMPARE(qobject_cast<QComboBox*>(f->campo("deductions"))->currentText(),
             u8(scelte_detrazioni[0].etichetta));

    // A choice of the year: the adjustment in the month of termination.
    scrivi(qobject_cast<QLineEdit*>(f->campo("to_month")), QStringLiteral("9"));
    premi(f->pulsante_calcola());
    QCOMPARE(t->item(t->rowCount() - 2, 0)->text(), QStringLiteral("Conguaglio (settembre)"));
    // One that cannot be read is named, and there is no year.
    scrivi(qobject_cast<QLineEdit*>(f->campo("to_month")), QStringLiteral("13"));
    premi(f->pulsante_calcola());
    QVERIFY2(f->messaggi()->text().startsWith(QStringLiteral("Il campo \"Al mese\"")),
             qPrintable(f->messaggi()->text()));
    QCOMPARE(t->rowCount(), 0);
    QVERIFY(f->anno_del_calcolo() == nullptr);
    scrivi(qobject_cast<QLineEdit*>(f->campo("to_month")), QString());
    premi(f->pulsante_calcola());
    QVERIFY(f->anno_del_calcolo() != nullptr);

    // A refused calculation: no year until the next calculation.
    scrivi(in1<QLineEdit>("Text14"), QStringLiteral("30.5"));
    calcola();
    QVERIFY(form2->non_aggiornato() && f->non_aggiornato());
    QCOMPARE(t->rowCount(), 0);
    QVERIFY(f->anno_del_calcolo() == nullptr);
    QVERIFY(!f->pulsante_calcola()->isEnabled());
    QCOMPARE(f->windowTitle(), QStringLiteral("Buste paga dell'anno - non aggiornate"));
    scrivi(in1<QLineEdit>("Text14"), QStringLiteral("0"));
    calcola();
    QVERIFY(!f->non_aggiornato() && f->pulsante_calcola()->isEnabled());
    QCOMPARE(t->rowCount(), 15);
    QCOMPARE(testo(0, 10), QStringLiteral("1.821,42"));

    // From net to gross: refused with its message.
    premi(in1<QRadioButton>("Option3"));
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("23392"));
    calcola();
    QVERIFY(!form2->non_aggiornato());
    QCOMPARE(f->messaggi()->text(),
             QStringLiteral("Le buste paga dell'anno si calcolano dal lordo al netto: scegliere "
                            "\"Dal lordo al netto\"."));
    QVERIFY(f->messaggi()->isVisible());
    QCOMPARE(t->rowCount(), 0);

    // Closed, a new calculation leaves no year of the worker before; "Buste
    // paga" calculates that of the new one.
    premi(in1<QRadioButton>("Option4"));
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("30000"));
    calcola();
    QVERIFY(f->anno_del_calcolo() != nullptr);
    QTest::keyClick(f, Qt::Key_Escape);
    QVERIFY(!f->isVisible());
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("45000"));
    calcola();
    QVERIFY(f->anno_del_calcolo() == nullptr);
    QCOMPARE(t->rowCount(), 0);
    premi(buste);
    QVERIFY(f->isVisible());
    QCOMPARE(testo(0, 1), QStringLiteral("3.461,54"));

    // "Esporta" with the year of the figures shown writes it too.
    auto* esporta = controllo<QPushButton>(form2, "Command1");
    premi(esporta);
    f->close();
    calcola();
    premi(esporta);
    QCOMPARE(apertore_->aperti.size(), std::size_t(2));
    const auto dimensione = [this](std::size_t i) {
      return QFileInfo(QString::fromStdU16String(apertore_->aperti[i].u16string())).size();
    };
    QVERIFY2(dimensione(0) > dimensione(1) + 1000,
             qPrintable(QStringLiteral("%1 %2").arg(dimensione(0)).arg(dimensione(1))));
  }

  // Every control the keyboard reaches, in every window, has a name for a
  // screen reader, and no two fields or buttons of a window share one; the
  // result boxes are read as their rows. (The accessibility tree over
  // AT-SPI is checked on the real program by gui_accessibilita.)
  void ogni_controllo_ha_un_nome() {
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    Form2* form2 = form1->form2();
    premi(controllo<QPushButton>(form2, "Command2"));
    premi(controllo<QPushButton>(form2, "Command3"));
    for (QWidget* finestra :
         {static_cast<QWidget*>(form1), static_cast<QWidget*>(form2),
          static_cast<QWidget*>(form2->form7()), static_cast<QWidget*>(form2->form_buste())}) {
      QSet<QString> visti;
      for (QWidget* w : finestra->findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(finestra) ||
            qobject_cast<QLabel*>(w) != nullptr || w->focusProxy() != nullptr) {
          continue;
        }
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QVERIFY(a != nullptr);
        const QString nome = a->text(QAccessible::Name).trimmed();
        QVERIFY2(!nome.isEmpty(), qPrintable(finestra->objectName() + ": " + w->objectName() + " " +
                                             w->metaObject()->className()));
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<QComboBox*>(w) || qobject_cast<QListWidget*>(w)) {
          QVERIFY2(!visti.contains(nome), qPrintable(finestra->objectName() + ": " + nome));
          visti.insert(nome);
        }
      }
    }
    for (const RigaRisultato& r : righe_risultato) {
      if (!form2->casella(r.casella)->isVisibleTo(form2)) continue;
      QCOMPARE(form2->casella(r.casella)->accessibleName(), u8(r.etichetta));
    }
    QCOMPARE(in1<QComboBox>("Combo4")->accessibleName(), QStringLiteral("Normativa"));
    QCOMPARE(in1<QPushButton>("Command7")->accessibleName(),
             QStringLiteral("Aiuto: altri a carico"));
  }

  // After a calculation the focus is on the net, not on "Esporta": a second
  // Enter writes no statement. A refused entry marks the figures shown as
  // out of date until the next calculation; Esc closes the window.
  void dopo_il_calcolo_fuoco_e_cifre_non_aggiornate() {
    Sentinella sentinella;
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    Form2* form2 = form1->form2();
    auto* esporta = controllo<QPushButton>(form2, "Command1");
    auto* grafici = controllo<QPushButton>(form2, "Command2");
    QVERIFY(!esporta->autoDefault() && !esporta->isDefault());
    QCOMPARE(form2->focusWidget(), form2->casella(10));
    std::map<int, double> aggiornate;
    for (int n : {10, 16, 4}) aggiornate[n] = contrasto_testo(form2->casella(n));
    QTest::keyClick(form2->casella(10), Qt::Key_Return);
    QVERIFY(apertore_->aperti.empty());
    QVERIFY(sentinella.visti.empty());
    QVERIFY(!form2->non_aggiornato());

    scrivi(in1<QLineEdit>("Text14"), QStringLiteral("30.5"));
    calcola();
    QCOMPARE(sentinella.visti.size(), std::size_t(1));
    QVERIFY2(sentinella.visti[0].testo.contains(QStringLiteral("virgola: \"30,5\"")),
             qPrintable(sentinella.visti[0].testo));
    QVERIFY(form2->non_aggiornato());
    // A caption that the title bar shows whole, the notice whole in the
    // window; no statement of figures that are not the form's.
    QCOMPARE(form2->windowTitle(), QStringLiteral("Risultato Calcolo - non aggiornato"));
    auto* riga = controllo<QLabel>(form2, "RigaCalcolo");
    QVERIFY2(riga->text().startsWith(QStringLiteral("Non aggiornato: l'ultimo calcolo")),
             qPrintable(riga->text()));
    QVERIFY(riga->text().contains(QStringLiteral("Normativa 2007 - Annuo")));
    QVERIFY(riga->heightForWidth(riga->width()) <= riga->height());
    QVERIFY(!esporta->isEnabled());
    premi(esporta);
    esporta->setFocus();
    QTest::keyClick(esporta, Qt::Key_Return);
    QVERIFY(apertore_->aperti.empty());
    QCOMPARE(sentinella.visti.size(), std::size_t(1));
    // The grey figures stay readable: at least 4,5:1 on the yellow totals
    // and on white, and lighter than the figures up to date.
    for (int n : {10, 16, 4}) {
      const double stantia = contrasto_testo(form2->casella(n));
      QVERIFY2(stantia >= 4.5, qPrintable(QStringLiteral("Text%1: %2").arg(n).arg(stantia)));
      QVERIFY2(stantia < aggiornate[n], qPrintable(QStringLiteral("Text%1").arg(n)));
    }
    scrivi(in1<QLineEdit>("Text14"), QStringLiteral("0"));
    calcola();
    QVERIFY(!form2->non_aggiornato());
    QCOMPARE(form2->windowTitle(), QStringLiteral("Risultato Calcolo"));
    QVERIFY(esporta->isEnabled());
    QCOMPARE(riga->text(), QStringLiteral("Normativa 2007 - Annuo - Dal lordo al netto"));

    // From the net, "Grafici" in two Tabs (the boxes are no stops).
    QVERIFY(QTest::qWaitForWindowActive(form2));
    form2->casella(10)->setFocus();
    for (int i = 0; i < 2 && QApplication::focusWidget() != grafici; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), grafici);

    QTest::keyClick(form2, Qt::Key_Escape);
    QVERIFY(!form2->isVisible());
  }

  // A new window goes beside the one it came from, or cascaded from it,
  // never over the whole of it, and always inside the screen: at 1024x768,
  // at 1600x1000, and at scale factors of 1.5 and 2 (the screens as Qt
  // sees them: 683x512 and 800x500).
  void finestre_accanto_e_dentro_lo_schermo_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("origine");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QString>("dove");
    // The input form centred, the results window from it.
    QTest::newRow("1024x768 risultati") << QRect(0, 0, 1024, 740) << QRect(78, 126, 866, 489)
                                        << QSize(637, 690) << QStringLiteral("destra");
    QTest::newRow("1600x1000 centrata") << QRect(0, 0, 1600, 970) << QRect(367, 240, 866, 489)
                                        << QSize(637, 690) << QStringLiteral("destra");
    QTest::newRow("1600x1000 risultati") << QRect(0, 0, 1600, 970) << QRect(0, 0, 866, 489)
                                         << QSize(637, 690) << QStringLiteral("destra");
    QTest::newRow("1600x1000 grafici") << QRect(0, 0, 1600, 970) << QRect(900, 100, 637, 690)
                                       << QSize(822, 790) << QStringLiteral("sinistra");
    QTest::newRow("1024x768 grafici") << QRect(0, 0, 1024, 740) << QRect(120, 40, 637, 690)
                                      << QSize(822, 790) << QStringLiteral("destra");
    QTest::newRow("1024x768 a destra") << QRect(0, 0, 1024, 740) << QRect(380, 40, 637, 690)
                                       << QSize(822, 790) << QStringLiteral("sinistra");
    QTest::newRow("scala 1,5 grafici") << QRect(0, 0, 683, 492) << QRect(20, 0, 637, 690)
                                       << QSize(822, 790) << QStringLiteral("cascata");
    QTest::newRow("scala 2 risultati") << QRect(0, 0, 800, 480) << QRect(0, 0, 800, 480)
                                       << QSize(637, 690) << QStringLiteral("cascata");
    QTest::newRow("sotto") << QRect(0, 0, 1000, 1400) << QRect(100, 0, 866, 489) << QSize(637, 690)
                           << QStringLiteral("sotto");
    QTest::newRow("nessuna origine")
        << QRect(0, 0, 683, 492) << QRect() << QSize(822, 790) << QStringLiteral("centro");
    // The results window from the input form, which moves aside where that
    // gives room for both side by side, and only then.
    QTest::newRow("1600x1000 form spostato") << QRect(0, 0, 1600, 970) << QRect(367, 240, 866, 489)
                                             << QSize(637, 690) << QStringLiteral("accanto");
    QTest::newRow("1600x1000 form a destra") << QRect(0, 0, 1600, 970) << QRect(700, 240, 866, 489)
                                             << QSize(637, 690) << QStringLiteral("accanto");
    QTest::newRow("1600x1000 form fermo") << QRect(0, 0, 1600, 970) << QRect(0, 0, 866, 489)
                                          << QSize(637, 690) << QStringLiteral("fermo");
    QTest::newRow("1024x768 form fermo") << QRect(0, 0, 1024, 740) << QRect(78, 126, 866, 489)
                                         << QSize(637, 690) << QStringLiteral("fermo");
  }

  void finestre_accanto_e_dentro_lo_schermo() {
    QFETCH(QRect, area);
    QFETCH(QRect, origine);
    QFETCH(QSize, frame);
    QFETCH(QString, dove);
    if (dove == QStringLiteral("accanto") || dove == QStringLiteral("fermo")) {
      const QRect spostata = origine_accanto(area, origine, frame);
      QCOMPARE(spostata.size(), origine.size());
      QCOMPARE(spostata.top(), origine.top());
      QVERIFY(area.contains(spostata));
      if (dove == QStringLiteral("fermo")) QCOMPARE(spostata, origine);
      origine = spostata;
    }
    const std::optional<QRect> da = origine.isNull() ? std::nullopt : std::optional(origine);
    const QRect posto = posto_finestra(area, frame, da);
    QVERIFY2(area.contains(posto), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                  .arg(posto.x())
                                                  .arg(posto.y())
                                                  .arg(posto.width())
                                                  .arg(posto.height())));
    QCOMPARE(posto.size(), frame.boundedTo(area.size()));
    if (da) QVERIFY(!posto.contains(origine));
    // Beside it: out on that side, and whole beside it where there is room.
    if (dove == QStringLiteral("destra")) {
      QVERIFY(posto.right() > origine.right());
      if (area.right() - origine.right() > frame.width()) QVERIFY(posto.left() > origine.right());
    }
    if (dove == QStringLiteral("sinistra")) QVERIFY(posto.left() < origine.left());
    if (dove == QStringLiteral("sotto")) QVERIFY(posto.top() > origine.bottom());
    if (dove == QStringLiteral("cascata")) QVERIFY(posto.topLeft() != origine.topLeft());
    if (dove == QStringLiteral("centro")) QCOMPARE(posto.center(), area.center());
    if (dove == QStringLiteral("accanto")) QVERIFY(!posto.intersects(origine));
  }

  // The offscreen screen is 800x600, narrower than the input form; run
  // again at a scale of 2 (400x300) it is smaller than every window. Each
  // window stays inside it and scrolls: the control with the focus is in
  // sight, whether the keyboard or the program put it there.
  void finestre_piu_grandi_dello_schermo_scorrono() {
    avvia();
    const QRect area = ingresso_->screen()->availableGeometry();
    const auto in_vista = [](QWidget* w) {
      return w->isVisible() && w->visibleRegion().boundingRect() == w->rect();
    };
    // The entry window, which has no frame to move it by, whole on the
    // screen with "Entra".
    QVERIFY(area.contains(ingresso_->frameGeometry()));
    QVERIFY(in_vista(controllo<QPushButton>(ingresso_.get(), "Command1")));
    Form1* form1 = entra();
    QVERIFY(area.contains(form1->frameGeometry()));
    QCOMPARE(in1<QWidget>("centralwidget")->size(), QSize(864, 549));
    QVERIFY(QTest::qWaitForWindowActive(form1));
    for (const char* nome : {"Command1", "Text11", "Option1", "List2"}) {
      in1<QWidget>(nome)->setFocus();
      QVERIFY2(in_vista(in1<QWidget>(nome)), nome);
    }
    QVERIFY(richiesta_tipica(form1));

    // Today's law with both surcharges: the tallest results window, its net
    // in sight with the focus; "Grafici" scrolled to by the keyboard.
    in1<QComboBox>("Combo4")->setCurrentText(QStringLiteral("2026"));
    in1<QComboBox>("Combo5")->setCurrentText(QStringLiteral("Lombardia"));
    scrivi(in1<QLineEdit>("Text22"), QStringLiteral("MILANO (MI)"));
    calcola();
    Form2* form2 = form1->form2();
    QVERIFY(QTest::qWaitForWindowActive(form2));
    QVERIFY(form2->casella(26)->isVisibleTo(form2));
    QVERIFY(area.contains(form2->frameGeometry()));
    QVERIFY(in_vista(QApplication::focusWidget()));
    auto* grafici = controllo<QPushButton>(form2, "Command2");
    for (int i = 0; i < 40 && QApplication::focusWidget() != grafici; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), grafici);
    QVERIFY(in_vista(grafici));
    QTest::keyClick(grafici, Qt::Key_Return);
    Form7* form7 = form2->form7();
    QVERIFY(form7 != nullptr && form7->isVisible());
    QVERIFY(area.contains(form7->frameGeometry()));
    QVERIFY(in_vista(controllo<QPushButton>(form7, "Chiudi")));
  }

  void esporta_scrive_e_apre_il_prospetto() {
    Sentinella sentinella;
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    auto* esporta = controllo<QPushButton>(form1->form2(), "Command1");
    QCOMPARE(esporta->text(), QStringLiteral("Esporta"));
    premi(esporta);
    QCOMPARE(apertore_->aperti.size(), std::size_t(1));
    const QFileInfo file(QString::fromStdU16String(apertore_->aperti[0].u16string()));
    QVERIFY(file.exists());
    QVERIFY(file.size() > 0);
    QCOMPARE(file.absolutePath(), QDir(cartella_->path()).absolutePath());
    // Every export says where the statement is, as a notice, with a button
    // that opens its folder (a desktop may accept to open the document and
    // show nothing).
    QCOMPARE(sentinella.visti.size(), std::size_t(1));
    QCOMPARE(sentinella.visti[0].icona, QMessageBox::Information);
    QVERIFY2(sentinella.visti[0].testo.contains(file.absoluteFilePath()),
             qPrintable(sentinella.visti[0].testo));
    QCOMPARE(sentinella.visti[0].altri, QStringList{QStringLiteral("Apri cartella")});
    sentinella.scelta = QStringLiteral("Apri cartella");
    premi(esporta);
    QCOMPARE(apertore_->aperti.size(), std::size_t(3));
    QCOMPARE(apertore_->aperti[2], apertore_->aperti[1].parent_path());
    sentinella.scelta.clear();

    // Another export leaves another document; a refused opening is a
    // notice, not an error: the statement is there, and it says where.
    apertore_->riesce = false;
    premi(esporta);
    QCOMPARE(apertore_->aperti.size(), std::size_t(4));
    QVERIFY(apertore_->aperti[0] != apertore_->aperti[3]);
    QCOMPARE(sentinella.visti.size(), std::size_t(3));
    const Messaggio& non_aperto = sentinella.visti[2];
    QCOMPARE(non_aperto.icona, QMessageBox::Information);
    QVERIFY(!non_aperto.testo.startsWith(QStringLiteral("Errore")));
    QVERIFY(non_aperto.testo.contains(QStringLiteral("apertura rifiutata dalla prova")));
    QVERIFY(non_aperto.testo.contains(QString::fromStdU16String(apertore_->aperti[3].u16string())));
    // A folder that cannot be opened either: another notice.
    sentinella.scelta = QStringLiteral("Apri cartella");
    premi(esporta);
    sentinella.scelta.clear();
    QCOMPARE(sentinella.visti.size(), std::size_t(5));
    QCOMPARE(sentinella.visti[4].icona, QMessageBox::Information);
    QVERIFY(sentinella.visti[4].testo.startsWith(
        QStringLiteral("Non \u00e8 stato possibile aprire la cartella")));

    // A folder that is gone: the message says so and names it.
    cartella_->remove();
    premi(esporta);
    QCOMPARE(sentinella.visti.size(), std::size_t(6));
    QCOMPARE(sentinella.visti[5].icona, QMessageBox::Critical);
    QVERIFY(
        sentinella.visti[5].testo.startsWith(QStringLiteral("Errore %1: ").arg(errore_scrittura)));
    QVERIFY2(sentinella.visti[5].testo.contains(
                 QStringLiteral("la cartella \"%1\" non esiste").arg(cartella_->path())),
             qPrintable(sentinella.visti[5].testo));
  }

  void esporta_nella_cartella_propria_solo_per_l_utente() {
    Sentinella sentinella;
    const QByteArray casa = qgetenv("HOME");
    const QByteArray configurazione = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir nuova_casa;
    qputenv("HOME", QFile::encodeName(nuova_casa.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(nuova_casa.path() + "/.config"));
    avvia(skin_vera(), true);
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    premi(controllo<QPushButton>(form1->form2(), "Command1"));
    premi(controllo<QPushButton>(form1->form2(), "Command1"));
    qputenv("HOME", casa);
    qputenv("XDG_CONFIG_HOME", configurazione);
    QCOMPARE(sentinella.visti.size(), std::size_t(2));
    for (const Messaggio& m : sentinella.visti) {
      QCOMPARE(m.icona, QMessageBox::Information);
      QVERIFY2(!m.testo.contains(QStringLiteral("temporanea")), qPrintable(m.testo));
    }
    QCOMPARE(apertore_->aperti.size(), std::size_t(2));
    namespace fs = std::filesystem;
    auto permessi = [](const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; };
    const fs::path cartella =
        fs::path(nuova_casa.path().toStdU16String()) / "Documents" / "Zellora";
    for (const fs::path& aperto : apertore_->aperti) {
      QCOMPARE(aperto.parent_path(), cartella);
      QCOMPARE(permessi(aperto), fs::perms::owner_read | fs::perms::owner_write);
    }
    QCOMPARE(permessi(cartella), fs::perms::owner_all);
  }

  // No home, or a documents folder that is a file: the statement goes to a
  // private temporary folder, never to "/Documents", and the notice says so
  // and why.
  void esporta_senza_cartella_dei_documenti_data() {
    QTest::addColumn<bool>("senza_casa");
    QTest::newRow("senza HOME") << true;
    QTest::newRow("documenti su un file") << false;
  }

  void esporta_senza_cartella_dei_documenti() {
    QFETCH(bool, senza_casa);
    Sentinella sentinella;
    const QByteArray casa = qgetenv("HOME");
    const QByteArray configurazione = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir nuova_casa;
    const QString un_file = nuova_casa.filePath(QStringLiteral("un file"));
    QFile(un_file).open(QIODevice::WriteOnly);
    QVERIFY(QDir(nuova_casa.path()).mkpath(QStringLiteral(".config")));
    QFile cartelle(nuova_casa.filePath(QStringLiteral(".config/user-dirs.dirs")));
    QVERIFY(cartelle.open(QIODevice::WriteOnly));
    cartelle.write("XDG_DOCUMENTS_DIR=\"$HOME/un file\"\n");
    cartelle.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(nuova_casa.path() + "/.config"));
    if (senza_casa) {
      qunsetenv("HOME");
      qunsetenv("XDG_CONFIG_HOME");
    } else {
      qputenv("HOME", QFile::encodeName(nuova_casa.path()));
    }
    avvia(skin_vera(), true);
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    premi(controllo<QPushButton>(form1->form2(), "Command1"));
    qputenv("HOME", casa);
    if (configurazione.isNull()) {
      qunsetenv("XDG_CONFIG_HOME");
    } else {
      qputenv("XDG_CONFIG_HOME", configurazione);
    }
    QVERIFY(!QFileInfo::exists(QStringLiteral("/Documents/Zellora")));
    QCOMPARE(apertore_->aperti.size(), std::size_t(1));
    const std::filesystem::path cartella = apertore_->aperti[0].parent_path();
    QCOMPARE(cartella.parent_path(),
             std::filesystem::path(QDir::cleanPath(QDir::tempPath()).toStdU16String()));
    QCOMPARE(sentinella.visti.size(), std::size_t(1));
    const QString& testo = sentinella.visti[0].testo;
    QCOMPARE(sentinella.visti[0].icona, QMessageBox::Information);
    QVERIFY2(testo.contains(QString::fromStdU16String(apertore_->aperti[0].u16string())),
             qPrintable(testo));
    QVERIFY2(testo.contains(QStringLiteral("cartella temporanea")), qPrintable(testo));
    QVERIFY2(testo.contains(senza_casa ? QStringLiteral("non \u00e8 nota") : un_file),
             qPrintable(testo));
    std::filesystem::remove_all(cartella);
  }

  void invio_preme_il_pulsante_e_nei_campi_calcola_data() {
    QTest::addColumn<int>("tasto");
    QTest::addColumn<Qt::KeyboardModifiers>("modificatori");
    QTest::newRow("Invio") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("Invio del tastierino")
        << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
  }

  void invio_preme_il_pulsante_e_nei_campi_calcola() {
    QFETCH(int, tasto);
    QFETCH(Qt::KeyboardModifiers, modificatori);
    auto invio = [&](QWidget* w) {
      w->setFocus();
      QTest::keyClick(w, Qt::Key(tasto), modificatori);
    };
    Sentinella sentinella;
    avvia();
    invio(controllo<QPushButton>(ingresso_.get(), "Command1"));  // "Entra"
    Form1* form1 = ingresso_->form1();
    QVERIFY(form1 != nullptr && form1->isVisible());

    // In a text field: the calculation, as "C A L C O L A".
    QVERIFY(richiesta_tipica(form1));
    invio(in1<QLineEdit>("Text1"));
    QVERIFY(form1->form2() != nullptr && form1->form2()->isVisible());
    QCOMPARE(casella2(10), QStringLiteral("21.455,00"));
    form1->form2()->close();
    scrivi(in1<QLineEdit>("Text4"), QStringLiteral("2"));
    QCOMPARE(in1<QComboBox>("Combo1")->currentText(), QString());
    invio(in1<QLineEdit>("Text4"));  // refused: "%" of the children missing
    QCOMPARE(sentinella.visti.size(), std::size_t(1));
    QVERIFY(!form1->form2()->isVisible());
    scrivi(in1<QLineEdit>("Text4"), QStringLiteral("0"));

    // On "C A L C O L A" itself.
    invio(in1<QPushButton>("Command1"));
    QVERIFY(form1->form2()->isVisible());
    QCOMPARE(casella2(10), QStringLiteral("21.455,00"));

    // "Help", then "Chiudi" of the popup.
    invio(in1<QPushButton>("Command3"));
    QVERIFY(form1->form6() != nullptr && form1->form6()->isVisible());
    QCOMPARE(form1->form6()->testo(), QString::fromUtf8(testi_guida[1]));
    invio(controllo<QPushButton>(form1->form6(), "Command1"));
    QTRY_VERIFY(form1->form6() == nullptr);

    // "Esporta", and the notice of where the statement is.
    invio(controllo<QPushButton>(form1->form2(), "Command1"));
    QCOMPARE(apertore_->aperti.size(), std::size_t(1));
    QCOMPARE(sentinella.visti.size(), std::size_t(2));
    QCOMPARE(sentinella.visti[1].icona, QMessageBox::Information);
  }

  void cifre_lunghe_tagliate_con_suggerimento() {
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    scrivi(in1<QLineEdit>("Text1"), QStringLiteral("700000000000"));
    calcola();
    auto* lunga = qobject_cast<CasellaRisultato*>(form1->form2()->casella(1));
    auto* breve = qobject_cast<CasellaRisultato*>(form1->form2()->casella(6));
    QVERIFY(lunga != nullptr && breve != nullptr);
    // The box keeps the whole text, the same as the figures exported.
    QCOMPARE(lunga->text(), QStringLiteral("700.000.000.000,00"));
    QCOMPARE(lunga->text(), u8(motore_->risultati().Text(1)));
    QCOMPARE(lunga->toolTip(), lunga->text());
    const QString mostrato = lunga->testo_mostrato();
    QVERIFY(lunga->font_mostrato().pointSizeF() < lunga->font().pointSizeF());
    if (mostrato != lunga->text()) {
      QVERIFY2(mostrato.endsWith(QChar(0x2026)) && mostrato.size() < lunga->text().size(),
               qPrintable(mostrato));
      QVERIFY(lunga->text().startsWith(mostrato.chopped(1)));
    }
    // Ten million and more: shown whole in a smaller font, never cut
    // mid-number; cut only when even seven tenths of the size do not fit.
    for (const char* cifra : {"10.719.719,99", "-10.719.719,99", "700.000.000,00"}) {
      breve->setText(QString::fromUtf8(cifra));
      QCOMPARE(breve->testo_mostrato(), breve->text());
    }
    breve->setText(QStringLiteral("123.456.789.012.345.678,00"));
    QVERIFY(breve->testo_mostrato().endsWith(QChar(0x2026)));
    breve->setText(u8(motore_->risultati().Text(6)));
    // A figure that fits shows whole, without tooltip.
    QCOMPARE(breve->testo_mostrato(), breve->text());
    QCOMPARE(breve->toolTip(), QString());
    // With the focus the box shows the real text, to scroll and copy.
    form1->form2()->activateWindow();
    lunga->setFocus();
    QTRY_VERIFY(lunga->hasFocus());
    QCOMPARE(lunga->testo_mostrato(), lunga->text());
    lunga->selectAll();
    QCOMPARE(lunga->selectedText(), lunga->text());
  }

  void incollato_si_legge_come_si_vede_data() {
    QTest::addColumn<QString>("appunti");
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("netto");  // empty: refused
    QTest::newRow("cella di un foglio")
        << QStringLiteral("30000\r\n") << QStringLiteral("30000  ") << QStringLiteral("21.455,00");
    QTest::newRow("a capo prima") << QStringLiteral("\n30.000") << QStringLiteral(" 30.000")
                                  << QStringLiteral("21.455,00");
    QTest::newRow("a capo in mezzo")
        << QStringLiteral("30\n000") << QStringLiteral("30 000") << QString();
    QTest::newRow("separatore di riga")
        << QStringLiteral("30000\u2028") << QStringLiteral("30000 ") << QStringLiteral("21.455,00");
  }

  void incollato_si_legge_come_si_vede() {
    QFETCH(QString, appunti);
    QFETCH(QString, campo);
    QFETCH(QString, netto);
    Sentinella sentinella;
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    auto* text1 = in1<QLineEdit>("Text1");
    text1->setFocus();
    text1->selectAll();
    QApplication::clipboard()->setText(appunti);
    QTest::keyClick(text1, Qt::Key_V, Qt::ControlModifier);
    // The field holds what it shows, and the calculation reads that.
    QCOMPARE(text1->text(), campo);
    QCOMPARE(text1->displayText(), campo);
    calcola();
    if (netto.isEmpty()) {
      QCOMPARE(sentinella.visti.size(), std::size_t(1));
      QVERIFY(sentinella.visti[0].testo.contains(QStringLiteral("Retribuzione / Compenso")));
      QVERIFY(form1->form2() == nullptr);
    } else {
      QCOMPARE(sentinella.visti.size(), std::size_t(0));
      QVERIFY(form1->form2() != nullptr);
      QCOMPARE(casella2(10), netto);
    }
  }

  void finestra_ridotta_torna_davanti_data() {
    QTest::addColumn<QString>("finestra");
    QTest::newRow("risultati, da C A L C O L A") << QStringLiteral("Form2");
    QTest::newRow("guida, da Help") << QStringLiteral("Form6");
    QTest::newRow("form, da Entra") << QStringLiteral("Form1");
  }

  // A window the operator minimised comes back when the command that shows
  // it is given again; otherwise the command seems to do nothing.
  void finestra_ridotta_torna_davanti() {
    QFETCH(QString, finestra);
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    premi(in1<QPushButton>("Command2"));
    QWidget* w = finestra == "Form2"   ? static_cast<QWidget*>(form1->form2())
                 : finestra == "Form6" ? static_cast<QWidget*>(form1->form6())
                                       : static_cast<QWidget*>(form1);
    QVERIFY(w != nullptr && w->isVisible());
    w->showMinimized();
    QVERIFY(w->isMinimized());
    if (finestra == "Form2") calcola();
    if (finestra == "Form6") premi(in1<QPushButton>("Command3"));
    if (finestra == "Form1") entra();
    QVERIFY(w->isVisible());
    QVERIFY(!w->isMinimized());
  }

  void chiudere_il_form_termina_il_programma_data() {
    QTest::addColumn<bool>("dal_menu");
    QTest::newRow("Uscita") << true;
    QTest::newRow("chiusura") << false;
  }

  void chiudere_il_form_termina_il_programma() {
    QFETCH(bool, dal_menu);
    avvia();
    Form1* form1 = entra();
    QVERIFY(richiesta_tipica(form1));
    calcola();
    premi(in1<QPushButton>("Command2"));
    QVERIFY(form1->form2()->isVisible() && form1->form6()->isVisible());
    QSignalSpy terminato(ingresso_.get(), &frmMain::terminato);

    if (dal_menu) {
      auto* uscita = form1->findChild<QAction*>(QStringLiteral("exit"));
      QVERIFY(uscita != nullptr);
      QCOMPARE(uscita->text(), QStringLiteral("Uscita"));
      QVERIFY(form1->menuBar()->actions().contains(uscita));
      uscita->trigger();
    } else {
      form1->close();
    }
    QCOMPARE(terminato.count(), 1);
    QVERIFY(!ingresso_->isVisible());
    QVERIFY(!form1->isVisible());
    QVERIFY(!form1->form2()->isVisible());
    QTRY_VERIFY(form1->form6() == nullptr);
  }

  void ingresso_non_si_chiude_finche_il_form_e_aperto() {
    avvia();
    entra();
    QVERIFY(!ingresso_->close());
    QVERIFY(ingresso_->isVisible());
  }

  void senza_skin_le_finestre_restano_usabili_data() {
    QTest::addColumn<QString>("skin");
    QTest::newRow("mancante") << QStringLiteral("/nessuna/cartella/Paper.skn");
    QTest::newRow("cartella") << QDir::tempPath();
    // A device without end and a FIFO nobody writes: "Entra" neither eats
    // the memory nor waits.
    QTest::newRow("dispositivo") << QStringLiteral("/dev/zero");
    QTest::newRow("fifo") << QStringLiteral("fifo");
  }

  void senza_skin_le_finestre_restano_usabili() {
    QFETCH(QString, skin);
    Sentinella sentinella;
    QTemporaryDir cartella;
    if (skin == QStringLiteral("fifo")) {
      skin = cartella.filePath(QStringLiteral("Paper.skn"));
      QCOMPARE(::mkfifo(QFile::encodeName(skin).constData(), 0600), 0);
    }
    avvia(skin);
    Form1* form1 = entra();
    QVERIFY(form1->styleSheet().isEmpty());
    QVERIFY(richiesta_tipica(form1));
    calcola();
    QVERIFY(sentinella.visti.empty());
    QVERIFY(form1->form2()->styleSheet().isEmpty());
    QCOMPARE(casella2(10), QStringLiteral("21.455,00"));
  }

  void skin_colori_e_limiti_dei_controlli_data() {
    QTest::addColumn<QString>("skin");
    QTest::newRow("con skin") << skin_vera();
    QTest::newRow("senza skin") << QStringLiteral("/nessuna/cartella/Paper.skn");
  }

  void skin_colori_e_limiti_dei_controlli() {
    QFETCH(QString, skin);
    avvia(skin);
    Form1* form1 = entra();
    QCOMPARE(form1->styleSheet().isEmpty(), skin != skin_vera());

    // Lengths enforced while typing.
    for (const CampoTesto& campo : campi_testo()) {
      auto* box = form1->findChild<QLineEdit*>(u8(campo.nome));
      QVERIFY2(box != nullptr, campo.nome.data());
      QCOMPARE(box->maxLength(), campo.lunghezza_massima == 0 ? QLineEdit().maxLength()
                                                              : int(campo.lunghezza_massima));
    }
    scrivi(in1<QLineEdit>("Text5"), QStringLiteral("12345"));
    QCOMPARE(in1<QLineEdit>("Text5")->text(), QStringLiteral("123"));

    // Geometry in logical pixels, 15 twips each.
    QCOMPARE(in1<QWidget>("centralwidget")->size(), QSize(864, 549));
    QCOMPARE(in1<QWidget>("Frame3")->geometry(), QRect(8, 88, 849, 81));
    QCOMPARE(in1<QWidget>("Command1")->geometry(), QRect(392, 516, 113, 25));
    QCOMPARE(in1<QWidget>("List2")->size(), QSize(281, 69));

    // Tab order: frame by frame, top left to bottom right, the calculate
    // button last.
    QCOMPARE(ordine_tab(form1),
             QStringLiteral("Option1 Option2 Text5 Text7 Option4 Option3 Combo4 Text2 Text9 Text10 "
                            "Combo3 Text4 Combo1 Command6 Text6 Text3 Combo2 Command7 List1 List2 "
                            "Option5 Option6 "
                            "Text14 Text15 Text1 Command2 Text13 Command3 Text19 Command4 Text21 "
                            "Command5 Text8 Text12 Text18 Text20 Check1 Text11 Combo5 Text22 "
                            "Text23 Text24 Text25 Command1"));

    QCOMPARE(in1<QPushButton>("Command1")->text(), QStringLiteral("C A L C O L A"));
    const QFont comando = in1<QPushButton>("Command1")->font();
    QCOMPARE(comando.family(), QStringLiteral("Verdana"));
    QVERIFY(comando.bold());
    QCOMPARE(comando.pointSizeF(), 9.75);

    // The totals stay yellow and the other boxes white, with or without skin.
    QVERIFY(richiesta_tipica(form1));
    calcola();
    Form2* form2 = form1->form2();
    QCOMPARE(form2->size(), QSize(635, 596));
    auto colore = [](QLineEdit* box) {
      const QImage img = box->grab().toImage();
      return QColor(img.pixel(4, img.height() / 2));
    };
    QCOMPARE(colore(form2->casella(10)), QColor(255, 255, 0));
    QCOMPARE(colore(form2->casella(16)), QColor(255, 255, 0));
    QCOMPARE(colore(form2->casella(4)), QColor(255, 255, 255));
    // Frames are white inside.
    QWidget* frame = controllo<QWidget>(form2, "Frame2");
    const QImage img = frame->grab().toImage();
    QCOMPARE(QColor(img.pixel(frame->width() / 2, 300)), QColor(255, 255, 255));
  }
};

QTEST_MAIN(ProvaFinestre)
#include "prova_finestre.moc"
