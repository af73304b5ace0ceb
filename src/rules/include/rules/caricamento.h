// Reading a rule set from its TOML text, and the rule sets built into the
// programs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/errore.h"
#include "rules/regole.h"

namespace zellora {

// The rule set written in `testo`; `file` names it in the errors. Every
// figure must be there with the right type and a legal reference, bands must
// grow, rates and amounts must not be negative, and no key may be unknown;
// otherwise throws Eccezione with `dove` = "file: key" and the reason. No
// other exception leaves this function.
RegoleCalcolo carica_regole(std::string_view testo, std::string_view file);

// The names of the built-in rule sets, "2007" first.
std::vector<std::string_view> nomi_regole_incluse();

// The built-in rule set `nome`, read on first use and kept (safe from any
// thread). Throws Eccezione for a name that is not built in.
const RegoleCalcolo& regole_incluse(std::string_view nome);

// The rule set of the calculation when none is chosen: "2007".
const RegoleCalcolo& regole_predefinite();

// The TOML text of the built-in rule set `nome`, as in its file. Throws
// Eccezione for a name that is not built in.
std::string_view testo_regole_incluse(std::string_view nome);

}  // namespace zellora
