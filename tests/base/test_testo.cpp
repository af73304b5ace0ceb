// UTF-8 as every text of the program is read and written, and what a message
// shows of a value: where a character is a control one, where a value is cut,
// what is made of bytes that are not UTF-8. The escapes of each character a
// message hides are in the table of the command line's tests (Citazione).
#include <gtest/gtest.h>

#include <string>

#include "base/citazione.h"
#include "base/utf8.h"

using namespace zellora;

// Each length at its first and last character, the shortest form only, no
// surrogate, nothing beyond U+10FFFF, no cut or broken sequence; a valid
// one is written back byte for byte.
TEST(Utf8, ValidSequencesOnly) {
  struct Caso {
    std::string byte;
    std::size_t n;  // 0: refused
    char32_t codice;
  };
  const Caso casi[] = {
      {"\x7f", 1, 0x7F},
      {"\xc2\x80", 2, 0x80},
      {"\xdf\xbf", 2, 0x7FF},
      {"\xe0\xa0\x80", 3, 0x800},
      {"\xed\x9f\xbf", 3, 0xD7FF},
      {"\xee\x80\x80", 3, 0xE000},
      {"\xef\xbf\xbf", 3, 0xFFFF},
      {"\xf0\x90\x80\x80", 4, 0x10000},
      {"\xf4\x8f\xbf\xbf", 4, 0x10FFFF},
      {"\xc3\xa8x", 2, 0xE8},  // only the first character
      // Overlong: a shorter form exists.
      {"\xc0\x80", 0, 0},
      {"\xc1\xbf", 0, 0},
      {"\xe0\x9f\xbf", 0, 0},
      {"\xf0\x8f\xbf\xbf", 0, 0},
      // Surrogates, and beyond Unicode.
      {"\xed\xa0\x80", 0, 0},
      {"\xed\xbf\xbf", 0, 0},
      {"\xf4\x90\x80\x80", 0, 0},
      {"\xf5\x80\x80\x80", 0, 0},
      {"\xf8\x88\x80\x80\x80", 0, 0},
      {"\xff", 0, 0},
      // A continuation byte alone, cut sequences, a broken one.
      {"\x80", 0, 0},
      {"\xc3", 0, 0},
      {"\xe2\x82", 0, 0},
      {"\xf0\x9f\x98", 0, 0},
      {"\xe2\x82(", 0, 0},
      {"\xf0(\x98\x80", 0, 0},
  };
  for (const Caso& k : casi) {
    char32_t codice = 0;
    EXPECT_EQ(sequenza_utf8(k.byte, codice), k.n) << k.byte;
    if (k.n == 0) continue;
    EXPECT_EQ(codice, k.codice) << k.byte;
    std::string scritto;
    aggiungi_utf8(scritto, k.codice);
    EXPECT_EQ(scritto, k.byte.substr(0, k.n));
  }
}

// The edges of the control characters, the cut at the length given (a byte
// that is not UTF-8 is one character), and the message of another library:
// as it is only when short and printable ASCII.
TEST(Citazione, EdgesAndCut) {
  const std::string sessanta(60, 'x');
  std::string rotti;
  for (int i = 0; i < 60; ++i) rotti += "\\xff";
  const std::pair<std::string, std::string> casi[] = {
      {"\x1f \x7e", "\"\\u001f \x7e\""},
      {"\xc2\x9f\xc2\xa0", "\"\\u009f\xc2\xa0\""},
      {sessanta, "\"" + sessanta + "\""},
      {sessanta + "y", "\"" + sessanta + "\"... (61 bytes)"},
      {std::string(60, '\xff') + "y", "\"" + rotti + "\"... (61 bytes)"},
  };
  for (const auto& [valore, atteso] : casi) EXPECT_EQ(citazione(valore), atteso) << valore;
  EXPECT_EQ(citazione("\xc3\xa8\xc3\xa8\xc3\xa8", 2), "\"\xc3\xa8\xc3\xa8\"... (6 bytes)");

  const std::string trecento(300, 'e');
  const std::pair<std::string, std::string> messaggi[] = {
      {"expected '='", "expected '='"},
      {trecento, trecento},
      {trecento + "e", "\"" + trecento + "\"... (301 bytes)"},
      {"at \"\x1b[2J\"", "\"at \\\"\\u001b[2J\\\"\""},
      {"at '\xc3\xa8'", "\"at '\xc3\xa8'\""},
  };
  for (const auto& [testo, atteso] : messaggi) EXPECT_EQ(messaggio_esterno(testo), atteso);

  // Text made valid: one U+FFFD for each byte that is not part of UTF-8.
  const std::pair<std::string, std::string> validi[] = {
      {"a\xff"
       "b",
       "a\xef\xbf\xbd"
       "b"},
      {"\xe2\x82", "\xef\xbf\xbd\xef\xbf\xbd"},
      {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
      {"s\xc3\xac \xe2\x82\xac", "s\xc3\xac \xe2\x82\xac"},
  };
  for (const auto& [testo, atteso] : validi) {
    std::string out = ">";
    aggiungi_utf8_valido(out, testo);
    EXPECT_EQ(out, ">" + atteso);
  }
}
