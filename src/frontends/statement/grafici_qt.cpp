#include "statement/grafici_qt.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "base/file_atomico.h"
#include "form/verifica.h"

namespace zellora {

namespace {

// Okabe and Ito's palette, told apart also by those who see colours
// differently.
const QColor tavolozza[] = {QColor(0x00, 0x9E, 0x73), QColor(0xE6, 0x9F, 0x00),
                            QColor(0x56, 0xB4, 0xE9), QColor(0xD5, 0x5E, 0x00),
                            QColor(0xCC, 0x79, 0xA7), QColor(0x00, 0x72, 0xB2),
                            QColor(0xF0, 0xE4, 0x42), QColor(0x00, 0x00, 0x00)};

QString da_utf8(std::string_view testo) {
  return QString::fromUtf8(testo.data(), qsizetype(testo.size()));
}

QString importo(double valore, const Locale& locale) {
  const auto testo = formato_F(valore, locale);
  return testo ? QString::fromStdString(*testo) : QStringLiteral("-");
}

QChart* nuovo_grafico(const QString& titolo) {
  auto* grafico = new QChart;
  grafico->setTitle(titolo);
  QFont font_titolo(QStringLiteral("Verdana"));
  font_titolo.setPointSizeF(9.75);
  font_titolo.setBold(true);
  grafico->setTitleFont(font_titolo);
  grafico->setTitleBrush(QColor(128, 0, 0));
  grafico->legend()->setAlignment(Qt::AlignRight);
  grafico->setAnimationOptions(QChart::NoAnimation);
  return grafico;
}

// One horizontal bar of the parts of `r` that are not nil, each a set
// labelled with its amount and share, also as a tooltip.
QChart* grafico_ripartizione(const QString& titolo, const std::optional<Ripartizione>& r,
                             const Locale& locale, QWidget* vista) {
  if (!r) return nuovo_grafico(titolo + QStringLiteral(": non disponibile"));
  QString intestazione =
      titolo + QStringLiteral(": ") + importo(static_cast<double>(r->totale) / 100, locale);
  for (const Quota& q : r->aggiunte) {
    if (q.centesimi != 0) intestazione += QStringLiteral(" (+ ") + etichetta_quota(q, locale) + ')';
  }
  QChart* grafico = nuovo_grafico(intestazione);
  auto* serie = new QHorizontalStackedBarSeries;
  std::size_t colore = 0;
  for (const Quota& q : r->parti) {
    if (q.centesimi == 0) continue;
    auto* set = new QBarSet(etichetta_quota(q, locale));
    *set << static_cast<double>(q.centesimi) / 100;
    set->setColor(tavolozza[colore++ % std::size(tavolozza)]);
    set->setBorderColor(Qt::white);
    const QString testo = set->label();
    QObject::connect(set, &QBarSet::hovered, vista, [testo](bool sopra, int) {
      if (sopra) {
        QToolTip::showText(QCursor::pos(), testo);
      } else {
        QToolTip::hideText();
      }
    });
    serie->append(set);
  }
  serie->setBarWidth(0.6);
  grafico->addSeries(serie);
  auto* categorie = new QBarCategoryAxis;
  categorie->append(QStringLiteral(" "));
  categorie->setVisible(false);
  grafico->addAxis(categorie, Qt::AlignLeft);
  serie->attachAxis(categorie);
  auto* valori = new QValueAxis;
  valori->setLabelFormat(QStringLiteral("%.0f"));
  grafico->addAxis(valori, Qt::AlignBottom);
  serie->attachAxis(valori);
  valori->applyNiceNumbers();
  return grafico;
}

// A view hands back the chart it showed when given another: it goes.
void sostituisci(QChartView* vista, QChart* grafico) {
  QChart* prima = vista->chart();
  vista->setChart(grafico);
  delete prima;
}

}  // namespace

QString etichetta_quota(const Quota& quota, const Locale& locale) {
  return da_utf8(quota.voce) + QStringLiteral(": ") +
         importo(static_cast<double>(quota.centesimi) / 100, locale) + QStringLiteral(" (") +
         importo(quota.percentuale, locale) + QStringLiteral("%)");
}

std::optional<double> netto_voluto(const Motore& motore) {
  const auto& campi = motore.campi_calcolo();
  if (!campi || !campi->Option3) return std::nullopt;
  const LetturaInput lettura = leggi_input(*campi, motore.locale());
  if (!lettura.input) return std::nullopt;
  return lettura.input->retribuzione;
}

PannelloGrafici::PannelloGrafici(QWidget* parent)
    : QWidget(parent),
      lavoratore_(new QChartView(this)),
      azienda_(new QChartView(this)),
      curva_(new QChartView(this)) {
  lavoratore_->setObjectName(QStringLiteral("GraficoLavoratore"));
  azienda_->setObjectName(QStringLiteral("GraficoAzienda"));
  curva_->setObjectName(QStringLiteral("GraficoCurva"));
  auto* colonna = new QVBoxLayout(this);
  colonna->setContentsMargins(0, 0, 0, 0);
  colonna->addWidget(lavoratore_, 1);
  colonna->addWidget(azienda_, 1);
  colonna->addWidget(curva_, 2);
  for (QChartView* v : {lavoratore_, azienda_, curva_}) {
    v->setRenderHint(QPainter::Antialiasing);
    sostituisci(v, nuovo_grafico(QString()));
  }
}

QString PannelloGrafici::suggerimento_curva(double lordo) const {
  if (punti_.empty()) return {};
  const auto vicino = std::min_element(punti_.begin(), punti_.end(), [lordo](auto& a, auto& b) {
    return std::abs(a.lordo - lordo) < std::abs(b.lordo - lordo);
  });
  return QStringLiteral(
             "Lordo: %1\nNetto in busta: %2\nAliquota marginale: %3%\nCosto del "
             "lavoro: %4")
      .arg(importo(vicino->lordo, locale_), importo(vicino->netto, locale_),
           importo(vicino->aliquota_marginale * 100, locale_),
           importo(vicino->costo_lavoro, locale_));
}

void PannelloGrafici::mostra(const std::optional<DatiGrafici>& dati, const Locale& locale,
                             std::optional<double> netto_voluto) {
  locale_ = locale;
  punti_.clear();
  if (!dati) {
    for (QChartView* v : {lavoratore_, azienda_, curva_}) {
      sostituisci(v, nuovo_grafico(QStringLiteral("Nessun calcolo")));
    }
    return;
  }
  sostituisci(lavoratore_, grafico_ripartizione(QStringLiteral("Dove va il lordo"),
                                                dati->lavoratore, locale, this));
  sostituisci(azienda_, grafico_ripartizione(QStringLiteral("Costo del lavoro"), dati->azienda,
                                             locale, this));

  const Curva& c = dati->curva;
  punti_ = c.punti;
  QChart* grafico = nuovo_grafico(
      c.errore.empty() ? QStringLiteral("Netto in busta e aliquota marginale secondo il lordo")
                       : QStringLiteral("Curva non disponibile: ") + da_utf8(c.errore));
  auto* netto = new QLineSeries;
  netto->setName(da_utf8(voce_netto));
  netto->setColor(tavolozza[5]);
  auto* marginale = new QLineSeries;
  marginale->setName(QStringLiteral("Aliquota marginale (%)"));
  QPen tratto(tavolozza[3]);
  tratto.setWidthF(1.2);
  marginale->setPen(tratto);
  // The net axis takes in every net drawn, a negative one too (a large
  // non-deductible withholding), and 0.
  double minimo_netto = 0, massimo_netto = 0, minimo_aliquota = 0, massimo_aliquota = 100;
  for (const PuntoCurva& p : c.punti) {
    if (std::isfinite(p.netto)) {
      netto->append(p.lordo, p.netto);
      minimo_netto = std::min(minimo_netto, p.netto);
      massimo_netto = std::max(massimo_netto, p.netto);
    }
    if (std::isfinite(p.aliquota_marginale)) {
      marginale->append(p.lordo, p.aliquota_marginale * 100);
      minimo_aliquota = std::min(minimo_aliquota, p.aliquota_marginale * 100);
      massimo_aliquota = std::max(massimo_aliquota, p.aliquota_marginale * 100);
    }
  }
  grafico->addSeries(netto);
  grafico->addSeries(marginale);

  // The worker of the calculation, and for a calculation from net to gross
  // the gross found and the net wanted.
  auto* attuale = new QScatterSeries;
  attuale->setObjectName(QStringLiteral("LavoratoreAttuale"));
  attuale->setMarkerSize(11);
  attuale->setColor(tavolozza[7]);
  double netto_attuale = std::nan("");
  if (dati->lavoratore) {
    double aggiunte = 0;
    for (const Quota& q : dati->lavoratore->aggiunte) aggiunte += static_cast<double>(q.centesimi);
    for (const Quota& q : dati->lavoratore->parti) {
      if (q.voce == voce_netto) netto_attuale = (static_cast<double>(q.centesimi) + aggiunte) / 100;
    }
  }
  if (std::isfinite(netto_attuale)) {
    minimo_netto = std::min(minimo_netto, netto_attuale);
    massimo_netto = std::max(massimo_netto, netto_attuale);
    attuale->append(c.lordo_attuale, netto_attuale);
    attuale->setName(
        (netto_voluto ? QStringLiteral("Lordo trovato: ") : QStringLiteral("Lavoratore: ")) +
        importo(c.lordo_attuale, locale) + QStringLiteral(" \u2192 ") +
        importo(netto_attuale, locale));
    grafico->addSeries(attuale);
  }
  QLineSeries* voluto = nullptr;
  if (netto_voluto && !c.punti.empty()) {
    voluto = new QLineSeries;
    voluto->setObjectName(QStringLiteral("NettoVoluto"));
    voluto->setName(QStringLiteral("Netto voluto: ") + importo(*netto_voluto, locale));
    QPen linea(tavolozza[4]);
    linea.setStyle(Qt::DashLine);
    linea.setWidthF(1.5);
    voluto->setPen(linea);
    voluto->append(c.punti.front().lordo, *netto_voluto);
    voluto->append(c.punti.back().lordo, *netto_voluto);
    grafico->addSeries(voluto);
  }

  auto* asse_lordo = new QValueAxis;
  asse_lordo->setTitleText(QStringLiteral("Lordo"));
  asse_lordo->setLabelFormat(QStringLiteral("%.0f"));
  if (!c.punti.empty()) asse_lordo->setRange(c.punti.front().lordo, c.punti.back().lordo);
  auto* asse_netto = new QValueAxis;
  asse_netto->setTitleText(da_utf8(voce_netto));
  asse_netto->setLabelFormat(QStringLiteral("%.0f"));
  if (netto_voluto) massimo_netto = std::max(massimo_netto, *netto_voluto);
  asse_netto->setRange(minimo_netto * 1.05, std::max(1.0, massimo_netto * 1.05));
  asse_netto->applyNiceNumbers();
  auto* asse_aliquota = new QValueAxis;
  asse_aliquota->setTitleText(QStringLiteral("Aliquota marginale (%)"));
  asse_aliquota->setLabelFormat(QStringLiteral("%.0f"));
  asse_aliquota->setRange(minimo_aliquota, massimo_aliquota);
  grafico->addAxis(asse_lordo, Qt::AlignBottom);
  grafico->addAxis(asse_netto, Qt::AlignLeft);
  grafico->addAxis(asse_aliquota, Qt::AlignRight);
  for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{netto, attuale, voluto}) {
    if (s == nullptr || s->chart() == nullptr) continue;
    s->attachAxis(asse_lordo);
    s->attachAxis(asse_netto);
  }
  marginale->attachAxis(asse_lordo);
  marginale->attachAxis(asse_aliquota);
  grafico->legend()->setAlignment(Qt::AlignBottom);

  for (QLineSeries* s : {netto, marginale}) {
    connect(s, &QLineSeries::hovered, this, [this](const QPointF& punto, bool sopra) {
      if (sopra) {
        QToolTip::showText(QCursor::pos(), suggerimento_curva(punto.x()), curva_);
      } else {
        QToolTip::hideText();
      }
    });
  }
  sostituisci(curva_, grafico);
  if (!attuale->chart()) delete attuale;
}

bool scrivi_immagine_grafici(const DatiGrafici& dati, const Locale& locale,
                             std::optional<double> netto_voluto, const QString& file,
                             QString& errore) {
  PannelloGrafici pannello;
  pannello.setAttribute(Qt::WA_DontShowOnScreen);
  pannello.resize(1000, 1100);
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

}  // namespace zellora
