#include "base/citazione.h"

#include "base/utf8.h"

namespace zellora {

void aggiungi_utf8_valido(std::string& out, std::string_view testo) {
  std::size_t i = 0;
  while (i < testo.size()) {
    std::size_t j = i;
    while (j < testo.size() && static_cast<unsigned char>(testo[j]) < 0x80) ++j;
    out.append(testo.substr(i, j - i));
    if (j == testo.size()) break;
    const std::size_t n = sequenza_utf8(testo, j);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      i = j + 1;
    } else {
      out.append(testo.substr(j, n));
      i = j + n;
    }
  }
}

std::string citazione(std::string_view valore, std::size_t massimo) {
  static constexpr char esa[] = "0123456789abcdef";
  std::string out = "\"";
  std::size_t caratteri = 0;
  std::size_t i = 0;
  while (i < valore.size() && caratteri < massimo) {
    const unsigned char c = static_cast<unsigned char>(valore[i]);
    const std::size_t n = sequenza_utf8(valore, i);
    ++caratteri;
    if (n == 0) {
      out += "\\x";
      out += esa[c >> 4];
      out += esa[c & 0xF];
      ++i;
      continue;
    }
    if (n == 1) {
      switch (c) {
        case '"':
          out += "\\\"";
          break;
        case '\\':
          out += "\\\\";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += esa[c >> 4];
            out += esa[c & 0xF];
          } else {
            out += static_cast<char>(c);
          }
      }
    } else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(valore[i + 1]) < 0xA0) {
      // C1 control characters (U+0080 to U+009F) also drive terminals.
      out += "\\u00";
      out += esa[static_cast<unsigned char>(valore[i + 1]) >> 4];
      out += esa[static_cast<unsigned char>(valore[i + 1]) & 0xF];
    } else {
      out.append(valore.substr(i, n));
    }
    i += n;
  }
  out += '"';
  if (i < valore.size()) out += "... (" + std::to_string(valore.size()) + " bytes)";
  return out;
}

}  // namespace zellora
