#include "rules/caricamento.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "base/citazione.h"
#include "base/lettura.h"
#include "base/utf8.h"
#include "numbers/conversioni.h"
#include "rules/comunali.h"
#include "rules/regionali.h"

namespace zellora {

namespace {

// What a rule set may hold, checked on the text before the TOML reader sees
// it: a year of law has keys four deep, arrays of a few dozen figures and a
// few dozen sectors. The TOML reader follows nested keys and tables by
// recursion, and a deep enough nesting would overflow the stack.
constexpr std::size_t profondita_massima = 16;
constexpr std::size_t elementi_massimi = 4096;
constexpr std::size_t tabelle_in_array_massime = 4096;

struct Esame {
  std::size_t riga = 0;  // 0: nothing wrong
  std::string ragione;
};

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

// A message of the TOML reader, which may quote the file: as it is when it
// holds only printable ASCII, otherwise quoted with its escapes.
std::string testo_del_lettore(std::string_view testo) { return messaggio_esterno(testo); }

// A key of the file as messages show it: as it is when TOML lets it stand
// bare, otherwise quoted with its escapes, so that nothing it holds can
// drive the terminal; a long one cut as every value shown back is.
std::string chiave_scritta(std::string_view k) {
  const bool nuda = !k.empty() && std::all_of(k.begin(), k.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
  });
  return nuda && k.size() <= citazione_massima ? std::string(k) : citazione(k);
}

}  // namespace

namespace {

// The largest amount a rule set may give: a thousand billion euro, the
// largest figure the results window shows to the cent. With every amount
// below it and every rate a fraction, no figure of a rule set can make the
// calculation overflow.
constexpr double importo_massimo = 1e12;
// The longest name of a rule set, in characters.
constexpr std::size_t nome_massimo = 60;
// Limits closer than this are the same cent.
constexpr double mezzo_centesimo = 0.005;

// True when `testo` holds no character that a message never shows as it is
// (carattere_di_controllo: a control character, a line separator, a mark
// that turns the direction of the text, an invisible format character).
bool testo_stampabile(std::string_view testo) {
  for (std::size_t i = 0; i < testo.size();) {
    char32_t c = 0;
    const std::size_t n = sequenza_utf8(testo.substr(i), c);
    if (n == 0) return false;
    if (carattere_di_controllo(c)) return false;
    i += n;
  }
  return true;
}

// What a figure is, for its checks.
enum class Tipo {
  importo,   // euro amount or limit: not negative
  aliquota,  // fraction: 0 to 1
  percento,  // percent: 0 to 100
  terzi,     // thirds of the INAIL premium: 0 to 3
};

std::string numero_testo(double x) {
  char buf[32];
  const auto fine = scrivi_double(buf, buf + sizeof buf, x).ptr;
  return std::string(buf, fine);
}

std::string_view nome_tipo(toml::node_type t) {
  switch (t) {
    case toml::node_type::table:
      return "a table";
    case toml::node_type::array:
      return "an array";
    case toml::node_type::string:
      return "a string";
    case toml::node_type::integer:
    case toml::node_type::floating_point:
      return "a number";
    case toml::node_type::boolean:
      return "a boolean";
    default:
      return "a date or time";
  }
}

struct FonteLetta {
  std::string riferimento;
  bool aggiornato = true;
  std::string nota;
};

// The figures of a profile with their keys in the file, kept until the
// sectors that name it are read.
struct ProfiloLetto {
  Profilo profilo;
  bool usato = false;
  const toml::node* nodo = nullptr;
};

class Lettore {
 public:
  Lettore(std::string_view testo, std::string_view file) : testo_(testo), file_(file) {
    inizi_riga_.push_back(0);
    bool ascii = true;
    for (std::size_t i = 0; i < testo_.size(); ++i) {
      if (static_cast<unsigned char>(testo_[i]) >= 0x80) ascii = false;
      if (testo_[i] == '\n') {
        inizi_riga_.push_back(i + 1);
        righe_ascii_.push_back(ascii);
        ascii = true;
      }
    }
    righe_ascii_.push_back(ascii);
  }

  RegoleCalcolo leggi(const toml::table& radice);

 private:
  // A table being read: the references it gives (`fonte` for all its
  // figures, `fonti.NAME` for one) and which of them were used.
  struct Livello {
    const toml::table* tabella;
    std::string percorso;
    std::optional<FonteLetta> fonte;
    std::map<std::string, FonteLetta, std::less<>> fonti;
    std::set<std::string, std::less<>> usate;
  };

  [[noreturn]] void errore(const std::string& chiave, std::string ragione,
                           const toml::node* nodo = nullptr) const {
    if (nodo != nullptr && nodo->source().begin.line > 0) {
      ragione += " (line " + std::to_string(nodo->source().begin.line) + ")";
    }
    throw Eccezione(Errore{std::string(file_) + ": " + chiave, std::move(ragione)});
  }

  // The path of a key of the file: the key as chiave_scritta shows it, so
  // that no key reaches a message raw.
  static std::string sotto(const std::string& percorso, std::string_view chiave) {
    const std::string scritta = chiave_scritta(chiave);
    return percorso.empty() ? scritta : percorso + "." + scritta;
  }
  static std::string indice(const std::string& percorso, std::size_t i) {
    return percorso + "[" + std::to_string(i) + "]";
  }

  // Byte offset of a position of toml++ (lines from 1, columns from 1 in
  // code points). A line of ASCII has a byte per column; the code points of
  // another line are found once, so that the figures of a long line cost no
  // more than the line.
  std::size_t posizione(const toml::source_position& p) const {
    if (p.line == 0 || p.line > inizi_riga_.size()) return testo_.size();
    const std::size_t inizio = inizi_riga_[p.line - 1];
    const std::size_t colonna = p.column > 0 ? p.column - 1 : 0;
    if (righe_ascii_[p.line - 1]) return std::min(inizio + colonna, testo_.size());
    std::vector<std::size_t>& punti = punti_riga_[p.line - 1];
    if (punti.empty()) {
      const std::size_t fine = p.line < inizi_riga_.size() ? inizi_riga_[p.line] : testo_.size();
      for (std::size_t i = inizio; i < fine; ++i) {
        if ((static_cast<unsigned char>(testo_[i]) & 0xC0) != 0x80) punti.push_back(i);
      }
      punti.push_back(fine);
    }
    return colonna < punti.size() ? punti[colonna] : punti.back();
  }

  // A value as written in the file; an array as its elements, one line.
  std::string scritto(const toml::node& n) const {
    if (const auto* a = n.as_array()) {
      std::string s = "[";
      for (std::size_t i = 0; i < a->size(); ++i) s += (i ? ", " : "") + scritto(*a->get(i));
      return s + "]";
    }
    const std::size_t da = posizione(n.source().begin);
    const std::size_t a = posizione(n.source().end);
    if (da < a && a <= testo_.size() && n.source().begin.line == n.source().end.line) {
      return std::string(testo_.substr(da, a - da));
    }
    if (const auto v = n.value<double>()) return numero_testo(*v);
    return {};
  }

  void controlla_chiavi(const toml::table& t, const std::string& percorso,
                        std::initializer_list<std::string_view> ammesse) const {
    for (const auto& [k, v] : t) {
      if (k.str() == "fonte" || k.str() == "fonti") continue;
      if (std::find(ammesse.begin(), ammesse.end(), k.str()) == ammesse.end()) {
        errore(sotto(percorso, k.str()), "unknown key", &v);
      }
    }
  }

  const toml::node& richiesto(const toml::table& t, const std::string& percorso,
                              std::string_view chiave) const {
    const toml::node* n = t.get(chiave);
    if (n == nullptr) errore(sotto(percorso, chiave), "missing key", &t);
    return *n;
  }

  const toml::table& tabella(const toml::node& n, const std::string& chiave) const {
    const auto* t = n.as_table();
    if (t == nullptr)
      errore(chiave, "expected a table, found " + std::string(nome_tipo(n.type())), &n);
    return *t;
  }

  const toml::array& array(const toml::node& n, const std::string& chiave) const {
    const auto* a = n.as_array();
    if (a == nullptr)
      errore(chiave, "expected an array, found " + std::string(nome_tipo(n.type())), &n);
    return *a;
  }

  std::string stringa(const toml::node& n, const std::string& chiave) const {
    const auto* s = n.as_string();
    if (s == nullptr)
      errore(chiave, "expected a string, found " + std::string(nome_tipo(n.type())), &n);
    controlla_testo(s->get(), chiave, &n);
    return s->get();
  }

  // A text of the rule set is printed in tables, captions and messages: a
  // control character (a line break, an escape that drives the terminal)
  // or a mark that turns the direction of the text has no place in it.
  void controlla_testo(std::string_view testo, const std::string& chiave,
                       const toml::node* nodo) const {
    if (!testo_stampabile(testo)) {
      errore(chiave, "a control character in the text " + citazione(testo), nodo);
    }
  }

  std::string testo_campo(const toml::table& t, const std::string& percorso,
                          std::string_view chiave) const {
    std::string s = stringa(richiesto(t, percorso, chiave), sotto(percorso, chiave));
    if (s.empty()) errore(sotto(percorso, chiave), "empty", t.get(chiave));
    return s;
  }

  FonteLetta leggi_fonte(const toml::node& n, const std::string& chiave) const {
    const toml::table& t = tabella(n, chiave);
    for (const auto& [k, v] : t) {
      if (k.str() != "riferimento" && k.str() != "aggiornato" && k.str() != "nota") {
        errore(sotto(chiave, k.str()), "unknown key", &v);
      }
    }
    FonteLetta f;
    f.riferimento = testo_campo(t, chiave, "riferimento");
    if (const toml::node* a = t.get("aggiornato")) {
      const auto* b = a->as_boolean();
      if (b == nullptr) {
        errore(sotto(chiave, "aggiornato"),
               "expected true or false, found " + std::string(nome_tipo(a->type())), a);
      }
      f.aggiornato = b->get();
    }
    if (const toml::node* nota = t.get("nota")) f.nota = stringa(*nota, sotto(chiave, "nota"));
    if (!f.aggiornato && f.nota.empty()) {
      errore(sotto(chiave, "nota"), "a figure not updated needs a note saying why", &t);
    }
    return f;
  }

  void entra(const toml::table& t, const std::string& percorso) {
    Livello l{&t, percorso, {}, {}, {}};
    if (const toml::node* f = t.get("fonte")) l.fonte = leggi_fonte(*f, sotto(percorso, "fonte"));
    if (const toml::node* fs = t.get("fonti")) {
      const std::string chiave = sotto(percorso, "fonti");
      for (const auto& [k, v] : tabella(*fs, chiave)) {
        l.fonti.emplace(std::string(k.str()), leggi_fonte(v, sotto(chiave, k.str())));
      }
    }
    livelli_.push_back(std::move(l));
  }

  // Leaves the table: a reference given for a figure it does not have is a
  // typo.
  void esci() {
    const Livello& l = livelli_.back();
    for (const auto& [nome, f] : l.fonti) {
      if (!l.usate.contains(nome)) {
        const std::string chiave = sotto(sotto(l.percorso, "fonti"), nome);
        errore(chiave, "no figure " + citazione(nome) + " in this section",
               l.tabella->get_as<toml::table>("fonti")->get(nome));
      }
    }
    livelli_.pop_back();
  }

  // Records the figure `nome` written at `nodo` with the reference of the
  // nearest table that gives one.
  void registra(std::string_view nome, const std::string& chiave, const toml::node& nodo) {
    registra(nome, chiave, scritto(nodo), nodo);
  }

  // The same for a figure worked out from others (`valore`), listed where
  // `nodo`, the figure it comes from, is written.
  void registra(std::string_view nome, const std::string& chiave, std::string valore,
                const toml::node& nodo) {
    for (auto l = livelli_.rbegin(); l != livelli_.rend(); ++l) {
      const FonteLetta* f = nullptr;
      if (const auto it = l->fonti.find(nome); it != l->fonti.end()) {
        l->usate.emplace(nome);
        f = &it->second;
      } else if (l->fonte) {
        f = &*l->fonte;
      }
      if (f != nullptr) {
        fonti_.push_back({Fonte{chiave, std::move(valore), f->riferimento, f->aggiornato, f->nota},
                          nodo.source().begin});
        return;
      }
    }
    errore(chiave,
           "no legal reference: give `fonte` to the section or `fonti." + std::string(nome) + "`",
           &nodo);
  }

  double valore(const toml::node& n, const std::string& chiave, Tipo tipo) const {
    const auto v = n.value_exact<double>();
    const auto i = n.value_exact<int64_t>();
    if (!v && !i)
      errore(chiave, "expected a number, found " + std::string(nome_tipo(n.type())), &n);
    const double x = v ? *v : static_cast<double>(*i);
    if (!std::isfinite(x)) errore(chiave, "not a finite number", &n);
    const std::string come = scritto(n);
    const bool tasso = tipo != Tipo::importo;
    if (x < 0)
      errore(chiave, std::string(tasso ? "negative rate " : "negative amount ") + come, &n);
    if (tipo == Tipo::importo && x > importo_massimo) {
      errore(chiave,
             "amount " + come +
                 " above 1000000000000 (a thousand billion euro): no figure of the law comes "
                 "near, and the calculation would overflow",
             &n);
    }
    if (tipo == Tipo::aliquota && x > 1) {
      errore(chiave, "rate " + come + " above 1 (rates are fractions: 0.23 is 23 %)", &n);
    }
    if (tipo == Tipo::percento && x > 100) errore(chiave, "percent " + come + " above 100", &n);
    if (tipo == Tipo::terzi && x != 0 && x != 1 && x != 2 && x != 3) {
      errore(chiave, "thirds " + come + " must be 0, 1, 2 or 3", &n);
    }
    return x;
  }

  double numero(const toml::table& t, const std::string& percorso, std::string_view chiave,
                Tipo tipo) {
    const toml::node& n = richiesto(t, percorso, chiave);
    const std::string k = sotto(percorso, chiave);
    const double x = valore(n, k, tipo);
    registra(chiave, k, n);
    return x;
  }

  // An optional rule written true or false, `predefinito` when absent; when
  // given it is listed with its reference like a figure.
  bool interruttore(const toml::table& t, const std::string& percorso, std::string_view chiave,
                    bool predefinito) {
    const toml::node* n = t.get(chiave);
    if (n == nullptr) return predefinito;
    const std::string k = sotto(percorso, chiave);
    const auto* b = n->as_boolean();
    if (b == nullptr) {
      errore(k, "expected true or false, found " + std::string(nome_tipo(n->type())), n);
    }
    registra(chiave, k, *n);
    return b->get();
  }

  // An array of figures, strictly increasing when `crescenti`; one figure in
  // the references.
  std::vector<double> numeri(const toml::table& t, const std::string& percorso,
                             std::string_view chiave, Tipo tipo, bool crescenti) {
    const toml::node& n = richiesto(t, percorso, chiave);
    const std::string k = sotto(percorso, chiave);
    const toml::array& a = array(n, k);
    std::vector<double> v;
    for (std::size_t i = 0; i < a.size(); ++i) {
      v.push_back(valore(*a.get(i), indice(k, i), tipo));
      if (crescenti && i > 0 && v[i] <= v[i - 1]) {
        errore(indice(k, i),
               "limits not strictly increasing: " + scritto(*a.get(i)) + " after " +
                   scritto(*a.get(i - 1)),
               a.get(i));
      }
    }
    registra(chiave, k, n);
    return v;
  }

  // The tables of an array of tables, at most `massimo` of them.
  std::vector<const toml::table*> righe(const toml::table& t, const std::string& percorso,
                                        std::string_view chiave, std::size_t massimo) const {
    const toml::node& n = richiesto(t, percorso, chiave);
    const std::string k = sotto(percorso, chiave);
    const toml::array& a = array(n, k);
    if (a.size() > massimo) {
      errore(k, std::to_string(a.size()) + " bands, at most " + std::to_string(massimo), &n);
    }
    std::vector<const toml::table*> v;
    for (std::size_t i = 0; i < a.size(); ++i) v.push_back(&tabella(*a.get(i), indice(k, i)));
    return v;
  }

  // Limits that the calculation divides by the distance between: at
  // least a cent apart, so that the division cannot overflow.
  void controlla_crescente(double prima, double dopo, const std::string& chiave,
                           const toml::node* nodo) const {
    if (dopo <= prima) {
      errore(
          chiave,
          "limits not strictly increasing: " + numero_testo(dopo) + " after " + numero_testo(prima),
          nodo);
    }
    if (dopo - prima < mezzo_centesimo) {
      errore(
          chiave,
          "limits less than a cent apart: " + numero_testo(dopo) + " after " + numero_testo(prima),
          nodo);
    }
  }

  std::string forma(const toml::table& t, const std::string& percorso,
                    std::initializer_list<std::string_view> forme) const {
    std::string f = testo_campo(t, percorso, "forma");
    if (std::find(forme.begin(), forme.end(), f) == forme.end()) {
      std::string elenco;
      for (const auto s : forme) elenco += (elenco.empty() ? "" : ", ") + std::string(s);
      errore(sotto(percorso, "forma"), "unknown shape " + citazione(f) + " (known: " + elenco + ")",
             t.get("forma"));
    }
    return f;
  }

  TabellaScaglioni scaglioni(const std::vector<double>& limiti, const std::vector<double>& aliquote,
                             const std::string& chiave, const toml::node* nodo) const {
    if (limiti.size() + 1 != aliquote.size()) {
      errore(chiave,
             std::to_string(limiti.size()) + " limits for " + std::to_string(aliquote.size()) +
                 " rates: give one limit less than the rates",
             nodo);
    }
    TabellaScaglioni s;
    s.n = aliquote.size();
    std::copy(limiti.begin(), limiti.end(), s.limiti.begin());
    std::copy(aliquote.begin(), aliquote.end(), s.aliquote.begin());
    return s;
  }

  void leggi_irpef(const toml::table& radice, RegoleCalcolo& r);
  void leggi_dipendente(const toml::table& radice, RegoleCalcolo& r);
  void leggi_coniuge(const toml::table& radice, RegoleCalcolo& r);
  void leggi_figli(const toml::table& radice, RegoleCalcolo& r);
  void leggi_altri(const toml::table& radice, RegoleCalcolo& r);
  void leggi_contributi(const toml::table& radice, RegoleCalcolo& r);
  void leggi_profili(const toml::table& radice);
  void leggi_categorie(const toml::table& radice, RegoleCalcolo& r);
  void leggi_cuneo(const toml::table& radice, RegoleCalcolo& r);
  void leggi_integrativo(const toml::table& radice, RegoleCalcolo& r);
  ImportiFascia importi_fascia(const toml::table& t, const std::string& percorso,
                               std::string_view chiave = "fasce");
  void leggi_addizionale_regionale(const toml::table& radice, RegoleCalcolo& r);
  void leggi_elenco_comuni(const toml::table& radice, RegoleCalcolo& r);
  void leggi_regione(const toml::table& t, const std::string& p, RegolaRegionale& g);
  double aliquota_regionale(const toml::table& t, const std::string& percorso,
                            std::string_view chiave);

  const toml::table& sezione(const toml::table& radice, std::string_view nome) const {
    return tabella(richiesto(radice, "", nome), std::string(nome));
  }

  std::string_view testo_;
  std::string_view file_;
  std::vector<std::size_t> inizi_riga_;
  std::vector<bool> righe_ascii_;
  mutable std::map<std::size_t, std::vector<std::size_t>> punti_riga_;
  std::vector<Livello> livelli_;
  std::vector<std::pair<Fonte, toml::source_position>> fonti_;
  std::map<std::string, ProfiloLetto, std::less<>> profili_;
};

void Lettore::leggi_irpef(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "irpef";
  const toml::table& t = sezione(radice, p);
  controlla_chiavi(t, p, {"limiti_annui", "limiti_mensili", "aliquote"});
  entra(t, p);
  const auto annui = numeri(t, p, "limiti_annui", Tipo::importo, true);
  // The monthly limits are the annual ones brought to the pay period of a
  // month (DPR 600/1973 art. 23 c. 2 lett. a): / 12, to the cent, halves
  // away from zero. Worked out here and listed after the annual ones; an
  // older file that writes them must write these.
  std::vector<double> mensili;
  std::string mensili_testo = "[";
  for (const double a : annui) {
    mensili.push_back(std::round(a * 100 / 12) / 100);
    mensili_testo += (mensili.size() > 1 ? ", " : "") + numero_testo(mensili.back());
  }
  mensili_testo += "]";
  if (const toml::node* scritti = t.get("limiti_mensili")) {
    if (numeri(t, p, "limiti_mensili", Tipo::importo, true) != mensili) {
      errore(p + ".limiti_mensili",
             scritto(*scritti) + ", but the annual limits / 12 to the cent are " + mensili_testo +
                 "; remove the key: the monthly limits are worked out",
             scritti);
    }
  } else {
    registra("limiti_mensili", p + ".limiti_mensili", mensili_testo, *t.get("limiti_annui"));
  }
  const auto aliquote = numeri(t, p, "aliquote", Tipo::aliquota, false);
  if (aliquote.empty() || aliquote.size() > massimo_fasce) {
    errore(p + ".aliquote",
           std::to_string(aliquote.size()) + " brackets, 1 to " + std::to_string(massimo_fasce) +
               " allowed",
           t.get("aliquote"));
  }
  r.irpef_annua = scaglioni(annui, aliquote, p + ".limiti_annui", t.get("limiti_annui"));
  r.irpef_mensile = scaglioni(mensili, aliquote, p + ".limiti_annui", t.get("limiti_annui"));
  esci();
}

ImportiFascia Lettore::importi_fascia(const toml::table& t, const std::string& percorso,
                                      std::string_view chiave) {
  ImportiFascia f;
  const auto v = righe(t, percorso, chiave, massimo_fasce);
  const std::string k = sotto(percorso, chiave);
  for (std::size_t i = 0; i < v.size(); ++i) {
    const toml::table& riga = *v[i];
    const std::string p = indice(k, i);
    controlla_chiavi(riga, p, {"da", "oltre", "a", "importo"});
    entra(riga, p);
    ImportoFascia b;
    const bool da = riga.contains("da");
    if (da == riga.contains("oltre")) {
      errore(p, "give either `da` (lower limit included) or `oltre` (excluded)", &riga);
    }
    b.da_escluso = !da;
    b.da = numero(riga, p, da ? "da" : "oltre", Tipo::importo);
    b.a = numero(riga, p, "a", Tipo::importo);
    b.importo = numero(riga, p, "importo", Tipo::importo);
    if (b.a < b.da || (b.a == b.da && b.da_escluso)) {
      errore(sotto(p, "a"), "upper limit " + numero_testo(b.a) + " below the lower one",
             riga.get("a"));
    }
    if (i > 0) {
      const ImportoFascia& prima = f.fasce[i - 1];
      if (b.da < prima.a || (b.da == prima.a && !b.da_escluso)) {
        errore(sotto(p, da ? "da" : "oltre"),
               "bands not strictly increasing: " + numero_testo(b.da) +
                   " is not above the previous band's upper limit " + numero_testo(prima.a),
               riga.get(da ? "da" : "oltre"));
      }
    }
    esci();
    f.fasce[f.n++] = b;
  }
  return f;
}

void Lettore::leggi_dipendente(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "detrazione_dipendente";
  const toml::table& t = sezione(radice, p);
  controlla_chiavi(t, p,
                   {"forma", "primo_limite", "importo_primo", "minimo", "fasce", "quattro_decimali",
                    "ulteriori"});
  entra(t, p);
  RegoleDetrazioneDipendente& d = r.dipendente;
  forma(t, p, {"fasce_decrescenti"});
  d.forma = FormaDetrazioneDipendente::fasce_decrescenti;
  d.primo_limite = numero(t, p, "primo_limite", Tipo::importo);
  d.importo_primo = numero(t, p, "importo_primo", Tipo::importo);
  d.minimo = numero(t, p, "minimo", Tipo::importo);
  const auto v = righe(t, p, "fasce", massimo_fasce);
  double limite = d.primo_limite;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const std::string q = indice(p + ".fasce", i);
    controlla_chiavi(*v[i], q, {"fino_a", "fisso", "variabile"});
    entra(*v[i], q);
    FasciaDipendente& f = d.fasce[d.n++];
    f.fino_a = numero(*v[i], q, "fino_a", Tipo::importo);
    controlla_crescente(limite, f.fino_a, q + ".fino_a", v[i]->get("fino_a"));
    limite = f.fino_a;
    f.fisso = numero(*v[i], q, "fisso", Tipo::importo);
    f.variabile = numero(*v[i], q, "variabile", Tipo::importo);
    esci();
  }
  d.quattro_decimali = interruttore(t, p, "quattro_decimali", false);
  const std::string u = p + ".ulteriori";
  const toml::table& ult = tabella(richiesto(t, p, "ulteriori"), u);
  controlla_chiavi(ult, u, {"fasce", "rapportati_ai_giorni"});
  entra(ult, u);
  d.ulteriori = importi_fascia(ult, u);
  d.ulteriori_rapportati = interruttore(ult, u, "rapportati_ai_giorni", true);
  esci();
  esci();
}

void Lettore::leggi_coniuge(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "detrazione_coniuge";
  const toml::table& t = sezione(radice, p);
  controlla_chiavi(t, p,
                   {"forma", "primo_limite", "base", "riduzione", "secondo_limite", "fisso",
                    "terzo_limite", "quattro_decimali", "maggiorazioni"});
  entra(t, p);
  RegoleDetrazioneConiuge& c = r.coniuge;
  forma(t, p, {"tre_fasce"});
  c.forma = FormaDetrazioneConiuge::tre_fasce;
  c.primo_limite = numero(t, p, "primo_limite", Tipo::importo);
  controlla_crescente(0, c.primo_limite, p + ".primo_limite", t.get("primo_limite"));
  c.base = numero(t, p, "base", Tipo::importo);
  c.riduzione = numero(t, p, "riduzione", Tipo::importo);
  c.secondo_limite = numero(t, p, "secondo_limite", Tipo::importo);
  controlla_crescente(c.primo_limite, c.secondo_limite, p + ".secondo_limite",
                      t.get("secondo_limite"));
  c.fisso = numero(t, p, "fisso", Tipo::importo);
  c.terzo_limite = numero(t, p, "terzo_limite", Tipo::importo);
  controlla_crescente(c.secondo_limite, c.terzo_limite, p + ".terzo_limite", t.get("terzo_limite"));
  c.quattro_decimali = interruttore(t, p, "quattro_decimali", false);
  const std::string m = p + ".maggiorazioni";
  const toml::table& mag = tabella(richiesto(t, p, "maggiorazioni"), m);
  controlla_chiavi(mag, m, {"fasce"});
  entra(mag, m);
  c.maggiorazioni = importi_fascia(mag, m);
  esci();
  esci();
}

void Lettore::leggi_figli(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "detrazione_figli";
  const toml::table& t = sezione(radice, p);
  const bool quarto = forma(t, p, {"aumentata_dal_quarto", "per_figlio"}) == "aumentata_dal_quarto";
  if (quarto) {
    controlla_chiavi(t, p,
                     {"forma", "importo", "importo_dal_quarto", "maggiorazione_minori", "limite",
                      "aumento_limite", "quattro_decimali"});
  } else {
    controlla_chiavi(t, p,
                     {"forma", "importo", "maggiorazione_minori", "limite", "aumento_limite",
                      "quattro_decimali"});
  }
  entra(t, p);
  RegoleDetrazioneFigli& f = r.figli;
  f.forma = quarto ? FormaBaseFigli::aumentata_dal_quarto : FormaBaseFigli::per_figlio;
  f.importo = numero(t, p, "importo", Tipo::importo);
  if (quarto) f.importo_dal_quarto = numero(t, p, "importo_dal_quarto", Tipo::importo);
  f.maggiorazione_minori = numero(t, p, "maggiorazione_minori", Tipo::importo);
  f.limite = numero(t, p, "limite", Tipo::importo);
  controlla_crescente(0, f.limite, p + ".limite", t.get("limite"));
  f.aumento_limite = numero(t, p, "aumento_limite", Tipo::importo);
  f.quattro_decimali = interruttore(t, p, "quattro_decimali", false);
  esci();
}

void Lettore::leggi_altri(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "detrazione_altri";
  const toml::table& t = sezione(radice, p);
  controlla_chiavi(t, p, {"importo", "limite", "quattro_decimali"});
  entra(t, p);
  r.altri.importo = numero(t, p, "importo", Tipo::importo);
  r.altri.limite = numero(t, p, "limite", Tipo::importo);
  controlla_crescente(0, r.altri.limite, p + ".limite", t.get("limite"));
  r.altri.quattro_decimali = interruttore(t, p, "quattro_decimali", false);
  esci();
}

void Lettore::leggi_contributi(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "contributi";
  const toml::table& t = sezione(radice, p);
  controlla_chiavi(
      t, p,
      {"contributo_aggiuntivo_percento", "aggiuntivo_entro_massimale", "maggiorazione_inail"});
  entra(t, p);
  r.contributo_aggiuntivo_percento = numero(t, p, "contributo_aggiuntivo_percento", Tipo::percento);
  r.aggiuntivo_entro_massimale = interruttore(t, p, "aggiuntivo_entro_massimale", false);
  r.maggiorazione_inail = numero(t, p, "maggiorazione_inail", Tipo::aliquota);
  esci();
}

void Lettore::leggi_profili(const toml::table& radice) {
  const toml::table& tutti = sezione(radice, "profilo");
  for (const auto& [nome, nodo] : tutti) {
    const std::string p = sotto("profilo", nome.str());
    controlla_testo(nome.str(), p, &nodo);
    const toml::table& t = tabella(nodo, p);
    controlla_chiavi(
        t, p,
        {"massimale_inps", "soglia_contributo_aggiuntivo", "minimale_inail", "massimale_inail",
         "aliquota_tfr", "aliquota_irap", "quota_inail_dip", "quota_inail_az"});
    entra(t, p);
    Profilo f;
    f.massimale_inps = numero(t, p, "massimale_inps", Tipo::importo);
    f.soglia_contributo_aggiuntivo = numero(t, p, "soglia_contributo_aggiuntivo", Tipo::importo);
    f.minimale_inail = numero(t, p, "minimale_inail", Tipo::importo);
    f.massimale_inail = numero(t, p, "massimale_inail", Tipo::importo);
    if (f.massimale_inail < f.minimale_inail) {
      errore(p + ".massimale_inail", "below minimale_inail", t.get("massimale_inail"));
    }
    f.aliquota_tfr = numero(t, p, "aliquota_tfr", Tipo::aliquota);
    f.aliquota_irap = numero(t, p, "aliquota_irap", Tipo::aliquota);
    f.quota_inail_dip = numero(t, p, "quota_inail_dip", Tipo::terzi);
    f.quota_inail_az = numero(t, p, "quota_inail_az", Tipo::terzi);
    if (f.quota_inail_dip + f.quota_inail_az != 3) {
      errore(p + ".quota_inail_az", "the two INAIL quotas must add up to 3 thirds",
             t.get("quota_inail_az"));
    }
    esci();
    profili_.emplace(std::string(nome.str()), ProfiloLetto{f, false, &nodo});
  }
}

void Lettore::leggi_categorie(const toml::table& radice, RegoleCalcolo& r) {
  const toml::node& n = richiesto(radice, "", "categoria");
  const toml::array& a = array(n, "categoria");
  if (a.empty()) errore("categoria", "no category", &n);
  const auto noti = [this] {
    std::string s;
    for (const auto& [k, v] : profili_) s += (s.empty() ? "" : ", ") + citazione(k);
    return s;
  };
  std::set<std::string, std::less<>> nomi;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::string p = indice("categoria", i);
    // The items of the category, current and earlier, each naming one sector.
    std::set<std::string, std::less<>> voci;
    const toml::table& t = tabella(*a.get(i), p);
    controlla_chiavi(t, p, {"nome", "profilo", "settori"});
    entra(t, p);
    Categoria c;
    c.nome = testo_campo(t, p, "nome");
    if (!nomi.insert(c.nome).second) {
      errore(p + ".nome", "category " + citazione(c.nome) + " given twice", &t);
    }
    std::string profilo_categoria;
    if (t.contains("profilo")) profilo_categoria = testo_campo(t, p, "profilo");
    const auto v = righe(t, p, "settori", static_cast<std::size_t>(-1));
    if (v.empty()) errore(p + ".settori", "category without sectors", t.get("settori"));
    for (std::size_t j = 0; j < v.size(); ++j) {
      const std::string q = indice(p + ".settori", j);
      const toml::table& s = *v[j];
      controlla_chiavi(s, q, {"voce", "profilo", "inps_dip", "inps_az", "voci_precedenti"});
      entra(s, q);
      Settore settore;
      settore.voce = testo_campo(s, q, "voce");
      if (!voci.insert(settore.voce).second) {
        errore(q + ".voce", "sector " + citazione(settore.voce) + " given twice in this category",
               &s);
      }
      settore.nome_profilo =
          s.contains("profilo") ? testo_campo(s, q, "profilo") : profilo_categoria;
      if (settore.nome_profilo.empty()) {
        errore(q + ".profilo", "missing key (or give `profilo` to the category)", &s);
      }
      const auto it = profili_.find(settore.nome_profilo);
      if (it == profili_.end()) {
        errore(s.contains("profilo") ? q + ".profilo" : p + ".profilo",
               "unknown profile " + citazione(settore.nome_profilo) + " (known: " + noti() + ")",
               s.contains("profilo") ? s.get("profilo") : t.get("profilo"));
      }
      it->second.usato = true;
      settore.profilo = it->second.profilo;
      settore.profilo.aliquota_inps_dip = numero(s, q, "inps_dip", Tipo::aliquota);
      settore.profilo.aliquota_inps_az = numero(s, q, "inps_az", Tipo::aliquota);
      if (const toml::node* precedenti = s.get("voci_precedenti")) {
        const std::string k = q + ".voci_precedenti";
        const toml::array& w = array(*precedenti, k);
        for (std::size_t m = 0; m < w.size(); ++m) {
          std::string voce = stringa(*w.get(m), indice(k, m));
          if (voce.empty()) errore(indice(k, m), "empty", w.get(m));
          if (!voci.insert(voce).second) {
            errore(indice(k, m),
                   "item " + citazione(voce) +
                       " given twice in this category (an earlier item "
                       "names one sector only)",
                   w.get(m));
          }
          settore.voci_precedenti.push_back(std::move(voce));
        }
      }
      esci();
      c.settori.push_back(std::move(settore));
    }
    esci();
    r.categorie.push_back(std::move(c));
  }
  for (const auto& [nome, p] : profili_) {
    if (!p.usato) {
      errore(sotto("profilo", nome), "profile not used by any sector", p.nodo);
    }
  }
}

// The "cuneo fiscale", when the year has it: after the categories, whose
// names it refers to.
void Lettore::leggi_cuneo(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "cuneo_fiscale";
  const toml::node* n = radice.get(p);
  if (n == nullptr) return;
  const toml::table& t = tabella(*n, p);
  controlla_chiavi(t, p, {"somma", "importo", "pieno_fino_a", "fino_a", "categorie_escluse"});
  entra(t, p);
  RegoleCuneoFiscale& c = r.cuneo;
  c.presente = true;
  const auto v = righe(t, p, "somma", massimo_fasce);
  if (v.empty()) errore(p + ".somma", "no band", t.get("somma"));
  double limite = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const std::string q = indice(p + ".somma", i);
    controlla_chiavi(*v[i], q, {"fino_a", "aliquota"});
    entra(*v[i], q);
    FasciaSomma& f = c.somma[c.n++];
    f.fino_a = numero(*v[i], q, "fino_a", Tipo::importo);
    controlla_crescente(limite, f.fino_a, q + ".fino_a", v[i]->get("fino_a"));
    limite = f.fino_a;
    f.aliquota = numero(*v[i], q, "aliquota", Tipo::aliquota);
    esci();
  }
  c.importo = numero(t, p, "importo", Tipo::importo);
  c.pieno_fino_a = numero(t, p, "pieno_fino_a", Tipo::importo);
  controlla_crescente(limite, c.pieno_fino_a, p + ".pieno_fino_a", t.get("pieno_fino_a"));
  c.fino_a = numero(t, p, "fino_a", Tipo::importo);
  controlla_crescente(c.pieno_fino_a, c.fino_a, p + ".fino_a", t.get("fino_a"));
  const std::string k = p + ".categorie_escluse";
  const toml::node& e = richiesto(t, p, "categorie_escluse");
  const toml::array& a = array(e, k);
  std::set<std::string_view> categorie;
  for (const Categoria& x : r.categorie) categorie.insert(x.nome);
  std::set<std::string, std::less<>> escluse;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::string nome = stringa(*a.get(i), indice(k, i));
    if (!categorie.contains(nome)) {
      std::string noti;
      for (const Categoria& x : r.categorie) noti += (noti.empty() ? "" : ", ") + citazione(x.nome);
      errore(indice(k, i), "unknown category " + citazione(nome) + " (known: " + noti + ")",
             a.get(i));
    }
    if (!escluse.insert(nome).second) {
      errore(indice(k, i), "category " + citazione(nome) + " given twice", a.get(i));
    }
    c.categorie_escluse.push_back(nome);
  }
  registra("categorie_escluse", k, e);
  esci();
}

// The "trattamento integrativo", when the year has it.
void Lettore::leggi_integrativo(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "trattamento_integrativo";
  const toml::node* n = radice.get(p);
  if (n == nullptr) return;
  const toml::table& t = tabella(*n, p);
  controlla_chiavi(t, p, {"importo", "primo_limite", "riduzione", "secondo_limite"});
  entra(t, p);
  RegoleTrattamentoIntegrativo& i = r.integrativo;
  i.presente = true;
  i.importo = numero(t, p, "importo", Tipo::importo);
  i.primo_limite = numero(t, p, "primo_limite", Tipo::importo);
  controlla_crescente(0, i.primo_limite, p + ".primo_limite", t.get("primo_limite"));
  i.riduzione = numero(t, p, "riduzione", Tipo::importo);
  i.secondo_limite = numero(t, p, "secondo_limite", Tipo::importo);
  controlla_crescente(i.primo_limite, i.secondo_limite, p + ".secondo_limite",
                      t.get("secondo_limite"));
  esci();
}

// The highest rate of the regional surcharge: the base rate of 1,23 % raised
// by at most 2,1 points (D.Lgs. 68/2011 art. 6 c. 1), and by the 0,30
// points a region behind its health-care recovery plan pays on top (L.
// 191/2009 art. 2 c. 86). Above it a figure is a typo (percent for a
// fraction, a digit too many).
constexpr double aliquota_regionale_massima = 0.0363;

double Lettore::aliquota_regionale(const toml::table& t, const std::string& percorso,
                                   std::string_view chiave) {
  const double x = numero(t, percorso, chiave, Tipo::aliquota);
  if (x > aliquota_regionale_massima) {
    errore(sotto(percorso, chiave),
           "rate " + scritto(*t.get(chiave)) +
               " above 0.0363, the most a region may levy (1,23 % + 2,1 + 0,30 points)",
           t.get(chiave));
  }
  return x;
}

// One region or province with its table. Every figure takes the reference
// of the region's `fonte` unless it gives its own.
void Lettore::leggi_regione(const toml::table& t, const std::string& p, RegolaRegionale& g) {
  const std::string f = forma(t, p, {"scaglioni", "aliquota_unica", "fascia_intero"});
  const bool unica = f == "aliquota_unica";
  const auto modifiche = {"esenzione",  "deduzione",     "aliquota_intera",
                          "detrazioni", "non_applicate", "detrazione_proporzionale"};
  for (const auto& [k, v] : t) {
    const bool rate = unica ? k.str() == "aliquota" : k.str() == "limiti" || k.str() == "aliquote";
    if (k.str() == "nome" || k.str() == "forma" || k.str() == "fonte" || k.str() == "fonti" ||
        rate || std::find(modifiche.begin(), modifiche.end(), k.str()) != modifiche.end()) {
      continue;
    }
    errore(sotto(p, k.str()), "unknown key for the shape \"" + f + "\"", &v);
  }
  if (!t.contains("fonte")) {
    errore(sotto(p, "fonte"), "missing key: the law of the region's table", &t);
  }
  entra(t, p);
  g.offerta = true;
  g.riferimento = livelli_.back().fonte->riferimento;
  if (unica) {
    g.forma = FormaAddizionaleRegionale::aliquota_unica;
    g.aliquote.n = 1;
    g.aliquote.aliquote[0] = aliquota_regionale(t, p, "aliquota");
  } else {
    g.forma = f == "scaglioni" ? FormaAddizionaleRegionale::scaglioni
                               : FormaAddizionaleRegionale::fascia_intero;
    const auto limiti = numeri(t, p, "limiti", Tipo::importo, true);
    const auto aliquote = numeri(t, p, "aliquote", Tipo::aliquota, false);
    if (aliquote.empty() || aliquote.size() > massimo_fasce) {
      errore(p + ".aliquote",
             std::to_string(aliquote.size()) + " brackets, 1 to " + std::to_string(massimo_fasce) +
                 " allowed",
             t.get("aliquote"));
    }
    for (std::size_t i = 0; i < aliquote.size(); ++i) {
      if (aliquote[i] > aliquota_regionale_massima) {
        const toml::node* n = t.get_as<toml::array>("aliquote")->get(i);
        errore(indice(p + ".aliquote", i),
               "rate " + scritto(*n) +
                   " above 0.0363, the most a region may levy (1,23 % + 2,1 + 0,30 points)",
               n);
      }
    }
    if (!limiti.empty()) controlla_crescente(0, limiti.front(), p + ".limiti", t.get("limiti"));
    g.aliquote = scaglioni(limiti, aliquote, p + ".limiti", t.get("limiti"));
  }
  // The optional parts, each a table with the figures of its shape.
  const auto parte = [&](std::string_view nome,
                         std::initializer_list<std::string_view> chiavi) -> const toml::table* {
    const toml::node* n = t.get(nome);
    if (n == nullptr) return nullptr;
    const std::string q = sotto(p, nome);
    const toml::table& s = tabella(*n, q);
    controlla_chiavi(s, q, chiavi);
    entra(s, q);
    return &s;
  };
  if (const toml::table* s = parte("esenzione", {"fino_a"})) {
    const std::string q = p + ".esenzione";
    g.esenzione = true;
    g.esenzione_fino_a = numero(*s, q, "fino_a", Tipo::importo);
    controlla_crescente(0, g.esenzione_fino_a, q + ".fino_a", s->get("fino_a"));
    esci();
  }
  if (const toml::table* s = parte("deduzione", {"importo", "fino_a"})) {
    const std::string q = p + ".deduzione";
    g.deduzione = true;
    g.deduzione_importo = numero(*s, q, "importo", Tipo::importo);
    g.deduzione_fino_a = numero(*s, q, "fino_a", Tipo::importo);
    controlla_crescente(0, g.deduzione_fino_a, q + ".fino_a", s->get("fino_a"));
    esci();
  }
  if (const toml::table* s = parte("aliquota_intera", {"fino_a", "aliquota"})) {
    const std::string q = p + ".aliquota_intera";
    g.aliquota_intera = true;
    g.aliquota_intera_fino_a = numero(*s, q, "fino_a", Tipo::importo);
    controlla_crescente(0, g.aliquota_intera_fino_a, q + ".fino_a", s->get("fino_a"));
    g.aliquota_intera_aliquota = aliquota_regionale(*s, q, "aliquota");
    esci();
  }
  if (t.contains("detrazioni")) g.detrazioni = importi_fascia(t, p, "detrazioni");
  if (const toml::table* s = parte("detrazione_proporzionale", {"importo", "oltre", "divisore"})) {
    const std::string q = p + ".detrazione_proporzionale";
    g.detrazione_proporzionale = true;
    g.proporzionale_importo = numero(*s, q, "importo", Tipo::importo);
    g.proporzionale_oltre = numero(*s, q, "oltre", Tipo::importo);
    g.proporzionale_divisore = numero(*s, q, "divisore", Tipo::importo);
    controlla_crescente(0, g.proporzionale_divisore, q + ".divisore", s->get("divisore"));
    esci();
  }
  if (t.contains("non_applicate")) {
    const auto v = righe(t, p, "non_applicate", massimo_fasce);
    for (std::size_t i = 0; i < v.size(); ++i) {
      const std::string q = indice(p + ".non_applicate", i);
      const toml::table& s = *v[i];
      const bool figli =
          forma(s, q, {"detrazione_figli", "aliquota_agevolata"}) == "detrazione_figli";
      if (figli) {
        controlla_chiavi(s, q,
                         {"forma", "condizione", "importo", "importo_disabile", "reddito_fino_a"});
      } else {
        controlla_chiavi(s, q, {"forma", "condizione", "aliquota", "reddito_fino_a"});
      }
      entra(s, q);
      AgevolazioneRegionale a;
      a.forma = figli ? FormaAgevolazioneRegionale::detrazione_figli
                      : FormaAgevolazioneRegionale::aliquota_agevolata;
      a.condizione = testo_campo(s, q, "condizione");
      a.riferimento = livelli_.back().fonte ? livelli_.back().fonte->riferimento : g.riferimento;
      if (figli) {
        if (s.contains("importo")) a.importo = numero(s, q, "importo", Tipo::importo);
        if (s.contains("importo_disabile")) {
          a.importo_disabile = numero(s, q, "importo_disabile", Tipo::importo);
        }
      } else {
        a.aliquota = aliquota_regionale(s, q, "aliquota");
      }
      if (s.contains("reddito_fino_a")) {
        a.reddito_fino_a = numero(s, q, "reddito_fino_a", Tipo::importo);
        controlla_crescente(0, a.reddito_fino_a, q + ".reddito_fino_a", s.get("reddito_fino_a"));
      }
      esci();
      g.non_applicate.push_back(std::move(a));
    }
  }
  esci();
}

// The regional surcharge, when the year has it: each region or province
// once, by its name, with its table or the reason it is not offered.
void Lettore::leggi_addizionale_regionale(const toml::table& radice, RegoleCalcolo& r) {
  const std::string k = "addizionale_regionale";
  const toml::node* n = radice.get(k);
  if (n == nullptr) return;
  const toml::array& a = array(*n, k);
  std::string noti;
  for (const std::string& x : nomi_regioni()) noti += (noti.empty() ? "" : ", ") + x;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::string p = indice(k, i);
    const toml::table& t = tabella(*a.get(i), p);
    RegolaRegionale g;
    g.nome = testo_campo(t, p, "nome");
    const auto& nomi = nomi_regioni();
    if (std::find(nomi.begin(), nomi.end(), g.nome) == nomi.end()) {
      errore(p + ".nome", "not a region or autonomous province (known: " + noti + ")",
             t.get("nome"));
    }
    for (const RegolaRegionale& altra : r.addizionale_regionale) {
      if (altra.nome == g.nome)
        errore(p + ".nome", "\"" + g.nome + "\" given twice", t.get("nome"));
    }
    if (t.contains("non_offerta")) {
      for (const auto& [c, v] : t) {
        if (c.str() != "nome" && c.str() != "non_offerta") {
          errore(sotto(p, c.str()),
                 "a region not offered has no figures: give only `nome` and `non_offerta`", &v);
        }
      }
      g.motivo = testo_campo(t, p, "non_offerta");
    } else {
      leggi_regione(t, p, g);
    }
    r.addizionale_regionale.push_back(std::move(g));
  }
}

// The year of the Ministry's list of the comuni, when the rule set has the
// municipal surcharge: a year the program has a list of. Like the regions'
// tables, it counts only under today's law (addizionali_disponibili).
void Lettore::leggi_elenco_comuni(const toml::table& radice, RegoleCalcolo& r) {
  const std::string k = "elenco_comuni";
  const toml::node* n = radice.get(k);
  if (n == nullptr) return;
  // Said in Italian: a desktop user reads it in the notice of the rule set
  // files left out.
  const auto elenchi = anni_addizionale_comunale();
  std::string anni;
  for (const int a : elenchi) anni += (anni.empty() ? "" : ", ") + std::to_string(a);
  const auto anno = n->value_exact<int64_t>();
  if (!anno) errore(k, "deve essere l'anno di un elenco dei comuni (" + anni + ")", n);
  if (std::find(elenchi.begin(), elenchi.end(), *anno) == elenchi.end()) {
    errore(k,
           "non c'\u00e8 un elenco dei comuni del " + std::to_string(*anno) + " (elenchi: " + anni +
               ")",
           n);
  }
  r.elenco_comuni = static_cast<int>(*anno);
}

RegoleCalcolo Lettore::leggi(const toml::table& radice) {
  controlla_chiavi(radice, "",
                   {"nome", "descrizione", "irpef", "detrazione_dipendente", "detrazione_coniuge",
                    "detrazione_figli", "detrazione_altri", "cuneo_fiscale",
                    "trattamento_integrativo", "contributi", "profilo", "categoria",
                    "ricerca_da_zero", "addizionale_regionale", "elenco_comuni"});
  for (const std::string_view k : {"fonte", "fonti"}) {
    if (const toml::node* n = radice.get(k)) {
      errore(std::string(k), "unknown key (give references inside the sections)", n);
    }
  }
  RegoleCalcolo r;
  r.nome = testo_campo(radice, "", "nome");
  // The name goes in captions, in "Normativa" and in every row of a batch:
  // a short name.
  const auto caratteri =
      static_cast<std::size_t>(std::count_if(r.nome.begin(), r.nome.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      }));
  if (caratteri > nome_massimo) {
    errore("nome",
           "a name of " + std::to_string(caratteri) + " characters; at most " +
               std::to_string(nome_massimo),
           radice.get("nome"));
  }
  r.descrizione = testo_campo(radice, "", "descrizione");
  const toml::node* da_zero = radice.get("ricerca_da_zero");
  if (da_zero != nullptr && da_zero->as_boolean() == nullptr) {
    errore("ricerca_da_zero",
           "expected true or false, found " + std::string(nome_tipo(da_zero->type())), da_zero);
  }
  leggi_irpef(radice, r);
  leggi_dipendente(radice, r);
  leggi_coniuge(radice, r);
  leggi_figli(radice, r);
  leggi_altri(radice, r);
  leggi_contributi(radice, r);
  leggi_profili(radice);
  leggi_categorie(radice, r);
  leggi_cuneo(radice, r);
  leggi_integrativo(radice, r);
  // The net can exceed the gross only through the tax-free sum of the cuneo
  // fiscale and the trattamento integrativo: then a net may come from a
  // gross below it, and the net-to-gross search starts at 0. Derived, never
  // chosen: a search from the net would pass over such grosses. The key of
  // older files is taken when it says the same.
  r.ricerca_da_zero = r.cuneo.presente || r.integrativo.presente;
  if (da_zero != nullptr && da_zero->as_boolean()->get() != r.ricerca_da_zero) {
    errore("ricerca_da_zero",
           r.ricerca_da_zero
               ? "false, but with the cuneo fiscale or the trattamento integrativo the net can "
                 "exceed the gross and the search must start at 0; remove the key"
               : "true, but without the cuneo fiscale and the trattamento integrativo the net "
                 "never exceeds the gross and the search starts at the net; remove the key",
           da_zero);
  }
  leggi_addizionale_regionale(radice, r);
  leggi_elenco_comuni(radice, r);
  std::stable_sort(fonti_.begin(), fonti_.end(), [](const auto& x, const auto& y) {
    return std::pair(x.second.line, x.second.column) < std::pair(y.second.line, y.second.column);
  });
  for (auto& f : fonti_) r.fonti.push_back(std::move(f.first));
  return r;
}

}  // namespace

RegoleCalcolo carica_regole(std::string_view testo, std::string_view file) {
  try {
    if (testo.size() > limite_regole.byte) {
      throw Eccezione(Errore{std::string(file), oltre_il_limite(limite_regole)});
    }
    // A byte order mark, as some editors write: not part of the text.
    if (testo.substr(0, 3) == "\xEF\xBB\xBF") testo.remove_prefix(3);
    if (const Esame esame = Esaminatore(testo).esamina(); esame.riga != 0) {
      throw Eccezione(
          Errore{std::string(file), "line " + std::to_string(esame.riga) + ": " + esame.ragione});
    }
    toml::table radice;
    try {
      radice = toml::parse(testo, std::string(file));
    } catch (const toml::parse_error& e) {
      const auto& b = e.source().begin;
      throw Eccezione(Errore{std::string(file), "line " + std::to_string(b.line) + ", column " +
                                                    std::to_string(b.column) + ": " +
                                                    testo_del_lettore(e.description())});
    }
    return Lettore(testo, file).leggi(radice);
  } catch (const Eccezione&) {
    throw;
  } catch (const std::exception& e) {
    throw Eccezione(Errore{std::string(file), testo_del_lettore(e.what())});
  }
}

}  // namespace zellora
