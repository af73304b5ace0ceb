#include "base/citazione.h"

#include <algorithm>

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

std::string messaggio_esterno(std::string_view testo, std::size_t massimo) {
  const bool semplice =
      testo.size() <= massimo &&
      std::all_of(testo.begin(), testo.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  return semplice ? std::string(testo) : citazione(testo, massimo);
}

std::string citazione(std::string_view valore, std::size_t massimo) {
  static constexpr char esa[] = "0123456789abcdef";
  std::string out = "\"";
  std::size_t caratteri = 0;
  std::size_t i = 0;
  while (i < valore.size() && caratteri < massimo) {
    const unsigned char c = static_cast<unsigned char>(valore[i]);
    char32_t codice = 0;
    const std::size_t n = sequenza_utf8(valore.substr(i), codice);
    ++caratteri;
    if (n == 0) {
      out += "\\x";
      out += esa[c >> 4];
      out += esa[c & 0xF];
      ++i;
      continue;
    }
    switch (codice) {
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
        if (carattere_di_controllo(codice)) {
          // Every such character is in the Basic Multilingual Plane.
          out += "\\u";
          for (int spostamento = 12; spostamento >= 0; spostamento -= 4) {
            out += esa[(codice >> spostamento) & 0xF];
          }
        } else {
          out.append(valore.substr(i, n));
        }
    }
    i += n;
  }
  out += '"';
  if (i < valore.size()) out += "... (" + std::to_string(valore.size()) + " bytes)";
  return out;
}

}  // namespace zellora
