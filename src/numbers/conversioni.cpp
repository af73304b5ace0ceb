#include "numbers/conversioni.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include <fmt/format.h>

namespace zellora {

namespace portabile {

namespace {

// The decimal sign that strtod and snprintf use under the C library's
// current locale ("." unless a program set another).
std::string_view segno_decimale() {
  const std::lconv* c = std::localeconv();
  return c != nullptr && c->decimal_point != nullptr && c->decimal_point[0] != '\0'
             ? std::string_view(c->decimal_point)
             : std::string_view(".");
}

bool cifra(char c) { return c >= '0' && c <= '9'; }

char minuscola(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when [p, fine) starts with `parola`, letters in either case.
bool inizia_con(const char* p, const char* fine, std::string_view parola) {
  if (static_cast<std::size_t>(fine - p) < parola.size()) return false;
  for (std::size_t i = 0; i < parola.size(); ++i) {
    if (minuscola(p[i]) != parola[i]) return false;
  }
  return true;
}

// The text printed by snprintf with the locale's decimal sign made '.'.
std::to_chars_result copia(char* inizio, char* fine, const char* testo, std::size_t n) {
  const std::string_view segno = segno_decimale();
  char* p = inizio;
  for (std::size_t i = 0; i < n;) {
    if (segno != "." && std::string_view(testo + i, n - i).substr(0, segno.size()) == segno) {
      if (p == fine) return {fine, std::errc::value_too_large};
      *p++ = '.';
      i += segno.size();
      continue;
    }
    if (p == fine) return {fine, std::errc::value_too_large};
    *p++ = testo[i++];
  }
  return {p, std::errc()};
}

std::to_chars_result non_finito(char* inizio, char* fine, double valore) {
  const char* testo =
      std::isnan(valore) ? (std::signbit(valore) ? "-nan" : "nan") : (valore < 0 ? "-inf" : "inf");
  return copia(inizio, fine, testo, std::strlen(testo));
}

// snprintf of one double with one precision, the locale's decimal sign
// made '.'.
std::to_chars_result stampa(char* inizio, char* fine, const char* formato, int cifre,
                            double valore) {
  char piccolo[64];
  const int n = std::snprintf(piccolo, sizeof piccolo, formato, cifre, valore);
  if (n < 0) return {fine, std::errc::value_too_large};
  if (static_cast<std::size_t>(n) < sizeof piccolo) {
    return copia(inizio, fine, piccolo, static_cast<std::size_t>(n));
  }
  std::string grande(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(grande.data(), grande.size(), formato, cifre, valore);
  return copia(inizio, fine, grande.data(), static_cast<std::size_t>(n));
}

}  // namespace

std::from_chars_result leggi_double(const char* inizio, const char* fine, double& valore) {
  const char* p = inizio;
  const bool negativo = p < fine && *p == '-';
  if (negativo) ++p;
  // "inf", "infinity", "nan" and "nan(...)", in either case.
  if (inizia_con(p, fine, "inf")) {
    p += inizia_con(p, fine, "infinity") ? 8 : 3;
    valore = negativo ? -HUGE_VAL : HUGE_VAL;
    return {p, std::errc()};
  }
  if (inizia_con(p, fine, "nan")) {
    p += 3;
    if (p < fine && *p == '(') {
      const char* q = p + 1;
      while (q < fine && (cifra(*q) || (minuscola(*q) >= 'a' && minuscola(*q) <= 'z') || *q == '_'))
        ++q;
      if (q < fine && *q == ')') p = q + 1;
    }
    valore = negativo ? -std::nan("") : std::nan("");
    return {p, std::errc()};
  }
  // Digits, a point, digits (at least one digit in all), then an exponent
  // when digits follow its sign.
  const char* mantissa = p;
  std::size_t cifre = 0;
  while (p < fine && cifra(*p)) ++p, ++cifre;
  if (p < fine && *p == '.') {
    ++p;
    while (p < fine && cifra(*p)) ++p, ++cifre;
  }
  if (cifre == 0) return {inizio, std::errc::invalid_argument};
  const char* fine_mantissa = p;
  if (p < fine && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (q < fine && (*q == '+' || *q == '-')) ++q;
    if (q < fine && cifra(*q)) {
      while (q < fine && cifra(*q)) ++q;
      p = q;
    }
  }
  // strtod reads the locale's decimal sign, from a text that ends.
  const std::string_view segno = segno_decimale();
  char piccolo[128];
  std::string grande;
  const std::size_t serve = static_cast<std::size_t>(p - inizio) + segno.size() + 1;
  char* testo = piccolo;
  if (serve > sizeof piccolo) {
    grande.resize(serve);
    testo = grande.data();
  }
  char* t = testo;
  if (negativo) *t++ = '-';
  for (const char* q = mantissa; q < p; ++q) {
    if (*q == '.' && q < fine_mantissa) {
      t = std::copy(segno.begin(), segno.end(), t);
    } else {
      *t++ = *q;
    }
  }
  *t = '\0';
  errno = 0;
  const double v = std::strtod(testo, nullptr);
  const bool fuori_scala = errno == ERANGE;
  if (fuori_scala && (std::isinf(v) || v == 0)) return {p, std::errc::result_out_of_range};
  valore = v;
  return {p, std::errc()};
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato, int cifre) {
  if (!std::isfinite(valore)) return non_finito(inizio, fine, valore);
  return stampa(inizio, fine, formato == std::chars_format::fixed ? "%.*f" : "%.*e", cifre, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore) {
  if (!std::isfinite(valore)) return non_finito(inizio, fine, valore);
  if (valore == 0) {
    return copia(inizio, fine, std::signbit(valore) ? "-0" : "0", std::signbit(valore) ? 2 : 1);
  }
  // The fewest significant digits that read back to the same double, the
  // nearest of that length, as {fmt} finds them for its shortest form (its
  // Dragonbox: a whole number of digits times a power of ten).
  const bool negativo = std::signbit(valore);
  const auto decimale = fmt::detail::dragonbox::to_decimal(std::fabs(valore));
  std::string cifre = std::to_string(decimale.significand);
  int esponente = decimale.exponent;
  while (cifre.size() > 1 && cifre.back() == '0') {
    cifre.pop_back();
    ++esponente;
  }
  // d.ddd x 10^esponente: the point after the first digit.
  esponente += static_cast<int>(cifre.size()) - 1;
  // Scientific: "d.ddde+XX", the exponent with at least two digits.
  std::string testo = negativo ? "-" : "";
  testo += cifre[0];
  if (cifre.size() > 1) {
    testo += '.';
    testo += cifre.substr(1);
  }
  testo += esponente < 0 ? "e-" : "e+";
  const int assoluto = esponente < 0 ? -esponente : esponente;
  if (assoluto < 10) testo += '0';
  testo += std::to_string(assoluto);
  // Fixed, the digits with the point where the power of ten puts it, when
  // it is not longer.
  const std::size_t segno = negativo ? 1 : 0;
  if (esponente >= 0) {
    const auto intere = static_cast<std::size_t>(esponente) + 1;
    if (cifre.size() <= intere) {
      if (segno + intere <= testo.size()) {
        // A whole number: every text of this length is as short, and the
        // nearest is the double's own digits (beyond 2^53 they are not the
        // shortest digits followed by zeros).
        char intero[40];
        const auto r = stampa(intero, intero + sizeof intero, "%.*f", 0, valore);
        testo.assign(intero, r.ptr);
      }
    } else if (segno + cifre.size() + 1 <= testo.size()) {
      testo.erase(segno);
      testo += cifre.substr(0, intere);
      testo += '.';
      testo += cifre.substr(intere);
    }
  } else if (segno + 2 + static_cast<std::size_t>(-esponente - 1) + cifre.size() <= testo.size()) {
    testo.erase(segno);
    testo += "0.";
    testo.append(static_cast<std::size_t>(-esponente - 1), '0');
    testo += cifre;
  }
  if (testo.size() > static_cast<std::size_t>(fine - inizio)) {
    return {fine, std::errc::value_too_large};
  }
  std::memcpy(inizio, testo.data(), testo.size());
  return {inizio + testo.size(), std::errc()};
}

}  // namespace portabile

// The standard library's own where it has them for doubles (the feature
// macro of <charconv>), the C library's otherwise.
#if defined(__cpp_lib_to_chars)

std::from_chars_result leggi_double(const char* inizio, const char* fine, double& valore) {
  return std::from_chars(inizio, fine, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore) {
  return std::to_chars(inizio, fine, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato, int cifre) {
  return std::to_chars(inizio, fine, valore, formato, cifre);
}

#else

std::from_chars_result leggi_double(const char* inizio, const char* fine, double& valore) {
  return portabile::leggi_double(inizio, fine, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore) {
  return portabile::scrivi_double(inizio, fine, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato, int cifre) {
  return portabile::scrivi_double(inizio, fine, valore, formato, cifre);
}

#endif

}  // namespace zellora
