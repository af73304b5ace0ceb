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

namespace zellora {

namespace libreria_c {

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

// snprintf of one double with one precision into `buf` (large enough for
// any "%.*e" up to 17 digits and any "%.*f" of a finite double).
int stampa(std::string& buf, const char* formato, int cifre, double valore) {
  const int n = std::snprintf(nullptr, 0, formato, cifre, valore);
  buf.resize(static_cast<std::size_t>(n) + 1);
  std::snprintf(buf.data(), buf.size(), formato, cifre, valore);
  buf.resize(static_cast<std::size_t>(n));
  return n;
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
  // strtod reads the locale's decimal sign.
  const std::string_view segno = segno_decimale();
  std::string testo;
  testo.reserve(static_cast<std::size_t>(p - inizio) + segno.size());
  if (negativo) testo += '-';
  for (const char* q = mantissa; q < p; ++q) {
    if (*q == '.' && q < fine_mantissa) {
      testo += segno;
    } else {
      testo += *q;
    }
  }
  errno = 0;
  char* letto = nullptr;
  const double v = std::strtod(testo.c_str(), &letto);
  const bool fuori_scala = errno == ERANGE;
  if (fuori_scala && (std::isinf(v) || v == 0)) return {p, std::errc::result_out_of_range};
  valore = v;
  return {p, std::errc()};
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato, int cifre) {
  if (!std::isfinite(valore)) return non_finito(inizio, fine, valore);
  std::string buf;
  const int n = stampa(buf, formato == std::chars_format::fixed ? "%.*f" : "%.*e", cifre, valore);
  return copia(inizio, fine, buf.data(), static_cast<std::size_t>(n));
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore) {
  if (!std::isfinite(valore)) return non_finito(inizio, fine, valore);
  if (valore == 0)
    return copia(inizio, fine, std::signbit(valore) ? "-0" : "0", std::signbit(valore) ? 2 : 1);
  // The fewest significant digits that read back to the same double: printf
  // rounds correctly, so the first length that reads back is the shortest,
  // and its digits the nearest of that length.
  std::string buf;
  char letto[40];
  std::size_t lunghezza = 0;
  for (int precisione = 0; precisione <= 16; ++precisione) {
    stampa(buf, "%.*e", precisione, valore);
    const auto r = copia(letto, letto + sizeof letto, buf.data(), buf.size());
    lunghezza = static_cast<std::size_t>(r.ptr - letto);
    double indietro = 0;
    leggi_double(letto, r.ptr, indietro);
    if (indietro == valore) break;
  }
  // "-d.ddde+XX": the sign, the digits and the power of ten.
  const std::string_view sci(letto, lunghezza);
  const bool negativo = sci[0] == '-';
  const std::size_t e = sci.find('e');
  std::string cifre;
  for (std::size_t i = negativo ? 1 : 0; i < e; ++i) {
    if (sci[i] != '.') cifre += sci[i];
  }
  const int esponente = std::atoi(std::string(sci.substr(e + 1)).c_str());
  // Fixed: the digits with the point where the power of ten puts it.
  std::string fissa = negativo ? "-" : "";
  if (esponente >= 0) {
    const auto intere = static_cast<std::size_t>(esponente) + 1;
    if (cifre.size() <= intere) {
      // A whole number: every text of this length is as short, and the
      // nearest is the double's own digits (beyond 2^53 they are not the
      // shortest digits followed by zeros).
      stampa(buf, "%.*f", 0, valore);
      fissa = buf;
    } else {
      fissa += cifre.substr(0, intere);
      fissa += '.';
      fissa += cifre.substr(intere);
    }
  } else {
    fissa += "0.";
    fissa.append(static_cast<std::size_t>(-esponente - 1), '0');
    fissa += cifre;
  }
  // Scientific: "d.ddde+XX", the exponent with at least two digits.
  std::string scientifica = negativo ? "-" : "";
  scientifica += cifre[0];
  if (cifre.size() > 1) {
    scientifica += '.';
    scientifica += cifre.substr(1);
  }
  scientifica += esponente < 0 ? "e-" : "e+";
  const int assoluto = esponente < 0 ? -esponente : esponente;
  if (assoluto < 10) scientifica += '0';
  scientifica += std::to_string(assoluto);
  const std::string& scelta = fissa.size() <= scientifica.size() ? fissa : scientifica;
  if (scelta.size() > static_cast<std::size_t>(fine - inizio)) {
    return {fine, std::errc::value_too_large};
  }
  std::memcpy(inizio, scelta.data(), scelta.size());
  return {inizio + scelta.size(), std::errc()};
}

}  // namespace libreria_c

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
  return libreria_c::leggi_double(inizio, fine, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore) {
  return libreria_c::scrivi_double(inizio, fine, valore);
}

std::to_chars_result scrivi_double(char* inizio, char* fine, double valore,
                                   std::chars_format formato, int cifre) {
  return libreria_c::scrivi_double(inizio, fine, valore, formato, cifre);
}

#endif

}  // namespace zellora
