#include "charts/grafici_qt.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QGridLayout>
#include <QHeaderView>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QSvgGenerator>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/file_atomico.h"
#include "form/testi_buste.h"
#include "form/verifica.h"

namespace zellora {

namespace {

// One colour for each row of the results, told apart also by those who see
// colours differently where two of them meet in a chart (Okabe and Ito's
// palette first, then Tol's); the gross is grey in both splits.
struct ColoreRiga {
  std::string_view id;
  QRgb colore;
};
constexpr ColoreRiga colori_righe[] = {
    {"retribuzione", 0xA0A0A0},
    {"ritenuta_inps", 0x56B4E9},
    {"ritenuta_altri_contributi", 0xCC79A7},
    {"ritenuta_inail", 0xE69F00},
    {"irpef_netta", 0xD55E00},
    {"addizionale_regionale", 0x882255},
    {"addizionale_comunale", 0xAA4499},
    {"trattenuta_non_deducibile", 0x6B4E16},
    {"competenza_non_imponibile", 0x009E73},
    {"somma_esente", 0xF0E442},
    {"trattamento_integrativo", 0x44AA99},
    {"netto_in_busta", 0x0072B2},
    {"retribuzione_azienda", 0xA0A0A0},
    {"inps_azienda", 0x332288},
    {"altri_contributi_azienda", 0x88CCEE},
    {"premio_inail", 0xDDCC77},
    {"irap", 0x117733},
    {"tfr", 0x661100},
};
// The lines of the curve that are no row.
const QColor colore_aliquota(0x44, 0x44, 0x44);
const QColor colore_voluto(0x99, 0x99, 0x33);
const QColor colore_salto(0xEE, 0x33, 0x77);

QString da_utf8(std::string_view testo) {
  return QString::fromUtf8(testo.data(), qsizetype(testo.size()));
}

QString importo(double valore, const Locale& locale) {
  const auto testo = formato_F(valore, locale);
  return testo ? QString::fromStdString(*testo) : QStringLiteral("-");
}

QString importo_cent(std::int64_t centesimi, const Locale& locale) {
  return importo(static_cast<double>(centesimi) / 100, locale);
}

// A figure of an axis: grouped as the user's amounts, without the decimals
// when it has none.
QString cifra_asse(double valore, const Locale& locale) {
  QString t = importo(valore, locale);
  const QString zeri = QString::fromStdString(locale.decimale) + QStringLiteral("00");
  if (t.endsWith(zeri)) t.chop(zeri.size());
  if (t == QStringLiteral("-0")) t = QStringLiteral("0");
  return t;
}

// An axis from `minimo` to `massimo` with five or so ticks on round
// numbers, labelled in the user's format (with `unita` after each).
QCategoryAxis* asse(double minimo, double massimo, const Locale& locale,
                    const QString& unita = QString()) {
  if (!(massimo > minimo)) massimo = minimo + 1;
  const double grezzo = (massimo - minimo) / 5;
  const double decade = std::pow(10.0, std::floor(std::log10(grezzo)));
  double passo = decade;
  for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    passo = m * decade;
    if (passo >= grezzo) break;
  }
  const double da = std::floor(minimo / passo) * passo;
  const double a = std::ceil(massimo / passo) * passo;
  auto* asse = new QCategoryAxis;
  asse->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  // The first label stands at the start: a category of no width is not
  // drawn, so the start is a hair before it.
  asse->setStartValue(da - passo * 1e-6);
  for (int i = 0; i <= 20; ++i) {
    const double v = da + i * passo;
    if (v > a + passo / 2) break;
    asse->append(cifra_asse(v, locale) + unita, v);
  }
  asse->setRange(da, a);
  return asse;
}

QChart* nuovo_grafico(const QString& titolo) {
  auto* grafico = new QChart;
  grafico->setTitle(titolo);
  QFont font_titolo(QStringLiteral("Verdana"));
  font_titolo.setPointSizeF(9.75);
  font_titolo.setBold(true);
  grafico->setTitleFont(font_titolo);
  grafico->setTitleBrush(QColor(128, 0, 0));
  grafico->legend()->setVisible(false);
  grafico->setAnimationOptions(QChart::NoAnimation);
  grafico->setMargins(QMargins(4, 4, 4, 4));
  return grafico;
}

// A view hands back the chart it showed when given another: it goes.
void sostituisci(QChartView* vista, QChart* grafico) {
  QChart* prima = vista->chart();
  vista->setChart(grafico);
  delete prima;
}

QString periodo(const DatiGrafici& d) {
  return QStringLiteral("Normativa %1, %2")
      .arg(da_utf8(d.normativa), d.mensile ? QStringLiteral("Mensile") : QStringLiteral("Annuo"));
}

// The parts of a split in the order of the window, each with the bar it
// belongs to: 1 the gross and the additions, 0 where they go.
struct Parte {
  Quota quota;
  int barra;
};

std::vector<Parte> parti_in_ordine(const Ripartizione& r, bool lavoratore) {
  std::vector<Parte> parti;
  for (const RigaRisultato& riga : righe_risultato) {
    if (lavoratore && riga.genere == Genere::lordo) {
      parti.push_back({{riga.id, riga.etichetta, r.totale, 0}, 1});
      double pagato = static_cast<double>(r.totale);
      for (const Quota& q : r.aggiunte) pagato += static_cast<double>(q.centesimi);
      parti.back().quota.percentuale =
          pagato == 0 ? 0 : static_cast<double>(r.totale) * 100 / pagato;
      continue;
    }
    for (const Quota& q : r.aggiunte) {
      if (q.id == riga.id) parti.push_back({q, 1});
    }
    for (const Quota& q : r.parti) {
      if (q.id == riga.id) parti.push_back({q, 0});
    }
  }
  return parti;
}

// The bars of a split: for the worker the gross and the additions above,
// where they go below; for the employer the one bar of the cost. Every part
// that is not nil is a set of its row's colour, in the legend in the order
// of the window.
QChart* grafico_ripartizione(const QString& titolo, const std::optional<Ripartizione>& r,
                             bool lavoratore, const Locale& locale, QWidget* vista,
                             Legenda* legenda) {
  if (!r) {
    legenda->imposta({});
    return nuovo_grafico(titolo + QStringLiteral(": non disponibile"));
  }
  QChart* grafico = nuovo_grafico(titolo);
  auto* serie = new QHorizontalStackedBarSeries;
  std::vector<Legenda::Voce> voci;
  const int barre = lavoratore ? 2 : 1;
  std::vector<double> positivi(std::size_t(barre), 0), negativi(std::size_t(barre), 0);
  for (const Parte& p : parti_in_ordine(*r, lavoratore)) {
    if (p.quota.centesimi == 0) continue;
    const double valore = static_cast<double>(p.quota.centesimi) / 100;
    auto* set = new QBarSet(etichetta_quota(p.quota, locale));
    for (int b = 0; b < barre; ++b) *set << (b == (lavoratore ? p.barra : 0) ? valore : 0.0);
    (valore > 0 ? positivi : negativi)[std::size_t(lavoratore ? p.barra : 0)] += valore;
    set->setColor(colore_voce(p.quota.id));
    set->setBorderColor(Qt::white);
    const QString testo = set->label();
    QObject::connect(set, &QBarSet::hovered, vista, [testo, vista](bool sopra, int) {
      if (sopra) {
        QToolTip::showText(QCursor::pos(), testo, vista);
      } else {
        QToolTip::hideText();
      }
    });
    serie->append(set);
    voci.push_back({set->color(), testo});
  }
  legenda->imposta(voci);
  serie->setBarWidth(0.7);
  grafico->addSeries(serie);
  auto* categorie = new QBarCategoryAxis;
  if (lavoratore) {
    categorie->append({QStringLiteral("Dove va"), QStringLiteral("Pagato")});
  } else {
    categorie->append(QStringLiteral("Costo"));
  }
  grafico->addAxis(categorie, Qt::AlignLeft);
  serie->attachAxis(categorie);
  const double minimo = *std::min_element(negativi.begin(), negativi.end());
  const double massimo = *std::max_element(positivi.begin(), positivi.end());
  QCategoryAxis* valori =
      asse(std::min(0.0, minimo), std::max(massimo, minimo < 0 ? 0.0 : 1.0), locale);
  grafico->addAxis(valori, Qt::AlignBottom);
  serie->attachAxis(valori);
  // The last label of the axis stands half beyond the plot: room for it.
  const QStringList etichette = valori->categoriesLabels();
  if (!etichette.isEmpty()) {
    const int mezza = QFontMetrics(valori->labelsFont()).horizontalAdvance(etichette.back()) / 2;
    grafico->setMargins(grafico->margins() + QMargins(0, 0, mezza, 0));
  }
  return grafico;
}

QString nota_arrotondamento(const std::optional<Ripartizione>& r, bool lavoratore,
                            const Locale& locale) {
  if (!r || r->arrotondamento == 0) return {};
  return (lavoratore ? QStringLiteral("Il netto in busta \u00e8 in euro interi: i %1 del saldo "
                                      "oltre l'euro non vi compaiono.")
                     : QStringLiteral("Le voci, arrotondate al centesimo una per una, differiscono "
                                      "dal costo del lavoro di %1."))
      .arg(importo_cent(r->arrotondamento, locale));
}

QLabel* nuova_nota(QWidget* genitore) {
  auto* nota = new QLabel(genitore);
  nota->setWordWrap(true);
  nota->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return nota;
}

}  // namespace

QColor colore_voce(std::string_view id) {
  for (const ColoreRiga& c : colori_righe) {
    if (c.id == id) return QColor(c.colore);
  }
  // A row not listed: a shade of its own from its name.
  std::size_t h = 0;
  for (const char c : id) h = h * 31 + static_cast<unsigned char>(c);
  return QColor::fromHsv(int(h % 360), 120, 160);
}

Legenda::Legenda(QWidget* parent) : QWidget(parent) {
  auto* griglia = new QGridLayout(this);
  griglia->setContentsMargins(8, 0, 8, 0);
  griglia->setHorizontalSpacing(6);
  griglia->setVerticalSpacing(2);
}

void Legenda::imposta(const std::vector<Voce>& voci) {
  auto* griglia = static_cast<QGridLayout*>(layout());
  while (QLayoutItem* elemento = griglia->takeAt(0)) {
    delete elemento->widget();
    delete elemento;
  }
  testi_.clear();
  constexpr int colonne = 2;
  for (std::size_t i = 0; i < voci.size(); ++i) {
    auto* quadrato = new QLabel(this);
    quadrato->setFixedSize(12, 12);
    quadrato->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #606060;")
                                .arg(voci[i].colore.name()));
    auto* testo = new QLabel(voci[i].testo, this);
    testo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const int riga = int(i) / colonne, colonna = int(i) % colonne;
    griglia->addWidget(quadrato, riga, colonna * 2);
    griglia->addWidget(testo, riga, colonna * 2 + 1);
    testi_ << voci[i].testo;
  }
  griglia->setColumnStretch(1, 1);
  griglia->setColumnStretch(3, 1);
  setAccessibleName(QStringLiteral("Legenda"));
  setAccessibleDescription(testi_.join(QStringLiteral("; ")));
}

VistaCurva::VistaCurva(QWidget* parent) : QChartView(parent) {
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void VistaCurva::mouseMoveEvent(QMouseEvent* evento) {
  QChartView::mouseMoveEvent(evento);
  if (chart() == nullptr) return;
  const QPointF scena = mapToScene(evento->position().toPoint());
  const QPointF nel_grafico = chart()->mapFromScene(scena);
  if (!chart()->plotArea().contains(nel_grafico)) {
    emit uscito();
    return;
  }
  emit puntatore(chart()->mapToValue(nel_grafico));
}

void VistaCurva::focusInEvent(QFocusEvent* evento) {
  QChartView::focusInEvent(evento);
  emit fuoco();
}

void VistaCurva::leaveEvent(QEvent* evento) {
  QChartView::leaveEvent(evento);
  emit uscito();
}

void VistaCurva::keyPressEvent(QKeyEvent* evento) {
  const int molti = (evento->modifiers() & Qt::ShiftModifier) ? 10 : 1;
  switch (evento->key()) {
    case Qt::Key_Left:
      emit tasto(-molti);
      return;
    case Qt::Key_Right:
      emit tasto(molti);
      return;
    case Qt::Key_Home:
      emit tasto(-1000000000);
      return;
    case Qt::Key_End:
      emit tasto(1000000000);
      return;
    default:
      QChartView::keyPressEvent(evento);
  }
}

QString etichetta_quota(const Quota& quota, const Locale& locale) {
  return da_utf8(quota.voce) + QStringLiteral(": ") + importo_cent(quota.centesimi, locale) +
         QStringLiteral(" (") + importo(quota.percentuale, locale) + QStringLiteral("%)");
}

PannelloGrafici::PannelloGrafici(QWidget* parent, bool schede)
    : QWidget(parent),
      lavoratore_(new QChartView(this)),
      azienda_(new QChartView(this)),
      curva_(new VistaCurva(this)),
      legenda_lavoratore_(new Legenda(this)),
      legenda_azienda_(new Legenda(this)),
      legenda_curva_(new Legenda(this)),
      nota_lavoratore_(nuova_nota(this)),
      nota_azienda_(nuova_nota(this)),
      salti_(nuova_nota(this)) {
  lavoratore_->setObjectName(QStringLiteral("GraficoLavoratore"));
  azienda_->setObjectName(QStringLiteral("GraficoAzienda"));
  curva_->setObjectName(QStringLiteral("GraficoCurva"));
  salti_->setObjectName(QStringLiteral("SaltiNetto"));
  for (QChartView* v : {lavoratore_, azienda_, static_cast<QChartView*>(curva_)}) {
    v->setRenderHint(QPainter::Antialiasing);
    v->setMinimumHeight(150);
    // Every chart takes the focus: a bar chart is read with its legend
    // (its accessible description), the curve moves its crosshair.
    v->setFocusPolicy(Qt::StrongFocus);
    sostituisci(v, nuovo_grafico(QString()));
  }
  auto* colonna = new QVBoxLayout(this);
  colonna->setContentsMargins(0, 0, 0, 0);
  const auto pagina = [](QWidget* genitore, std::initializer_list<std::pair<QWidget*, int>> w) {
    auto* c = new QVBoxLayout(genitore);
    c->setContentsMargins(4, 4, 4, 4);
    for (const auto& [widget, peso] : w) c->addWidget(widget, peso);
  };
  if (schede) {
    schede_ = new QTabWidget(this);
    schede_->setObjectName(QStringLiteral("SchedeGrafici"));
    schede_->setAccessibleName(QStringLiteral("Grafici"));
    schede_->tabBar()->setAccessibleName(QStringLiteral("Schede dei grafici"));
    auto* split = new QWidget(schede_);
    auto* netto = new QWidget(schede_);
    tabella_ = new QTableWidget(0, 3, schede_);
    tabella_->setObjectName(QStringLiteral("TabellaGrafici"));
    tabella_->setAccessibleName(QStringLiteral("Tabella delle cifre dei grafici"));
    tabella_->setHorizontalHeaderLabels(
        {QStringLiteral("Voce"), QStringLiteral("Importo"), QStringLiteral("Quota")});
    tabella_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabella_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabella_->verticalHeader()->setVisible(false);
    tabella_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    tabella_->setTabKeyNavigation(false);
    for (QWidget* w :
         std::initializer_list<QWidget*>{lavoratore_, nota_lavoratore_, azienda_, nota_azienda_})
      w->setParent(split);
    legenda_lavoratore_->setParent(split);
    legenda_azienda_->setParent(split);
    pagina(split, {{lavoratore_, 3},
                   {legenda_lavoratore_, 0},
                   {nota_lavoratore_, 0},
                   {azienda_, 3},
                   {legenda_azienda_, 0},
                   {nota_azienda_, 0}});
    curva_->setParent(netto);
    legenda_curva_->setParent(netto);
    salti_->setParent(netto);
    pagina(netto, {{curva_, 1}, {legenda_curva_, 0}, {salti_, 0}});
    schede_->addTab(split, QStringLiteral("Lordo e costo del lavoro"));
    schede_->addTab(netto, QStringLiteral("Netto secondo il lordo"));
    schede_->addTab(tabella_, QStringLiteral("Tabella"));
    colonna->addWidget(schede_);
    // Tab goes to the page's chart or table first, then to the tab bar.
    QWidget::setTabOrder(lavoratore_, azienda_);
    QWidget::setTabOrder(azienda_, curva_);
    QWidget::setTabOrder(curva_, tabella_);
    QWidget::setTabOrder(tabella_, schede_->tabBar());
  } else {
    for (const auto& [widget, peso] :
         std::initializer_list<std::pair<QWidget*, int>>{{lavoratore_, 3},
                                                         {legenda_lavoratore_, 0},
                                                         {nota_lavoratore_, 0},
                                                         {azienda_, 2},
                                                         {legenda_azienda_, 0},
                                                         {nota_azienda_, 0},
                                                         {curva_, 4},
                                                         {legenda_curva_, 0},
                                                         {salti_, 0}}) {
      colonna->addWidget(widget, peso);
    }
  }
  connect(curva_, &VistaCurva::puntatore, this, [this](QPointF v) { segui(v.x()); });
  connect(curva_, &VistaCurva::uscito, this, &PannelloGrafici::nascondi_mirino);
  connect(curva_, &VistaCurva::tasto, this, &PannelloGrafici::sposta_mirino);
  connect(curva_, &VistaCurva::fuoco, this, [this] {
    if (!mirino_visibile()) mirino_sul_lavoratore();
  });
}

QString PannelloGrafici::suggerimento_curva(double lordo) const {
  if (punti_.empty()) return {};
  const auto vicino = std::min_element(punti_.begin(), punti_.end(), [lordo](auto& a, auto& b) {
    return std::abs(a.lordo - lordo) < std::abs(b.lordo - lordo);
  });
  return QStringLiteral("Lordo: %1\n%5: %2\nAliquota marginale: %3%\n%6: %4")
      .arg(importo(vicino->lordo, locale_), importo(vicino->netto, locale_),
           std::isfinite(vicino->aliquota_marginale)
               ? importo(vicino->aliquota_marginale * 100, locale_)
               : QStringLiteral("-"),
           importo(vicino->costo_lavoro, locale_), da_utf8(voce_netto),
           da_utf8(righe_risultato[riga_del_genere(Genere::totale)].etichetta));
}

QString PannelloGrafici::segui(double lordo) {
  if (punti_.empty() || mirino_v_ == nullptr) return {};
  const auto vicino = std::min_element(punti_.begin(), punti_.end(), [lordo](auto& a, auto& b) {
    return std::abs(a.lordo - lordo) < std::abs(b.lordo - lordo);
  });
  punto_mirino_ = std::size_t(vicino - punti_.begin());
  QChart* grafico = curva_->chart();
  const QRectF area = grafico->plotArea();
  QAbstractSeries* netto = grafico->series().front();
  const QPointF p = grafico->mapToPosition(QPointF(vicino->lordo, vicino->netto), netto);
  const double x = std::clamp(p.x(), area.left(), area.right());
  const double y = std::clamp(p.y(), area.top(), area.bottom());
  mirino_v_->setLine(x, area.top(), x, area.bottom());
  mirino_o_->setLine(area.left(), y, area.right(), y);
  const QString testo = suggerimento_curva(vicino->lordo);
  testo_mirino_->setText(testo);
  const QRectF dimensione = testo_mirino_->boundingRect().adjusted(-4, -3, 4, 3);
  // Beside the point, inside the plot: to the right and below unless it
  // would leave it.
  double lx = x + 12, ly = y + 12;
  if (lx + dimensione.width() > area.right()) lx = x - 12 - dimensione.width();
  if (ly + dimensione.height() > area.bottom()) ly = y - 12 - dimensione.height();
  lx = std::max(lx, area.left());
  ly = std::max(ly, area.top());
  testo_mirino_->setPos(lx + 4, ly + 3);
  fondo_mirino_->setRect(QRectF(lx, ly, dimensione.width(), dimensione.height()));
  for (QGraphicsItem* i :
       std::initializer_list<QGraphicsItem*>{mirino_v_, mirino_o_, fondo_mirino_, testo_mirino_}) {
    i->setVisible(true);
  }
  curva_->setAccessibleDescription(QString(testo).replace(QLatin1Char('\n'), QStringLiteral("; ")));
  return testo;
}

QString PannelloGrafici::testo_mirino() const {
  return testo_mirino_ != nullptr ? testo_mirino_->text() : QString();
}

bool PannelloGrafici::mirino_visibile() const {
  return testo_mirino_ != nullptr && testo_mirino_->isVisible();
}

void PannelloGrafici::nascondi_mirino() {
  for (QGraphicsItem* i :
       std::initializer_list<QGraphicsItem*>{mirino_v_, mirino_o_, fondo_mirino_, testo_mirino_}) {
    if (i != nullptr) i->setVisible(false);
  }
}

void PannelloGrafici::mirino_sul_lavoratore() {
  if (lordo_attuale_) segui(*lordo_attuale_);
}

void PannelloGrafici::sposta_mirino(int passi) {
  if (punti_.empty()) return;
  // Not shown yet: an arrow shows it on the worker, Home and End at the ends.
  const bool estremo = std::abs(passi) > 10;
  if (!mirino_visibile() && lordo_attuale_ && !estremo) {
    mirino_sul_lavoratore();
    return;
  }
  std::int64_t k = mirino_visibile() ? std::int64_t(punto_mirino_) + passi
                                     : (passi > 0 ? 0 : std::int64_t(punti_.size()) - 1);
  k = std::clamp<std::int64_t>(k, 0, std::int64_t(punti_.size()) - 1);
  segui(punti_[std::size_t(k)].lordo);
}

void PannelloGrafici::mostra(const std::optional<DatiGrafici>& dati, const Locale& locale,
                             std::optional<double> netto_voluto) {
  locale_ = locale;
  punti_.clear();
  lordo_attuale_.reset();
  mirino_v_ = mirino_o_ = nullptr;
  fondo_mirino_ = nullptr;
  testo_mirino_ = nullptr;
  if (tabella_ != nullptr) tabella_->setRowCount(0);
  if (!dati) {
    for (QChartView* v : {lavoratore_, azienda_, static_cast<QChartView*>(curva_)}) {
      sostituisci(v, nuovo_grafico(QStringLiteral("Nessun calcolo")));
    }
    for (Legenda* l : {legenda_lavoratore_, legenda_azienda_, legenda_curva_}) l->imposta({});
    for (QLabel* n : {nota_lavoratore_, nota_azienda_, salti_}) n->clear();
    return;
  }
  const QString quando = periodo(*dati);
  // The cost of labour under its label in the window, with its figure.
  const RigaRisultato& costo = righe_risultato[riga_del_genere(Genere::totale)];
  const QString titolo_lavoratore = QStringLiteral("Dove va il lordo - ") + quando;
  const QString titolo_azienda =
      da_utf8(costo.etichetta) +
      (dati->azienda ? QStringLiteral(": ") + importo_cent(dati->azienda->totale, locale)
                     : QString()) +
      QStringLiteral(" - ") + quando;
  sostituisci(lavoratore_, grafico_ripartizione(titolo_lavoratore, dati->lavoratore, true, locale,
                                                lavoratore_, legenda_lavoratore_));
  sostituisci(azienda_, grafico_ripartizione(titolo_azienda, dati->azienda, false, locale, azienda_,
                                             legenda_azienda_));
  nota_lavoratore_->setText(nota_arrotondamento(dati->lavoratore, true, locale));
  QString nota_mensile;
  if (dati->mensile) {
    const QString mensilita =
        dati->mensilita.empty() ? QStringLiteral("M") : da_utf8(dati->mensilita);
    nota_mensile = QStringLiteral(
                       "Mensile: il costo del mese comprende i ratei delle mensilit\u00e0 "
                       "aggiuntive (ogni voce del mese \u00d7 %1 / 12), come \"Retribuzione **\" "
                       "nella finestra del risultato.")
                       .arg(mensilita);
  }
  nota_azienda_->setText(
      (nota_mensile + QLatin1Char(' ') + nota_arrotondamento(dati->azienda, false, locale))
          .trimmed());
  nota_lavoratore_->setVisible(!nota_lavoratore_->text().isEmpty());
  nota_azienda_->setVisible(!nota_azienda_->text().isEmpty());
  lavoratore_->setAccessibleName(titolo_lavoratore);
  lavoratore_->viewport()->setAccessibleName(titolo_lavoratore);
  azienda_->viewport()->setAccessibleName(titolo_azienda);
  lavoratore_->setAccessibleDescription(legenda_lavoratore_->testi().join(QStringLiteral("; ")));
  azienda_->setAccessibleName(titolo_azienda);
  azienda_->setAccessibleDescription(legenda_azienda_->testi().join(QStringLiteral("; ")));

  const Curva& c = dati->curva;
  punti_ = c.punti;
  const QString titolo_curva =
      c.errore.empty()
          ? QStringLiteral("Netto in busta e aliquota marginale secondo il lordo - ") + quando
          : QStringLiteral("Curva non disponibile: ") + da_utf8(c.errore);
  QChart* grafico = nuovo_grafico(titolo_curva);
  curva_->setAccessibleName(titolo_curva);
  curva_->viewport()->setAccessibleName(titolo_curva);
  curva_->setAccessibleDescription(
      QStringLiteral("Le frecce spostano il mirino lungo la curva, Maiuscolo con le frecce di "
                     "dieci punti."));
  auto* netto = new QLineSeries;
  netto->setName(da_utf8(voce_netto));
  QPen tratto_netto(colore_voce("netto_in_busta"));
  tratto_netto.setWidthF(2);
  netto->setPen(tratto_netto);
  auto* marginale = new QLineSeries;
  marginale->setName(QStringLiteral("Aliquota marginale (%)"));
  QPen tratto(colore_aliquota);
  tratto.setWidthF(1.2);
  marginale->setPen(tratto);
  // The net axis takes in every net drawn, a negative one too (a large
  // non-deductible withholding), and 0. The rate's axis takes in the
  // ordinary rates: a cliff is a jump, not a rate, and is marked apart.
  double minimo_netto = 0, massimo_netto = 0, minimo_aliquota = 0, massimo_aliquota = 60;
  for (const PuntoCurva& p : c.punti) {
    if (std::isfinite(p.netto)) {
      netto->append(p.lordo, p.netto);
      minimo_netto = std::min(minimo_netto, p.netto);
      massimo_netto = std::max(massimo_netto, p.netto);
    }
    if (aliquota_ordinaria(c, p)) {
      marginale->append(p.lordo, p.aliquota_marginale * 100);
      minimo_aliquota = std::min(minimo_aliquota, p.aliquota_marginale * 100);
      massimo_aliquota = std::max(massimo_aliquota, p.aliquota_marginale * 100);
    }
  }
  grafico->addSeries(netto);
  grafico->addSeries(marginale);
  std::vector<Legenda::Voce> voci_curva = {{colore_voce("netto_in_busta"), da_utf8(voce_netto)},
                                           {colore_aliquota, marginale->name()}};

  // The worker of the calculation, and for a calculation from net to gross
  // the gross found and the net wanted.
  auto* attuale = new QScatterSeries;
  attuale->setObjectName(QStringLiteral("LavoratoreAttuale"));
  attuale->setMarkerSize(11);
  attuale->setColor(Qt::black);
  const double netto_attuale = dati->netto.value_or(std::nan(""));
  if (std::isfinite(netto_attuale) && !c.punti.empty()) {
    minimo_netto = std::min(minimo_netto, netto_attuale);
    massimo_netto = std::max(massimo_netto, netto_attuale);
    attuale->append(c.lordo_attuale, netto_attuale);
    lordo_attuale_ = c.lordo_attuale;
    attuale->setName(
        (netto_voluto ? QStringLiteral("Lordo trovato: ") : QStringLiteral("Lavoratore: ")) +
        importo(c.lordo_attuale, locale) + QStringLiteral(" \u2192 ") +
        importo(netto_attuale, locale));
    grafico->addSeries(attuale);
    voci_curva.push_back({Qt::black, attuale->name()});
  }
  QLineSeries* voluto = nullptr;
  if (netto_voluto && !c.punti.empty()) {
    voluto = new QLineSeries;
    voluto->setObjectName(QStringLiteral("NettoVoluto"));
    voluto->setName(QStringLiteral("Netto voluto: ") + importo(*netto_voluto, locale));
    QPen linea(colore_voluto);
    linea.setStyle(Qt::DashLine);
    linea.setWidthF(1.5);
    voluto->setPen(linea);
    voluto->append(c.punti.front().lordo, *netto_voluto);
    voluto->append(c.punti.back().lordo, *netto_voluto);
    grafico->addSeries(voluto);
    voci_curva.push_back({colore_voluto, voluto->name()});
  }
  // The cliffs, on the net where they are.
  QScatterSeries* salti = nullptr;
  QStringList righe_salti;
  if (!c.salti.empty() && !c.punti.empty()) {
    salti = new QScatterSeries;
    salti->setObjectName(QStringLiteral("SaltiNetto"));
    salti->setName(da_utf8(titolo_salti));
    salti->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    salti->setMarkerSize(9);
    salti->setColor(colore_salto);
    int n = 0;
    for (const Salto& s : c.salti) {
      const auto dopo = std::upper_bound(punti_.begin(), punti_.end(), s.lordo,
                                         [](double l, const PuntoCurva& p) { return l < p.lordo; });
      const PuntoCurva& p = dopo == punti_.begin() ? punti_.front() : *(dopo - 1);
      salti->append(s.lordo, p.netto);
      righe_salti << QStringLiteral("%1. ").arg(++n) + da_utf8(testo_salto(s, locale));
    }
    grafico->addSeries(salti);
    voci_curva.push_back({colore_salto, salti->name()});
  }
  legenda_curva_->imposta(voci_curva);
  salti_->setText(righe_salti.isEmpty()
                      ? QString()
                      : da_utf8(titolo_salti) + QStringLiteral(" (") + da_utf8(spiegazione_salti) +
                            QStringLiteral("):\n") + righe_salti.join(QLatin1Char('\n')));
  salti_->setVisible(!righe_salti.isEmpty());
  salti_->setAccessibleName(da_utf8(titolo_salti));

  QCategoryAxis* asse_lordo = c.punti.empty()
                                  ? asse(0, 1, locale)
                                  : asse(c.punti.front().lordo, c.punti.back().lordo, locale);
  if (!c.punti.empty()) asse_lordo->setRange(c.punti.front().lordo, c.punti.back().lordo);
  asse_lordo->setTitleText(QStringLiteral("Lordo"));
  if (netto_voluto) massimo_netto = std::max(massimo_netto, *netto_voluto);
  QCategoryAxis* asse_netto = asse(minimo_netto, std::max(1.0, massimo_netto), locale);
  asse_netto->setTitleText(da_utf8(voce_netto));
  QCategoryAxis* asse_aliquota =
      asse(std::floor(minimo_aliquota / 10) * 10, std::ceil(massimo_aliquota / 10) * 10, locale,
           QStringLiteral("%"));
  asse_aliquota->setTitleText(QStringLiteral("Aliquota marginale"));
  grafico->addAxis(asse_lordo, Qt::AlignBottom);
  grafico->addAxis(asse_netto, Qt::AlignLeft);
  grafico->addAxis(asse_aliquota, Qt::AlignRight);
  for (QAbstractSeries* s :
       std::initializer_list<QAbstractSeries*>{netto, attuale, voluto, salti}) {
    if (s == nullptr || s->chart() == nullptr) continue;
    s->attachAxis(asse_lordo);
    s->attachAxis(asse_netto);
  }
  marginale->attachAxis(asse_lordo);
  marginale->attachAxis(asse_aliquota);
  sostituisci(curva_, grafico);
  if (!attuale->chart()) delete attuale;

  // The crosshair and its label, over the series.
  QPen mirino(QColor(0x40, 0x40, 0x40));
  mirino.setStyle(Qt::DotLine);
  mirino_v_ = new QGraphicsLineItem(grafico);
  mirino_o_ = new QGraphicsLineItem(grafico);
  for (QGraphicsLineItem* l : {mirino_v_, mirino_o_}) {
    l->setPen(mirino);
    l->setZValue(20);
  }
  fondo_mirino_ = new QGraphicsRectItem(grafico);
  fondo_mirino_->setBrush(QColor(255, 255, 240, 235));
  fondo_mirino_->setPen(QPen(QColor(0x60, 0x60, 0x60)));
  fondo_mirino_->setZValue(21);
  testo_mirino_ = new QGraphicsSimpleTextItem(grafico);
  testo_mirino_->setZValue(22);
  nascondi_mirino();

  // The same figures as a table.
  if (tabella_ != nullptr) {
    const auto riga = [this](const QString& voce, const QString& importo_testo,
                             const QString& quota, bool titolo = false) {
      const int n = tabella_->rowCount();
      tabella_->insertRow(n);
      auto* v = new QTableWidgetItem(voce);
      if (titolo) {
        QFont f = v->font();
        f.setBold(true);
        v->setFont(f);
      }
      tabella_->setItem(n, 0, v);
      auto* i = new QTableWidgetItem(importo_testo);
      i->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      tabella_->setItem(n, 1, i);
      auto* q = new QTableWidgetItem(quota);
      q->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      tabella_->setItem(n, 2, q);
    };
    const auto ripartizione = [&](const QString& titolo, const std::optional<Ripartizione>& r,
                                  bool lavoratore) {
      riga(titolo, QString(), QString(), true);
      if (!r) {
        riga(QStringLiteral("non disponibile"), QString(), QString());
        return;
      }
      for (const Parte& p : parti_in_ordine(*r, lavoratore)) {
        riga((lavoratore ? (p.barra == 1 ? QStringLiteral("Pagato: ") : QStringLiteral("Dove va: "))
                         : QString()) +
                 da_utf8(p.quota.voce),
             importo_cent(p.quota.centesimi, locale),
             importo(p.quota.percentuale, locale) + QLatin1Char('%'));
      }
      if (r->arrotondamento != 0) {
        riga(nota_arrotondamento(r, lavoratore, locale), importo_cent(r->arrotondamento, locale),
             QString());
      }
    };
    ripartizione(titolo_lavoratore, dati->lavoratore, true);
    ripartizione(titolo_azienda, dati->azienda, false);
    if (dati->mensile) riga(nota_mensile, QString(), QString());
    riga(titolo_curva, QString(), QString(), true);
    if (attuale->chart() != nullptr) {
      riga(netto_voluto ? QStringLiteral("Lordo trovato") : QStringLiteral("Lavoratore: lordo"),
           importo(c.lordo_attuale, locale), QString());
      riga(da_utf8(voce_netto), importo(netto_attuale, locale), QString());
    }
    if (netto_voluto)
      riga(QStringLiteral("Netto voluto"), importo(*netto_voluto, locale), QString());
    for (const Salto& s : c.salti) {
      riga(QStringLiteral("Salto del netto: ") + da_utf8(testo_salto(s, locale)),
           importo_cent(s.variazione, locale), QString());
    }
    tabella_->resizeColumnToContents(1);
    tabella_->resizeColumnToContents(2);
  }
}

bool scrivi_immagine_grafici(const DatiGrafici& dati, const Locale& locale,
                             std::optional<double> netto_voluto, const QString& file,
                             QString& errore) {
  PannelloGrafici pannello(nullptr, false);
  pannello.setAttribute(Qt::WA_DontShowOnScreen);
  pannello.resize(1000, 1400);
  pannello.setStyleSheet(QStringLiteral("background: white;"));
  pannello.mostra(dati, locale, netto_voluto);
  pannello.show();  // lays out the charts at the size asked
  const QString estensione = QFileInfo(file).suffix().toLower();
  // Drawn in memory, then written as every file of the program is: whole or
  // not at all, a FIFO or a device written directly, a link followed.
  QByteArray immagine_scritta;
  QBuffer uscita(&immagine_scritta);
  uscita.open(QIODevice::WriteOnly);
  if (estensione == QStringLiteral("svg")) {
    QSvgGenerator svg;
    svg.setOutputDevice(&uscita);
    svg.setSize(pannello.size());
    svg.setViewBox(QRect(QPoint(0, 0), pannello.size()));
    svg.setTitle(QStringLiteral("Zellora - Grafici"));
    QPainter pittore(&svg);
    pannello.render(&pittore);
    pittore.end();
  } else {
    QImage immagine(pannello.size(), QImage::Format_ARGB32);
    immagine.fill(Qt::white);
    QPainter pittore(&immagine);
    pannello.render(&pittore);
    pittore.end();
    if (!immagine.save(&uscita, "PNG")) {
      errore = QStringLiteral("the image cannot be encoded");
      return false;
    }
  }
  uscita.close();
  if (const std::optional<Errore> e = scrivi_file(
          std::filesystem::path(file.toStdU16String()),
          std::string_view(immagine_scritta.constData(), std::size_t(immagine_scritta.size())))) {
    errore = QString::fromStdString(e->ragione);
    return false;
  }
  return true;
}

namespace {

// The colour of a series of the year: that of the row of the results of
// the same label; the surcharges', which have two rows, the regional one's.
QColor colore_serie_buste(std::string_view etichetta) {
  for (const RigaRisultato& r : righe_risultato) {
    if (r.etichetta == etichetta) return colore_voce(r.id);
  }
  return colore_voce("addizionale_regionale");
}

}  // namespace

QChart* grafico_buste(const AnnoBuste& anno, const Locale& locale, QWidget* vista,
                      Legenda* legenda) {
  QChart* grafico = nuovo_grafico(QString());
  auto* serie = new QStackedBarSeries;
  std::vector<double> positivi(anno.buste.size(), 0), negativi(anno.buste.size(), 0);
  std::vector<Legenda::Voce> voci;
  QStringList descrizioni;
  for (const BustaPaga& b : anno.buste) descrizioni << da_utf8(descrizione_busta(b));
  for (const SerieBuste& s : serie_grafico_buste(anno)) {
    auto* set = new QBarSet(da_utf8(s.etichetta));
    std::int64_t totale = 0;
    for (std::size_t i = 0; i < s.centesimi.size(); ++i) {
      const double valore = static_cast<double>(s.centesimi[i]) / 100;
      *set << valore;
      (valore > 0 ? positivi : negativi)[i] += valore;
      totale += s.centesimi[i];
    }
    set->setColor(colore_serie_buste(s.etichetta));
    set->setBorderColor(Qt::white);
    const QString nome = da_utf8(s.etichetta);
    QObject::connect(set, &QBarSet::hovered, vista,
                     [descrizioni, nome, cifre = s.centesimi, locale, vista](bool sopra, int i) {
                       if (!sopra || i < 0 || i >= descrizioni.size()) {
                         QToolTip::hideText();
                         return;
                       }
                       QToolTip::showText(QCursor::pos(),
                                          descrizioni[i] + QStringLiteral(" - ") + nome +
                                              QStringLiteral(": ") +
                                              importo_cent(cifre[std::size_t(i)], locale),
                                          vista);
                     });
    serie->append(set);
    voci.push_back({set->color(), nome + QStringLiteral(": ") + importo_cent(totale, locale) +
                                      QStringLiteral(" nell'anno")});
  }
  legenda->imposta(voci);
  serie->setBarWidth(0.7);
  grafico->addSeries(serie);
  auto* categorie = new QBarCategoryAxis;
  for (const BustaPaga& b : anno.buste) categorie->append(da_utf8(sigla_busta(b)));
  grafico->addAxis(categorie, Qt::AlignBottom);
  serie->attachAxis(categorie);
  const double minimo =
      negativi.empty() ? 0.0 : *std::min_element(negativi.begin(), negativi.end());
  const double massimo =
      positivi.empty() ? 1.0 : *std::max_element(positivi.begin(), positivi.end());
  // A part below 0 too small to be seen (the adjustment's IRPEF of a few
  // cents) would take a whole step of the axis: the axis starts at 0 then,
  // and the table says it.
  const double sotto = minimo < 0 && -minimo * 200 < massimo ? 0.0 : std::min(0.0, minimo);
  QCategoryAxis* valori = asse(sotto, std::max(massimo, 1.0), locale);
  grafico->addAxis(valori, Qt::AlignLeft);
  serie->attachAxis(valori);
  return grafico;
}

QString testo_grafico_buste(const AnnoBuste& anno, const Locale& locale) {
  const std::vector<SerieBuste> serie = serie_grafico_buste(anno);
  QStringList righe;
  for (std::size_t i = 0; i < anno.buste.size(); ++i) {
    QStringList cifre;
    for (const SerieBuste& s : serie) {
      cifre << da_utf8(s.etichetta) + QLatin1Char(' ') + importo_cent(s.centesimi[i], locale);
    }
    righe << da_utf8(descrizione_busta(anno.buste[i])) + QStringLiteral(": ") +
                 cifre.join(QStringLiteral(", "));
  }
  return righe.join(QStringLiteral("; "));
}

}  // namespace zellora
