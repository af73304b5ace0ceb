// Values typed by a user and shown back in a message: quoted, with control
// and invisible format characters and bytes that are not UTF-8 written as
// escapes (so that a value can neither drive the terminal nor turn or hide
// the text around it), and cut to a readable length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/utf8.h"

namespace zellora {

// A character that a message never shows as it is: the control characters
// (C0, DEL, C1), the line and paragraph separators (U+2028, U+2029), the
// marks, embeddings, overrides and isolates that turn the direction of the
// text around them (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to
// U+2069) and the invisible format characters (U+200B to U+200D, U+2060 to
// U+2064, U+FEFF).
constexpr bool carattere_di_controllo(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
         c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

// The longest part of a value shown, in characters.
inline constexpr std::size_t citazione_massima = 60;

// `valore` between double quotes: '"' and '\' as \" and \\, the characters of
// carattere_di_controllo as \n, \t, \r, \u001b or \u202e, a byte that is not
// part of valid UTF-8 as \xNN; past `massimo` characters the rest is dropped and
// "... (N bytes)" says how long the whole value was.
std::string citazione(std::string_view valore, std::size_t massimo = citazione_massima);

// A message of another library that may hold the input it stopped at, raw
// (a TOML reader's, a command line parser's): as it is when it holds only
// printable ASCII and is short, otherwise quoted as a value, escapes and all.
std::string messaggio_esterno(std::string_view testo, std::size_t massimo = 300);

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
