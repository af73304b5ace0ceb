// What `zellora-cli payslips` prints: the year of payslips as one JSON
// object, as CSV (one row per line of the year, then the totals) or as a
// table with the reconciliation in words.
#pragma once

#include <string>

#include "form/buste_paga.h"
#include "numbers/numeri.h"

namespace zellora {

std::string uscita_buste_json(const EsitoBuste& esito, const std::string& normativa);
// The members of that object after "rules" (from "notes" to
// "irpef_debt_exceeds_pay"), each after a comma; nothing for a refusal. A
// batch's JSON Lines write them between "messages" and "rules".
void aggiungi_anno_json(std::string& out, const EsitoBuste& esito);
// `separatore` ',' or ';'; numbers with '.' whatever the locale.
std::string uscita_buste_csv(const EsitoBuste& esito, char separatore);
// The cells of that CSV, for a batch's rows: the names of the header
// ("month", "kind", the columns of form/testi_buste.h), and a line of the
// year (its month, its kind, its figures); no line end.
void aggiungi_intestazione_buste_csv(std::string& out, char separatore);
void aggiungi_busta_csv(std::string& out, const BustaPaga& busta, char separatore);
std::string uscita_buste_testo(const EsitoBuste& esito, const std::string& normativa,
                               const Locale& locale);

}  // namespace zellora
