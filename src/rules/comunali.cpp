#include "rules/comunali.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <tuple>

#include "base/utf8.h"
#include "comunali_dati.h"

namespace zellora {

namespace {

namespace dati = comunali_dati;

constexpr double infinito = std::numeric_limits<double>::infinity();

std::string data_testo(std::int32_t yyyymmdd) {
  const int g = yyyymmdd % 100;
  const int m = yyyymmdd / 100 % 100;
  const int a = yyyymmdd / 10000;
  std::string s(10, '/');
  s[0] = static_cast<char>('0' + g / 10);
  s[1] = static_cast<char>('0' + g % 10);
  s[3] = static_cast<char>('0' + m / 10);
  s[4] = static_cast<char>('0' + m % 10);
  for (int i = 9, x = a; i >= 6; --i, x /= 10)
    s[static_cast<std::size_t>(i)] = static_cast<char>('0' + x % 10);
  return s;
}

// Upper case of the ASCII letters, without the blanks around: the key of a
// cadastral code.
std::string chiave(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::string k(s);
  for (char& c : k) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return k;
}

const char* testo(std::uint32_t offset) { return dati::testi + offset; }

std::string voce_di(const dati::Comune& c) {
  return std::string(testo(c.nome)) + " (" + c.provincia + ")";
}

// The letter a Latin-1 letter of U+00C0 to U+00FF is without its accent, in
// upper case; 0 for the signs of that block that are not such a letter.
char senza_accento(unsigned codice) {
  static constexpr char lettere[] =
      "AAAAAA\0CEEEEIIII\0NOOOOO\0OUUUUY\0\0"  // U+00C0 .. U+00DF
      "AAAAAA\0CEEEEIIII\0NOOOOO\0OUUUUY\0Y";  // U+00E0 .. U+00FF
  return codice >= 0xC0 && codice <= 0xFF ? lettere[codice - 0xC0] : '\0';
}

// The sign of the text at `i` (its bytes in `n`), read as UTF-8; U+FFFD for
// a byte that does not begin a sign.
unsigned segno(std::string_view s, std::size_t i, std::size_t& n) {
  char32_t codice = 0;
  n = sequenza_utf8(s.substr(i), codice);
  if (n == 0) {
    n = 1;
    return 0xFFFD;
  }
  return codice;
}

// The signs that part the words of a name: blanks, apostrophes, hyphens
// and dots, as written on a keyboard or by a word processor.
bool separa(unsigned c) {
  switch (c) {
    case ' ':
    case '\t':
    case '\'':
    case '`':
    case '-':
    case '.':
    case '_':
    case 0xA0:   // no-break space
    case 0xB4:   // acute accent
    case 0x2BC:  // modifier letter apostrophe
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014:  // hyphens, dashes
    case 0x2018:
    case 0x2019:
    case 0x201B:  // typographic apostrophes
    case 0x2032:  // prime
    case 0x202F:  // narrow no-break space
    case 0x2212:  // minus
      return true;
    default:
      return false;
  }
}

// A comune's key split into its name and, when it ends with one, the
// province in brackets.
struct ChiaveVoce {
  std::string nome;
  std::string provincia;  // "" when none
};

ChiaveVoce dividi(std::string_view testo) {
  ChiaveVoce v{chiave_comune(testo), {}};
  const std::size_t n = v.nome.size();
  if (n >= 5 && v.nome[n - 1] == ')' && v.nome[n - 4] == '(' && (n == 5 || v.nome[n - 5] == ' ')) {
    const char a = v.nome[n - 3], b = v.nome[n - 2];
    if (a >= 'A' && a <= 'Z' && b >= 'A' && b <= 'Z') {
      v.provincia = v.nome.substr(n - 3, 2);
      v.nome.resize(n == 5 ? 0 : n - 5);
    }
  }
  return v;
}

const dati::Elenco* elenco(int anno) {
  for (const dati::Elenco& e : dati::elenchi) {
    if (e.anno == anno) return &e;
  }
  return nullptr;
}

ComuneAddizionale comune(const dati::Elenco& e, const dati::Comune& c) {
  ComuneAddizionale r;
  r.anno = e.anno;
  r.codice = c.codice;
  r.nome = testo(c.nome);
  r.provincia = c.provincia;
  r.regione = regione_della_provincia(r.provincia);
  r.motivo = testo(c.motivo);
  switch (c.stato) {
    case dati::Stato::deliberata:
      r.stato = StatoComunale::deliberata;
      break;
    case dati::Stato::prorogata:
      r.stato = StatoComunale::prorogata;
      break;
    case dati::Stato::non_istituita:
      r.stato = StatoComunale::non_istituita;
      break;
    case dati::Stato::sconosciuta:
      r.stato = StatoComunale::sconosciuta;
      break;
    case dati::Stato::scartata:
      r.stato = StatoComunale::scartata;
      break;
  }
  if (r.stato == StatoComunale::non_istituita) {
    r.regola.n = 1;
    r.regola.scaglioni[0] = {infinito, 0};
  }
  if ((r.stato == StatoComunale::deliberata || r.stato == StatoComunale::prorogata) &&
      c.delibera >= 0) {
    const dati::Delibera& d = dati::delibere[static_cast<std::size_t>(c.delibera)];
    r.delibera = DeliberaComunale{testo(d.numero), data_testo(d.data), data_testo(d.pubblicazione),
                                  testo(d.nota), d.anno_elenco};
    r.regola.n = d.n_fasce;
    for (std::size_t i = 0; i < d.n_fasce; ++i) {
      const dati::Fascia& f = dati::fasce[d.prima_fascia + i];
      r.regola.scaglioni[i] = {f.fino_a_centesimi < 0 ? infinito : f.fino_a_centesimi / 100.0,
                               f.aliquota_millesimi / 1000.0};
    }
    r.regola.esenzione_fino_a = d.esenzione_centesimi / 100.0;
    r.letture = testo(d.letture);
    for (std::size_t i = 0; i < d.n_esenzioni; ++i) {
      const dati::Esenzione& x = dati::esenzioni[d.prima_esenzione + i];
      EsenzioneComunale es;
      switch (x.lettura) {
        case dati::Lettura::reddito:
          es.lettura = LetturaEsenzione::reddito;
          break;
        case dati::Lettura::lavoro:
          es.lettura = LetturaEsenzione::lavoro;
          break;
        case dati::Lettura::altri:
          es.lettura = LetturaEsenzione::altri;
          break;
        case dati::Lettura::condizione:
          es.lettura = LetturaEsenzione::condizione;
          break;
        case dati::Lettura::non_letta:
          es.lettura = LetturaEsenzione::non_letta;
          break;
      }
      es.dipendenti = x.dipendenti;
      es.assimilati = x.assimilati;
      es.fino_a = x.soglia_centesimi < 0 ? 0 : x.soglia_centesimi / 100.0;
      es.testo = testo(x.testo);
      r.esenzioni.push_back(es);
    }
  }
  return r;
}

// A comune of a list by the key of its name and its province.
struct PerNome {
  std::string nome;  // chiave_comune of the name
  std::string provincia;
  std::size_t i;  // in the list

  bool operator<(const PerNome& o) const {
    return std::tie(nome, provincia) < std::tie(o.nome, o.provincia);
  }
};

// The indexes of every list, made at their first use.
struct Indice {
  std::vector<PerNome> per_nome;                               // sorted
  std::map<std::string, std::size_t, std::less<>> per_codice;  // chiave of the code
  std::vector<std::string> voci;                               // offered
};

const Indice* indice(int anno) {
  static const std::map<int, Indice> indici = [] {
    std::map<int, Indice> m;
    for (const dati::Elenco& e : dati::elenchi) {
      Indice& ix = m[e.anno];
      for (std::size_t i = 0; i < e.comuni.size(); ++i) {
        const dati::Comune& c = e.comuni[i];
        ix.per_nome.push_back({chiave_comune(testo(c.nome)), c.provincia, i});
        ix.per_codice.emplace(c.codice, i);
        if (c.stato != dati::Stato::sconosciuta && c.stato != dati::Stato::scartata) {
          ix.voci.push_back(voce_di(c));
        }
      }
      std::sort(ix.per_nome.begin(), ix.per_nome.end());
      std::sort(ix.voci.begin(), ix.voci.end());
    }
    return m;
  }();
  const auto it = indici.find(anno);
  return it == indici.end() ? nullptr : &it->second;
}

// The comuni of a list whose name's key is `nome` (with `intero`) or begins
// with `nome` and a blank (without), of `provincia` when it is not empty,
// sorted by item.
std::vector<ComuneAddizionale> per_nome(const dati::Elenco& e, const Indice& ix,
                                        const std::string& nome, std::string_view provincia,
                                        bool intero) {
  std::vector<ComuneAddizionale> r;
  const std::string inizio = intero ? nome : nome + " ";
  for (auto it = std::lower_bound(ix.per_nome.begin(), ix.per_nome.end(), PerNome{inizio, {}, 0});
       it != ix.per_nome.end(); ++it) {
    if (intero ? it->nome != nome : !it->nome.starts_with(inizio)) break;
    if (!provincia.empty() && it->provincia != provincia) continue;
    r.push_back(comune(e, e.comuni[it->i]));
  }
  std::sort(r.begin(), r.end(), [](const ComuneAddizionale& a, const ComuneAddizionale& b) {
    return a.voce() < b.voce();
  });
  return r;
}

std::vector<ComuneAddizionale> della_regione(const std::vector<ComuneAddizionale>& comuni,
                                             std::string_view regione) {
  std::vector<ComuneAddizionale> r;
  for (const ComuneAddizionale& c : comuni) {
    if (c.regione == regione) r.push_back(c);
  }
  return r;
}

}  // namespace

std::string chiave_comune(std::string_view testo) {
  std::string k;
  bool spazio = false;  // a blank is owed before the next letter
  for (std::size_t i = 0; i < testo.size();) {
    std::size_t n = 1;
    const unsigned c = segno(testo, i, n);
    if (separa(c)) {
      spazio = true;
    } else if (c == '(') {
      if (!k.empty()) k += ' ';
      k += '(';
      spazio = false;
    } else if (c == ')') {
      k += ')';
      spazio = false;
    } else {
      if (spazio && !k.empty() && k.back() != '(') k += ' ';
      spazio = false;
      if (const char lettera = senza_accento(c)) {
        k += lettera;
      } else if (c >= 'a' && c <= 'z') {
        k += static_cast<char>(c - 'a' + 'A');
      } else {
        k.append(testo.substr(i, n));
      }
    }
    i += n;
  }
  return k;
}

RegolaComunale regola_comunale_digitata(double aliquota, double esenzione_fino_a) {
  RegolaComunale r;
  r.n = 1;
  r.scaglioni[0] = {infinito, aliquota};
  r.esenzione_fino_a = esenzione_fino_a;
  return r;
}

double addizionale_comunale(double base, const RegolaComunale& regola) {
  if (!(base > 0) || !(base > regola.esenzione_fino_a)) return 0;
  double totale = 0;
  double da = 0;
  for (std::size_t i = 0; i < regola.n && i < regola.scaglioni.size(); ++i) {
    const ScaglioneComunale& s = regola.scaglioni[i];
    const double a = std::min(base, s.fino_a);
    if (a > da) totale += (a - da) * s.aliquota / 100;
    if (base <= s.fino_a) break;
    da = s.fino_a;
  }
  return totale;
}

bool ComuneAddizionale::offerto() const {
  return stato == StatoComunale::deliberata || stato == StatoComunale::prorogata ||
         stato == StatoComunale::non_istituita;
}

bool EsenzioneComunale::applicata(bool dipendente) const {
  switch (lettura) {
    case LetturaEsenzione::reddito:
      return true;
    case LetturaEsenzione::lavoro:
      return dipendente ? dipendenti : assimilati;
    case LetturaEsenzione::altri:
    case LetturaEsenzione::condizione:
    case LetturaEsenzione::non_letta:
      break;
  }
  return false;
}

RegolaComunale ComuneAddizionale::regola_per(bool dipendente) const {
  RegolaComunale r = regola;
  // Exempt when any exemption that applies is: up to the highest threshold.
  for (const EsenzioneComunale& e : esenzioni) {
    if (e.applicata(dipendente)) r.esenzione_fino_a = std::max(r.esenzione_fino_a, e.fino_a);
  }
  return r;
}

std::string ComuneAddizionale::voce() const {
  return std::string(nome) + " (" + std::string(provincia) + ")";
}

std::string ComuneAddizionale::riferimento() const {
  switch (stato) {
    case StatoComunale::non_istituita: {
      const int primo = anni_addizionale_comunale().front();
      std::string r = "Addizionale non istituita (elenco MEF " + std::to_string(primo) + ": \"0*\"";
      if (anno != primo) r += "; nessuna delibera per il " + std::to_string(anno);
      return r + ")";
    }
    case StatoComunale::deliberata:
    case StatoComunale::prorogata: {
      if (!delibera) return {};
      std::string r = "Delibera n. " + std::string(delibera->numero) + " del " + delibera->data +
                      ", pubblicata il " + delibera->pubblicazione + " (elenco MEF " +
                      std::to_string(delibera->anno_elenco) + ")";
      if (stato == StatoComunale::prorogata) {
        r += ", prorogata al " + std::to_string(anno) + " (L. 296/2006 art. 1 c. 169)";
      }
      return r;
    }
    case StatoComunale::sconosciuta:
    case StatoComunale::scartata:
      break;
  }
  return {};
}

std::vector<int> anni_addizionale_comunale() {
  std::vector<int> anni;
  for (const dati::Elenco& e : dati::elenchi) anni.push_back(e.anno);
  return anni;
}

std::string_view stato_elenco_comunale(int anno) {
  const dati::Elenco* e = elenco(anno);
  return e == nullptr ? std::string_view{} : std::string_view{e->stato_al};
}

const std::vector<std::string>& voci_comuni(int anno) {
  static const std::vector<std::string> nessuna;
  const Indice* ix = indice(anno);
  return ix == nullptr ? nessuna : ix->voci;
}

std::vector<std::string> voci_comuni(int anno, std::string_view regione) {
  std::vector<std::string> r;
  for (const std::string& v : voci_comuni(anno)) {
    // "NAME (PR)": the province is the two letters before the last bracket.
    if (regione_della_provincia(std::string_view(v).substr(v.size() - 3, 2)) == regione) {
      r.push_back(v);
    }
  }
  return r;
}

std::string_view regione_della_provincia(std::string_view sigla) {
  for (const dati::Provincia& p : dati::province) {
    if (sigla == p.sigla) return p.regione;
  }
  return {};
}

std::vector<std::string> sigle_province() {
  std::vector<std::string> r;
  for (const dati::Provincia& p : dati::province) r.emplace_back(p.sigla);
  std::sort(r.begin(), r.end());
  return r;
}

std::optional<ComuneAddizionale> comune_per_voce(int anno, std::string_view voce) {
  const dati::Elenco* e = elenco(anno);
  const Indice* ix = indice(anno);
  const ChiaveVoce k = dividi(voce);
  if (e == nullptr || ix == nullptr || k.provincia.empty()) return std::nullopt;
  const auto trovati = per_nome(*e, *ix, k.nome, k.provincia, true);
  if (trovati.size() != 1) return std::nullopt;
  return trovati.front();
}

std::optional<ComuneAddizionale> comune_per_codice(int anno, std::string_view codice) {
  const dati::Elenco* e = elenco(anno);
  const Indice* ix = indice(anno);
  if (e == nullptr || ix == nullptr) return std::nullopt;
  const auto it = ix->per_codice.find(chiave(codice));
  if (it == ix->per_codice.end()) return std::nullopt;
  return comune(*e, e->comuni[it->second]);
}

RicercaComune cerca_comune(int anno, std::string_view testo, std::string_view regione) {
  using Esito = RicercaComune::Esito;
  RicercaComune r;
  const dati::Elenco* e = elenco(anno);
  const Indice* ix = indice(anno);
  const ChiaveVoce k = dividi(testo);
  if (e == nullptr || ix == nullptr || k.nome.empty()) return r;
  const auto esito = [&r](Esito x, std::vector<ComuneAddizionale> candidati) {
    r.esito = x;
    r.candidati = std::move(candidati);
    return r;
  };
  std::vector<ComuneAddizionale> trovati = per_nome(*e, *ix, k.nome, k.provincia, true);
  if (!trovati.empty()) {
    // Those of the region, when one is chosen: a name alone may be of one
    // comune there and of others elsewhere.
    std::vector<ComuneAddizionale> scelti =
        regione.empty() ? trovati : della_regione(trovati, regione);
    if (scelti.empty()) return esito(Esito::altra_regione, std::move(trovati));
    if (scelti.size() > 1) return esito(Esito::ambiguo, std::move(scelti));
    r.esito = Esito::trovato;
    r.comune = std::move(scelti.front());
    return r;
  }
  std::vector<ComuneAddizionale> inizi = per_nome(*e, *ix, k.nome, k.provincia, false);
  if (!inizi.empty()) {
    std::vector<ComuneAddizionale> scelti = della_regione(inizi, regione);
    return esito(Esito::inizio,
                 regione.empty() || scelti.empty() ? std::move(inizi) : std::move(scelti));
  }
  // An item of another province: the comuni of that name.
  if (!k.provincia.empty()) return esito(Esito::non_trovato, per_nome(*e, *ix, k.nome, {}, true));
  return r;
}

std::vector<ComuneAddizionale> comuni_non_offerti(int anno) {
  std::vector<ComuneAddizionale> r;
  const dati::Elenco* e = elenco(anno);
  if (e == nullptr) return r;
  for (const dati::Comune& c : e->comuni) {
    if (c.stato == dati::Stato::sconosciuta || c.stato == dati::Stato::scartata) {
      r.push_back(comune(*e, c));
    }
  }
  return r;
}

}  // namespace zellora
