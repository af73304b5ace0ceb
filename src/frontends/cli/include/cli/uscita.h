// What `zellora-cli` prints: the outcome of a calculation as one JSON object
// or as the two panels of the results window.
#pragma once

#include <string>
#include <string_view>

#include "form/esito.h"
#include "form/motore.h"
#include "form/risultati.h"
#include "rules/calcolo.h"
#include "rules/record.h"

namespace zellora {

std::string_view nome_stato(Stato stato);

// Pieces of the JSON output, shared by one calculation and the batch: a
// string, and the "results" and "record" objects. `a_capo` goes before each
// member (a line break and indent, or nothing for one line) and `dopo` after
// each name's colon. A string is written as valid UTF-8 whatever it holds:
// control characters escaped, bytes that are not UTF-8 as U+FFFD.
struct StileJson {
  std::string_view a_capo;
  std::string_view dopo;
};
void aggiungi_stringa_json(std::string& out, std::string_view testo);
void aggiungi_risultati_json(std::string& out, const Risultati& risultati, StileJson stile);
// The record: its first 36 figures, the 39 of today's law with `attuali`,
// and the two surcharges too with `addizionali`.
void aggiungi_record_json(std::string& out, const RecordCalcolo& record, StileJson stile,
                          bool attuali, bool addizionali);

// One JSON object: status, messages, the 36 figures of the record (39 under
// today's law, 41 with the two surcharges) (in the shortest form that reads
// back to the same double), the results texts by box (21; 24 under today's
// law; 26 with the surcharges) and, for net to gross, the search.
std::string uscita_json(const EsitoCalcolo& esito, const Motore& motore);

// The messages, then the two panels of the results window with their labels.
std::string uscita_testo(const EsitoCalcolo& esito, const Motore& motore, bool mensile);

}  // namespace zellora
