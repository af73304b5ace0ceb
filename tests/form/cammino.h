// For the tests and the benchmark of the net-to-gross search: the search as
// a plain walk, one whole gross after another from where the search starts,
// until the net the results window shows is the net wanted (what the
// search must answer, found without any of its reasoning); and the rule sets
// to compare them under.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "form/risultati.h"
#include "rules/calcolo.h"
#include "rules/caricamento.h"
#include "rules/cifre.h"

namespace zellora::prova {

// The record of a search before its first pass: the profile and the inputs
// of the pass, as the calculation reads them.
inline RecordCalcolo prima_della_ricerca(RecordCalcolo r, const InputCalcolo& in) {
  r.trattenuta_non_deducibile = std::floor(in.trattenuta);
  r.competenza_non_imponibile = std::floor(in.competenza);
  r.valore_benefit = std::floor(in.benefit);
  return r;
}

// The unrounded balance of the pass on the gross `g`, before the figures are
// shown: the net shown is within a cent of it per figure, so where it is
// more than a euro below a net wanted the net shown cannot reach that net,
// nor be it where it is more than a euro above.
inline double saldo_di(RecordCalcolo r, const InputCalcolo& in, const RegoleCalcolo& regole,
                       bool mensile, double g) {
  r.retribuzione_lorda = g;
  if (mensile) {
    passo_mensile(r, in, regole, true);
  } else {
    passo_annuo(r, in, regole);
  }
  const double detrazioni = r.detrazione_dip + r.detrazione_dip_ulteriore + r.detrazione_coniuge +
                            r.detrazione_coniuge_maggiorazione + r.detrazione_figli +
                            r.detrazione_altri + r.ulteriore_detrazione;
  return netto_prima_delle_imposte(r, mensile) - r.trattenuta_non_deducibile +
         r.competenza_non_imponibile - std::fmax(r.irpef_lorda - detrazioni, 0) + r.somma_esente +
         r.trattamento_integrativo - r.addizionale_regionale - r.addizionale_comunale;
}

// Where a walk stopped: the first gross whose net shown is the net wanted
// (`trovato` false when none up to the end of the walk), and the first whose
// net shown is above it, with that net.
struct Arrivo {
  double lordo = 0;
  bool trovato = false;
  double lordo_superato = 0;
  double netto_superato = 0;
  bool superato = false;
};

// One walk from `da`, up to `fino_a` at most, working out the net shown of
// every gross: the algorithm as the original program runs it, going on past
// a net above the one wanted.
inline Arrivo cammina(const RecordCalcolo& prima, const InputCalcolo& in,
                      const RegoleCalcolo& regole, bool mensile, double obiettivo, double da,
                      double fino_a, std::int64_t* passaggi = nullptr) {
  Arrivo a;
  for (double g = da; g <= fino_a; g += 1) {
    RecordCalcolo r = prima;
    const double netto = passo_ricerca(r, in, regole, mensile, g);
    if (passaggi != nullptr) ++*passaggi;
    if (netto == obiettivo) {
      a.lordo = g;
      a.trovato = true;
      return a;
    }
    if (netto > obiettivo && !a.superato) {
      a.superato = true;
      a.lordo_superato = g;
      a.netto_superato = netto;
    }
  }
  return a;
}

// The walks of many nets wanted for one worker, in one sweep of the grosses
// from the lowest start up to `fino_a`: each net from where its search
// starts (0 where the rule set says so, else the net itself). The net shown
// is worked out only where the unrounded balance of the record comes within
// a euro of a net still waiting: every figure shown is within a cent of the
// record, so farther the net shown cannot be it; and where it rises past a
// net not yet passed (up a cliff too).
inline std::vector<Arrivo> cammina_insieme(const RecordCalcolo& prima, const InputCalcolo& in,
                                           const RegoleCalcolo& regole, bool mensile,
                                           const std::vector<double>& obiettivi, double fino_a) {
  std::vector<Arrivo> arrivi(obiettivi.size());
  // The nets by where their walks start; those under way and not yet passed
  // by net (a heap, the lowest on top); those passed and not yet found, by
  // net.
  std::vector<std::size_t> per_inizio(obiettivi.size());
  for (std::size_t i = 0; i < obiettivi.size(); ++i) per_inizio[i] = i;
  const auto inizio = [&](std::size_t i) { return regole.ricerca_da_zero ? 0 : obiettivi[i]; };
  std::sort(per_inizio.begin(), per_inizio.end(),
            [&](std::size_t x, std::size_t y) { return inizio(x) < inizio(y); });
  std::vector<std::size_t> in_corso;
  const auto dopo = [&](std::size_t x, std::size_t y) { return obiettivi[x] > obiettivi[y]; };
  std::multimap<double, std::size_t> superati;
  std::size_t prossimo = 0;
  if (per_inizio.empty()) return arrivi;
  for (double g = inizio(per_inizio[0]); g <= fino_a; g += 1) {
    while (prossimo < per_inizio.size() && inizio(per_inizio[prossimo]) <= g) {
      in_corso.push_back(per_inizio[prossimo++]);
      std::push_heap(in_corso.begin(), in_corso.end(), dopo);
    }
    if (in_corso.empty() && superati.empty()) {
      if (prossimo == per_inizio.size()) break;
      g = inizio(per_inizio[prossimo]) - 1;
      continue;
    }
    const double saldo = saldo_di(prima, in, regole, mensile, g);
    // Beyond a thousand billion euro a cent is no longer the error of a figure.
    const double margine = 1 + std::fabs(saldo) * 1e-12;
    const bool vicino_superati =
        superati.lower_bound(saldo - margine - 1) != superati.upper_bound(saldo + margine);
    const bool sopra_in_corso = !in_corso.empty() && saldo + margine > obiettivi[in_corso.front()];
    if (!vicino_superati && !sopra_in_corso) continue;
    RecordCalcolo w = prima;
    const double netto = passo_ricerca(w, in, regole, mensile, g);
    while (!in_corso.empty() && netto >= obiettivi[in_corso.front()]) {
      const std::size_t k = in_corso.front();
      std::pop_heap(in_corso.begin(), in_corso.end(), dopo);
      in_corso.pop_back();
      if (netto == obiettivi[k]) {
        arrivi[k].lordo = g;
        arrivi[k].trovato = true;
      } else {
        arrivi[k].superato = true;
        arrivi[k].lordo_superato = g;
        arrivi[k].netto_superato = netto;
        superati.emplace(obiettivi[k], k);
      }
    }
    const auto [da, a] = superati.equal_range(netto);
    for (auto it = da; it != a; ++it) {
      arrivi[it->second].lordo = g;
      arrivi[it->second].trovato = true;
    }
    superati.erase(da, a);
  }
  return arrivi;
}

// A built-in rule set with texts of its file replaced, as an accountant's
// copy would be: the rule sets whose net jumps where the search must not
// skip. `togli` removes the sections from that text to `[contributi]`.
inline RegoleCalcolo variante(std::string_view nome,
                              std::vector<std::pair<std::string, std::string>> modifiche,
                              std::string_view togli = {}) {
  std::string testo(testo_regole_incluse(nome));
  if (!togli.empty()) {
    const auto da = testo.find(togli);
    const auto a = testo.find("[contributi]", da);
    testo.erase(da, a - da);
  }
  for (const auto& [vecchio, nuovo] : modifiche) {
    const auto dove = testo.find(vecchio);
    if (dove == std::string::npos) throw std::runtime_error("not in the rule set: " + vecchio);
    testo.replace(dove, vecchio.size(), nuovo);
  }
  return carica_regole(testo, std::string(nome) + " changed");
}

// Today's law without the cuneo fiscale and the trattamento integrativo,
// so searched from the net: the employee deduction rises from 1.955 to
// about 3.100 just above 15.000 of income.
inline const RegoleCalcolo& senza_cuneo() {
  static const RegoleCalcolo r = variante("2026", {}, "[cuneo_fiscale]");
  return r;
}

// The rule sets of the comparisons: those built in, and some with jumps:
// a band's fixed part raised (the net jumps up where the band starts and
// down where it ends), the first band of the spouse deduction falling below
// 0, a band falling faster than the income grows (the net rises while the
// deductions exceed the tax, then falls inside the band), the cuneo
// without the trattamento integrativo, a band whose ratio in four decimals
// is a staircase of one euro steps (the net falls at each), a top bracket of
// 100 % (a net that stops growing).
inline const std::vector<std::pair<std::string, RegoleCalcolo>>& insiemi_di_regole() {
  static const std::vector<std::pair<std::string, RegoleCalcolo>> insiemi = {
      {"2007", regole_incluse("2007")},
      {"2025", regole_incluse("2025")},
      {"2026", regole_incluse("2026")},
      {"2026 without cuneo", senza_cuneo()},
      {"2007 band raised", variante("2007", {{"fisso = 0,", "fisso = 400,"}})},
      {"2026 band raised", variante("2026", {{"fisso = 1910,", "fisso = 2910,"}})},
      {"2007 spouse below 0", variante("2007", {{"riduzione = 110", "riduzione = 1200"}})},
      {"2007 steep band",
       variante("2007", {{"fisso = 1338, variabile = 502", "fisso = 1338, variabile = 20000"}})},
      {"2026 steep staircase",
       variante("2026", {{"fisso = 0,    variabile = 1910", "fisso = 0,    variabile = 10000"}})},
      {"2025 without the integrativo", variante("2025", {}, "[trattamento_integrativo]")},
      {"2026 top bracket 100 %",
       variante("2026", {{"aliquote = [0.23, 0.33, 0.43]", "aliquote = [0.23, 0.33, 1.0]"}})},
  };
  return insiemi;
}

}  // namespace zellora::prova
