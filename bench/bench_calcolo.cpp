// Speed of the calculation core: one gross-to-net calculation with its
// results texts, the net a search pass compares, the net-to-gross search,
// the curve of the charts and a whole staff in one run.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "cli/lotto.h"
#include "form/grafici.h"
#include "form/motore.h"
#include "rules/cifre.h"

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

BENCHMARK(BM_LottoLordoNetto)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LottoMetaNettoLordo)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
