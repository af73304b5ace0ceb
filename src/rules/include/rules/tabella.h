// A rule set as a readable table: every figure with its value as written in
// the file and its legal reference, the figures not updated marked.
#pragma once

#include <string>

#include "rules/regole.h"

namespace zellora {

std::string tabella_regole(const RegoleCalcolo& regole);

}  // namespace zellora
