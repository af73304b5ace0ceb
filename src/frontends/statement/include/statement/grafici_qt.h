// The charts of a calculation drawn with Qt Charts: where the gross goes,
// what the labour costs and the net against the gross. The charts window and
// the command line's image draw the same panel.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "form/grafici.h"
#include "form/motore.h"
#include "numbers/numeri.h"

class QChart;
class QChartView;
class QLineSeries;

namespace zellora {

// The three charts one under the other.
class PannelloGrafici : public QWidget {
  Q_OBJECT

 public:
  explicit PannelloGrafici(QWidget* parent = nullptr);

  // Draws `dati` anew; `netto_voluto` marks the net wanted by a calculation
  // from net to gross. Nothing clears the charts.
  void mostra(const std::optional<DatiGrafici>& dati, const Locale& locale,
              std::optional<double> netto_voluto = std::nullopt);

  QChartView* vista_lavoratore() const { return lavoratore_; }
  QChartView* vista_azienda() const { return azienda_; }
  QChartView* vista_curva() const { return curva_; }

  // The text of the tooltip for the point of the curve nearest to `lordo`.
  QString suggerimento_curva(double lordo) const;

 private:
  QChartView* lavoratore_;
  QChartView* azienda_;
  QChartView* curva_;
  std::vector<PuntoCurva> punti_;
  Locale locale_ = Locale::italiano();
};

// The net wanted by the last calculation of `motore` when it went from net
// to gross; nothing otherwise.
std::optional<double> netto_voluto(const Motore& motore);

// The label of a part: "Irpef netta: 3.456,78 (11,52%)".
QString etichetta_quota(const Quota& quota, const Locale& locale);

// Writes the panel of `dati` as one image, SVG or PNG by the extension of
// `file`, through the one safe writer (base/file_atomico.h): a file is
// replaced whole or not at all, a FIFO or a device is written directly, a
// symbolic link is followed and kept. Needs a QApplication.
// False, with the reason in `errore`, when it cannot be written.
bool scrivi_immagine_grafici(const DatiGrafici& dati, const Locale& locale,
                             std::optional<double> netto_voluto, const QString& file,
                             QString& errore);

}  // namespace zellora
