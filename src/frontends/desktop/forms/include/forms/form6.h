// Form6 "Guida": the help popup of the amount rows of the input form. One
// popup at a time; it is centred when it is created and destroyed when it
// is closed, so the next help opens centred again.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "platform/splash.h"

namespace Ui {
class Form6;
}

namespace zellora {

// The help texts of the buttons Command2 ... Command5 of the input form.
inline constexpr std::array<const char*, 4> testi_guida = {
    "INSERIRE L'IMPORTO NETTO O LORDO COME BASE DI CALCOLO ",
    "FRINGE BENEFITS SOGGETTI A CONTRIBUTI E IRPEF : ( esempio : concessione automobile per uso "
    "privato, appartamento gratuito ecc.. )",
    "Es. ritenuta sindacale, addizionale regionale e comunale ecc...",
    "Es. assegno nucleo familiare, rimborso spese, trasferta esente ecc...",
};

// The help of "Figli a carico" and "Altri a carico" under today's law (%1
// is the rule set's name).
inline constexpr const char* testo_guida_figli =
    "FIGLI A CARICO (normativa %1): indicare solo i figli da 21 a 29 anni e i figli disabili "
    "di età superiore a 21 anni. I figli più giovani ricevono l'assegno unico e universale, "
    "fuori dall'IRPEF, e non danno diritto alla detrazione.";
inline constexpr const char* testo_guida_altri =
    "ALTRI FAMILIARI A CARICO (normativa %1): contano solo i genitori e i nonni (ascendenti) "
    "conviventi con il lavoratore.";

class Form6 : public QWidget {
  Q_OBJECT

 public:
  // Creates the popup (hidden) and centres it. It deletes itself when
  // closed.
  explicit Form6(QWidget* parent = nullptr);
  ~Form6() override;

  void imposta_testo(const QString& testo);
  QString testo() const;

  // The popup effect that shows this window.
  Splash& Splash1() { return splash_; }

 public slots:
  // "Chiudi": stops the effect and closes the popup.
  void Command1_Click();

 private:
  std::unique_ptr<Ui::Form6> ui_;
  Splash splash_;
};

}  // namespace zellora
