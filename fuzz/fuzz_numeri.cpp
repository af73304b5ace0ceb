// Number conversion and the amount format from arbitrary texts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "verifiche.h"

using namespace zellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string_view testo(reinterpret_cast<const char*>(dati), n);
  for (const Locale& locale :
       {Locale::italiano(), Locale{".", ","}, Locale{",", "\u202F"}, Locale{",", ""}}) {
    const auto valore = converti_numero(testo, locale);
    if (!valore) continue;
    ZELLORA_VERIFICA(std::isfinite(*valore), "a conversion gave a value that is not finite");
    double letto = 0;
    const auto f = formato_F(*valore, locale, &letto);
    ZELLORA_VERIFICA(f.has_value(), "a finite number could not be formatted");
    const auto riletto = converti_numero(*f, locale);
    ZELLORA_VERIFICA(riletto.has_value() && *riletto == letto, "F does not read back");
    ZELLORA_VERIFICA(std::fabs(letto - *valore) <= 0.005 + 1e-12 * std::fabs(*valore),
                     "F is more than half a cent away");
    ZELLORA_VERIFICA(!(letto == 0 && (*f)[0] == '-'), "minus zero shown");
    // The cents the rules take are those the text shows.
    if (const auto c = centesimi_F(*valore)) {
      ZELLORA_VERIFICA(formato_F_centesimi(*c, locale) == *f, "the cents are not those shown");
    } else {
      ZELLORA_VERIFICA(std::fabs(*valore) >= centesimi_massimi, "cents missing for a figure");
    }
    const auto g = formato_generale(*valore, locale);
    ZELLORA_VERIFICA(g.has_value(), "a finite number has no general form");
    if (g->find('E') == std::string::npos) {
      const auto gl = converti_numero(*g, locale);
      ZELLORA_VERIFICA(gl.has_value(), "the general form does not read back");
      ZELLORA_VERIFICA(std::fabs(*gl - *valore) <= 1e-14 * std::fabs(*valore),
                       "the general form is off by more than 15 digits");
    }
  }
  return 0;
}
