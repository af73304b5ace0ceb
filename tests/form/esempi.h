// Profiles and inputs shared by the tests.
#pragma once

#include <cctype>
#include <cstdint>
#include <optional>
#include <string>

#include "form/risultati.h"
#include "rules/calcolo.h"
#include "rules/record.h"

namespace zellora::prova {

// The profile of the worked annual example: employee-like, with an
// employer INPS rate of 0.30.
inline RecordCalcolo profilo_esempio() {
  RecordCalcolo r;
  r.aliquota_inps_dip = 0.0919;
  r.aliquota_inps_az = 0.30;
  r.massimale_inps = 99999999;
  r.soglia_contributo_aggiuntivo = 42111;
  r.minimale_inail = 0;
  r.massimale_inail = 99999999;
  r.aliquota_tfr = 0.069074;
  r.aliquota_irap = 0.039;
  r.quota_inail_dip = 0;
  r.quota_inail_az = 3;
  return r;
}

inline InputCalcolo lordo(double retribuzione) {
  InputCalcolo in;
  in.retribuzione = retribuzione;
  return in;
}

inline const Locale& it() {
  static const Locale l = Locale::italiano();
  return l;
}

// The cents a shown amount stands for, read off its digits (every amount
// shows two decimals; the bare "0" is 0), independently of the locale.
inline std::optional<std::int64_t> centesimi_del_testo(std::string_view testo) {
  std::int64_t c = 0;
  int cifre = 0;
  for (char ch : testo) {
    if (std::isdigit(static_cast<unsigned char>(ch)) == 0) continue;
    if (++cifre > 17) return std::nullopt;
    c = c * 10 + (ch - '0');
  }
  if (cifre == 0) return std::nullopt;
  return testo[0] == '-' ? -c : c;
}

// "Netto in busta" worked out by hand from the texts shown: the exact sum in
// cents, then the whole euros below it.
inline std::string netto_atteso(const Risultati& t) {
  std::int64_t somma = 0;
  for (int box : {1, -2, -18, -17, -9, -20, 21}) {
    const auto c = centesimi_del_testo(t.Text(box < 0 ? -box : box));
    if (!c) return "?";
    somma += box < 0 ? -*c : *c;
  }
  const std::int64_t euro = somma >= 0 ? somma / 100 : -((-somma + 99) / 100);
  RecordCalcolo r;
  r.retribuzione_lorda = static_cast<double>(euro);
  return std::string(riempi_risultati(r, false, "14", it()).Text(1));
}

}  // namespace zellora::prova
