// The checks of a rule set's text before the TOML reader sees it
// (caricamento_testo.cpp), inside the rules library only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zellora {

// What the checks found: the line of the first thing wrong and why.
struct Esame {
  std::size_t riga = 0;  // 0: nothing wrong
  std::string ragione;
};

// The text of a rule set (without its byte order mark) looked over in one
// pass: characters beyond ASCII only in strings and comments and valid UTF-8
// there, and no deeper nesting, longer array or more tables of arrays than
// a rule set may have, so that the TOML reader can neither reach undefined
// behaviour nor overflow its stack.
Esame esamina_testo(std::string_view testo);

}  // namespace zellora
