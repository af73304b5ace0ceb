// Numbers as the operator types and reads them: conversion of a text to a
// number and the amount format "##,##0.00", both under the user's regional
// settings (decimal sign and grouping sign).
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace zellora {

// The part of the user's regional settings that numbers depend on. The signs
// are UTF-8 texts, so that a grouping sign such as a no-break space fits.
struct Locale {
  std::string decimale = ",";
  std::string migliaia = ".";

  static Locale italiano() { return {",", "."}; }
  bool operator==(const Locale&) const = default;
};

// The settings of a locale name such as "it_IT.UTF-8", "en_US" or "de".
// The neutral "C" and "POSIX" locales (and the empty name) mean Italian.
// Returns nothing for a language this program does not know.
std::optional<Locale> locale_da_nome(std::string_view nome);

// The user's settings from the environment (LC_ALL, LC_NUMERIC, LANG, in the
// usual order of precedence); Italian when they name none or an unknown one.
Locale locale_di_sistema();

// Text to number. Accepts blanks around the number, a leading minus, grouping
// signs between the digits of the integer part and a decimal part. Anything
// else, the empty text, a lone blank and a number beyond the range of a
// double are not a number.
std::optional<double> converti_numero(std::string_view testo, const Locale& locale);

// Int: the largest whole number not above the value (-0.5 gives -1).
inline double Int(double valore) { return std::floor(valore); }

// The amount format F, "##,##0.00": thousands grouped, two decimals, halves
// rounded away from zero after taking the value as a decimal of at most 15
// significant digits. A value that rounds to zero shows as 0,00, never -0,00.
// A value that is not finite cannot be formatted. When `letto` is given it
// receives the number that the text reads back as (the same as converting
// the text again, without the work).
std::optional<std::string> formato_F(double valore, const Locale& locale, double* letto = nullptr);

// The same into an existing text, reusing its storage; false, and the text
// untouched, for a value that cannot be formatted.
bool formato_F_in(double valore, const Locale& locale, std::string& testo, double* letto = nullptr);

// The general number form: no grouping sign, the locale's decimal sign, only
// the decimals the value needs, at most 15 significant digits; very large or
// very small values in exponent form (1,5E+15). Not finite: nothing.
std::optional<std::string> formato_generale(double valore, const Locale& locale);

// A number in the shortest form that reads back to the same double, with '.'
// as decimal sign, for machine-readable output ("30000", "2848.9", "-0").
std::string numero_esatto(double valore);

// The same, appended to `testo`.
void aggiungi_numero_esatto(std::string& testo, double valore);

}  // namespace zellora
