// A rule set as a readable table: every figure with its value as written in
// the file and its legal reference, the figures not updated marked. The
// figures' decimal point is `decimale` (the command line's ".", the page's
// ",").
#pragma once

#include <string>
#include <string_view>

#include "rules/regole.h"

namespace zellora {

std::string tabella_regole(const RegoleCalcolo& regole, std::string_view decimale = ".");

}  // namespace zellora
