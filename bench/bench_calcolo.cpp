// Speed of the calculation core: one gross-to-net calculation with its 21
// results texts, and the net-to-gross search.
#include <benchmark/benchmark.h>

#include "engine/motore.h"

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

}  // namespace

BENCHMARK(BM_LordoNettoAnnuo);
BENCHMARK(BM_LordoNettoMensile);
BENCHMARK(BM_NettoLordoAnnuo20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NettoLordoMensile1500)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
