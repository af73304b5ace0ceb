// The checks of a rule set's text before the TOML reader sees it.
#include "caricamento_testo.h"

#include <cctype>
#include <vector>

#include "base/utf8.h"

namespace zellora {

namespace {

// What a rule set may hold, checked on the text before the TOML reader sees
// it: a year of law has keys four deep, arrays of a few dozen figures and a
// few dozen sectors. The TOML reader follows nested keys and tables by
// recursion, and a deep enough nesting would overflow the stack.
constexpr std::size_t profondita_massima = 16;
constexpr std::size_t elementi_massimi = 4096;
constexpr std::size_t tabelle_in_array_massime = 4096;

// One pass over the text, in time proportional to its length:
// - characters beyond ASCII only inside quoted strings and comments, and
//   valid UTF-8 there (the TOML reader of Debian 12, toml++ 3.3, can reach
//   undefined behaviour on some others);
// - no key, table header or value nested more than profondita_massima deep
//   (each part of a dotted key, each table of a header, each array and
//   inline table counts);
// - no array of more than elementi_massimi elements, no more than
//   tabelle_in_array_massime tables of arrays ([[...]]) in all.
// The pass knows only as much TOML as it needs to tell keys from values and
// to step over strings and comments; the TOML reader checks the rest.
class Esaminatore {
 public:
  explicit Esaminatore(std::string_view t) : t_(t) {}

  Esame esamina() {
    while (i_ < t_.size() && esito_.riga == 0) istruzione();
    return esito_;
  }

 private:
  struct Contenitore {
    char tipo;               // '[' an array, '{' an inline table
    std::size_t profondita;  // of what it holds
    std::size_t elementi = 1;
  };

  void sbaglia(std::string_view ragione) {
    if (esito_.riga == 0) esito_ = {riga_, std::string(ragione)};
  }

  bool fine() const { return i_ >= t_.size() || esito_.riga != 0; }

  void profondita(std::size_t p) {
    if (p > profondita_massima) {
      sbaglia("keys, tables or values nested " + std::to_string(p) + " deep, more than the " +
              std::to_string(profondita_massima) + " a rule set may have");
    }
  }

  // Steps over one character inside a string or a comment.
  void carattere() {
    const auto c = static_cast<unsigned char>(t_[i_]);
    if (c < 0x80) {
      if (c == '\n') ++riga_;
      ++i_;
      return;
    }
    const std::size_t n = sequenza_utf8(t_, i_);
    if (n == 0) {
      sbaglia(fuori_ascii);
      return;
    }
    i_ += n;
  }

  void spazi() {
    while (!fine() && (t_[i_] == ' ' || t_[i_] == '\t')) ++i_;
  }

  void commento() {
    while (!fine() && t_[i_] != '\n') carattere();
  }

  // A quoted string from its opening quote; a single-line one ends at the
  // line's end, where the TOML reader says what is missing.
  void stringa() {
    const char q = t_[i_];
    const std::string_view tre = q == '"' ? std::string_view("\"\"\"") : std::string_view("'''");
    const bool multiriga = t_.substr(i_, 3) == tre;
    i_ += multiriga ? 3 : 1;
    while (!fine()) {
      const char c = t_[i_];
      if (multiriga && t_.substr(i_, 3) == tre) {
        i_ += 3;
        // Up to two more quotes belong to the string.
        for (int k = 0; k < 2 && i_ < t_.size() && t_[i_] == q; ++k) ++i_;
        return;
      }
      if (!multiriga && (c == q || c == '\n')) {
        if (c == q) ++i_;
        return;
      }
      if (q == '"' && c == '\\' && i_ + 1 < t_.size()) ++i_;  // the escaped character
      carattere();
    }
  }

  // A dotted key up to the character that ends it ('=', ']', ...); returns
  // the number of its parts.
  std::size_t chiave() {
    std::size_t parti = 0;
    while (!fine()) {
      spazi();
      if (fine()) break;
      const char c = t_[i_];
      if (c == '"' || c == '\'') {
        stringa();
      } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-') {
        while (i_ < t_.size() && (std::isalnum(static_cast<unsigned char>(t_[i_])) ||
                                  t_[i_] == '_' || t_[i_] == '-')) {
          ++i_;
        }
      } else {
        break;  // not a key: the TOML reader says why
      }
      ++parti;
      spazi();
      if (fine() || t_[i_] != '.') break;
      ++i_;
    }
    return parti;
  }

  static constexpr std::string_view fuori_ascii =
      "a character that is not ASCII outside a quoted string or a comment, or text that is not "
      "UTF-8";
  void fuori_posto() { sbaglia(fuori_ascii); }

  // One line of the file: a table header, a key and its value, a comment or
  // nothing.
  void istruzione() {
    spazi();
    if (fine()) return;
    const char c = t_[i_];
    if (c == '\n' || c == '\r') {
      if (c == '\n') ++riga_;
      ++i_;
      return;
    }
    if (c == '#') {
      commento();
      return;
    }
    if (c == '[') {
      const bool array = t_.substr(i_, 2) == "[[";
      i_ += array ? 2 : 1;
      if (array && ++tabelle_in_array_ > tabelle_in_array_massime) {
        sbaglia("more than " + std::to_string(tabelle_in_array_massime) +
                " tables in arrays ([[...]]), more than a rule set may have");
        return;
      }
      intestazione_ = chiave();
      profondita(intestazione_ + (array ? 1 : 0));
      return resto_della_riga();
    }
    const std::size_t p = intestazione_ + chiave();
    profondita(p);
    spazi();
    if (fine() || t_[i_] != '=') return resto_della_riga();
    ++i_;
    valore(p);
    resto_della_riga();
  }

  // What follows a header or a value on its line: the TOML reader refuses
  // anything but a comment; only characters beyond ASCII are looked at.
  void resto_della_riga() {
    while (!fine() && t_[i_] != '\n') {
      const char c = t_[i_];
      if (c == '#') return commento();
      if (c == '"' || c == '\'') {
        stringa();
      } else if (static_cast<unsigned char>(c) >= 0x80) {
        return fuori_posto();
      } else {
        ++i_;
      }
    }
  }

  // A value whose first character is next, of a key at depth `p`; arrays
  // and inline tables to their end, over as many lines as they take.
  void valore(std::size_t p) {
    std::vector<Contenitore> aperti;
    std::size_t base = p;  // the depth of the key or element whose value comes next
    bool chiave_attesa = false;
    do {
      spazi();
      if (fine()) return;
      const char c = t_[i_];
      if (chiave_attesa) {
        chiave_attesa = false;
        if (c != '}') {
          base = aperti.back().profondita + chiave();
          profondita(base);
          spazi();
          if (!fine() && t_[i_] == '=') ++i_;
          continue;
        }
      }
      if (c == '"' || c == '\'') {
        stringa();
      } else if (c == '#') {
        commento();
      } else if (c == '\n') {
        ++riga_;
        ++i_;
        if (aperti.empty()) return;
      } else if (c == '[' || c == '{') {
        ++i_;
        profondita(base + 1);
        aperti.push_back({c, base + 1});
        base = base + 1;
        chiave_attesa = c == '{';
      } else if (c == ']' || c == '}') {
        ++i_;
        if (!aperti.empty()) aperti.pop_back();
        base = aperti.empty() ? p : aperti.back().profondita;
      } else if (c == ',') {
        ++i_;
        if (aperti.empty()) continue;
        base = aperti.back().profondita;
        if (aperti.back().tipo == '{') {
          chiave_attesa = true;
        } else if (++aperti.back().elementi > elementi_massimi) {
          sbaglia("an array of more than " + std::to_string(elementi_massimi) +
                  " elements, more than a rule set may have");
        }
      } else if (static_cast<unsigned char>(c) >= 0x80) {
        fuori_posto();
      } else {
        ++i_;
      }
    } while (!aperti.empty() && !fine());
  }

  std::string_view t_;
  std::size_t i_ = 0;
  std::size_t riga_ = 1;
  std::size_t intestazione_ = 0;  // parts of the last table header
  std::size_t tabelle_in_array_ = 0;
  Esame esito_;
};

}  // namespace

Esame esamina_testo(std::string_view testo) { return Esaminatore(testo).esamina(); }

}  // namespace zellora
