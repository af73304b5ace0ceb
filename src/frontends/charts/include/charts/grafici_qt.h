// The charts of a calculation drawn with Qt Charts: where the gross goes,
// what the labour costs and the net against the gross, each with a legend
// that lists every part it draws in the order of the results window, and a
// table of the same figures that a keyboard and a screen reader can read.
// The charts window and the command line's image draw the same charts.
//
// Each part has the colour of its row (one colour for one row in every
// chart), its label and its amount as the results window shows them.
#pragma once

#include <QChartView>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <string_view>
#include <vector>

#include "form/buste_paga.h"
#include "form/grafici.h"
#include "form/motore.h"
#include "numbers/numeri.h"

class QChart;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QLabel;
class QTabWidget;
class QTableWidget;

namespace zellora {

// The colour of the row `id` of the table of results, the same in every
// chart.
QColor colore_voce(std::string_view id);

// The legend of a chart: one entry per part drawn, a square of its colour
// and its label with the amount; entries wrap into as many lines as they
// need, none is ever cut.
class Legenda : public QWidget {
  Q_OBJECT

 public:
  explicit Legenda(QWidget* parent = nullptr);
  struct Voce {
    QColor colore;
    QString testo;
  };
  void imposta(const std::vector<Voce>& voci);
  QStringList testi() const { return testi_; }

 private:
  QStringList testi_;
};

// The view of the curve: a crosshair and a label with the figures of the
// point nearest to the pointer follow it while it is over the chart (and
// stay while it rests); with the keyboard the arrows move them point by
// point (Shift: ten points), Home and End to the ends; the first arrow, and
// the focus, put them on the worker of the calculation.
class VistaCurva : public QChartView {
  Q_OBJECT

 public:
  explicit VistaCurva(QWidget* parent = nullptr);

 signals:
  void puntatore(QPointF valore);  // a point of the chart, in values
  void uscito();
  void tasto(int passi);  // +-1, +-10; a large number: to the end
  void fuoco();           // the view got the keyboard's focus

 protected:
  void focusInEvent(QFocusEvent* evento) override;
  void mouseMoveEvent(QMouseEvent* evento) override;
  void leaveEvent(QEvent* evento) override;
  void keyPressEvent(QKeyEvent* evento) override;
};

class PannelloGrafici : public QWidget {
  Q_OBJECT

 public:
  // `schede`: the charts and the table in tabs (the charts window), each
  // page's chart before the tab bar in the order of Tab; else the three
  // charts one under the other (the image).
  explicit PannelloGrafici(QWidget* parent = nullptr, bool schede = true);

  // Draws `dati` anew; `netto_voluto` marks the net wanted by a calculation
  // from net to gross. Nothing clears the charts.
  void mostra(const std::optional<DatiGrafici>& dati, const Locale& locale,
              std::optional<double> netto_voluto = std::nullopt);

  QChartView* vista_lavoratore() const { return lavoratore_; }
  QChartView* vista_azienda() const { return azienda_; }
  VistaCurva* vista_curva() const { return curva_; }
  Legenda* legenda_lavoratore() const { return legenda_lavoratore_; }
  Legenda* legenda_azienda() const { return legenda_azienda_; }
  Legenda* legenda_curva() const { return legenda_curva_; }
  QLabel* nota_salti() const { return salti_; }
  QTableWidget* tabella() const { return tabella_; }
  QTabWidget* schede() const { return schede_; }

  // The text for the point of the curve nearest to `lordo`.
  QString suggerimento_curva(double lordo) const;

  // Puts the crosshair and its label on the point of the curve nearest to
  // `lordo`; the label's text, empty without a curve.
  QString segui(double lordo);
  QString testo_mirino() const;
  bool mirino_visibile() const;

 private:
  void nascondi_mirino();
  void sposta_mirino(int passi);
  void mirino_sul_lavoratore();

  QTabWidget* schede_ = nullptr;
  QChartView* lavoratore_;
  QChartView* azienda_;
  VistaCurva* curva_;
  Legenda* legenda_lavoratore_;
  Legenda* legenda_azienda_;
  Legenda* legenda_curva_;
  QLabel* nota_lavoratore_;
  QLabel* nota_azienda_;
  QLabel* salti_;
  QTableWidget* tabella_ = nullptr;
  std::vector<PuntoCurva> punti_;
  std::size_t punto_mirino_ = 0;
  std::optional<double> lordo_attuale_;  // the worker's gross on the curve
  Locale locale_ = Locale::italiano();
  QGraphicsLineItem* mirino_v_ = nullptr;
  QGraphicsLineItem* mirino_o_ = nullptr;
  QGraphicsRectItem* fondo_mirino_ = nullptr;
  QGraphicsSimpleTextItem* testo_mirino_ = nullptr;
};

// The label of a part: "Irpef netta: 3.456,78 (11,52%)".
QString etichetta_quota(const Quota& quota, const Locale& locale);

// Writes the charts of `dati` as one image, SVG or PNG by the extension of
// `file`, through the one safe writer (base/file_atomico.h): a file is
// replaced whole or not at all, a FIFO or a device is written directly, a
// symbolic link is followed and kept. Needs a QApplication.
// False, with the reason in `errore`, when it cannot be written.
bool scrivi_immagine_grafici(const DatiGrafici& dati, const Locale& locale,
                             std::optional<double> netto_voluto, const QString& file,
                             QString& errore);

// The chart of a year of payslips (form/testi_buste.h, serie_grafico_buste):
// a bar for each line of the year in its order, the net, the INPS
// contribution, the net IRPEF and the surcharges stacked, each series in the
// colour of its row of the results; `legenda` lists the series with the
// year's total. A pointer over a part shows its line, series and amount.
QChart* grafico_buste(const AnnoBuste& anno, const Locale& locale, QWidget* vista,
                      Legenda* legenda);
// The same figures in words, for a screen reader: each line of the year
// with its four amounts ("Gennaio: Netto in busta 1.780,00, ...").
QString testo_grafico_buste(const AnnoBuste& anno, const Locale& locale);

}  // namespace zellora
