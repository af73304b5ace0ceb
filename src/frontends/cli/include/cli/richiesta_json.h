// A calculation request as JSON: one object whose keys are the input form's
// control names, as `zellora-cli` reads it.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "cli/richiesta.h"

namespace zellora {

// Reads the request under the rule set its "Combo4" names among `normative`
// (the built-in ones when none are given; "2007" when it names none), or
// under `fissate` when that is given (--rules FILE); missing keys keep the form's
// initial values. Texts are JSON strings, options and the check box JSON booleans, and "profile" an
// object of numbers. Throws ErroreRichiesta.
Richiesta leggi_richiesta(const nlohmann::json& oggetto, const RegoleCalcolo* fissate = nullptr,
                          const ElencoNormative* normative = nullptr);

// Reads the request from its JSON text. A key given twice in one object is
// refused (ErroreRichiesta) rather than one of its values silently kept;
// text that is not JSON throws the JSON reader's exception.
Richiesta leggi_richiesta_json(std::string_view testo, const RegoleCalcolo* fissate = nullptr,
                               const ElencoNormative* normative = nullptr);

// The message of a JSON reading error, fit to be shown: the piece of input
// it quotes is escaped and cut as every value shown back is.
std::string messaggio_json(const nlohmann::json::exception& errore);

// The whole message of a request that is not JSON: "invalid JSON: " and the
// reader's message; in Italian, where the reader stopped, without the
// reader's English words.
std::string json_non_valido(const nlohmann::json::exception& errore, Lingua lingua);

}  // namespace zellora
