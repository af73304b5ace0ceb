// What `zellora-cli` prints: the outcome of a calculation as one JSON object
// or as the two panels of the results window.
#pragma once

#include <string>

#include "engine/calcolo.h"
#include "engine/motore.h"

namespace zellora {

std::string nome_stato(Stato stato);

// One JSON object: status, messages, the 36 figures of the record (in the
// shortest form that reads back to the same double), the 21 results texts
// and, for net to gross, the search.
std::string uscita_json(const EsitoCalcolo& esito, const Motore& motore);

// The messages, then the two panels of the results window with their labels.
std::string uscita_testo(const EsitoCalcolo& esito, const Motore& motore, bool mensile);

}  // namespace zellora
