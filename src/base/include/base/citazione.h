// Values typed by a user and shown back in a message: quoted, with control
// characters and bytes that are not UTF-8 written as escapes (so that a value
// cannot drive the terminal), and cut to a readable length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/utf8.h"

namespace zellora {

// The longest part of a value shown, in characters.
inline constexpr std::size_t citazione_massima = 60;

// `valore` between double quotes: '"' and '\' as \" and \\, control
// characters as \n, \t, \r or \u001b, a byte that is not part of valid UTF-8
// as \xNN; past `massimo` characters the rest is dropped and
// "... (N bytes)" says how long the whole value was.
std::string citazione(std::string_view valore, std::size_t massimo = citazione_massima);

// A file name in a message is shown whole (up to the longest path a system
// takes), so that the user can find the file it names.
inline constexpr std::size_t citazione_percorso = 4096;
inline std::string citazione_file(std::string_view percorso) {
  return citazione(percorso, citazione_percorso);
}

// Appends `testo` with every byte that is not part of valid UTF-8 replaced
// by U+FFFD, one replacement character per such byte; valid text is copied
// as it is.
void aggiungi_utf8_valido(std::string& out, std::string_view testo);

}  // namespace zellora
