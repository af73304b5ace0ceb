// Number conversion and the amount format under regional settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <limits>
#include <string>
#include <vector>

#include "engine/numeri.h"

using namespace zellora;

namespace {
const Locale it = Locale::italiano();
const Locale en{".", ","};

double conv(const std::string& s, const Locale& l = it) { return converti_numero(s, l).value(); }
bool non_numero(const std::string& s, const Locale& l = it) {
  return !converti_numero(s, l).has_value();
}
std::string F(double v, const Locale& l = it) { return formato_F(v, l).value(); }
}  // namespace

TEST(Conversione, AcceptsWhatTheOperatorTypes) {
  EXPECT_EQ(conv("30000"), 30000);
  EXPECT_EQ(conv("  2,5 "), 2.5);
  EXPECT_EQ(conv("\t12,50"), 12.5);
  EXPECT_EQ(conv("-0,5"), -0.5);
  EXPECT_EQ(conv("1.234,56"), 1234.56);
  EXPECT_EQ(conv("1.234.567"), 1234567);
  EXPECT_EQ(conv(",5"), 0.5);
  EXPECT_EQ(conv("007"), 7);
  EXPECT_EQ(conv("2.345,67"), 2345.67);
}

TEST(Conversione, RejectsAnythingElse) {
  for (const char* s : {"",   " ",  "   ",  "-",  "abc", "12a", "1,2,3", "1e5",   "+1",  "--1",
                        "1,", ".5", "1..2", "1.", "1 2", "- 1", "0x10",  "1,5.3", "inf", "nan"}) {
    EXPECT_TRUE(non_numero(s)) << '"' << s << '"';
  }
}

TEST(Conversione, FollowsTheLocale) {
  EXPECT_EQ(conv("1,234.5", en), 1234.5);
  EXPECT_TRUE(non_numero("1.234,5", en));
  EXPECT_EQ(conv("2.5", en), 2.5);
  const Locale fr{",", "\u00A0"};
  EXPECT_EQ(conv("1\u00A0234,5", fr), 1234.5);
}

TEST(Conversione, RangeOfADouble) {
  EXPECT_TRUE(non_numero(std::string(400, '9')));
  EXPECT_EQ(conv("0," + std::string(400, '0') + "1"), 0);
  EXPECT_EQ(conv(std::string(300, '9')), 1e300);
  // Exactly rounded, as a compiler would read the literal.
  EXPECT_EQ(conv("0,1"), 0.1);
  EXPECT_EQ(conv("2333,33"), 2333.33);
}

TEST(Conversione, IntIsFloor) {
  EXPECT_EQ(Int(1500.99), 1500);
  EXPECT_EQ(Int(-0.5), -1);
  EXPECT_EQ(Int(-2), -2);
  EXPECT_EQ(Int(0), 0);
}

TEST(FormatoF, GroupsAndRoundsHalvesAwayFromZero) {
  EXPECT_EQ(F(1234.5), "1.234,50");
  EXPECT_EQ(F(0), "0,00");
  EXPECT_EQ(F(-12.5), "-12,50");
  EXPECT_EQ(F(2.675), "2,68");
  EXPECT_EQ(F(-0.125), "-0,13");
  EXPECT_EQ(F(1.005), "1,01");
  EXPECT_EQ(F(0.005), "0,01");
  EXPECT_EQ(F(0.0049999), "0,00");
  EXPECT_EQ(F(999.995), "1.000,00");
  EXPECT_EQ(F(999999.999), "1.000.000,00");
  EXPECT_EQ(F(1166.6666666666667), "1.166,67");
  EXPECT_EQ(F(43897.234466), "43.897,23");
  EXPECT_EQ(F(1e20), "100.000.000.000.000.000.000,00");
  EXPECT_EQ(F(123456789012.345), "123.456.789.012,35");
}

TEST(FormatoF, NeverShowsMinusZero) {
  EXPECT_EQ(F(-0.0), "0,00");
  EXPECT_EQ(F(-0.004), "0,00");
  EXPECT_EQ(F(-1e-300), "0,00");
  EXPECT_EQ(F(-0.005), "-0,01");
}

TEST(FormatoF, NotFiniteCannotBeFormatted) {
  EXPECT_FALSE(formato_F(std::numeric_limits<double>::infinity(), it));
  EXPECT_FALSE(formato_F(std::nan(""), it));
}

TEST(FormatoF, OtherLocales) {
  EXPECT_EQ(F(1234567.891, en), "1,234,567.89");
  EXPECT_EQ(F(1234.5, Locale{",", "\u00A0"}), "1\u00A0234,50");
}

TEST(FormatoF, ReadBackMatchesConvertingTheText) {
  for (double v : {0.0, 0.1, 2.675, -0.125, 1234.5, 6755.610000000001, 928.47165, 1e13 + 0.125,
                   -98765.4321, 3.0e15, 1e20}) {
    double letto = -1;
    const std::string testo = formato_F(v, it, &letto).value();
    EXPECT_EQ(letto, converti_numero(testo, it).value()) << testo;
  }
}

TEST(FormatoGenerale, OnlyTheDecimalsNeeded) {
  EXPECT_EQ(formato_generale(2345.67 * 12, it).value(), "28148,04");
  EXPECT_EQ(formato_generale(24000, it).value(), "24000");
  EXPECT_EQ(formato_generale(0.5, it).value(), "0,5");
  EXPECT_EQ(formato_generale(-1234.5, en).value(), "-1234.5");
  EXPECT_EQ(formato_generale(0, it).value(), "0");
  EXPECT_EQ(formato_generale(1.0 / 3, it).value(), "0,333333333333333");
  EXPECT_EQ(formato_generale(0.0001, it).value(), "0,0001");
  EXPECT_EQ(formato_generale(0.00001, it).value(), "1E-05");
  EXPECT_EQ(formato_generale(1.5e15, it).value(), "1,5E+15");
  EXPECT_EQ(formato_generale(123456789012345, it).value(), "123456789012345");
}

TEST(Locale, FromNames) {
  EXPECT_EQ(locale_da_nome("C"), it);
  EXPECT_EQ(locale_da_nome("POSIX"), it);
  EXPECT_EQ(locale_da_nome(""), it);
  EXPECT_EQ(locale_da_nome("C.UTF-8"), it);
  EXPECT_EQ(locale_da_nome("it_IT.UTF-8"), it);
  EXPECT_EQ(locale_da_nome("de_DE"), it);
  EXPECT_EQ(locale_da_nome("en_US.UTF-8"), en);
  EXPECT_EQ(locale_da_nome("EN_GB"), en);
  EXPECT_FALSE(locale_da_nome("xx_YY"));
}

TEST(NumeroEsatto, ShortestRoundTrip) {
  EXPECT_EQ(numero_esatto(30000), "30000");
  EXPECT_EQ(numero_esatto(2848.8999999999996), "2848.8999999999996");
  EXPECT_EQ(numero_esatto(0.0919), "0.0919");
  EXPECT_EQ(numero_esatto(0.1 + 0.2), "0.30000000000000004");
}

namespace {

// Reference for F: the 15-significant-digit decimal from printf, then the
// cents rounded half away from zero on that decimal, digit by digit.
std::string F_riferimento(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", v);
  const bool neg = buf[0] == '-';
  const char* p = buf + (neg ? 1 : 0);
  std::string cifre;
  cifre += p[0];
  cifre.append(p + 2, 14);
  const int e = std::atoi(std::strchr(p, 'e') + 1);
  // value = 0.cifre x 10^(e+1); cents = cifre x 10^(e - 14 + 2)
  const int spostamento = e - 12;
  std::string cent;
  bool su = false;
  if (spostamento >= 0) {
    cent = cifre + std::string(static_cast<std::size_t>(spostamento), '0');
  } else if (-spostamento <= 15) {
    const std::size_t tenute = static_cast<std::size_t>(15 + spostamento);
    cent = cifre.substr(0, tenute);
    su = cifre[tenute] >= '5';
  }
  if (cent.empty()) cent = "0";
  if (su) {
    int i = static_cast<int>(cent.size()) - 1;
    while (i >= 0 && cent[static_cast<std::size_t>(i)] == '9')
      cent[static_cast<std::size_t>(i--)] = '0';
    if (i < 0)
      cent.insert(cent.begin(), '1');
    else
      ++cent[static_cast<std::size_t>(i)];
  }
  cent.erase(0, std::min(cent.find_first_not_of('0'), cent.size()));
  const bool zero = cent.empty();
  while (cent.size() < 3) cent.insert(cent.begin(), '0');
  std::string intera = cent.substr(0, cent.size() - 2);
  std::string out;
  for (std::size_t i = 0; i < intera.size(); ++i) {
    if (i > 0 && (intera.size() - i) % 3 == 0) out += '.';
    out += intera[i];
  }
  return (neg && !zero ? "-" : "") + out + "," + cent.substr(cent.size() - 2);
}

}  // namespace

TEST(FormatoF, AgreesWithTheDecimalReferenceEverywhere) {
  std::uint64_t stato = 88172645463325252ull;
  auto casuale = [&] {
    stato ^= stato << 13;
    stato ^= stato >> 7;
    stato ^= stato << 17;
    return stato;
  };
  for (int i = 0; i < 200000; ++i) {
    const double mantissa = static_cast<double>(casuale() % 1000000007) / 1000000007.0;
    const int esponente = static_cast<int>(casuale() % 36) - 8;
    double v = mantissa * std::pow(10.0, esponente);
    if (casuale() % 3 == 0) {
      // Near a half cent, where the 15-digit rounding decides.
      v = (std::floor(v * 100) + 0.5) / 100 +
          static_cast<double>(static_cast<int>(casuale() % 5) - 2) * 1e-15 * std::max(1.0, v);
    }
    if (casuale() % 2 == 0) v = -v;
    ASSERT_EQ(F(v), F_riferimento(v)) << std::setprecision(17) << v;
  }
}

TEST(NumeroEsatto, WholeNumbersAsTheShortestForm) {
  std::vector<double> valori = {0,    1,         -1,       9,         10,     99,
                                100,  1000,      10000,    30000,     100000, 120000,
                                1e6,  42111,     99999999, 999999999, 1e14,   123456789012345,
                                -5e5, -123000000};
  for (double p = 1; p < 1e15; p *= 10) {
    for (double k : {1.0, 2.0, 7.0, 10.0, 11.0, 12.0, 99.0, 101.0, 1200.0}) valori.push_back(p * k);
  }
  for (double v : valori) {
    if (v >= 1e15) continue;
    std::array<char, 40> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    EXPECT_EQ(numero_esatto(v), std::string(buf.data(), r.ptr)) << v;
  }
  EXPECT_EQ(numero_esatto(-0.0), "-0");
}
