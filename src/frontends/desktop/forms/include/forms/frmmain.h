// frmMain: the entry window, a borderless white page with the program's
// picture, four lines about it and "Entra", which opens the input form. It
// stays behind the input form until the program ends.
#pragma once

#include <QWidget>
#include <memory>

#include "forms/contesto.h"

namespace Ui {
class frmMain;
}

namespace zellora {

class Form1;

class frmMain : public QWidget {
  Q_OBJECT

 public:
  explicit frmMain(Contesto contesto, QWidget* parent = nullptr);
  ~frmMain() override;

  // The input form, nullptr before the first "Entra".
  Form1* form1() const { return form1_.get(); }

 signals:
  // Every window of the program is closed: the program ends.
  void terminato();

 public slots:
  // "Entra": creates the input form the first time, then shows it in front.
  void Command1_Click();

 protected:
  void closeEvent(QCloseEvent* evento) override;

 private:
  void termina();

  std::unique_ptr<Ui::frmMain> ui_;
  Contesto contesto_;
  std::unique_ptr<Form1> form1_;
  bool terminando_ = false;
};

}  // namespace zellora
