// Number conversion and the amount format under regional settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <limits>
#include <locale>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "numbers/conversioni.h"
#include "numbers/numeri.h"

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
  EXPECT_EQ(conv("30.000"), 30000);
  EXPECT_EQ(conv("1.234.567,89"), 1234567.89);
  EXPECT_EQ(conv("-1.500,50"), -1500.5);
  EXPECT_EQ(conv("+500"), 500);
  EXPECT_EQ(conv(" +1.500,5\t"), 1500.5);
  EXPECT_EQ(conv("+,5"), 0.5);
}

TEST(Conversione, RejectsAnythingElse) {
  for (const char* s :
       {"", " ", "   ", "-", "abc", "12a", "1,2,3", "1e5", "--1", "1,", ".5", "1..2", "1.", "1 2",
        "- 1", "0x10", "1,5.3", "inf", "nan",
        // A sign: one, right before the digits.
        "+", "+-5", "++5", "-+5", "+ 5", "5+", "+-,5",
        // Grouping signs only between groups of three.
        "30.5", "1.2", "1500.50", "1.23", "1.2345", "1234.567", "12.34.567", "1.234.56", "1.234.",
        "1.234.5678", "0.500", "00.500", "-0.500", ".500", "-.500", "1.234,5.6"}) {
    EXPECT_TRUE(non_numero(s)) << '"' << s << '"';
  }
}

TEST(Conversione, FollowsTheLocale) {
  EXPECT_EQ(conv("1,234.5", en), 1234.5);
  EXPECT_TRUE(non_numero("1.234,5", en));
  EXPECT_EQ(conv("2.5", en), 2.5);
  EXPECT_EQ(conv("1,500.50", en), 1500.5);
  EXPECT_EQ(conv("1,234,567", en), 1234567);
  for (const char* s : {"1,5", "1,50", "15,00.5", "1,2345"}) EXPECT_TRUE(non_numero(s, en)) << s;
  const Locale fr{",", "\u00A0"};
  EXPECT_EQ(conv("1\u00A0234,5", fr), 1234.5);
  // Only the locale's own grouping sign groups, not a blank that looks alike.
  const Locale fr_stretto{",", "\u202F"};
  EXPECT_EQ(conv("-1\u202F234\u202F567,5", fr_stretto), -1234567.5);
  for (const char* s : {"1 234,5", "1\u00A0234,5", "1\u202F23,5", "1\u202F"}) {
    EXPECT_TRUE(non_numero(s, fr_stretto)) << s;
  }
  // A locale that does not group: no grouping sign at all.
  const Locale senza_gruppi{",", ""};
  EXPECT_EQ(conv("1234567,5", senza_gruppi), 1234567.5);
  EXPECT_TRUE(non_numero("1.234,5", senza_gruppi));
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
  EXPECT_EQ(F(-1234567.891, Locale{",", ""}), "-1234567,89");
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

namespace {

// Sets or, for nullptr, removes an environment variable; puts back the old
// value when it goes out of scope.
class VariabileAmbiente {
 public:
  VariabileAmbiente(const char* nome, const char* valore) : nome_(nome) {
    const char* prima = std::getenv(nome);
    if (prima != nullptr) prima_ = prima;
    imposta(valore);
  }
  ~VariabileAmbiente() { imposta(prima_ ? prima_->c_str() : nullptr); }
  VariabileAmbiente(const VariabileAmbiente&) = delete;
  VariabileAmbiente& operator=(const VariabileAmbiente&) = delete;

  void imposta(const char* valore) {
#ifdef _WIN32
    _putenv_s(nome_.c_str(), valore != nullptr ? valore : "");
#else
    if (valore != nullptr) {
      setenv(nome_.c_str(), valore, 1);
    } else {
      unsetenv(nome_.c_str());
    }
#endif
  }

 private:
  std::string nome_;
  std::optional<std::string> prima_;
};

}  // namespace

// Where only the neutral locales exist, as on a fresh machine.
TEST(Locale, NeutralMeansItalianUnknownIsReported) {
  for (const char* nome : {"C", "POSIX", "", "C.UTF-8", "c.utf8", "posix"}) {
    EXPECT_EQ(locale_da_nome(nome), it) << nome;
  }
  for (const char* nome : {"xx_YY", "xx_YY.UTF-8", "de", "it_IT.NOSUCHCHARSET", "../../etc"}) {
    EXPECT_FALSE(locale_da_nome(nome)) << nome;
  }

  VariabileAmbiente lc_all("LC_ALL", nullptr);
  VariabileAmbiente lc_numeric("LC_NUMERIC", nullptr);
  VariabileAmbiente lang("LANG", nullptr);
  LocaleAmbiente a = locale_di_sistema();
  EXPECT_EQ(a.locale, it);
  EXPECT_TRUE(a.installato);
  EXPECT_EQ(a.variabile, "");

  lang.imposta("xx_YY.UTF-8");
  a = locale_di_sistema();
  EXPECT_EQ(a.locale, it);
  EXPECT_FALSE(a.installato);
  EXPECT_EQ(a.variabile, "LANG");
  EXPECT_EQ(a.nome, "xx_YY.UTF-8");

  // LC_ALL before LC_NUMERIC before LANG; an empty one does not count.
  lc_numeric.imposta("C.UTF-8");
  a = locale_di_sistema();
  EXPECT_TRUE(a.installato);
  EXPECT_EQ(a.variabile, "LC_NUMERIC");
  lc_all.imposta("");
  EXPECT_EQ(locale_di_sistema().variabile, "LC_NUMERIC");
  lc_all.imposta("zz_ZZ");
  a = locale_di_sistema();
  EXPECT_FALSE(a.installato);
  EXPECT_EQ(a.variabile, "LC_ALL");
  EXPECT_EQ(a.nome, "zz_ZZ");
}

namespace {

// Locales generated for the tests with localedef into a folder of the build
// tree (shared with the command-line runs) and found through LOCPATH, so
// that no test depends on the locales installed on the machine. They are
// kept for the next run, never written into the sources.
class LocaliGenerati : public ::testing::Test {
 protected:
  struct Generato {
    const char* nome;     // the folder, as the C library looks it up
    const char* origine;  // the locale's definition
    const char* caratteri;
  };

  void SetUp() override {
    namespace fs = std::filesystem;
    const fs::path cartella = fs::absolute(ZELLORA_LOCALI);
    locpath_.emplace("LOCPATH", cartella.string().c_str());
    if (std::system("localedef --help > /dev/null 2>&1") != 0) {
      GTEST_SKIP() << "localedef is not available (Debian package locales)";
    }
    std::error_code errore;
    fs::create_directories(cartella, errore);
    for (const Generato& g : generati) {
      // The C library remembers a locale it did not find: ask it only when
      // the files are there.
      if (fs::exists(cartella / g.nome / "LC_NUMERIC")) continue;
      const fs::path definitivo = cartella / g.nome;
      const fs::path provvisorio =
          cartella / (std::string(g.nome) + ".tmp" + std::to_string(std::random_device{}()));
      const std::string comando = std::string("localedef -i ") + g.origine + " -f " + g.caratteri +
                                  " '" + provvisorio.string() + "' > /dev/null 2>&1";
      const int esito = std::system(comando.c_str());
      if (!fs::exists(provvisorio / "LC_NUMERIC")) {
        fs::remove_all(provvisorio, errore);
        GTEST_SKIP() << "localedef could not make " << g.nome << " (exit " << esito << ")";
      }
      fs::rename(provvisorio, definitivo, errore);
      // Another test process made it at the same time: theirs stays.
      if (errore) fs::remove_all(provvisorio, errore);
    }
    for (const Generato& g : generati) {
      try {
        std::locale prova(g.nome);
      } catch (const std::exception&) {
        GTEST_FAIL() << "the C library does not load " << (cartella / g.nome).string()
                     << " (made by another version? remove the folder)";
      }
    }
  }

  static constexpr Generato generati[] = {
      {"it_IT.utf8", "it_IT", "UTF-8"}, {"en_US.utf8", "en_US", "UTF-8"},
      {"es_US.utf8", "es_US", "UTF-8"}, {"fr_FR.utf8", "fr_FR", "UTF-8"},
      {"pt_PT.utf8", "pt_PT", "UTF-8"}, {"fr_FR", "fr_FR", "ISO-8859-1"},
  };
  std::optional<VariabileAmbiente> locpath_;
};

}  // namespace

TEST_F(LocaliGenerati, SignsAsTheSystemDefinesThem) {
  const Locale fr{",", "\u202F"};
  struct Caso {
    const char* nome;
    Locale locale;
  } casi[] = {
      {"it_IT.UTF-8", it}, {"it_IT", it},  // no character set: the UTF-8 one
      {"en_US.UTF-8", en}, {"en_US.utf8", en},
      {"es_US.UTF-8", en},                              // Spanish with a decimal point
      {"fr_FR.UTF-8", fr}, {"fr_FR", fr},               // ISO-8859-1, whose bytes have no U+202F
      {"fr_FR@euro", fr},  {"pt_PT.UTF-8", {",", ""}},  // no grouping
      {"C", it},
  };
  for (const Caso& c : casi) {
    const auto l = locale_da_nome(c.nome);
    ASSERT_TRUE(l) << c.nome;
    EXPECT_EQ(l->decimale, c.locale.decimale) << c.nome;
    EXPECT_EQ(l->migliaia, c.locale.migliaia) << c.nome;
  }
  EXPECT_FALSE(locale_da_nome("de_DE.UTF-8"));  // not generated: not there

  // What the C library writes for French reads back.
  EXPECT_EQ(F(1234567.5, fr), "1\u202F234\u202F567,50");
  EXPECT_EQ(conv("1\u202F234\u202F567,50", fr), 1234567.5);

  VariabileAmbiente lc_all("LC_ALL", nullptr);
  VariabileAmbiente lc_numeric("LC_NUMERIC", "es_US.UTF-8");
  VariabileAmbiente lang("LANG", "it_IT.UTF-8");
  const LocaleAmbiente a = locale_di_sistema();
  EXPECT_TRUE(a.installato);
  EXPECT_EQ(a.locale, en);
  EXPECT_EQ(conv("1500.50", a.locale), 1500.5);
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
    // The cents alone, as the rules take them, give the same text.
    if (const auto c = centesimi_F(v)) {
      ASSERT_EQ(formato_F_centesimi(*c, it), F(v)) << std::setprecision(17) << v;
    } else {
      ASSERT_GE(std::fabs(v), centesimi_massimi) << std::setprecision(17) << v;
    }
  }
  // Exact ties of the 15-digit decimal: eighths of a euro beyond 1e12 have
  // a 16th digit of 5 and nothing after it.
  for (double base : {1e12, 4e12 + 7, 1e13 + 3, 9e13 + 11, 2e14 + 1, 1e15 + 5, 8e15 + 9}) {
    for (int ottavi = 0; ottavi < 16; ++ottavi) {
      const double v = base + ottavi / 8.0;
      ASSERT_EQ(F(v), F_riferimento(v)) << std::setprecision(17) << v;
      ASSERT_EQ(formato_F_centesimi(centesimi_F(v).value(), it), F(v));
    }
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

// The WebAssembly build reads and writes doubles without std::to_chars (its
// standard library has none for them); every text must be the standard
// library's, byte for byte, and every reading the same double.
TEST(Conversioni, ThePortableWayGivesTheStandardLibrarysTexts) {
  std::mt19937_64 caso(20250101);
  std::vector<double> valori = {0.0,
                                -0.0,
                                1.0,
                                -1.0,
                                0.1,
                                0.2,
                                0.3,
                                2.675,
                                -0.125,
                                1e15,
                                1e16,
                                1e21,
                                1e22,
                                1e23,
                                5e-324,
                                1e-310,
                                1e-7,
                                1e-5,
                                1e-4,
                                123456.0,
                                9007199254740993.0,
                                2848.8999999999996,
                                0.0919,
                                30000.5,
                                1.7976931348623157e308,
                                2.2250738585072014e-308};
  for (int i = 0; i < 40000; ++i) {
    // Any bit pattern, amounts in cents, and rates.
    std::uint64_t bit = caso();
    double v;
    std::memcpy(&v, &bit, sizeof v);
    if (std::isfinite(v)) valori.push_back(v);
    valori.push_back(static_cast<double>(caso() % 10000000000ull) / 100.0);
    valori.push_back(static_cast<double>(caso() % 100000) / 1e5 *
                     std::pow(10.0, int(caso() % 40) - 20));
  }
  const auto testo = [](std::to_chars_result r, char* inizio) {
    EXPECT_EQ(r.ec, std::errc());
    return std::string(static_cast<const char*>(inizio), static_cast<const char*>(r.ptr));
  };
  char a[400];
  char b[400];
  for (const double v : valori) {
    ASSERT_EQ(testo(portabile::scrivi_double(a, a + sizeof a, v), a),
              testo(std::to_chars(b, b + sizeof b, v), b));
    ASSERT_EQ(testo(portabile::scrivi_double(a, a + sizeof a, v, std::chars_format::fixed), a),
              testo(std::to_chars(b, b + sizeof b, v, std::chars_format::fixed), b));
    ASSERT_EQ(
        testo(portabile::scrivi_double(a, a + sizeof a, v, std::chars_format::scientific, 14), a),
        testo(std::to_chars(b, b + sizeof b, v, std::chars_format::scientific, 14), b));
    if (std::fabs(v) < 1e30) {
      ASSERT_EQ(testo(portabile::scrivi_double(a, a + sizeof a, v, std::chars_format::fixed, 6), a),
                testo(std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, 6), b));
    }
  }
  // Reading: the texts written, plain decimals of many digits, and numbers
  // beyond the range of a double either way.
  std::vector<std::string> testi = {
      "1e400",
      "-1e400",
      "1e-400",
      "2.4703282292062327e-324",
      "2.4703282292062328e-324",
      "1e-310",
      "0.000",
      ".5",
      "5.",
      "1e",
      "1e+",
      "-",
      ".",
      "",
      "abc",
      "12abc",
      "inf",
      "-nan",
      "17976931348623158079372897140530341507993413271003782693617377898044496829276475094664901797"
      "75872070963302864166928879109465555478519404026306574886715058206819089020007083836762738548"
      "45817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711"
      "559699508093042880177904174497791.9999999"};
  for (int i = 0; i < 20000; ++i) {
    const double v = valori[caso() % valori.size()];
    testi.push_back(testo(std::to_chars(b, b + sizeof b, v), b));
    testi.push_back(testo(std::to_chars(b, b + sizeof b, v, std::chars_format::scientific, 14), b));
    std::string cifre = std::to_string(caso() % 1000000000000ull);
    cifre += '.';
    for (int k = int(caso() % 40); k > 0; --k) cifre += static_cast<char>('0' + caso() % 10);
    testi.push_back(cifre);
  }
  for (const std::string& t : testi) {
    double x = -7;
    double y = -7;
    const auto r = portabile::leggi_double(t.data(), t.data() + t.size(), x);
    const auto s = std::from_chars(t.data(), t.data() + t.size(), y);
    ASSERT_EQ(r.ec, s.ec) << t;
    ASSERT_EQ(r.ptr - t.data(), s.ptr - t.data()) << t;
    if (std::isnan(y)) {
      ASSERT_TRUE(std::isnan(x)) << t;
    } else {
      ASSERT_EQ(std::memcmp(&x, &y, sizeof x), 0) << t;
    }
  }
  // A program that set a locale with a decimal comma (the desktop's Qt does)
  // still reads and writes '.'.
  const std::string prima = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* nome : {"it_IT.UTF-8", "de_DE.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, nome) == nullptr) continue;
    double x = 0;
    EXPECT_EQ(portabile::leggi_double("2848.9", "2848.9" + 6, x).ec, std::errc());
    EXPECT_EQ(x, 2848.9);
    EXPECT_EQ(testo(portabile::scrivi_double(a, a + sizeof a, 2848.9), a), "2848.9");
    EXPECT_EQ(testo(portabile::scrivi_double(a, a + sizeof a, 0.5, std::chars_format::fixed, 6), a),
              "0.500000");
  }
  std::setlocale(LC_NUMERIC, prima.c_str());
}
