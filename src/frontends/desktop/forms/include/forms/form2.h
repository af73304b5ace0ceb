// Form2 "Risultato Calcolo": the figures of the last calculation, the
// worker's side on the left and the cost of labour on the right, and
// "Esporta", which writes them as a statement document (with the year of
// payslips of the same figures when its window holds one), "Grafici", which
// opens the charts of them, and "Buste paga", the year of payslips of the
// same worker. A line above the panels says what was
// calculated (rule set, period, direction), or that the figures are no longer
// those of the form. Under today's law the worker's side has three more rows
// and the caption says what the line says; under the rules of 2007 it is the
// original "Risultato Calcolo".
#pragma once

#include <QHash>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "form/risultati.h"
#include "forms/contesto.h"
#include "forms/form7.h"
#include "forms/formbuste.h"
#include "platform/skin.h"
#include "statement/crea.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {
class Form2;
}

namespace zellora {

class Form2 : public QWidget {
  Q_OBJECT

 public:
  // `mensile` tells whether the input form's "Mensile" is selected at the
  // moment it is asked (the export reads it then).
  Form2(Contesto contesto, std::function<bool()> mensile, QWidget* parent = nullptr);
  ~Form2() override;

  // The fill: every box is cleared, then set to its text.
  void riempi(const Risultati& risultati);

  // Shows the window in front: the first time beside `origine` (the input
  // form) and on its screen, moving the form sideways when that makes room
  // for both side by side, centred without one; then where the operator left
  // it.
  void mostra(QWidget* origine = nullptr);

  // After a refused calculation the figures shown are no longer those of
  // the form until the next fill: the caption and the line above the panels
  // say so, the figures turn grey (still readable), and "Esporta" is
  // disabled, so that no statement of them is taken for one of the form.
  void segna_non_aggiornato();
  bool non_aggiornato() const { return non_aggiornato_; }

  // What was calculated: "Normativa 2026 - Annuo - Dal lordo al netto";
  // empty before the first fill.
  QString calcolo() const { return calcolo_; }

  // The box TextN of this window, one per row of the results
  // (rules/righe.h; the rows of today's law are shown under it only), and
  // the label on its row.
  static constexpr int numero_caselle = caselle_risultato;
  QLineEdit* casella(int n) const;
  QLabel* etichetta(int n) const;

  // Writes the statement of the figures shown and opens it. A statement
  // written is followed by a notice (information icon) saying where it is,
  // why it is not among the documents when it is not, and why the desktop
  // did not open it when it did not, with a button that opens its folder; a
  // failure to write is reported with its number and description.
  EsitoEsportazione Crea();

  // The charts window, made by the first "Grafici".
  Form7* form7() const { return form7_.get(); }
  // The window of the year of payslips, made by the first "Buste paga".
  FormBuste* form_buste() const { return form_buste_.get(); }

 public slots:
  void Command1_Click();
  void Command2_Click();
  // "Buste paga": the year of the worker of the figures shown, calculated
  // with the choices of its window when it holds none of these figures.
  void Command3_Click();

 protected:
  void hideEvent(QHideEvent* evento) override;
  void keyPressEvent(QKeyEvent* evento) override;

 private:
  // Places the worker's rows, with or without those of today's law.
  void disponi(bool attuali, bool addizionali);
  // The charts window's caption: what was calculated, or that it is no
  // longer the form's.
  QString titolo_grafici() const;

  // The sizes and places as drawn, which more rows move.
  struct GeometriaBase {
    int altezza_pannelli;
    int esporta;
    int nota;
    QSize finestra;
  };

  std::unique_ptr<Ui::Form2> ui_;
  QWidget* contenuto_ = nullptr;  // the controls as drawn, in the window's scroll area
  Contesto contesto_;
  std::function<bool()> mensile_;
  Skin Skin1_;
  std::array<QLineEdit*, numero_caselle> caselle_{};
  std::array<QLabel*, numero_caselle> etichette_{};
  std::optional<GeometriaBase> geometria_base_;
  std::optional<QPoint> lasciata_;        // where the window was when last hidden
  QLabel* riga_calcolo_ = nullptr;        // the line above the panels
  QPushButton* comando_buste_ = nullptr;  // "Buste paga"
  QString calcolo_;                       // what it says of the last fill
  bool non_aggiornato_ = false;
  QHash<QLineEdit*, QString> stili_;  // each box's style sheet as made
  std::unique_ptr<Form7> form7_;
  std::unique_ptr<FormBuste> form_buste_;
  QString cartella_;         // where the last statement went, used again while it stands
  QString avviso_cartella_;  // why cartella_ is not among the documents
};

}  // namespace zellora
