// zellora-cli's JSON request: whatever arrives is either a usage error or a
// calculation whose printed outcome is valid JSON that reads back exactly.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "app/richiesta_json.h"
#include "app/uscita.h"
#include "verifiche.h"

using namespace zellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string testo(reinterpret_cast<const char*>(dati), n);
  Richiesta richiesta;
  try {
    richiesta = leggi_richiesta(nlohmann::json::parse(testo));
  } catch (const nlohmann::json::exception&) {
    return 0;
  } catch (const ErroreRichiesta&) {
    return 0;
  }
  Motore motore;
  applica_profilo(motore, richiesta);
  const EsitoCalcolo esito = motore.verifica_campi(richiesta.campi);
  const nlohmann::json uscita = nlohmann::json::parse(uscita_json(esito, motore));
  ZELLORA_VERIFICA(uscita["status"] == nome_stato(esito.stato), "status not printed");
  ZELLORA_VERIFICA(uscita["record"].size() == campi_record().size(), "record not printed whole");
  for (const auto& c : campi_record()) {
    const auto& v = uscita["record"][std::string(c.nome)];
    ZELLORA_VERIFICA(v.is_number() && v.get<double>() == motore.record().*c.campo,
                     "a figure does not read back bit for bit");
  }
  for (int box = 1; box <= 21; ++box) {
    ZELLORA_VERIFICA(
        uscita["results"]["Text" + std::to_string(box)] == motore.risultati().Text(box),
        "a results text printed wrongly");
  }
  std::string testo_uscita = uscita_testo(esito, motore, richiesta.campi.Option2);
  ZELLORA_VERIFICA(!testo_uscita.empty(), "nothing printed");
  return 0;
}
