// A rule set file of the user's, from arbitrary bytes: it loads, or it is
// refused with the file, the key and the reason; nothing else may happen.
// A rule set that loads prints its table and calculates a usual worker with
// every deduction.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "form/esito.h"
#include "rules/caricamento.h"
#include "rules/profilo.h"
#include "rules/tabella.h"
#include "verifiche.h"

using namespace zellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string_view testo(reinterpret_cast<const char*>(dati), n);
  RegoleCalcolo regole;
  try {
    regole = carica_regole(testo, "r.toml");
  } catch (const Eccezione& e) {
    ZELLORA_VERIFICA(std::string_view(e.what()).rfind("r.toml", 0) == 0,
                     "a refusal that does not name the file");
    return 0;
  }
  ZELLORA_VERIFICA(!tabella_regole(regole).empty(), "a rule set without a table");
  for (int c = 0; c < static_cast<int>(regole.categorie.size()); ++c) {
    RecordCalcolo record;
    ZELLORA_VERIFICA(scrivi_profilo(record, regole, c, 0), "a category without its first sector");
    InputCalcolo in;
    in.retribuzione = 30000;
    in.famiglia.figli = 3;
    in.famiglia.quota_figli = 100;
    in.famiglia.altri = 1;
    in.famiglia.quota_altri = 100;
    in.famiglia.coniuge_a_carico = true;
    // No figure the loader takes can make the calculation overflow.
    ZELLORA_VERIFICA(
        calcola_irpef_annua(record, in, Locale::italiano(), regole).stato != Stato::rifiutato,
        "a rule set that loads refuses a usual worker");
  }
  return 0;
}
