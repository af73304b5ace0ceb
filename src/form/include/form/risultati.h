// The results window's texts: the figures of the result (rules/cifre.h), each
// in the format F under the user's settings, by box. The rows, their labels
// and their order are those of rules/righe.h.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numbers/numeri.h"
#include "rules/cifre.h"
#include "rules/record.h"
#include "rules/righe.h"

namespace zellora {

class Risultati {
 public:
  // The figures the texts show, in cents.
  CifreRisultato cifre;
  // The rule set's name, and whether it is of today's law: its rows
  // ("Ulteriore detrazione", "Somma esente", "Trattamento integrativo") are
  // shown. Without them (the rules of 2007) the window has the 21 boxes of
  // the original.
  std::string normativa;
  bool righe_attuali = false;
  // The surcharges were asked for: "Addizionale regionale" and "Addizionale
  // comunale" are shown too (under today's law only).
  bool righe_addizionali = false;
  int numero_caselle() const { return caselle_mostrate(righe_attuali, righe_addizionali); }
  // What the operator is told with the figures (LetturaInput::note): how the
  // comune's deliberation was read, and the sector of today an item of an
  // earlier list stands for. The statement repeats them.
  std::vector<std::string> note;

  // The text of the box `TextN`, and of a row of the table.
  std::string_view Text(int n) const {
    const auto k = static_cast<std::size_t>(n - 1);
    return std::string_view(testi_).substr(confini_.at(k), confini_.at(k + 1) - confini_[k]);
  }
  std::string_view testo(std::size_t riga) const { return Text(righe_risultato[riga].casella); }

  // Every box's text from the figures: each box the rule set shows gets the
  // text of its figure, the others are empty.
  void riempi(const CifreRisultato& cifre, const Locale& locale);

  // Sets the text of one box, whatever it holds (for the statement's tests:
  // the window's texts are those of its figures).
  void imposta_testo(int n, std::string_view testo);

  // The same figures, rule set and texts.
  bool operator==(const Risultati& altri) const;

 private:
  // The texts one after the other in one buffer, box n from confini_[n - 1]
  // to confini_[n]: a fill writes them all, backwards from the end of the
  // buffer, without a call per text. The buffer keeps its size.
  std::string testi_;
  std::array<std::size_t, caselle_risultato + 1> confini_{};
};

inline constexpr std::string_view titolo_risultati = "Risultato Calcolo";
inline constexpr std::string_view nota_retribuzione =
    "** se \u00e8 stato effettuato il calcolo mensile, la retribuzione \u00e8 comprensiva dei "
    "ratei di mensilit\u00e0 aggiuntive";

// The text of a figure: an amount in the format F, the bare "0", or nothing.
std::string testo_cifra(const Cifra& cifra, const Locale& locale);

// The fill procedure from the record. `mensile` is the input form's
// "Mensile" option and `mensilita` the text of its "Numero mensilità
// retribuite", as they stand when the window is filled (an unreadable number
// leaves the employer's panel empty in a month). A figure that cannot be
// shown leaves its box empty; an empty or negative net IRPEF shows a bare
// "0". With `righe_attuali` (a rule set of today's law) the rows of today's
// law are filled too.
Risultati riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                           const Locale& locale, bool righe_attuali = false);

// The same into the texts of an existing window.
void riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                      const Locale& locale, Risultati& finestra, bool righe_attuali = false);

// The figures of the record as the window shows them, the number of monthly
// payments read from its text under `locale`.
CifreRisultato cifre_mostrate(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                              const Locale& locale, bool righe_attuali, bool addizionali = false);

}  // namespace zellora
