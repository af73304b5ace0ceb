// A calculation request as JSON: one object whose keys are the input form's
// control names, as `zellora-cli` reads it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/campi_form.h"
#include "engine/motore.h"

namespace zellora {

// A request that cannot be taken as it is: an unknown key, a value of the
// wrong kind, an item that its list does not hold.
class ErroreRichiesta : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Richiesta {
  CampiForm1 campi;
  // Profile figures set by name after the sector choice, in request order.
  std::vector<std::pair<std::string, double>> profilo;
};

// Reads the request; missing keys keep the form's initial values.
Richiesta leggi_richiesta(const nlohmann::json& oggetto);

// The sector choice and the profile figures of the request, as the operator
// would make them before pressing the calculate button.
void applica_profilo(Motore& motore, const Richiesta& richiesta);

}  // namespace zellora
