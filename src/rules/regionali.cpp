#include "rules/regionali.h"

#include <algorithm>

#include "rules/irpef.h"

namespace zellora {

namespace {

// Upper case of the ASCII letters, without the spaces around.
std::string chiave(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  std::string k(s);
  for (char& c : k) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return k;
}

bool nella_fascia(double base, const ImportoFascia& f) {
  const bool sopra = f.da_escluso ? base > f.da : base >= f.da;
  return sopra && base <= f.a;
}

// The rate of the bracket `base` falls in.
double aliquota_della_fascia(double base, const TabellaScaglioni& t) {
  std::size_t j = 0;
  while (j + 1 < t.n && base > t.limiti[j]) ++j;
  return t.aliquote[j];
}

}  // namespace

const std::vector<std::string>& nomi_regioni() {
  static const std::vector<std::string> nomi = [] {
    std::vector<std::string> v = {
        "Abruzzo",
        "Basilicata",
        "Calabria",
        "Campania",
        "Emilia-Romagna",
        "Friuli Venezia Giulia",
        "Lazio",
        "Liguria",
        "Lombardia",
        "Marche",
        "Molise",
        "Piemonte",
        "Puglia",
        "Sardegna",
        "Sicilia",
        "Toscana",
        "Umbria",
        "Valle d'Aosta",
        "Veneto",
        "Provincia autonoma di Bolzano",
        "Provincia autonoma di Trento",
    };
    std::sort(v.begin(), v.end());
    return v;
  }();
  return nomi;
}

std::vector<std::string> regioni_offerte(const RegoleCalcolo& regole) {
  std::vector<std::string> v;
  for (const RegolaRegionale& r : regole.addizionale_regionale) {
    if (r.offerta) v.push_back(r.nome);
  }
  std::sort(v.begin(), v.end());
  return v;
}

std::vector<const RegolaRegionale*> regioni_non_offerte(const RegoleCalcolo& regole) {
  std::vector<const RegolaRegionale*> v;
  for (const RegolaRegionale& r : regole.addizionale_regionale) {
    if (!r.offerta) v.push_back(&r);
  }
  std::sort(v.begin(), v.end(), [](const auto* a, const auto* b) { return a->nome < b->nome; });
  return v;
}

const RegolaRegionale* regola_regionale(const RegoleCalcolo& regole, std::string_view nome) {
  const std::string k = chiave(nome);
  for (const RegolaRegionale& r : regole.addizionale_regionale) {
    if (chiave(r.nome) == k) return &r;
  }
  return nullptr;
}

RegolaRegionale regola_regionale_digitata(double aliquota) {
  RegolaRegionale r;
  r.nome = "aliquota digitata";
  r.offerta = true;
  r.forma = FormaAddizionaleRegionale::aliquota_unica;
  r.aliquote.n = 1;
  r.aliquote.aliquote[0] = aliquota / 100;
  return r;
}

double addizionale_regionale(double base, const RegolaRegionale& r) {
  if (!r.offerta || !(base > 0)) return 0;
  if (r.esenzione && base <= r.esenzione_fino_a) return 0;
  return std::max(0.0, saldo_addizionale_regionale(base, r));
}

double saldo_addizionale_regionale(double base, const RegolaRegionale& r) {
  double imponibile = base;
  if (r.deduzione && base <= r.deduzione_fino_a) {
    imponibile = std::max(0.0, base - r.deduzione_importo);
  }
  double lorda = 0;
  if (r.aliquota_intera && base <= r.aliquota_intera_fino_a) {
    lorda = imponibile * r.aliquota_intera_aliquota;
  } else {
    switch (r.forma) {
      case FormaAddizionaleRegionale::scaglioni:
        lorda = imposta_scaglioni(imponibile, r.aliquote);
        break;
      case FormaAddizionaleRegionale::aliquota_unica:
        lorda = imponibile * r.aliquote.aliquote[0];
        break;
      case FormaAddizionaleRegionale::fascia_intero:
        lorda = imponibile * aliquota_della_fascia(imponibile, r.aliquote);
        break;
    }
  }
  double detrazioni = 0;
  for (std::size_t i = 0; i < r.detrazioni.n; ++i) {
    if (nella_fascia(base, r.detrazioni.fasce[i])) detrazioni += r.detrazioni.fasce[i].importo;
  }
  if (r.detrazione_proporzionale && base > r.proporzionale_oltre) {
    detrazioni +=
        std::min(r.proporzionale_importo, r.proporzionale_importo * (base - r.proporzionale_oltre) /
                                              r.proporzionale_divisore);
  }
  return lorda - detrazioni;
}

bool detrazione_figli_non_applicata(const RegolaRegionale& regola) {
  return regola.offerta &&
         std::any_of(regola.non_applicate.begin(), regola.non_applicate.end(), [](const auto& a) {
           return a.forma == FormaAgevolazioneRegionale::detrazione_figli;
         });
}

}  // namespace zellora
