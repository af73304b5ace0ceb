#include "numbers/conversioni.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include <fmt/compile.h>
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
  // Up to 15 significant digits and a power of ten up to 22 either way, the
  // common case: the digits as a whole number and the power of ten are both
  // exact doubles, so one multiplication or division rounds the value as
  // strtod would.
  {
    std::uint64_t intero = 0;
    int significative = 0;
    int decimali = 0;
    bool dopo_punto = false;
    for (const char* q = mantissa; q < fine_mantissa; ++q) {
      if (*q == '.') {
        dopo_punto = true;
        continue;
      }
      if (dopo_punto) ++decimali;
      if (significative > 0 || *q != '0') {
        if (++significative > 15) break;
        intero = intero * 10 + static_cast<std::uint64_t>(*q - '0');
      }
    }
    int potenza = 0;
    bool esponente_piccolo = true;
    if (p > fine_mantissa) {
      const char* q = fine_mantissa + 1;
      const bool meno = *q == '-';
      if (*q == '-' || *q == '+') ++q;
      for (; q < p && esponente_piccolo; ++q) {
        potenza = potenza * 10 + (*q - '0');
        esponente_piccolo = potenza <= 1000;
      }
      if (meno) potenza = -potenza;
    }
    potenza -= decimali;
    if (significative <= 15 && esponente_piccolo && potenza >= -22 && potenza <= 22) {
      static constexpr double dieci[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
      const auto m = static_cast<double>(intero);
      const double v = potenza < 0 ? m / dieci[-potenza] : m * dieci[potenza];
      valore = negativo ? -v : v;
      return {p, std::errc()};
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

namespace {

// The shortest digits that read back, fixed or scientific whichever is
// shorter, or always fixed.
std::to_chars_result breve(char* inizio, char* fine, double valore, bool solo_fissa) {
  if (!std::isfinite(valore)) return non_finito(inizio, fine, valore);
  if (valore == 0) {
    const std::size_t n = std::signbit(valore) ? 2 : 1;
    if (static_cast<std::size_t>(fine - inizio) < n) return {fine, std::errc::value_too_large};
    return {std::copy_n(std::signbit(valore) ? "-0" : "0", n, inizio), std::errc()};
  }
  // The fewest significant digits that read back to the same double, the
  // nearest of that length: {fmt}'s shortest form ("{}"), read back as a
  // whole number of digits times a power of ten. A whole number below 2^53
  // has its own digits: every such integer is a double, so no fewer digits
  // read back to it.
  const bool negativo = std::signbit(valore);
  constexpr double intero_esatto = 9007199254740992.0;  // 2^53
  const bool intero = std::fabs(valore) < intero_esatto && std::trunc(valore) == valore;
  std::uint64_t significativo = intero ? static_cast<std::uint64_t>(std::fabs(valore)) : 0;
  if (intero && solo_fissa) {
    // In fixed form those digits are the whole text.
    char* p = inizio;
    if (negativo) {
      if (p == fine) return {fine, std::errc::value_too_large};
      *p++ = '-';
    }
    return std::to_chars(p, fine, significativo);
  }
  // The digits, without leading zeros, and the power of ten of the last.
  char cifre[24];
  std::size_t n = 0;
  int esponente = 0;
  if (intero) {
    n = static_cast<std::size_t>(std::to_chars(cifre, cifre + sizeof cifre, significativo).ptr -
                                 cifre);
  } else {
    // "0.0012", "2848.9" or "1.5e-07": at most 17 significant digits.
    char forma[40];
    const char* const fine_forma = fmt::format_to(forma, FMT_COMPILE("{}"), std::fabs(valore));
    const char* q = forma;
    bool dopo_punto = false;
    for (; q < fine_forma && *q != 'e'; ++q) {
      if (*q == '.') {
        dopo_punto = true;
        continue;
      }
      if (dopo_punto) --esponente;
      if (n > 0 || *q != '0') cifre[n++] = *q;
    }
    if (q < fine_forma) {
      int potenza = 0;
      std::from_chars(q + (q[1] == '+' ? 2 : 1), fine_forma, potenza);
      esponente += potenza;
    }
  }
  while (n > 1 && cifre[n - 1] == '0') {
    --n;
    ++esponente;
  }
  // d.ddd x 10^esponente: the point after the first digit.
  esponente += static_cast<int>(n) - 1;
  const std::size_t segno = negativo ? 1 : 0;
  const int assoluto = esponente < 0 ? -esponente : esponente;
  // Scientific, "d.ddde+XX" with at least two digits of exponent, or fixed,
  // the digits with the point where the power of ten puts it: the shorter,
  // fixed when they are as long.
  const std::size_t scientifica = segno + n + (n > 1 ? 1 : 0) + 2 + (assoluto < 100 ? 2 : 3);
  const auto intere = static_cast<std::size_t>(esponente + 1);
  const std::size_t fissa = esponente >= 0
                                ? segno + std::max(n, intere) + (n > intere ? 1 : 0)
                                : segno + 2 + static_cast<std::size_t>(-esponente - 1) + n;
  char testo[400];
  char* p = testo;
  if (negativo) *p++ = '-';
  if (!solo_fissa && fissa > scientifica) {
    *p++ = cifre[0];
    if (n > 1) {
      *p++ = '.';
      p = std::copy(cifre + 1, cifre + n, p);
    }
    *p++ = 'e';
    *p++ = esponente < 0 ? '-' : '+';
    if (assoluto < 10) *p++ = '0';
    p = std::to_chars(p, testo + sizeof testo, assoluto).ptr;
  } else if (esponente < 0) {
    *p++ = '0';
    *p++ = '.';
    p = std::fill_n(p, -esponente - 1, '0');
    p = std::copy(cifre, cifre + n, p);
  } else if (n > intere) {
    p = std::copy(cifre, cifre + intere, p);
    *p++ = '.';
    p = std::copy(cifre + intere, cifre + n, p);
  } else {
    // A whole number: every text of this length is as short, and the
    // nearest is the double's own digits (beyond 2^53 they are not the
    // shortest digits followed by zeros); up to 309 of them in fixed form.
    p = intero ? std::to_chars(p, testo + sizeof testo, significativo).ptr
               : stampa(p, testo + sizeof testo, "%.*f", 0, std::fabs(valore)).ptr;
  }
  if (p - testo > fine - inizio) return {fine, std::errc::value_too_large};
  return {std::copy(testo, p, inizio), std::errc()};
}

}  // namespace

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore) {
  return breve(inizio, fine, valore, false);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato) {
  return breve(inizio, fine, valore, formato == std::chars_format::fixed);
}

}  // namespace portabile

// The standard library's own where it has them for doubles (the feature
// macro of <charconv>), the portable way otherwise.
#if defined(__cpp_lib_to_chars)

std::from_chars_result leggi_double(const char* inizio, const char* fine, double& valore) {
  return std::from_chars(inizio, fine, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore) {
  return std::to_chars(inizio, fine, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato) {
  return formato == std::chars_format::fixed ? std::to_chars(inizio, fine, valore, formato)
                                             : std::to_chars(inizio, fine, valore);
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
                                   std::chars_format formato) {
  return portabile::scrivi_double(inizio, fine, valore, formato);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato, int cifre) {
  return portabile::scrivi_double(inizio, fine, valore, formato, cifre);
}

#endif

}  // namespace zellora
