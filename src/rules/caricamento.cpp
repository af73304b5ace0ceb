#include "rules/caricamento.h"

#include <toml++/toml.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "numbers/conversioni.h"
#include "numbers/utf8.h"

namespace zellora {

namespace {

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
    for (std::size_t i = 0; i < testo_.size(); ++i) {
      if (testo_[i] == '\n') inizi_riga_.push_back(i + 1);
    }
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

  static std::string sotto(const std::string& percorso, std::string_view chiave) {
    return percorso.empty() ? std::string(chiave) : percorso + "." + std::string(chiave);
  }
  static std::string indice(const std::string& percorso, std::size_t i) {
    return percorso + "[" + std::to_string(i) + "]";
  }

  // Byte offset of a position of toml++ (lines from 1, columns from 1 in
  // code points).
  std::size_t posizione(const toml::source_position& p) const {
    if (p.line == 0 || p.line > inizi_riga_.size()) return testo_.size();
    std::size_t i = inizi_riga_[p.line - 1];
    for (toml::source_index col = 1; col < p.column && i < testo_.size(); ++col) {
      ++i;
      while (i < testo_.size() && (static_cast<unsigned char>(testo_[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
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
    return s->get();
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
        errore(chiave, "no figure \"" + nome + "\" in this section",
               l.tabella->get_as<toml::table>("fonti")->get(nome));
      }
    }
    livelli_.pop_back();
  }

  // Records the figure `nome` written at `nodo` with the reference of the
  // nearest table that gives one.
  void registra(std::string_view nome, const std::string& chiave, const toml::node& nodo) {
    for (auto l = livelli_.rbegin(); l != livelli_.rend(); ++l) {
      const FonteLetta* f = nullptr;
      if (const auto it = l->fonti.find(nome); it != l->fonti.end()) {
        l->usate.emplace(nome);
        f = &it->second;
      } else if (l->fonte) {
        f = &*l->fonte;
      }
      if (f != nullptr) {
        fonti_.push_back({Fonte{chiave, scritto(nodo), f->riferimento, f->aggiornato, f->nota},
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

  void controlla_crescente(double prima, double dopo, const std::string& chiave,
                           const toml::node* nodo) const {
    if (dopo <= prima) {
      errore(
          chiave,
          "limits not strictly increasing: " + numero_testo(dopo) + " after " + numero_testo(prima),
          nodo);
    }
  }

  std::string forma(const toml::table& t, const std::string& percorso,
                    std::initializer_list<std::string_view> forme) const {
    std::string f = testo_campo(t, percorso, "forma");
    if (std::find(forme.begin(), forme.end(), f) == forme.end()) {
      std::string elenco;
      for (const auto s : forme) elenco += (elenco.empty() ? "" : ", ") + std::string(s);
      errore(sotto(percorso, "forma"), "unknown shape \"" + f + "\" (known: " + elenco + ")",
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
  ImportiFascia importi_fascia(const toml::table& t, const std::string& percorso);

  const toml::table& sezione(const toml::table& radice, std::string_view nome) const {
    return tabella(richiesto(radice, "", nome), std::string(nome));
  }

  std::string_view testo_;
  std::string_view file_;
  std::vector<std::size_t> inizi_riga_;
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
  const auto mensili = numeri(t, p, "limiti_mensili", Tipo::importo, true);
  const auto aliquote = numeri(t, p, "aliquote", Tipo::aliquota, false);
  if (aliquote.empty() || aliquote.size() > massimo_fasce) {
    errore(p + ".aliquote",
           std::to_string(aliquote.size()) + " brackets, 1 to " + std::to_string(massimo_fasce) +
               " allowed",
           t.get("aliquote"));
  }
  r.irpef_annua = scaglioni(annui, aliquote, p + ".limiti_annui", t.get("limiti_annui"));
  r.irpef_mensile = scaglioni(mensili, aliquote, p + ".limiti_mensili", t.get("limiti_mensili"));
  esci();
}

ImportiFascia Lettore::importi_fascia(const toml::table& t, const std::string& percorso) {
  ImportiFascia f;
  const auto v = righe(t, percorso, "fasce", massimo_fasce);
  const std::string k = sotto(percorso, "fasce");
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
                   {"forma", "primo_limite", "importo_primo", "minimo", "fasce", "ulteriori"});
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
  const std::string u = p + ".ulteriori";
  const toml::table& ult = tabella(richiesto(t, p, "ulteriori"), u);
  controlla_chiavi(ult, u, {"fasce"});
  entra(ult, u);
  d.ulteriori = importi_fascia(ult, u);
  esci();
  esci();
}

void Lettore::leggi_coniuge(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "detrazione_coniuge";
  const toml::table& t = sezione(radice, p);
  controlla_chiavi(t, p,
                   {"forma", "primo_limite", "base", "riduzione", "secondo_limite", "fisso",
                    "terzo_limite", "maggiorazioni"});
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
                      "aumento_limite"});
  } else {
    controlla_chiavi(t, p,
                     {"forma", "importo", "maggiorazione_minori", "limite", "aumento_limite"});
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
  esci();
}

void Lettore::leggi_altri(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "detrazione_altri";
  const toml::table& t = sezione(radice, p);
  controlla_chiavi(t, p, {"importo", "limite"});
  entra(t, p);
  r.altri.importo = numero(t, p, "importo", Tipo::importo);
  r.altri.limite = numero(t, p, "limite", Tipo::importo);
  controlla_crescente(0, r.altri.limite, p + ".limite", t.get("limite"));
  esci();
}

void Lettore::leggi_contributi(const toml::table& radice, RegoleCalcolo& r) {
  const std::string p = "contributi";
  const toml::table& t = sezione(radice, p);
  controlla_chiavi(t, p, {"contributo_aggiuntivo_percento", "maggiorazione_inail"});
  entra(t, p);
  r.contributo_aggiuntivo_percento = numero(t, p, "contributo_aggiuntivo_percento", Tipo::percento);
  r.maggiorazione_inail = numero(t, p, "maggiorazione_inail", Tipo::aliquota);
  esci();
}

void Lettore::leggi_profili(const toml::table& radice) {
  const toml::table& tutti = sezione(radice, "profilo");
  for (const auto& [nome, nodo] : tutti) {
    const std::string p = sotto("profilo", nome.str());
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
  std::string noti;
  for (const auto& [k, v] : profili_) noti += (noti.empty() ? "" : ", ") + k;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::string p = indice("categoria", i);
    const toml::table& t = tabella(*a.get(i), p);
    controlla_chiavi(t, p, {"nome", "profilo", "settori"});
    entra(t, p);
    Categoria c;
    c.nome = testo_campo(t, p, "nome");
    for (const Categoria& altra : r.categorie) {
      if (altra.nome == c.nome) errore(p + ".nome", "category \"" + c.nome + "\" given twice", &t);
    }
    std::string profilo_categoria;
    if (t.contains("profilo")) profilo_categoria = testo_campo(t, p, "profilo");
    const auto v = righe(t, p, "settori", static_cast<std::size_t>(-1));
    if (v.empty()) errore(p + ".settori", "category without sectors", t.get("settori"));
    for (std::size_t j = 0; j < v.size(); ++j) {
      const std::string q = indice(p + ".settori", j);
      const toml::table& s = *v[j];
      controlla_chiavi(s, q, {"voce", "profilo", "inps_dip", "inps_az"});
      entra(s, q);
      Settore settore;
      settore.voce = testo_campo(s, q, "voce");
      for (const Settore& altro : c.settori) {
        if (altro.voce == settore.voce) {
          errore(q + ".voce", "sector \"" + settore.voce + "\" given twice in this category", &s);
        }
      }
      settore.nome_profilo =
          s.contains("profilo") ? testo_campo(s, q, "profilo") : profilo_categoria;
      if (settore.nome_profilo.empty()) {
        errore(q + ".profilo", "missing key (or give `profilo` to the category)", &s);
      }
      const auto it = profili_.find(settore.nome_profilo);
      if (it == profili_.end()) {
        errore(s.contains("profilo") ? q + ".profilo" : p + ".profilo",
               "unknown profile \"" + settore.nome_profilo + "\" (known: " + noti + ")",
               s.contains("profilo") ? s.get("profilo") : t.get("profilo"));
      }
      it->second.usato = true;
      settore.profilo = it->second.profilo;
      settore.profilo.aliquota_inps_dip = numero(s, q, "inps_dip", Tipo::aliquota);
      settore.profilo.aliquota_inps_az = numero(s, q, "inps_az", Tipo::aliquota);
      esci();
      c.settori.push_back(std::move(settore));
    }
    esci();
    r.categorie.push_back(std::move(c));
  }
  for (const auto& [nome, p] : profili_) {
    if (!p.usato) errore("profilo." + nome, "profile not used by any sector", p.nodo);
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
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::string nome = stringa(*a.get(i), indice(k, i));
    const auto uguale = [&](const Categoria& x) { return x.nome == nome; };
    if (std::none_of(r.categorie.begin(), r.categorie.end(), uguale)) {
      std::string noti;
      for (const Categoria& x : r.categorie) noti += (noti.empty() ? "" : ", ") + x.nome;
      errore(indice(k, i), "unknown category \"" + nome + "\" (known: " + noti + ")", a.get(i));
    }
    if (std::find(c.categorie_escluse.begin(), c.categorie_escluse.end(), nome) !=
        c.categorie_escluse.end()) {
      errore(indice(k, i), "category \"" + nome + "\" given twice", a.get(i));
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

RegoleCalcolo Lettore::leggi(const toml::table& radice) {
  controlla_chiavi(
      radice, "",
      {"nome", "descrizione", "irpef", "detrazione_dipendente", "detrazione_coniuge",
       "detrazione_figli", "detrazione_altri", "cuneo_fiscale", "trattamento_integrativo",
       "contributi", "profilo", "categoria", "ricerca_da_zero"});
  for (const std::string_view k : {"fonte", "fonti"}) {
    if (const toml::node* n = radice.get(k)) {
      errore(std::string(k), "unknown key (give references inside the sections)", n);
    }
  }
  RegoleCalcolo r;
  r.nome = testo_campo(radice, "", "nome");
  r.descrizione = testo_campo(radice, "", "descrizione");
  if (const toml::node* n = radice.get("ricerca_da_zero")) {
    const auto* b = n->as_boolean();
    if (b == nullptr) {
      errore("ricerca_da_zero",
             "expected true or false, found " + std::string(nome_tipo(n->type())), n);
    }
    r.ricerca_da_zero = b->get();
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
  std::stable_sort(fonti_.begin(), fonti_.end(), [](const auto& x, const auto& y) {
    return std::pair(x.second.line, x.second.column) < std::pair(y.second.line, y.second.column);
  });
  for (auto& f : fonti_) r.fonti.push_back(std::move(f.first));
  return r;
}

}  // namespace

namespace {

// The TOML reader of Debian 12 (toml++ 3.3) can reach undefined behaviour on
// some characters beyond ASCII in places where TOML allows none. A rule set
// written by hand is checked first: such characters only inside quoted
// strings and comments, and valid UTF-8 there. Returns the line of the first
// one that is not, or 0.
std::size_t riga_non_ascii_fuori_posto(std::string_view t) {
  std::size_t riga = 1;
  std::size_t i = 0;
  // Inside a string or comment: steps over one character, false for bad UTF-8.
  const auto avanza = [&]() {
    if (static_cast<unsigned char>(t[i]) < 0x80) {
      if (t[i] == '\n') ++riga;
      ++i;
      return true;
    }
    const std::size_t n = sequenza_utf8(t, i);
    if (n == 0) return false;
    i += n;
    return true;
  };
  while (i < t.size()) {
    const char c = t[i];
    if (static_cast<unsigned char>(c) >= 0x80) return riga;
    if (c == '#') {
      while (i < t.size() && t[i] != '\n') {
        if (!avanza()) return riga;
      }
    } else if (c == '"' || c == '\'') {
      const bool multiriga = t.substr(i, 3) == std::string(3, c);
      const std::string chiusura = multiriga ? std::string(3, c) : std::string(1, c);
      i += chiusura.size();
      while (i < t.size() && t.substr(i, chiusura.size()) != chiusura) {
        if (c == '"' && t[i] == '\\' && i + 1 < t.size()) {
          ++i;  // the escaped character is stepped over below
        }
        if (!multiriga && t[i] == '\n') break;  // unterminated: the reader says so
        if (!avanza()) return riga;
      }
      i += chiusura.size();
    } else {
      if (c == '\n') ++riga;
      ++i;
    }
  }
  return 0;
}

}  // namespace

RegoleCalcolo carica_regole(std::string_view testo, std::string_view file) {
  try {
    if (const std::size_t riga = riga_non_ascii_fuori_posto(testo)) {
      throw Eccezione(Errore{std::string(file), "line " + std::to_string(riga) +
                                                    ": a character that is not ASCII outside a "
                                                    "quoted string or a comment, or text that is "
                                                    "not UTF-8"});
    }
    toml::table radice;
    try {
      radice = toml::parse(testo, std::string(file));
    } catch (const toml::parse_error& e) {
      const auto& b = e.source().begin;
      throw Eccezione(Errore{std::string(file), "line " + std::to_string(b.line) + ", column " +
                                                    std::to_string(b.column) + ": " +
                                                    std::string(e.description())});
    }
    return Lettore(testo, file).leggi(radice);
  } catch (const Eccezione&) {
    throw;
  } catch (const std::exception& e) {
    throw Eccezione(Errore{std::string(file), e.what()});
  }
}

}  // namespace zellora
