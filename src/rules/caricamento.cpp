// Reading a rule set: its text looked over (caricamento_testo.cpp), parsed
// by toml++, then each section read through the typed reader
// (lettore_regole.cpp) into the rules of the calculation.
#include "rules/caricamento.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "base/citazione.h"
#include "base/lettura.h"
#include "caricamento_testo.h"
#include "lettore_regole.h"
#include "rules/comunali.h"
#include "rules/regionali.h"

namespace zellora {

namespace {

// A message of the TOML reader, which may quote the file: as it is when it
// holds only printable ASCII, otherwise quoted with its escapes.
std::string testo_del_lettore(std::string_view testo) { return messaggio_esterno(testo); }

// The longest name of a rule set, in characters.
constexpr std::size_t nome_massimo = 60;

// The figures of a profile with their keys in the file, kept until the
// sectors that name it are read.
struct ProfiloLetto {
  Profilo profilo;
  bool usato = false;
  const toml::node* nodo = nullptr;
};

// The sections of a rule set, each into its part of the rules.
class LettoreSezioni : public LettoreRegole {
 public:
  using LettoreRegole::LettoreRegole;

  RegoleCalcolo leggi(const toml::table& radice);

 private:
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
  void controlla_chiavi_regione(const toml::table& t, const std::string& p,
                                const std::string& f) const;
  void leggi_aliquote_regione(const toml::table& t, const std::string& p, const std::string& f,
                              RegolaRegionale& g);
  const toml::table* parte_regione(const toml::table& t, const std::string& p,
                                   std::string_view nome,
                                   std::initializer_list<std::string_view> chiavi);
  void leggi_parti_regione(const toml::table& t, const std::string& p, RegolaRegionale& g);
  AgevolazioneRegionale leggi_non_applicata(const toml::table& s, const std::string& q,
                                            const RegolaRegionale& g);
  double aliquota_regionale(const toml::table& t, const std::string& percorso,
                            std::string_view chiave);
  // The rates of 1 to `massimo_fasce` brackets, `aliquote` of `t`.
  std::vector<double> aliquote_fasce(const toml::table& t, const std::string& p);

  std::map<std::string, ProfiloLetto, std::less<>> profili_;
};

std::vector<double> LettoreSezioni::aliquote_fasce(const toml::table& t, const std::string& p) {
  const auto aliquote = numeri(t, p, "aliquote", Tipo::aliquota, false);
  if (aliquote.empty() || aliquote.size() > massimo_fasce) {
    errore(p + ".aliquote",
           std::to_string(aliquote.size()) + " brackets, 1 to " + std::to_string(massimo_fasce) +
               " allowed",
           t.get("aliquote"));
  }
  return aliquote;
}

void LettoreSezioni::leggi_irpef(const toml::table& radice, RegoleCalcolo& r) {
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
  const auto aliquote = aliquote_fasce(t, p);
  r.irpef_annua = scaglioni(annui, aliquote, p + ".limiti_annui", t.get("limiti_annui"));
  r.irpef_mensile = scaglioni(mensili, aliquote, p + ".limiti_annui", t.get("limiti_annui"));
  esci();
}

ImportiFascia LettoreSezioni::importi_fascia(const toml::table& t, const std::string& percorso,
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

void LettoreSezioni::leggi_dipendente(const toml::table& radice, RegoleCalcolo& r) {
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

void LettoreSezioni::leggi_coniuge(const toml::table& radice, RegoleCalcolo& r) {
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

void LettoreSezioni::leggi_figli(const toml::table& radice, RegoleCalcolo& r) {
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

void LettoreSezioni::leggi_altri(const toml::table& radice, RegoleCalcolo& r) {
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

void LettoreSezioni::leggi_contributi(const toml::table& radice, RegoleCalcolo& r) {
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

void LettoreSezioni::leggi_profili(const toml::table& radice) {
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

void LettoreSezioni::leggi_categorie(const toml::table& radice, RegoleCalcolo& r) {
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
void LettoreSezioni::leggi_cuneo(const toml::table& radice, RegoleCalcolo& r) {
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
void LettoreSezioni::leggi_integrativo(const toml::table& radice, RegoleCalcolo& r) {
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

double LettoreSezioni::aliquota_regionale(const toml::table& t, const std::string& percorso,
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
void LettoreSezioni::leggi_regione(const toml::table& t, const std::string& p, RegolaRegionale& g) {
  const std::string f = forma(t, p, {"scaglioni", "aliquota_unica", "fascia_intero"});
  controlla_chiavi_regione(t, p, f);
  entra(t, p);
  g.offerta = true;
  g.riferimento = fonte_della_tabella()->riferimento;
  leggi_aliquote_regione(t, p, f, g);
  leggi_parti_regione(t, p, g);
  if (t.contains("non_applicate")) {
    const auto v = righe(t, p, "non_applicate", massimo_fasce);
    for (std::size_t i = 0; i < v.size(); ++i) {
      g.non_applicate.push_back(leggi_non_applicata(*v[i], indice(p + ".non_applicate", i), g));
    }
  }
  esci();
}

// The keys of a region's table: those of its shape, the optional parts, and
// the law of the table (`fonte`), which every region must give.
void LettoreSezioni::controlla_chiavi_regione(const toml::table& t, const std::string& p,
                                              const std::string& f) const {
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
}

// The rates of a region's shape `f`: one rate, or brackets.
void LettoreSezioni::leggi_aliquote_regione(const toml::table& t, const std::string& p,
                                            const std::string& f, RegolaRegionale& g) {
  if (f == "aliquota_unica") {
    g.forma = FormaAddizionaleRegionale::aliquota_unica;
    g.aliquote.n = 1;
    g.aliquote.aliquote[0] = aliquota_regionale(t, p, "aliquota");
    return;
  }
  g.forma = f == "scaglioni" ? FormaAddizionaleRegionale::scaglioni
                             : FormaAddizionaleRegionale::fascia_intero;
  const auto limiti = numeri(t, p, "limiti", Tipo::importo, true);
  const auto aliquote = aliquote_fasce(t, p);
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

// An optional part of a region's table, entered: a table with the keys
// `chiavi`; nothing when the region has not the part.
const toml::table* LettoreSezioni::parte_regione(const toml::table& t, const std::string& p,
                                                 std::string_view nome,
                                                 std::initializer_list<std::string_view> chiavi) {
  const toml::node* n = t.get(nome);
  if (n == nullptr) return nullptr;
  const std::string q = sotto(p, nome);
  const toml::table& s = tabella(*n, q);
  controlla_chiavi(s, q, chiavi);
  entra(s, q);
  return &s;
}

// The optional parts of a region's table but the reliefs not applied: the
// exemption, the deduction, the whole rate up to a limit, the deductions by
// band and the proportional deduction.
void LettoreSezioni::leggi_parti_regione(const toml::table& t, const std::string& p,
                                         RegolaRegionale& g) {
  if (const toml::table* s = parte_regione(t, p, "esenzione", {"fino_a"})) {
    const std::string q = p + ".esenzione";
    g.esenzione = true;
    g.esenzione_fino_a = numero(*s, q, "fino_a", Tipo::importo);
    controlla_crescente(0, g.esenzione_fino_a, q + ".fino_a", s->get("fino_a"));
    esci();
  }
  if (const toml::table* s = parte_regione(t, p, "deduzione", {"importo", "fino_a"})) {
    const std::string q = p + ".deduzione";
    g.deduzione = true;
    g.deduzione_importo = numero(*s, q, "importo", Tipo::importo);
    g.deduzione_fino_a = numero(*s, q, "fino_a", Tipo::importo);
    controlla_crescente(0, g.deduzione_fino_a, q + ".fino_a", s->get("fino_a"));
    esci();
  }
  if (const toml::table* s = parte_regione(t, p, "aliquota_intera", {"fino_a", "aliquota"})) {
    const std::string q = p + ".aliquota_intera";
    g.aliquota_intera = true;
    g.aliquota_intera_fino_a = numero(*s, q, "fino_a", Tipo::importo);
    controlla_crescente(0, g.aliquota_intera_fino_a, q + ".fino_a", s->get("fino_a"));
    g.aliquota_intera_aliquota = aliquota_regionale(*s, q, "aliquota");
    esci();
  }
  if (t.contains("detrazioni")) g.detrazioni = importi_fascia(t, p, "detrazioni");
  if (const toml::table* s =
          parte_regione(t, p, "detrazione_proporzionale", {"importo", "oltre", "divisore"})) {
    const std::string q = p + ".detrazione_proporzionale";
    g.detrazione_proporzionale = true;
    g.proporzionale_importo = numero(*s, q, "importo", Tipo::importo);
    g.proporzionale_oltre = numero(*s, q, "oltre", Tipo::importo);
    g.proporzionale_divisore = numero(*s, q, "divisore", Tipo::importo);
    controlla_crescente(0, g.proporzionale_divisore, q + ".divisore", s->get("divisore"));
    esci();
  }
}

// A relief of the region that the program does not apply, `q` of `non_applicate`,
// with its reference or the region's.
AgevolazioneRegionale LettoreSezioni::leggi_non_applicata(const toml::table& s,
                                                          const std::string& q,
                                                          const RegolaRegionale& g) {
  const bool figli = forma(s, q, {"detrazione_figli", "aliquota_agevolata"}) == "detrazione_figli";
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
  a.riferimento = fonte_della_tabella() ? fonte_della_tabella()->riferimento : g.riferimento;
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
  return a;
}

// The regional surcharge, when the year has it: each region or province
// once, by its name, with its table or the reason it is not offered.
void LettoreSezioni::leggi_addizionale_regionale(const toml::table& radice, RegoleCalcolo& r) {
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
void LettoreSezioni::leggi_elenco_comuni(const toml::table& radice, RegoleCalcolo& r) {
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

RegoleCalcolo LettoreSezioni::leggi(const toml::table& radice) {
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
  r.fonti = fonti_in_ordine();
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
    if (const Esame esame = esamina_testo(testo); esame.riga != 0) {
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
    return LettoreSezioni(testo, file).leggi(radice);
  } catch (const Eccezione&) {
    throw;
  } catch (const std::exception& e) {
    throw Eccezione(Errore{std::string(file), testo_del_lettore(e.what())});
  }
}

}  // namespace zellora
