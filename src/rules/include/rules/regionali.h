// The regional IRPEF surcharge ("addizionale regionale all'IRPEF", D.Lgs.
// 446/1997 art. 50): the regions and autonomous provinces a rule set offers,
// the rule of one with its reference, and the year's amount.
//
// The amount, on the base of the year (the IRPEF taxable income; in a month
// the caller brings it to a year first), in this order:
//   1. nothing on a base of 0 or less, or at or below the exemption
//      threshold (above it the whole base is taxed);
//   2. a base at or below the limit of the base deduction is reduced by it;
//   3. the rates: a base at or below the limit of `aliquota_intera` pays that
//      one rate on the whole (reduced) base; otherwise the table, by
//      brackets, one rate, or the bracket's rate on the whole base;
//   4. the fixed deductions of the band the base falls in and the
//      proportional deduction are subtracted;
//   5. never below 0: no regional deduction gives a credit.
// Every limit is tested on the base before the deduction of step 2, the
// income the laws name ("reddito imponibile ai fini dell'addizionale").
// The reliefs that depend on what the form does not ask (per-child
// deductions, lower rates for the disabled) are kept in the rule with their
// references and never subtracted. docs/normativa.md has the sources.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rules/regole.h"

namespace zellora {

// The 19 regions and the 2 autonomous provinces by the names a rule set
// uses, sorted.
const std::vector<std::string>& nomi_regioni();

// The regions and provinces whose table of the year the rule set has,
// sorted: the items of a "Regione" list after "Nessuna". Empty for a rule
// set without the surcharge.
std::vector<std::string> regioni_offerte(const RegoleCalcolo& regole);

// Those the rule set names without a table, with the reason (`motivo`).
std::vector<const RegolaRegionale*> regioni_non_offerte(const RegoleCalcolo& regole);

// The rule of a region or province by its name (spaces around and the case
// of the letters aside), offered or not; null when the rule set does not
// name it.
const RegolaRegionale* regola_regionale(const RegoleCalcolo& regole, std::string_view nome);

// The rule of a rate typed in place of a region's table: `aliquota`
// percent on the whole base, without exemptions or deductions.
RegolaRegionale regola_regionale_digitata(double aliquota);

// The year's regional surcharge on `base`, not rounded; 0 for a rule not
// offered.
double addizionale_regionale(double base, const RegolaRegionale& regola);

// The surcharge on `base` before its last step (the deductions subtracted,
// not yet kept from going below 0), whatever the exemption: the net-to-gross
// search splits its stretches where it crosses 0.
double saldo_addizionale_regionale(double base, const RegolaRegionale& regola);

// Whether the region grants a deduction per dependent child, which the
// amount above does not subtract: the form's "Figli a carico" counts only
// the children of the IRPEF deduction, the regions count others too.
bool detrazione_figli_non_applicata(const RegolaRegionale& regola);

}  // namespace zellora
