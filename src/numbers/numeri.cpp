#include "numbers/numeri.h"
#include "base/utf8.h"
#include "numbers/conversioni.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <locale>
#include <system_error>

namespace zellora {

namespace {

bool e_cifra(char c) { return c >= '0' && c <= '9'; }
bool e_spazio(char c) { return c == ' ' || c == '\t'; }

bool inizia_con(std::string_view testo, std::size_t pos, std::string_view segno) {
  return !segno.empty() && testo.substr(pos, segno.size()) == segno;
}

// A buffer that stays on the stack for ordinary numbers.
class Cifre {
 public:
  void aggiungi(char c) {
    if (n_ < piccolo_.size()) {
      piccolo_[n_++] = c;
      return;
    }
    if (grande_.empty()) grande_.assign(piccolo_.data(), n_);
    grande_.push_back(c);
    ++n_;
  }
  const char* inizio() const { return grande_.empty() ? piccolo_.data() : grande_.data(); }
  const char* fine() const { return inizio() + n_; }

 private:
  std::array<char, 64> piccolo_{};
  std::string grande_;
  std::size_t n_ = 0;
};

}  // namespace

namespace {

// The neutral locales, which mean Italian: "C", "POSIX", "C.UTF-8" and the
// empty name.
bool locale_neutro(std::string_view nome) {
  const std::string n = minuscolo(nome);
  return n.empty() || n == "c" || n == "posix" || n.rfind("c.", 0) == 0;
}

// One character as UTF-8; nothing for the null character.
std::string utf8(wchar_t carattere) {
  const auto c = static_cast<std::uint32_t>(carattere);
  std::string s;
  if (c == 0 || c > 0x10FFFF) return s;
  aggiungi_utf8(s, c);
  return s;
}

// A sign that cannot stand between the digits of a number.
bool segno_inservibile(std::string_view segno) {
  return segno.empty() || e_cifra(segno[0]) || segno[0] == '-' || segno[0] == '+';
}

// The signs of a locale the system has; nothing when it has none by that name.
std::optional<Locale> segni_del_sistema(const std::string& nome) {
  std::locale sistema;
  try {
    sistema = std::locale(nome);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  // The wide facet: its signs are characters, whatever the locale's
  // character set (a narrow one cannot hold U+202F in ISO-8859-1).
  const auto& segni = std::use_facet<std::numpunct<wchar_t>>(sistema);
  Locale locale;
  locale.decimale = utf8(segni.decimal_point());
  if (segno_inservibile(locale.decimale)) return std::nullopt;
  const std::string gruppi = segni.grouping();
  const bool raggruppa = !gruppi.empty() && gruppi[0] > 0 && gruppi[0] != CHAR_MAX;
  locale.migliaia = raggruppa ? utf8(segni.thousands_sep()) : std::string();
  if (segno_inservibile(locale.migliaia) || locale.migliaia == locale.decimale) {
    locale.migliaia.clear();
  }
  return locale;
}

}  // namespace

std::optional<Locale> locale_da_nome(std::string_view nome) {
  if (locale_neutro(nome)) return Locale::italiano();
  const std::string n(nome);
  if (auto locale = segni_del_sistema(n)) return locale;
  // "en_US" where only "en_US.UTF-8" is installed: the same signs.
  if (n.find('.') == std::string::npos) {
    const std::size_t chiocciola = std::min(n.find('@'), n.size());
    return segni_del_sistema(n.substr(0, chiocciola) + ".UTF-8" + n.substr(chiocciola));
  }
  return std::nullopt;
}

LocaleAmbiente locale_di_sistema() {
  LocaleAmbiente ambiente;
  for (const char* variabile : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* valore = std::getenv(variabile);
    if (valore != nullptr && *valore != '\0') {
      ambiente.variabile = variabile;
      ambiente.nome = valore;
      const auto locale = locale_da_nome(ambiente.nome);
      ambiente.installato = locale.has_value();
      ambiente.locale = locale.value_or(Locale::italiano());
      break;
    }
  }
  return ambiente;
}

namespace dettaglio {

std::optional<double> converti_numero_completo(std::string_view testo, const Locale& locale) {
  std::size_t inizio = 0;
  std::size_t fine = testo.size();
  while (inizio < fine && e_spazio(testo[inizio])) ++inizio;
  while (fine > inizio && e_spazio(testo[fine - 1])) --fine;
  const std::string_view t = testo.substr(inizio, fine - inizio);
  if (t.empty()) return std::nullopt;

  // One sign, minus or plus, right before the digits.
  std::size_t i = 0;
  const bool negativo = t[0] == '-';
  if (negativo || t[0] == '+') i = 1;

  // Whole numbers of up to 16 digits, the common case, are exact as integers.
  if (t.size() - i <= 16) {
    std::size_t k = i;
    std::int64_t intero = 0;
    while (k < t.size() && e_cifra(t[k])) intero = intero * 10 + (t[k++] - '0');
    if (k == t.size() && k > i) {
      const auto v = static_cast<double>(intero);
      return negativo ? -v : v;
    }
  }

  Cifre cifre;
  // Integer part: digits, or digits in groups of three between grouping
  // signs, one to three digits before the first sign and not starting with
  // 0 ("1.234.567"; "1.2", "1500.50" and "0.500" are not numbers).
  const std::string_view migliaia = locale.migliaia;
  std::size_t cifre_intere = 0;
  std::size_t cifre_significative = 0;
  std::size_t gruppo = 0;  // digits since the last grouping sign
  bool raggruppato = false;
  while (i < t.size()) {
    if (e_cifra(t[i])) {
      if (t[i] != '0' || cifre_significative > 0) ++cifre_significative;
      cifre.aggiungi(t[i]);
      ++cifre_intere;
      ++gruppo;
      ++i;
    } else if (inizia_con(t, i, migliaia)) {
      if (raggruppato ? gruppo != 3 : (gruppo == 0 || gruppo > 3 || t[i - gruppo] == '0')) {
        return std::nullopt;
      }
      raggruppato = true;
      gruppo = 0;
      i += migliaia.size();
    } else {
      break;
    }
  }
  if (raggruppato && gruppo != 3) return std::nullopt;
  std::size_t cifre_decimali = 0;
  if (i < t.size() && inizia_con(t, i, locale.decimale)) {
    i += locale.decimale.size();
    cifre.aggiungi('.');
    while (i < t.size() && e_cifra(t[i])) {
      cifre.aggiungi(t[i]);
      ++cifre_decimali;
      ++i;
    }
    if (cifre_decimali == 0) return std::nullopt;
  }
  if (i != t.size() || cifre_intere + cifre_decimali == 0) return std::nullopt;

  double valore = 0;
  const auto [fine_lettura, errore] = leggi_double(cifre.inizio(), cifre.fine(), valore);
  if (errore == std::errc::result_out_of_range) {
    // Too large for a double is not a number; too small is zero.
    if (cifre_significative > 0) return std::nullopt;
    valore = 0;
  } else if (errore != std::errc() || fine_lettura != cifre.fine()) {
    return std::nullopt;
  }
  return negativo ? -valore : valore;
}

}  // namespace dettaglio

namespace {

// The value as a decimal of 15 significant digits: digits d[0..14] and the
// power of ten of d[0].
struct Decimale15 {
  bool negativo = false;
  std::array<char, 15> d{};
  int esponente = 0;
};

Decimale15 decimale15(double valore) {
  std::array<char, 40> buf{};
  const auto r =
      scrivi_double(buf.data(), buf.data() + buf.size(), valore, std::chars_format::scientific, 14);
  const char* p = buf.data();
  Decimale15 x;
  if (*p == '-') {
    x.negativo = true;
    ++p;
  }
  x.d[0] = *p++;
  ++p;  // the decimal point
  for (int k = 1; k < 15; ++k) x.d[k] = *p++;
  ++p;                 // 'e'
  if (*p == '+') ++p;  // integers are read without a plus sign
  int esponente = 0;
  std::from_chars(p, r.ptr, esponente);
  x.esponente = esponente;
  return x;
}

void raggruppa(std::string& uscita, const char* cifre, std::size_t n, const std::string& segno) {
  for (std::size_t k = 0; k < n; ++k) {
    if (k > 0 && (n - k) % 3 == 0) uscita += segno;
    uscita += cifre[k];
  }
}

}  // namespace

namespace {

std::optional<std::string> formato_F_decimale(double valore, const Locale& locale, double* letto);

constexpr double potenze_di_dieci[] = {1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                       1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
constexpr std::uint64_t potenze_intere[] = {1,
                                            10,
                                            100,
                                            1000,
                                            10000,
                                            100000,
                                            1000000,
                                            10000000,
                                            100000000,
                                            1000000000,
                                            10000000000,
                                            100000000000,
                                            1000000000000,
                                            10000000000000,
                                            100000000000000,
                                            1000000000000000,
                                            10000000000000000,
                                            100000000000000000};

// Cents of |valore| for 0.001 <= |valore| < 1e12 where centesimi_F_rapidi
// leaves them: within 0.06 cents below a half cent, or on a whole number of
// cents. Returns false in the rare case too close to call, for the exact
// path.
bool centesimi_vicini(double assoluto, std::int64_t& centesimi) {
  auto [intero, frazione] = dettaglio::cento_volte(assoluto);
  if (frazione < 0) {
    intero -= 1;
    frazione += 1;
  } else if (frazione >= 1) {
    intero += 1;
    frazione -= 1;
  }
  if (frazione < 0.44 || frazione >= 0.5) {
    centesimi = static_cast<std::int64_t>(intero) + (frazione >= 0.5 ? 1 : 0);
    return true;
  }
  // Up where the 15-digit decimal of the value reaches the half cent: it
  // moves the value by at most half of its last digit.
  int k = 0;  // the leading digit stands at 10^(k - 3) euro
  while (k < 15 && assoluto >= potenze_di_dieci[k + 1]) ++k;
  // Fifteen digits from there end at 10^(k - 17) euro, 10^(k - 15) cents.
  const double soglia = 0.5 - 0.5 * potenze_di_dieci[k] * 1e-12;
  if (std::fabs(frazione - soglia) < 1e-14) return false;
  centesimi = static_cast<std::int64_t>(intero) + (frazione >= soglia ? 1 : 0);
  return true;
}

// A product of two 64-bit numbers, whole in 128 bits.
struct Prodotto {
  std::uint64_t alto, basso;
};

Prodotto moltiplica(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32;
  const std::uint64_t b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const std::uint64_t medio = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  return {p11 + (p01 >> 32) + (p10 >> 32) + (medio >> 32), (medio << 32) | (p00 & 0xFFFFFFFFu)};
}

// Rounds a quotient to the nearest whole number, an exact tie to the even
// one: `quoto` with the remainder `resto` of a division by `divisore`.
std::uint64_t pari_piu_vicino(std::uint64_t quoto, std::uint64_t resto, std::uint64_t divisore) {
  const std::uint64_t meta = divisore - resto;  // resto > divisore / 2 when meta < resto
  if (resto > meta || (resto == meta && (quoto & 1) != 0)) ++quoto;
  return quoto;
}

// Cents of |valore| for 0.001 <= |valore| < centesimi_massimi, exactly, in
// integers: the value is m * 2^q; its 15 significant digits R are m * 2^q *
// 10^(14 - k) rounded to the nearest whole number (10^k <= value <
// 10^(k + 1)); the cents are R * 10^(k - 12), rounded half away from zero.
std::uint64_t centesimi_esatti(double assoluto) {
  std::uint64_t bit = 0;
  std::memcpy(&bit, &assoluto, sizeof bit);
  const std::uint64_t m = (bit & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int q = static_cast<int>((bit >> 52) & 0x7FF) - 1075;
  int k = -3;
  while (k < 16 && assoluto >= potenze_di_dieci[k + 4]) ++k;

  std::uint64_t R = 0;
  const int a = 14 - k;
  if (a >= 0) {
    // Below 1e15 the value has a fraction: q < 0, and m * 10^a < 2^110.
    const Prodotto N = moltiplica(m, potenze_intere[a]);
    const int s = -q;  // 3 to 62
    R = (N.alto << (64 - s)) | (N.basso >> s);
    const std::uint64_t resto = N.basso & ((std::uint64_t{1} << s) - 1);
    const std::uint64_t meta = std::uint64_t{1} << (s - 1);
    if (resto > meta || (resto == meta && (R & 1) != 0)) ++R;
  } else {
    // From 1e15 up to 9e16: -3 <= q <= 4, and R = m * 2^q / 10^-a.
    std::uint64_t numeratore = m;
    std::uint64_t divisore = potenze_intere[-a];
    if (q >= 0) {
      numeratore <<= q;
    } else {
      divisore <<= -q;
    }
    R = pari_piu_vicino(numeratore / divisore, numeratore % divisore, divisore);
  }
  const int b = k - 12;
  if (b >= 0) return R * potenze_intere[b];
  const std::uint64_t divisore = potenze_intere[-b];
  const std::uint64_t resto = R % divisore;
  return R / divisore + (resto >= divisore - resto ? 1 : 0);
}

// Cents of a finite value by their size, and its sign.
bool centesimi_di(double valore, std::uint64_t& modulo) {
  const double assoluto = std::fabs(valore);
  std::int64_t rapidi = 0;
  if (centesimi_F_rapidi(assoluto, rapidi) ||
      (assoluto < 1e12 && centesimi_vicini(assoluto, rapidi))) {
    modulo = static_cast<std::uint64_t>(rapidi);
  } else if (assoluto < centesimi_massimi) {
    modulo = centesimi_esatti(assoluto);
  } else {
    return false;
  }
  return true;
}

// The number that cents read back as: the decimal over 100, rounded once.
double valore_dei_centesimi(std::uint64_t modulo, bool negativo) {
  double v = 0;
  if (modulo < (std::uint64_t{1} << 53)) {
    v = static_cast<double>(modulo) / 100.0;
  } else {
    // Above 2^53 cents (9e13 euro) the cents end in zeros that leave
    // fewer than 53 bits of digits.
    int zeri = 0;
    while (modulo >= (std::uint64_t{1} << 53) && modulo % 10 == 0) {
      modulo /= 10;
      ++zeri;
    }
    v = zeri >= 2 ? static_cast<double>(modulo) * static_cast<double>(potenze_intere[zeri - 2])
                  : static_cast<double>(modulo) / static_cast<double>(potenze_intere[2 - zeri]);
  }
  return negativo ? -v : v;
}

// Writes a sign of the locale backwards, ending at `p`; one byte, the usual
// case, without a call.
char* segno_prima(char* p, std::string_view segno) {
  if (segno.size() == 1) {
    *--p = segno[0];
    return p;
  }
  p -= segno.size();
  std::copy(segno.begin(), segno.end(), p);
  return p;
}

constexpr char coppie_di_cifre[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Room for the text of any number of cents with signs of up to 8 bytes (a
// locale's are one character, at most 4 bytes); longer ones in a buffer of
// their own size.
constexpr std::size_t spazio_testo = 19 + 6 * 8 + 8 + 1;

bool segni_brevi(const Locale& locale) {
  return locale.migliaia.size() <= 8 && locale.decimale.size() <= 8;
}

// Writes the text of `modulo` cents under the locale backwards, ending at
// `fine`; returns where it starts. From the last digit back: the cents, the
// decimal sign, the euros in groups of three, the minus.
template <typename Intero>
char* scrivi_euro(char* p, Intero euro, std::string_view gruppo) {
  const auto due_cifre = [&p](Intero n) {  // n below 100, with its leading zero
    p -= 2;
    std::memcpy(p, coppie_di_cifre + 2 * n, 2);
  };
  while (euro >= 1000) {
    const Intero gruppo_di_tre = euro % 1000;
    euro /= 1000;
    due_cifre(gruppo_di_tre % 100);
    *--p = static_cast<char>('0' + gruppo_di_tre / 100);
    p = segno_prima(p, gruppo);
  }
  // The first group: one to three digits.
  if (euro >= 100) {
    due_cifre(euro % 100);
    *--p = static_cast<char>('0' + euro / 100);
  } else if (euro >= 10) {
    due_cifre(euro);
  } else {
    *--p = static_cast<char>('0' + euro);
  }
  return p;
}

char* scrivi_centesimi(char* fine, std::uint64_t modulo, bool negativo, const Locale& locale) {
  if (modulo == 0) {  // the many figures of nothing: 0,00
    char* p = fine - 2;
    p[0] = '0';
    p[1] = '0';
    p = segno_prima(p, locale.decimale);
    *--p = '0';
    return p;
  }
  char* p = fine - 2;
  std::memcpy(p, coppie_di_cifre + 2 * (modulo % 100), 2);
  p = segno_prima(p, locale.decimale);
  const std::uint64_t euro = modulo / 100;
  // Below 4.3 billion euro, the usual case, in 32 bits (faster divisions).
  p = euro <= 0xFFFFFFFFu ? scrivi_euro(p, static_cast<std::uint32_t>(euro), locale.migliaia)
                          : scrivi_euro(p, euro, locale.migliaia);
  if (negativo) *--p = '-';
  return p;
}

// The text of `modulo` cents under the locale, appended to `testo`.
void aggiungi_centesimi(std::string& testo, std::uint64_t modulo, bool negativo,
                        const Locale& locale) {
  if (segni_brevi(locale)) {
    char buffer[spazio_testo];
    char* const fine = buffer + sizeof buffer;
    const char* inizio = scrivi_centesimi(fine, modulo, negativo, locale);
    testo.append(inizio, static_cast<std::size_t>(fine - inizio));
    return;
  }
  std::string lungo(spazio_F_centesimi(locale), '\0');
  char* const fine = lungo.data() + lungo.size();
  const char* inizio = scrivi_centesimi(fine, modulo, negativo, locale);
  testo.append(inizio, static_cast<std::size_t>(fine - inizio));
}

std::uint64_t modulo_di(std::int64_t centesimi) {
  // The size of the most negative number too, in unsigned arithmetic.
  return centesimi < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(centesimi)
                       : static_cast<std::uint64_t>(centesimi);
}

}  // namespace

std::optional<std::int64_t> centesimi_F(double valore) {
  std::uint64_t modulo = 0;
  if (!std::isfinite(valore) || !centesimi_di(valore, modulo)) return std::nullopt;
  const auto c = static_cast<std::int64_t>(modulo);
  return valore < 0 ? -c : c;
}

std::optional<double> valore_F(double valore) {
  if (!std::isfinite(valore)) return std::nullopt;
  std::uint64_t modulo = 0;
  if (centesimi_di(valore, modulo)) return valore_dei_centesimi(modulo, valore < 0 && modulo != 0);
  double letto = 0;
  formato_F_decimale(valore, Locale::italiano(), &letto);
  return letto;
}

std::optional<std::string> formato_F(double valore, const Locale& locale, double* letto) {
  std::string testo;
  if (!formato_F_in(valore, locale, testo, letto)) return std::nullopt;
  return testo;
}

bool formato_F_in(double valore, const Locale& locale, std::string& testo, double* letto) {
  if (!std::isfinite(valore)) return false;
  std::uint64_t modulo = 0;
  if (centesimi_di(valore, modulo)) {
    const bool negativo = valore < 0 && modulo != 0;
    if (letto != nullptr) *letto = valore_dei_centesimi(modulo, negativo);
    testo.clear();
    aggiungi_centesimi(testo, modulo, negativo, locale);
    return true;
  }
  testo = *formato_F_decimale(valore, locale, letto);
  return true;
}

void aggiungi_F_centesimi(std::string& testo, std::int64_t centesimi, const Locale& locale) {
  aggiungi_centesimi(testo, modulo_di(centesimi), centesimi < 0, locale);
}

void formato_F_centesimi_in(std::int64_t centesimi, const Locale& locale, std::string& testo) {
  if (segni_brevi(locale)) {
    char buffer[spazio_testo];
    char* const fine = buffer + sizeof buffer;
    const char* inizio = scrivi_centesimi(fine, modulo_di(centesimi), centesimi < 0, locale);
    testo.clear();
    testo.append(inizio, static_cast<std::size_t>(fine - inizio));
    return;
  }
  testo.clear();
  aggiungi_F_centesimi(testo, centesimi, locale);
}

char* scrivi_F_centesimi(char* fine, std::int64_t centesimi, const Locale& locale) {
  return scrivi_centesimi(fine, modulo_di(centesimi), centesimi < 0, locale);
}

std::string formato_F_centesimi(std::int64_t centesimi, const Locale& locale) {
  std::string testo;
  aggiungi_F_centesimi(testo, centesimi, locale);
  return testo;
}

namespace {

// The general path: through the 15-significant-digit decimal of the value.
std::optional<std::string> formato_F_decimale(double valore, const Locale& locale, double* letto) {
  const Decimale15 x = decimale15(valore);

  // Cents as a digit string: the digits down to the hundredths, rounded half
  // away from zero on the first digit dropped.
  std::array<char, 330> centesimi{};
  std::size_t n = 0;
  const int tenute = x.esponente + 3;  // digits of d that reach the hundredths
  bool arrotonda = false;
  if (tenute >= 15) {
    for (int k = 0; k < 15; ++k) centesimi[n++] = x.d[k];
    for (int k = 15; k < tenute; ++k) centesimi[n++] = '0';
  } else if (tenute >= 0) {
    for (int k = 0; k < tenute; ++k) centesimi[n++] = x.d[k];
    arrotonda = x.d[tenute] >= '5';
  }
  if (arrotonda) {
    std::size_t k = n;
    while (k > 0 && centesimi[k - 1] == '9') centesimi[--k] = '0';
    if (k == 0) {
      std::memmove(centesimi.data() + 1, centesimi.data(), n);
      centesimi[0] = '1';
      ++n;
    } else {
      ++centesimi[k - 1];
    }
  }
  // Leading zeros off, then at least three digits (one before the sign).
  std::size_t primo = 0;
  while (primo < n && centesimi[primo] == '0') ++primo;
  const bool zero = primo == n;
  std::array<char, 332> cifre{};
  std::size_t m = 0;
  for (std::size_t k = primo; k < n; ++k) cifre[m++] = centesimi[k];
  if (m < 3) {
    std::memmove(cifre.data() + (3 - m), cifre.data(), m);
    std::fill(cifre.data(), cifre.data() + (3 - m), '0');
    m = 3;
  }
  const bool negativo = x.negativo && !zero;

  std::string testo;
  testo.reserve(m + m / 3 * locale.migliaia.size() + 4);
  if (negativo) testo += '-';
  raggruppa(testo, cifre.data(), m - 2, locale.migliaia);
  testo += locale.decimale;
  testo += cifre[m - 2];
  testo += cifre[m - 1];

  if (letto != nullptr) {
    if (m <= 15) {
      long long intero = 0;
      std::from_chars(cifre.data(), cifre.data() + m, intero);
      *letto = static_cast<double>(negativo ? -intero : intero) / 100.0;
    } else {
      std::string punto(cifre.data(), m - 2);
      punto += '.';
      punto.append(cifre.data() + m - 2, 2);
      double v = 0;
      leggi_double(punto.data(), punto.data() + punto.size(), v);
      *letto = negativo ? -v : v;
    }
  }
  return testo;
}

}  // namespace

std::optional<std::string> formato_generale(double valore, const Locale& locale) {
  if (!std::isfinite(valore)) return std::nullopt;
  if (valore == 0) return std::string("0");
  const Decimale15 x = decimale15(valore);
  int ultime = 14;
  while (ultime > 0 && x.d[ultime] == '0') --ultime;
  const std::string_view cifre(x.d.data(), static_cast<std::size_t>(ultime) + 1);
  std::string testo = x.negativo ? "-" : "";
  const int e = x.esponente;
  if (e >= 15 || e < -4) {
    testo += cifre[0];
    if (cifre.size() > 1) {
      testo += locale.decimale;
      testo += cifre.substr(1);
    }
    testo += e < 0 ? "E-" : "E+";
    const int a = e < 0 ? -e : e;
    if (a < 10) testo += '0';
    testo += std::to_string(a);
  } else if (e >= 0) {
    const auto intere = static_cast<std::size_t>(e) + 1;
    if (cifre.size() <= intere) {
      testo += cifre;
      testo.append(intere - cifre.size(), '0');
    } else {
      testo += cifre.substr(0, intere);
      testo += locale.decimale;
      testo += cifre.substr(intere);
    }
  } else {
    testo += '0';
    testo += locale.decimale;
    testo.append(static_cast<std::size_t>(-e - 1), '0');
    testo += cifre;
  }
  return testo;
}

std::string numero_esatto(double valore) {
  std::string testo;
  aggiungi_numero_esatto(testo, valore);
  return testo;
}

void aggiungi_numero_esatto(std::string& testo, double valore) {
  char buf[40];
  // Whole numbers, most figures of a record, by integer digits: the same
  // text as the shortest form, which writes "1e+05" rather than "100000"
  // when that is shorter and the plain digits otherwise.
  if (valore == std::trunc(valore) && std::fabs(valore) < 1e15 &&
      !(valore == 0 && std::signbit(valore))) {
    const auto intero = static_cast<std::int64_t>(valore);
    const auto r = std::to_chars(buf, buf + sizeof buf, intero);
    const char* inizio = buf[0] == '-' ? buf + 1 : buf;
    const auto cifre = static_cast<std::size_t>(r.ptr - inizio);
    std::size_t significative = cifre;
    while (significative > 1 && inizio[significative - 1] == '0') --significative;
    const std::size_t scientifica = (significative == 1 ? 1 : significative + 1) + 4;
    if (cifre <= scientifica) {
      testo.append(buf, r.ptr);
      return;
    }
  }
  const auto r = scrivi_double(buf, buf + sizeof buf, valore);
  testo.append(buf, r.ptr);
}

char* scrivi_numero_decimale(char* p, double valore) {
  if (!std::isfinite(valore)) return p;
  // The longest such text: the 309 digits of the largest double, or "0."
  // and the 324 decimals of the smallest.
  return scrivi_double(p, p + spazio_numero_decimale, valore, std::chars_format::fixed).ptr;
}

void aggiungi_numero_decimale(std::string& testo, double valore) {
  char buf[spazio_numero_decimale];
  testo.append(buf, scrivi_numero_decimale(buf, valore));
}

std::string minuscolo(std::string_view testo) {
  std::string r(testo);
  for (char& c : r) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return r;
}

}  // namespace zellora
