// Speed of the calculation core: one gross-to-net calculation with its
// results texts, the net-to-gross search (beside a walk euro by euro), the
// curve of the charts, a year of payslips and a whole staff in one run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cammino.h"
#include "cli/lotto.h"
#include "form/buste_paga.h"
#include "form/grafici.h"
#include "form/motore.h"
#include "form/verifica.h"
#include "rules/cifre.h"
#include "rules/profilo.h"

namespace {

zellora::CampiForm1 richiesta(const char* importo, bool mensile, bool netto_lordo) {
  zellora::CampiForm1 c;
  c.Text1 = importo;
  c.Option1 = !mensile;
  c.Option2 = mensile;
  c.Option4 = !netto_lordo;
  c.Option3 = netto_lordo;
  return c;
}

void misura(benchmark::State& state, const zellora::CampiForm1& campi) {
  zellora::Motore motore;
  motore.scegli_settore("Impiegato", "Settore previdenziale Commercio -50dip");
  for (auto _ : state) {
    auto esito = motore.verifica_campi(campi);
    benchmark::DoNotOptimize(esito);
    benchmark::DoNotOptimize(motore.risultati());
  }
}

void BM_LordoNettoAnnuo(benchmark::State& s) { misura(s, richiesta("30000", false, false)); }
void BM_LordoNettoMensile(benchmark::State& s) { misura(s, richiesta("2500", true, false)); }
void BM_NettoLordoAnnuo20000(benchmark::State& s) { misura(s, richiesta("20000", false, true)); }
void BM_NettoLordoMensile1500(benchmark::State& s) { misura(s, richiesta("1500", true, true)); }

// The net a search pass compares with the net wanted: the worker's figures
// of a record to the cent, "Irpef netta" and "Netto in busta" from them.
void BM_NettoMostrato(benchmark::State& state) {
  zellora::Motore motore;
  motore.scegli_settore("Impiegato", "Settore previdenziale Commercio -50dip");
  motore.verifica_campi(richiesta("30000", false, false));
  const zellora::RecordCalcolo record = motore.record();
  for (auto _ : state) {
    benchmark::DoNotOptimize(zellora::netto_mostrato(record));
  }
}

}  // namespace

BENCHMARK(BM_LordoNettoAnnuo);
BENCHMARK(BM_LordoNettoMensile);
BENCHMARK(BM_NettoMostrato);
BENCHMARK(BM_NettoLordoAnnuo20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NettoLordoMensile1500)->Unit(benchmark::kMicrosecond);

namespace {

using zellora::CalcoloSvolto;
using zellora::InputCalcolo;
using zellora::RecordCalcolo;
using zellora::RegoleCalcolo;

// Nets from 1 euro to 10^11 (10^10 a month), 40 to a tenfold.
std::vector<double> netti_di_prova(bool mensile) {
  std::vector<double> netti;
  const int decine = mensile ? 10 : 11;
  for (int k = 0; k <= decine * 40; ++k) netti.push_back(std::floor(std::pow(10.0, k / 40.0)));
  return netti;
}

CalcoloSvolto cerca(const RecordCalcolo& profilo, const RegoleCalcolo& regole, bool mensile,
                    double netto) {
  RecordCalcolo r = profilo;
  InputCalcolo in;
  in.lordo_netto = false;
  in.retribuzione = netto;
  return mensile ? zellora::calcola_mese(r, in, regole) : zellora::calcola_annuo(r, in, regole);
}

// The search for every net of netti_di_prova, one after another, for an
// "Impiegato" of "Commercio -50dip" under a rule set: the time is the mean of
// a search; the counters give the passes (median and most) and the median
// time of one search, each timed alone.
void BM_Ricerca(benchmark::State& state, const RegoleCalcolo* regole, bool mensile) {
  RecordCalcolo profilo;
  zellora::scrivi_profilo(profilo, *regole, 1, 1);
  const std::vector<double> netti = netti_di_prova(mensile);
  std::vector<double> passaggi;
  std::vector<double> tempi;
  for (const double netto : netti) {
    double migliore = 1e300;
    CalcoloSvolto esito;
    for (int volta = 0; volta < 5; ++volta) {
      const auto t0 = std::chrono::steady_clock::now();
      esito = cerca(profilo, *regole, mensile, netto);
      const auto t1 = std::chrono::steady_clock::now();
      migliore = std::min(migliore, std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    passaggi.push_back(static_cast<double>(esito.ricerca.passaggi));
    tempi.push_back(migliore);
  }
  std::size_t i = 0;
  for (auto _ : state) {
    auto esito = cerca(profilo, *regole, mensile, netti[i]);
    benchmark::DoNotOptimize(esito);
    if (++i == netti.size()) i = 0;
  }
  const auto mediana = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  state.counters["passes_median"] = mediana(passaggi);
  state.counters["passes_max"] = *std::max_element(passaggi.begin(), passaggi.end());
  state.counters["us_median"] = mediana(tempi);
}

// One net, by the search and by a walk euro by euro (the net shown of every
// gross, from where the search starts), with the passes of each.
void BM_UnNetto(benchmark::State& state, const RegoleCalcolo* regole, bool mensile, double netto,
                bool cammino) {
  RecordCalcolo profilo;
  zellora::scrivi_profilo(profilo, *regole, 1, 1);
  InputCalcolo in;
  in.lordo_netto = false;
  in.retribuzione = netto;
  const RecordCalcolo prima = zellora::prova::prima_della_ricerca(profilo, in);
  const double inizio = regole->ricerca_da_zero ? 0 : netto;
  std::int64_t passaggi = 0;
  for (auto _ : state) {
    passaggi = 0;
    if (cammino) {
      auto a = zellora::prova::cammina(prima, in, *regole, mensile, netto, inizio, 1e9, &passaggi);
      benchmark::DoNotOptimize(a);
    } else {
      auto esito = cerca(profilo, *regole, mensile, netto);
      passaggi = esito.ricerca.passaggi;
      benchmark::DoNotOptimize(esito);
    }
  }
  state.counters["passes"] = static_cast<double>(passaggi);
}

// Under every rule set of the tests (those built in and copies with jumps),
// in both modes; and one net of each mode under 2007 and 2026, by the
// search and by the walk.
const bool registrate = [] {
  for (const auto& [nome, regole] : zellora::prova::insiemi_di_regole()) {
    // The name as one word: "2026_without_cuneo".
    std::string parola;
    for (const char c : nome) {
      if (c == ' ') parola += '_';
      if (c != ' ' && c != '%') parola += c;
    }
    if (!parola.empty() && parola.back() == '_') parola.pop_back();
    for (const bool mensile : {false, true}) {
      benchmark::RegisterBenchmark(
          ("BM_Ricerca/" + parola + (mensile ? "/mensile" : "/annuo")).c_str(), BM_Ricerca, &regole,
          mensile)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  for (const char* nome : {"2007", "2026"}) {
    const RegoleCalcolo* regole = &zellora::regole_incluse(nome);
    for (const bool cammino : {false, true}) {
      const std::string come = cammino ? "BM_Cammino/" : "BM_Cerca/";
      benchmark::RegisterBenchmark((come + nome + "/annuo/20000").c_str(), BM_UnNetto, regole,
                                   false, 20000.0, cammino)
          ->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark((come + nome + "/mensile/1500").c_str(), BM_UnNetto, regole,
                                   true, 1500.0, cammino)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  return true;
}();

}  // namespace

namespace {

// The curve of the charts window: 1001 points from 0 to 100000 for the
// worker of the last calculation.
void BM_Curva1000Punti(benchmark::State& state) {
  zellora::Motore motore;
  motore.scegli_settore("Impiegato", "Settore previdenziale Commercio -50dip");
  motore.verifica_campi(richiesta("30000", false, false));
  for (auto _ : state) {
    auto curva = zellora::curva(motore);
    benchmark::DoNotOptimize(curva);
  }
}

}  // namespace

BENCHMARK(BM_Curva1000Punti)->Unit(benchmark::kMillisecond);

namespace {

// The worker of a year of payslips: 30000 a year under 2026, 13 payments,
// with the surcharges of Milano (last year's under 2025 in instalments).
zellora::CampiForm1 lavoratore_buste() {
  zellora::CampiForm1 c = richiesta("30000", false, false);
  c.Combo4 = "2026";
  c.List1 = "Impiegato";
  c.List2 = "Terziario e commercio fino a 5 dipendenti";
  c.Combo5 = "Lombardia";
  c.Text22 = "MILANO (MI)";
  return c;
}

// The core's year alone: 13 payslips and the adjustment, each ordinary one
// with the yearly deductions of its projected income, and the two annual
// passes the year is reconciled with.
void BM_AnnoBuste(benchmark::State& state) {
  const zellora::RegoleCalcolo& regole = zellora::regole_incluse("2026");
  zellora::Motore motore(zellora::Locale::italiano(), regole);
  const zellora::CampiForm1 campi = lavoratore_buste();
  motore.scegli_settore(campi.List1, campi.List2);
  const zellora::EsitoBuste esito = zellora::buste_paga(motore, campi, zellora::OpzioniBuste{});
  const zellora::InputCalcolo input =
      *zellora::input_del_calcolo(campi, regole, motore.locale()).input;
  const zellora::RecordCalcolo profilo = motore.record();
  for (auto _ : state) {
    auto anno = zellora::anno_buste(input, profilo, regole, esito.dati);
    benchmark::DoNotOptimize(anno);
  }
}

// The same year from the form: its checks and calculation, last year's
// surcharges under last year's rule set, then the year.
void BM_BustePaga(benchmark::State& state) {
  zellora::Motore motore(zellora::Locale::italiano(), zellora::regole_incluse("2026"));
  const zellora::CampiForm1 campi = lavoratore_buste();
  motore.scegli_settore(campi.List1, campi.List2);
  for (auto _ : state) {
    auto esito = zellora::buste_paga(motore, campi, zellora::OpzioniBuste{});
    benchmark::DoNotOptimize(esito);
  }
}

}  // namespace

BENCHMARK(BM_AnnoBuste)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BustePaga)->Unit(benchmark::kMicrosecond);

namespace {

// A staff of `righe` workers as CSV: every `netti`-th one asks for a net.
std::string staff_csv(int righe, int netti) {
  std::string csv = "List1;List2;Text1;Option2;Option3;Combo3;Text4;Combo1;Text11\n";
  for (int i = 0; i < righe; ++i) {
    const bool mensile = i % 3 == 0;
    const bool netto = netti > 0 && i % netti == 0;
    const int importo = mensile ? 1200 + (i * 37) % 2800 : 15000 + (i * 7919) % 55000;
    csv += std::string(i % 2 == 0 ? "Impiegato" : "Operaio") +
           ";Settore previdenziale Commercio -50dip;" + std::to_string(importo) + ";" +
           (mensile ? "true" : "") + ";" + (netto ? "true" : "") + ";" + (i % 4 == 0 ? "Si" : "") +
           ";" + std::to_string(i % 3) + ";100;" + std::to_string(i % 25) + "\n";
  }
  return csv;
}

void misura_lotto(benchmark::State& state, int netti) {
  const int righe = 50000;
  const std::string csv = staff_csv(righe, netti);
  for (auto _ : state) {
    std::istringstream in(csv);
    std::ostringstream out;
    auto riepilogo = zellora::esegui_lotto(in, out, zellora::OpzioniLotto{});
    benchmark::DoNotOptimize(riepilogo);
  }
  state.SetItemsProcessed(state.iterations() * righe);
}

void BM_LottoLordoNetto(benchmark::State& s) { misura_lotto(s, 0); }
void BM_LottoMetaNettoLordo(benchmark::State& s) { misura_lotto(s, 2); }

}  // namespace

namespace {

// A staff's years of payslips under 2026 (`batch --payslips`): 10,000
// workers of Lombardia, most of them in Milano, one in nine leaving in the
// year, one in six with 14 payments.
void BM_LottoBuste(benchmark::State& state) {
  const int righe = 10000;
  std::string csv = "List1;List2;Text1;Combo4;Combo5;Text22;payslips.payments;payslips.to_month\n";
  for (int i = 0; i < righe; ++i) {
    csv += std::string(i % 2 == 0 ? "Impiegato" : "Operaio") +
           ";Terziario e commercio fino a 5 dipendenti;" +
           std::to_string(15000 + (i * 7919) % 55000) + ";2026;Lombardia;" +
           (i % 5 == 0 ? "" : "MILANO (MI)") + ";" + (i % 6 == 0 ? "14" : "") + ";" +
           (i % 9 == 0 ? std::to_string(1 + i % 11) : "") + "\n";
  }
  zellora::OpzioniLotto opzioni;
  opzioni.buste = true;
  for (auto _ : state) {
    std::istringstream in(csv);
    std::ostringstream out;
    auto riepilogo = zellora::esegui_lotto(in, out, opzioni);
    benchmark::DoNotOptimize(riepilogo);
  }
  state.SetItemsProcessed(state.iterations() * righe);
}

}  // namespace

BENCHMARK(BM_LottoLordoNetto)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LottoMetaNettoLordo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LottoBuste)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
