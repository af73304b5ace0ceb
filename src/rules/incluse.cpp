#include <map>
#include <memory>
#include <mutex>

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
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<const RegoleCalcolo>, std::less<>> lette;
  const TestoIncluso& t = incluso(nome);
  const std::lock_guard<std::mutex> lock(mutex);
  if (const auto it = lette.find(nome); it != lette.end()) return *it->second;
  const std::string file = std::string(t.nome) + ".toml";
  auto r = std::make_unique<RegoleCalcolo>(carica_regole(t.testo, file));
  if (r->nome != t.nome) {
    throw Eccezione(Errore{file + ": nome", "\"" + r->nome + "\" differs from the file name"});
  }
  return *lette.emplace(std::string(nome), std::move(r)).first->second;
}

const RegoleCalcolo& regole_predefinite() {
  // Asked for by every request made (each row of a batch): found once,
  // without the lock of the others.
  static const RegoleCalcolo& predefinite = regole_incluse("2007");
  return predefinite;
}

}  // namespace zellora
