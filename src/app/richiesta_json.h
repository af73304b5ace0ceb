// A calculation request as JSON: one object whose keys are the input form's
// control names, as `zellora-cli` reads it.
#pragma once

#include <nlohmann/json.hpp>

#include "app/richiesta.h"

namespace zellora {

// Reads the request; missing keys keep the form's initial values. Texts are
// JSON strings, options and the check box JSON booleans, and "profile" an
// object of numbers. Throws ErroreRichiesta.
Richiesta leggi_richiesta(const nlohmann::json& oggetto);

}  // namespace zellora
