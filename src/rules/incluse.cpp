#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "rules/caricamento.h"
#include "testi_inclusi.h"

namespace zellora {

namespace {

const TestoIncluso& incluso(std::string_view nome) {
  for (const TestoIncluso& t : testi_inclusi) {
    if (t.nome == nome) return t;
  }
  std::string noti;
  for (const TestoIncluso& t : testi_inclusi)
    noti += (noti.empty() ? "" : ", ") + std::string(t.nome);
  throw Eccezione(
      Errore{std::string(nome), "no built-in rule set of this name (known: " + noti + ")"});
}

}  // namespace

std::vector<std::string_view> nomi_regole_incluse() {
  std::vector<std::string_view> nomi;
  for (const TestoIncluso& t : testi_inclusi) nomi.push_back(t.nome);
  return nomi;
}

std::string_view testo_regole_incluse(std::string_view nome) { return incluso(nome).testo; }

const RegoleCalcolo& regole_incluse(std::string_view nome) {
  const TestoIncluso& t = incluso(nome);
  const auto i = static_cast<std::size_t>(&t - testi_inclusi.data());
  // Each read once, the first time it is asked for; then found without a
  // lock, as every row of a batch asks for its rule set.
  using Letta = std::atomic<const RegoleCalcolo*>;
  static const std::unique_ptr<Letta[]> lette(new Letta[testi_inclusi.size()]());
  if (const RegoleCalcolo* r = lette[i].load(std::memory_order_acquire)) return *r;
  static std::mutex mutex;
  static std::vector<std::unique_ptr<const RegoleCalcolo>> tenute;
  const std::lock_guard<std::mutex> lock(mutex);
  if (const RegoleCalcolo* r = lette[i].load(std::memory_order_relaxed)) return *r;
  const std::string file = std::string(t.nome) + ".toml";
  auto r = std::make_unique<const RegoleCalcolo>(carica_regole(t.testo, file));
  if (r->nome != t.nome) {
    throw Eccezione(Errore{file + ": nome", "\"" + r->nome + "\" differs from the file name"});
  }
  lette[i].store(r.get(), std::memory_order_release);
  tenute.push_back(std::move(r));
  return *tenute.back();
}

const RegoleCalcolo& regole_predefinite() { return regole_incluse("2007"); }

}  // namespace zellora
