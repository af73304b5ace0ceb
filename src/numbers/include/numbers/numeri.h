// Numbers as the operator types and reads them: conversion of a text to a
// number and the amount format "##,##0.00", both under the user's regional
// settings (decimal sign and grouping sign).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zellora {

// The part of the user's regional settings that numbers depend on. The signs
// are UTF-8 texts, so that a grouping sign such as a narrow no-break space
// fits. An empty grouping sign: numbers are neither read nor written grouped.
struct Locale {
  std::string decimale = ",";
  std::string migliaia = ".";

  static Locale italiano() { return {",", "."}; }
  bool operator==(const Locale&) const = default;
};

// The settings of a locale name such as "it_IT.UTF-8", "es_US" or
// "fr_FR@euro", as the system's C library defines them (its decimal point
// and thousands separator; none where the locale does not group digits).
// The neutral "C" and "POSIX" locales (also "C.UTF-8") and the empty name mean
// Italian. A name without a character set that the system does not have is
// tried as NAME.UTF-8 as well: the signs are the same in every character set.
// Returns nothing for a locale that is not installed (or does not exist).
std::optional<Locale> locale_da_nome(std::string_view nome);

// The user's settings as the environment names them.
struct LocaleAmbiente {
  // The settings; Italian when no variable names a locale, and when the
  // locale named is not installed.
  Locale locale = Locale::italiano();
  // The variable that names the locale ("LC_ALL", "LC_NUMERIC" or "LANG",
  // the first one set in that order) and its value; empty when none is set.
  std::string variabile;
  std::string nome;
  // False when the system does not have the locale named: `locale` is
  // Italian in its place, and the user should be told.
  bool installato = true;
};

LocaleAmbiente locale_di_sistema();

// Text to number. Accepts blanks (spaces, tabs) around the number, one
// leading minus or plus sign right before the digits, an integer part of
// plain digits or grouped in threes by the grouping sign ("1.234.567": one to
// three digits before the first sign, not starting with 0, three after each),
// and a decimal part after the decimal sign. Only the locale's own grouping
// sign groups: under a locale that groups with a no-break space a plain space
// is not a grouping sign. Anything else ("1.2", "1500.50" under Italian,
// "+-5", "1 234"), the empty text, a lone blank and a number beyond the range
// of a double are not a number.
namespace dettaglio {
std::optional<double> converti_numero_completo(std::string_view testo, const Locale& locale);
}
inline std::optional<double> converti_numero(std::string_view testo, const Locale& locale) {
  // Plain digits, the usual case, without a call: whole numbers of up to 16
  // digits are exact as integers.
  if (!testo.empty() && testo.size() <= 16) {
    std::int64_t intero = 0;
    std::size_t k = 0;
    while (k < testo.size() && testo[k] >= '0' && testo[k] <= '9') {
      intero = intero * 10 + (testo[k++] - '0');
    }
    if (k == testo.size()) return static_cast<double>(intero);
  }
  return dettaglio::converti_numero_completo(testo, locale);
}

// Int: the largest whole number not above the value (-0.5 gives -1).
inline double Int(double valore) { return std::floor(valore); }

// The amount rule of the format F: the whole cents a value shows as. The
// value is taken as a decimal of at most 15 significant digits (the nearest
// one; an exact tie to the even digit), then rounded to the cent, halves away
// from zero (2.675 shows 268 cents, -0.125 shows -13). Worked out exactly in
// integers, without writing the decimal out. Nothing for a value that is not
// finite, or whose cents do not fit in 64 bits (`centesimi_massimi` euro or
// more).
inline constexpr double centesimi_massimi = 9e16;
std::optional<std::int64_t> centesimi_F(double valore);

namespace dettaglio {
// 100 times `assoluto` (from 0.001 to 1e12) exactly, as the whole cents below
// the double product and what is left, a fraction of a cent a hair outside
// [0, 1) when the product falls on a whole number of cents. Dekker's
// two-product: the value is split in halves of 26 bits, each times 100 is
// exact, so the product and its error add up to the exact value.
struct Cento {
  double intero;
  double frazione;
};
inline Cento cento_volte(double assoluto) {
  const double alto = assoluto * 100;
  const double t = 134217729.0 * assoluto;
  const double testa = t - (t - assoluto);
  const double coda = assoluto - testa;
  const double basso = (testa * 100 - alto) + coda * 100;
  // Positive and below 1e14: the conversion truncates, which is the floor.
  const auto intero = static_cast<double>(static_cast<std::int64_t>(alto));
  return {intero, (alto - intero) + basso};
}
}  // namespace dettaglio

// The same for a value from 0.001 to 1e12 not close to a half cent, the
// common case, without a call: false where `centesimi_F` must decide. The
// one fast path of the rule: `centesimi_F` takes it first.
inline bool centesimi_F_rapidi(double valore, std::int64_t& centesimi) {
  const double assoluto = std::fabs(valore);
  if (assoluto < 1e-3) {
    centesimi = 0;
    return true;
  }
  if (!(assoluto < 1e12)) return false;  // also not a number
  const auto [intero, frazione] = dettaglio::cento_volte(assoluto);
  // Below the half cent by more than the 15-digit decimal can move the value
  // (at most 0.05 cents below 1e12 euro), or at or above it: decided.
  if (!(frazione >= 0 && frazione < 1) || (frazione >= 0.44 && frazione < 0.5)) return false;
  const auto c = static_cast<std::int64_t>(intero) + (frazione >= 0.5 ? 1 : 0);
  centesimi = valore < 0 ? -c : c;
  return true;
}

// The number that the text of the format F of a value reads back as: its
// cents over 100 (the shown decimal as a double), for every finite value.
// Nothing for a value that is not finite.
std::optional<double> valore_F(double valore);

// The amount format F, "##,##0.00": thousands grouped, two decimals, the
// cents of `centesimi_F`. A value that rounds to zero shows as 0,00, never
// -0,00. A value that is not finite cannot be formatted. When `letto` is
// given it receives the number that the text reads back as (`valore_F`).
std::optional<std::string> formato_F(double valore, const Locale& locale, double* letto = nullptr);

// The same into an existing text, reusing its storage; false, and the text
// untouched, for a value that cannot be formatted.
bool formato_F_in(double valore, const Locale& locale, std::string& testo, double* letto = nullptr);

// The format F of a whole number of cents (123456 shows 1.234,56).
std::string formato_F_centesimi(std::int64_t centesimi, const Locale& locale);
// The same into an existing text, reusing its storage, and appended to a text.
void formato_F_centesimi_in(std::int64_t centesimi, const Locale& locale, std::string& testo);
void aggiungi_F_centesimi(std::string& testo, std::int64_t centesimi, const Locale& locale);

// The most bytes the format F of any number of cents takes under `locale`.
inline std::size_t spazio_F_centesimi(const Locale& locale) {
  return 19 + 6 * locale.migliaia.size() + locale.decimale.size() + 1;
}
// The same written backwards into memory of one's own: the text ends just
// before `fine`, which must have `spazio_F_centesimi(locale)` bytes before
// it; returns where the text starts. For many texts in one buffer.
char* scrivi_F_centesimi(char* fine, std::int64_t centesimi, const Locale& locale);

// The general number form: no grouping sign, the locale's decimal sign, only
// the decimals the value needs, at most 15 significant digits; very large or
// very small values in exponent form (1,5E+15). Not finite: nothing.
std::optional<std::string> formato_generale(double valore, const Locale& locale);

// A number in the shortest form that reads back to the same double, with '.'
// as decimal sign, for machine-readable output ("30000", "2848.9", "-0").
std::string numero_esatto(double valore);

// The same, appended to `testo`.
void aggiungi_numero_esatto(std::string& testo, double valore);

// The same digits in plain decimal form, never in exponent form ("100000",
// not "1e+05"; "0.0000001", not "1e-07"), for CSV read by people and by
// tools that do not take exponents: the shortest decimal text that reads
// back to the same double. Not finite: nothing is appended.
void aggiungi_numero_decimale(std::string& testo, double valore);
// The same written at `p`, which has room for spazio_numero_decimale
// characters; returns the end of what was written.
inline constexpr std::size_t spazio_numero_decimale = 400;
char* scrivi_numero_decimale(char* p, double valore);

// The text with the ASCII letters A-Z in lower case and every other byte as
// it is: names, keys and extensions compared whatever the locale.
std::string minuscolo(std::string_view testo);

}  // namespace zellora
