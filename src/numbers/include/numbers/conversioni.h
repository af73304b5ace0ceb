// Doubles to and from text with '.' as the decimal sign, whatever the locale:
// what std::from_chars and std::to_chars do for a double, and std::from_chars
// and std::to_chars themselves where the standard library has them for
// doubles. Where it has not (the WebAssembly build of the page), the same
// results the portable way: the shortest digits from {fmt}'s shortest form,
// reading and a given number of digits from the C library's strtod and
// snprintf, which read and write correctly rounded.
#pragma once

#include <charconv>

namespace zellora {

// As std::from_chars(inizio, fine, valore): a number in the general format
// ("-12.5", "1e-7", "inf"); a value beyond the range of a double, or one so
// small that it reads as zero, is std::errc::result_out_of_range and leaves
// `valore` as it was.
std::from_chars_result leggi_double(const char* inizio, const char* fine, double& valore);

// As std::to_chars(inizio, fine, valore): the shortest text that reads back
// to the same double, fixed or scientific whichever is shorter (fixed when
// they are as long).
std::to_chars_result scrivi_double(char* inizio, char* fine, double valore);

// As std::to_chars(inizio, fine, valore, formato) with
// std::chars_format::fixed: the shortest digits that read back, in fixed
// form ("0.000012", "1e+22" as its 23 digits); any other format as the
// shortest form above.
std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato);

// As std::to_chars(inizio, fine, valore, formato, cifre) with
// std::chars_format::scientific or std::chars_format::fixed.
std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato, int cifre);

// The same without std::to_chars and std::from_chars, whatever the standard
// library has: the build without them for doubles uses these, and the tests
// check them against the standard library where it has both.
namespace portabile {
std::from_chars_result leggi_double(const char* inizio, const char* fine, double& valore);
std::to_chars_result scrivi_double(char* inizio, char* fine, double valore);
std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato);
std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato, int cifre);
}  // namespace portabile

}  // namespace zellora
