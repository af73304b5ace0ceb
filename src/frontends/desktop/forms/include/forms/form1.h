// Form1: the input form. It maps its controls to the named input fields of
// the calculation, asks the program-wide state for the sector choice and
// the calculation, and shows the results window and the help popup.
// Closing it, or its menu "Uscita", ends the program.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "form/campi_form.h"
#include "forms/contesto.h"
#include "platform/skin.h"

class QLineEdit;

namespace Ui {
class Form1;
}

namespace zellora {

class Form2;
class Form6;

class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit Form1(Contesto contesto, QWidget* parent = nullptr);
  ~Form1() override;

  // The fields as they stand now.
  CampiForm1 campi() const;

  // Whether the field is marked as one left empty by the last calculate
  // command (until something is typed into it).
  bool segnato_vuoto(const QLineEdit* campo) const {
    return campi_vuoti_.contains(const_cast<QLineEdit*>(campo));
  }

  // The results window (nullptr before the first calculation) and the help
  // popup (nullptr while it is closed).
  Form2* form2() const { return form2_.get(); }
  Form6* form6() const;

  // Shows the help popup with a text: creates it when there is none,
  // otherwise replaces the text where the popup stands.
  void mostra_guida(const QString& testo);

 signals:
  // The operator closed the form: the program ends.
  void chiusura();

 public slots:
  void Option1_Click();
  void Option2_Click();
  void Combo4_Click();
  void Command1_Click();
  void List1_Click();
  void List2_Click();

 protected:
  void closeEvent(QCloseEvent* evento) override;

 private:
  // The names a screen reader says for the fields and buttons.
  void nomi_accessibili();
  // The rule set of the run (the built-in one without a run state).
  const RegoleCalcolo& regole() const {
    return contesto_.motore != nullptr ? contesto_.motore->regole() : regole_predefinite();
  }
  void stato_periodo(bool annuo);
  // The category and sector lists of the rule set in use, the choices made
  // under `prima` kept where the new lists hold them.
  void rinnova_elenchi(const RegoleCalcolo& prima);
  bool normativa_attuale() const;  // a rule set of today's law is chosen
  void stato_normativa();
  // The surcharges' controls under the rule set chosen: its regions, the
  // comuni of its year's list, enabled only where it has them.
  void stato_addizionali();
  // Beside "Regione": why the region chosen has no table, and the field to
  // type its rate in; nothing for a region with its table.
  void nota_regione_scelta();
  // "Comune" completes the comuni of the rule set's list in the region
  // chosen in "Regione" (all with "Nessuna").
  void completamento_comuni();
  QString guida_attuale(const char* testo) const;
  void mostra_risultati();
  void segna_vuoto(QLineEdit* campo, bool vuoto);

  std::unique_ptr<Ui::Form1> ui_;
  Contesto contesto_;
  Skin Skin1_;
  std::unique_ptr<Form2> form2_;
  QPointer<Form6> form6_;
  QHash<QLineEdit*, QString> campi_vuoti_;  // the fields marked empty, with their style
};

}  // namespace zellora
