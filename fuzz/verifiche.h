// What every fuzz target checks besides "no crash": the system's own rules.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/numeri.h"
#include "engine/risultati.h"

#define ZELLORA_VERIFICA(condizione, messaggio)                                              \
  do {                                                                                       \
    if (!(condizione)) {                                                                     \
      std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", messaggio, __FILE__, __LINE__); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

namespace zellora::fuzz {

// A results text reads back as a number, or is the bare "0" of the net
// IRPEF, or is empty when its figure could not be shown.
inline void verifica_testi(const Risultati& r, const Locale& locale) {
  for (int box = 1; box <= 21; ++box) {
    const std::string& t = r.Text(box);
    if (t.empty() || (box == 9 && t == "0")) continue;
    ZELLORA_VERIFICA(converti_numero(t, locale).has_value(), "a results text is not a number");
    ZELLORA_VERIFICA(t.rfind("-0,00", 0) != 0 && t.rfind("-0.00", 0) != 0, "minus zero shown");
  }
}

}  // namespace zellora::fuzz
