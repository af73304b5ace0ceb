// A year of payslips of the form's worker (rules/buste.h): the form's
// checks and calculation first, then the pay of the year, the months worked
// and last year's surcharges, by default those of the same worker in the
// year before under that year's rule set, where the program has it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "form/motore.h"
#include "rules/buste.h"

namespace zellora {

// What the form does not hold. Amounts in euro.
struct OpzioniBuste {
  std::optional<int> mensilita;  // 12, 13 or 14; default: "Numero mensilità retribuite"
                                 // in "Mensile", 13 in "Annuo"
  int mese_quattordicesima = 7;  // 6 or 7
  int primo_mese = 1;
  int ultimo_mese = 12;
  std::vector<std::pair<int, double>> variazioni;  // from month, the monthly gross
  std::vector<std::pair<int, double>> una_tantum;  // month, an amount of its payslip
  QuotaDetrazioni quota = QuotaDetrazioni::giorni;
  Proiezione proiezione = Proiezione::mensilita;
  // Last year: its taxable income, or its surcharges (each in place of the
  // figure worked out).
  std::optional<double> imponibile_precedente;
  std::optional<double> regionale_precedente;
  std::optional<double> comunale_precedente;
  std::optional<double> acconto_pagato;
  std::optional<double> acconto;
};

struct EsitoBuste {
  EsitoCalcolo esito;  // the form's checks; refused: no year
  std::optional<AnnoBuste> anno;
  DatiBuste dati;
  // The rule set last year's surcharges follow, empty when they are given
  // or not known; what the operator is told of them, in Italian.
  std::string normativa_precedente;
  std::vector<std::string> note;
};

// The months and choices are checked by the caller (1 to 12, in order).
EsitoBuste buste_paga(Motore& motore, const CampiForm1& campi, const OpzioniBuste& opzioni);

}  // namespace zellora
