// The typed reader of a rule set's TOML: each value with its type, its
// checks and its legal reference, and the refusals naming the key.
#include "lettore_regole.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/citazione.h"
#include "base/errore.h"
#include "base/utf8.h"
#include "numbers/conversioni.h"

namespace zellora {

namespace {

// A key of the file as messages show it: as it is when TOML lets it stand
// bare, otherwise quoted with its escapes, so that nothing it holds can
// drive the terminal; a long one cut as every value shown back is.
std::string chiave_scritta(std::string_view k) {
  const bool nuda = !k.empty() && std::all_of(k.begin(), k.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
  });
  return nuda && k.size() <= citazione_massima ? std::string(k) : citazione(k);
}

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

}  // namespace

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

LettoreRegole::LettoreRegole(std::string_view testo, std::string_view file)
    : testo_(testo), file_(file) {
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

void LettoreRegole::errore(const std::string& chiave, std::string ragione,
                           const toml::node* nodo) const {
  if (nodo != nullptr && nodo->source().begin.line > 0) {
    ragione += " (line " + std::to_string(nodo->source().begin.line) + ")";
  }
  throw Eccezione(Errore{std::string(file_) + ": " + chiave, std::move(ragione)});
}

std::string LettoreRegole::sotto(const std::string& percorso, std::string_view chiave) {
  const std::string scritta = chiave_scritta(chiave);
  return percorso.empty() ? scritta : percorso + "." + scritta;
}

std::string LettoreRegole::indice(const std::string& percorso, std::size_t i) {
  return percorso + "[" + std::to_string(i) + "]";
}

// Byte offset of a position of toml++ (lines from 1, columns from 1 in
// code points). A line of ASCII has a byte per column; the code points of
// another line are found once, so that the figures of a long line cost no
// more than the line.
std::size_t LettoreRegole::posizione(const toml::source_position& p) const {
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

std::string LettoreRegole::scritto(const toml::node& n) const {
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

void LettoreRegole::controlla_chiavi(const toml::table& t, const std::string& percorso,
                                     std::initializer_list<std::string_view> ammesse) const {
  for (const auto& [k, v] : t) {
    if (k.str() == "fonte" || k.str() == "fonti") continue;
    if (std::find(ammesse.begin(), ammesse.end(), k.str()) == ammesse.end()) {
      errore(sotto(percorso, k.str()), "unknown key", &v);
    }
  }
}

const toml::node& LettoreRegole::richiesto(const toml::table& t, const std::string& percorso,
                                           std::string_view chiave) const {
  const toml::node* n = t.get(chiave);
  if (n == nullptr) errore(sotto(percorso, chiave), "missing key", &t);
  return *n;
}

const toml::table& LettoreRegole::tabella(const toml::node& n, const std::string& chiave) const {
  const auto* t = n.as_table();
  if (t == nullptr)
    errore(chiave, "expected a table, found " + std::string(nome_tipo(n.type())), &n);
  return *t;
}

const toml::array& LettoreRegole::array(const toml::node& n, const std::string& chiave) const {
  const auto* a = n.as_array();
  if (a == nullptr)
    errore(chiave, "expected an array, found " + std::string(nome_tipo(n.type())), &n);
  return *a;
}

std::string LettoreRegole::stringa(const toml::node& n, const std::string& chiave) const {
  const auto* s = n.as_string();
  if (s == nullptr)
    errore(chiave, "expected a string, found " + std::string(nome_tipo(n.type())), &n);
  controlla_testo(s->get(), chiave, &n);
  return s->get();
}

void LettoreRegole::controlla_testo(std::string_view testo, const std::string& chiave,
                                    const toml::node* nodo) const {
  if (!testo_stampabile(testo)) {
    errore(chiave, "a control character in the text " + citazione(testo), nodo);
  }
}

std::string LettoreRegole::testo_campo(const toml::table& t, const std::string& percorso,
                                       std::string_view chiave) const {
  std::string s = stringa(richiesto(t, percorso, chiave), sotto(percorso, chiave));
  if (s.empty()) errore(sotto(percorso, chiave), "empty", t.get(chiave));
  return s;
}

FonteLetta LettoreRegole::leggi_fonte(const toml::node& n, const std::string& chiave) const {
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

void LettoreRegole::entra(const toml::table& t, const std::string& percorso) {
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

void LettoreRegole::esci() {
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

void LettoreRegole::registra(std::string_view nome, const std::string& chiave,
                             const toml::node& nodo) {
  registra(nome, chiave, scritto(nodo), nodo);
}

void LettoreRegole::registra(std::string_view nome, const std::string& chiave, std::string valore,
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

double LettoreRegole::valore(const toml::node& n, const std::string& chiave, Tipo tipo) const {
  const auto v = n.value_exact<double>();
  const auto i = n.value_exact<int64_t>();
  if (!v && !i) errore(chiave, "expected a number, found " + std::string(nome_tipo(n.type())), &n);
  const double x = v ? *v : static_cast<double>(*i);
  if (!std::isfinite(x)) errore(chiave, "not a finite number", &n);
  const std::string come = scritto(n);
  const bool tasso = tipo != Tipo::importo;
  if (x < 0) errore(chiave, std::string(tasso ? "negative rate " : "negative amount ") + come, &n);
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

double LettoreRegole::numero(const toml::table& t, const std::string& percorso,
                             std::string_view chiave, Tipo tipo) {
  const toml::node& n = richiesto(t, percorso, chiave);
  const std::string k = sotto(percorso, chiave);
  const double x = valore(n, k, tipo);
  registra(chiave, k, n);
  return x;
}

bool LettoreRegole::interruttore(const toml::table& t, const std::string& percorso,
                                 std::string_view chiave, bool predefinito) {
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

std::vector<double> LettoreRegole::numeri(const toml::table& t, const std::string& percorso,
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

std::vector<const toml::table*> LettoreRegole::righe(const toml::table& t,
                                                     const std::string& percorso,
                                                     std::string_view chiave,
                                                     std::size_t massimo) const {
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

void LettoreRegole::controlla_crescente(double prima, double dopo, const std::string& chiave,
                                        const toml::node* nodo) const {
  if (dopo <= prima) {
    errore(
        chiave,
        "limits not strictly increasing: " + numero_testo(dopo) + " after " + numero_testo(prima),
        nodo);
  }
  if (dopo - prima < mezzo_centesimo) {
    errore(chiave,
           "limits less than a cent apart: " + numero_testo(dopo) + " after " + numero_testo(prima),
           nodo);
  }
}

std::string LettoreRegole::forma(const toml::table& t, const std::string& percorso,
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

TabellaScaglioni LettoreRegole::scaglioni(const std::vector<double>& limiti,
                                          const std::vector<double>& aliquote,
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

const toml::table& LettoreRegole::sezione(const toml::table& radice, std::string_view nome) const {
  return tabella(richiesto(radice, "", nome), std::string(nome));
}

std::vector<Fonte> LettoreRegole::fonti_in_ordine() {
  std::stable_sort(fonti_.begin(), fonti_.end(), [](const auto& x, const auto& y) {
    return std::pair(x.second.line, x.second.column) < std::pair(y.second.line, y.second.column);
  });
  std::vector<Fonte> fonti;
  for (auto& f : fonti_) fonti.push_back(std::move(f.first));
  return fonti;
}

}  // namespace zellora
