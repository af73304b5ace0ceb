// What `zellora-cli payslips` prints: the year of payslips as one JSON
// object, as CSV (one row per line of the year, then the totals) or as a
// table with the reconciliation in words.
#pragma once

#include <string>

#include "form/buste_paga.h"
#include "numbers/numeri.h"

namespace zellora {

std::string uscita_buste_json(const EsitoBuste& esito, const std::string& normativa);
// `separatore` ',' or ';'; numbers with '.' whatever the locale.
std::string uscita_buste_csv(const EsitoBuste& esito, char separatore);
std::string uscita_buste_testo(const EsitoBuste& esito, const std::string& normativa,
                               const Locale& locale);

}  // namespace zellora
