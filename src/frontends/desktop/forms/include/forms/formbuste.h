// FormBuste "Buste paga": the year of payslips of the worker of the last
// calculation (form/buste_paga.h), opened from the results window. The
// year's choices (the fields of form/testi_buste.h with their labels) and
// "Calcola"; the notes, or the refusal; the table of the year (the short
// table's ten columns, each heading with its full label as its tooltip and
// accessible description) with its line of totals, the reconciliation and
// next year's lines; and the chart of the same figures, with its words for a
// screen reader. The window is laid out in code rather than in Designer:
// its fields and headings are those of the form model, not written twice.
//
// It follows the results: a new calculation calculates the year again, with
// the choices of the fields, while the window is shown, and clears it while
// it is not; a refused calculation clears it until the next one. It never
// shows the year of a worker other than that of the results.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <optional>
#include <string_view>

#include "form/campi_form.h"
#include "form/testi_buste.h"
#include "forms/contesto.h"
#include "platform/skin.h"

class QChartView;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace zellora {

class Legenda;

class FormBuste : public QWidget {
  Q_OBJECT

 public:
  explicit FormBuste(Contesto contesto, QWidget* parent = nullptr);

  // Calculates the year of the worker of the last calculation with the
  // choices of the fields, and shows it, or why there is none.
  void calcola();

  // The results window was filled by a new calculation, `calcolo` saying
  // what was calculated ("Normativa 2026 - Annuo - Dal lordo al netto"):
  // the year again while the window is shown, cleared while it is not.
  void segui_calcolo(const QString& calcolo);

  // The results are no longer the form's (a refused calculation): the year
  // goes, and "Calcola" waits for the next calculation.
  void segna_non_aggiornato();
  bool non_aggiornato() const { return non_aggiornato_; }

  // The year shown, when it is that of the results of the last calculation;
  // null otherwise. "Esporta" adds it to the statement.
  const EsitoBuste* anno_del_calcolo() const;

  // Shows the window in front: the first time beside `origine` (the
  // results window), then where the operator left it.
  void mostra(const QWidget* origine = nullptr);

  // The field of the year's choice `chiave` (campi_buste): a line or, for
  // the two choices, a combo box.
  QWidget* campo(std::string_view chiave) const;
  QPushButton* pulsante_calcola() const { return calcola_; }
  QLabel* messaggi() const { return messaggi_; }
  QTableWidget* tabella() const { return tabella_; }
  QTableWidget* riconciliazione() const { return riconciliazione_; }
  QChartView* grafico() const { return grafico_; }
  QTabWidget* schede() const { return schede_; }

 protected:
  void hideEvent(QHideEvent* evento) override;
  void keyPressEvent(QKeyEvent* evento) override;

 private:
  CampiBuste campi_buste_scritti() const;
  void pulisci();
  void mostra_messaggi(const QStringList& righe, bool rifiuto);
  void mostra_anno(const EsitoBuste& esito);

  Contesto contesto_;
  Skin Skin1_;
  QString calcolo_;  // what was calculated, as the results window says it
  bool non_aggiornato_ = false;
  std::optional<EsitoBuste> esito_;
  std::optional<CampiForm1> campi_anno_;  // the form's fields of the year shown
  std::optional<QPoint> lasciata_;
  std::array<QWidget*, campi_buste.size()> campi_{};
  QLabel* riga_calcolo_ = nullptr;
  QPushButton* calcola_ = nullptr;
  QLabel* messaggi_ = nullptr;
  QTabWidget* schede_ = nullptr;
  QTableWidget* tabella_ = nullptr;
  QLabel* legenda_tabella_ = nullptr;
  QTableWidget* riconciliazione_ = nullptr;
  QLabel* incapiente_ = nullptr;
  QChartView* grafico_ = nullptr;
  Legenda* legenda_grafico_ = nullptr;
};

}  // namespace zellora
