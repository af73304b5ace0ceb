// zellora-cli's JSON request: whatever arrives is either a usage error, whose
// message is safe to show, or a calculation whose printed outcome is valid
// JSON that reads back exactly.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/richiesta_json.h"
#include "cli/uscita.h"
#include "verifiche.h"

using namespace zellora;

namespace {

// Whether `testo` is valid UTF-8, as the JSON library judges it.
bool utf8_valido(const std::string& testo) {
  try {
    const std::string scritto = nlohmann::json(testo).dump();
    return !scritto.empty();
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

// A message shown to the user: valid UTF-8, no character that drives a
// terminal, and short whatever the input held.
void verifica_messaggio(const std::string& m) {
  ZELLORA_VERIFICA(m.size() < 2000, "a message too long");
  ZELLORA_VERIFICA(utf8_valido(m), "a message that is not UTF-8");
  for (std::size_t i = 0; i < m.size(); ++i) {
    const auto c = static_cast<unsigned char>(m[i]);
    ZELLORA_VERIFICA(c >= 0x20 && c != 0x7F, "a control character in a message");
    ZELLORA_VERIFICA(
        !(c == 0xC2 && i + 1 < m.size() && static_cast<unsigned char>(m[i + 1]) < 0xA0),
        "a C1 control character in a message");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string testo(reinterpret_cast<const char*>(dati), n);
  // Any text is written as a valid JSON string, valid UTF-8 as it is.
  std::string scritto;
  aggiungi_stringa_json(scritto, testo);
  ZELLORA_VERIFICA(nlohmann::json::accept(scritto), "a string written as invalid JSON");
  if (utf8_valido(testo)) {
    ZELLORA_VERIFICA(nlohmann::json::parse(scritto) == testo, "a string not written as it is");
  }
  Richiesta richiesta;
  try {
    richiesta = leggi_richiesta_json(testo);
  } catch (const nlohmann::json::exception& e) {
    verifica_messaggio(messaggio_json(e));
    return 0;
  } catch (const ErroreRichiesta& e) {
    verifica_messaggio(e.what());
    return 0;
  }
  Motore motore;
  applica_profilo(motore, richiesta);
  const EsitoCalcolo esito = motore.verifica_campi(richiesta.campi);
  const nlohmann::json uscita = nlohmann::json::parse(uscita_json(esito, motore));
  ZELLORA_VERIFICA(uscita["status"] == std::string(nome_stato(esito.stato)), "status not printed");
  // The figures of today's law only under a rule set that has them.
  const bool attuali = regole_attuali(motore.regole());
  const std::size_t figure = attuali ? campi_record().size() : numero_campi_2007;
  ZELLORA_VERIFICA(uscita["record"].size() == figure, "record not printed whole");
  for (std::size_t k = 0; k < figure; ++k) {
    const CampoRecord& c = campi_record()[k];
    const auto& v = uscita["record"][std::string(c.nome)];
    ZELLORA_VERIFICA(v.is_number() && v.get<double>() == motore.record().*c.campo,
                     "a figure does not read back bit for bit");
  }
  for (int box = 1; box <= motore.risultati().numero_caselle(); ++box) {
    ZELLORA_VERIFICA(uscita["results"]["Text" + std::to_string(box)] ==
                         std::string(motore.risultati().Text(box)),
                     "a results text printed wrongly");
  }
  std::string testo_uscita = uscita_testo(esito, motore, richiesta.campi.Option2);
  ZELLORA_VERIFICA(!testo_uscita.empty(), "nothing printed");
  return 0;
}
