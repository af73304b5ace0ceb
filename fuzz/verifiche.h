// What every fuzz target checks besides "no crash": the system's own rules.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "form/risultati.h"
#include "numbers/numeri.h"

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
    const std::string_view t = r.Text(box);
    if (t.empty() || (box == 9 && t == "0")) continue;
    ZELLORA_VERIFICA(converti_numero(t, locale).has_value(), "a results text is not a number");
    ZELLORA_VERIFICA(t.rfind("-0,00", 0) != 0 && t.rfind("-0.00", 0) != 0, "minus zero shown");
  }
}

// The input of the statement targets: one line for the period ("1" for
// monthly), then the texts of boxes Text1 to Text21.
inline Risultati risultati_da_righe(std::string_view testo, bool& mensile) {
  Risultati risultati;
  mensile = false;
  std::size_t inizio = 0;
  for (int riga = 0; riga <= 21 && inizio <= testo.size(); ++riga) {
    std::size_t fine = testo.find('\n', inizio);
    if (fine == std::string_view::npos) fine = testo.size();
    const std::string_view valore = testo.substr(inizio, fine - inizio);
    if (riga == 0) {
      mensile = valore == "1";
    } else {
      risultati.imposta_testo(riga, valore);
    }
    inizio = fine + 1;
  }
  return risultati;
}

}  // namespace zellora::fuzz
