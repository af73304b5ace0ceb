// UTF-8, as every text of the program is: reading one character, checking
// a sequence, writing one character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zellora {

// The character at the start of `s` into `codice`, and the length of its
// sequence (1 for ASCII); 0 when the bytes there are not a valid,
// shortest-form encoding of a Unicode scalar value (a stray continuation
// byte, a cut sequence, a surrogate, a value beyond U+10FFFF). `s` must not
// be empty.
std::size_t sequenza_utf8(std::string_view s, char32_t& codice);

// The length of the sequence that starts at `testo[i]`, or 0, as above.
inline std::size_t sequenza_utf8(std::string_view testo, std::size_t i) {
  char32_t codice = 0;
  return sequenza_utf8(testo.substr(i), codice);
}

// Appends the character `c` (a Unicode scalar value) in UTF-8.
void aggiungi_utf8(std::string& s, char32_t c);

}  // namespace zellora
