#include "rules/comunali.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>

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

// Upper case of the ASCII letters, without the blanks around.
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
  }
  return r;
}

// The indexes of every list, made at their first use.
struct Indice {
  std::map<std::string, std::size_t, std::less<>> per_voce;    // chiave of the item
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
        const std::string v = voce_di(c);
        ix.per_voce.emplace(chiave(v), i);
        ix.per_codice.emplace(c.codice, i);
        if (c.stato != dati::Stato::sconosciuta && c.stato != dati::Stato::scartata) {
          ix.voci.push_back(v);
        }
      }
      std::sort(ix.voci.begin(), ix.voci.end());
    }
    return m;
  }();
  const auto it = indici.find(anno);
  return it == indici.end() ? nullptr : &it->second;
}

using Mappa = std::map<std::string, std::size_t, std::less<>>;

std::optional<ComuneAddizionale> trova(int anno, Mappa Indice::*mappa, std::string_view k) {
  const dati::Elenco* e = elenco(anno);
  const Indice* ix = indice(anno);
  if (e == nullptr || ix == nullptr) return std::nullopt;
  const auto& m = ix->*mappa;
  const auto it = m.find(k);
  if (it == m.end()) return std::nullopt;
  return comune(*e, e->comuni[it->second]);
}

}  // namespace

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

std::optional<ComuneAddizionale> comune_per_voce(int anno, std::string_view voce) {
  return trova(anno, &Indice::per_voce, chiave(voce));
}

std::optional<ComuneAddizionale> comune_per_nome(int anno, std::string_view nome) {
  const Indice* ix = indice(anno);
  if (ix == nullptr) return std::nullopt;
  const std::string inizio = chiave(nome) + " (";
  const auto primo = ix->per_voce.lower_bound(inizio);
  if (primo == ix->per_voce.end() || !primo->first.starts_with(inizio)) return std::nullopt;
  const auto dopo = std::next(primo);
  if (dopo != ix->per_voce.end() && dopo->first.starts_with(inizio)) return std::nullopt;
  return comune_per_voce(anno, primo->first);
}

std::optional<ComuneAddizionale> comune_per_codice(int anno, std::string_view codice) {
  return trova(anno, &Indice::per_codice, chiave(codice));
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
