// The outcome of the calculate command as the operator sees it: how the
// calculation ended, and what the operator is told.
#pragma once

#include <string>
#include <vector>

#include "numbers/numeri.h"
#include "rules/calcolo.h"
#include "rules/caricamento.h"
#include "rules/record.h"

namespace zellora {

struct EsitoCalcolo {
  Stato stato = Stato::ok;
  bool campi_vuoti = false;  // refused by the empty-field warning
  std::vector<std::string> messaggi;
  bool ricerca_svolta = false;
  EsitoRicerca ricerca;
};

// The annual and the monthly calculation under the rule set `regole` (the
// built-in "2007" unless another is given), with the messages
// of their refusals and of a search that ends without the net wanted;
// `locale` formats the figures of the messages. The record is written only
// when the calculation completes.
EsitoCalcolo calcola_irpef_annua(RecordCalcolo& record, const InputCalcolo& input,
                                 const Locale& locale,
                                 const RegoleCalcolo& regole = regole_predefinite());
EsitoCalcolo calcola_mensile(RecordCalcolo& record, const InputCalcolo& input, const Locale& locale,
                             const RegoleCalcolo& regole = regole_predefinite());

// The words for a calculation that the rules have done.
EsitoCalcolo esito_per_operatore(const CalcoloSvolto& svolto, const Locale& locale);

}  // namespace zellora
