// A year of payslips ("buste paga"): each month's pay as a payroll office
// works it out (DPR 600/1973 art. 23 c. 2), the additional monthly payments
// taxed alone, the adjustment of December or of the month of termination
// (art. 23 c. 3), and the surcharges of the year before withheld in
// instalments. Every figure is in whole cents, as a payslip shows it; the
// year's totals are reconciled with the annual pass (calcolo.h) of the
// year's taxable income as the payslips add it up. docs/normativa.md, "Le
// buste paga dell'anno", has the rules and their sources.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "rules/calcolo.h"

namespace zellora {

// How a month's share of the yearly deductions of TUIR art. 13 (and the
// further deduction and the trattamento integrativo, which follow the same
// period) is taken: the days of the month / 365 or a twelfth. The law says
// only "rapportate al periodo stesso"; payroll offices do both. The
// deductions for dependants are "rapportate a mese" (TUIR art. 12 c. 3):
// always a twelfth.
enum class QuotaDetrazioni : std::uint8_t { giorni, dodicesimi };

// The income of the year on which the deductions of a month are chosen:
// the month's taxable income times the payslips of the year, or the taxable
// income paid so far plus the month's for the payslips still to come.
enum class Proiezione : std::uint8_t { mensilita, progressiva };

// The surcharges of the year before that this year's payslips withhold,
// in cents.
struct AnnoPrecedente {
  bool noto = false;                // without: no instalments (and the result says so)
  std::int64_t regionale = 0;       // last year's regional surcharge
  std::int64_t comunale = 0;        // last year's municipal surcharge
  std::int64_t acconto_pagato = 0;  // the municipal advance withheld last year
  std::int64_t acconto = 0;         // this year's municipal advance (30 %)
};

// A change of the monthly gross from a month on (a raise).
struct Variazione {
  int mese = 1;
  std::int64_t lordo = 0;  // cents
};

struct DatiBuste {
  std::int64_t lordo_mensile = 0;  // cents, from the first month worked
  std::vector<Variazione> variazioni;
  // One-off amounts added to (or, negative, taken from) the ordinary payslip
  // of a month: a bonus, an unpaid leave. The additional payments do not
  // follow them.
  std::vector<Variazione> una_tantum;
  // On each ordinary payslip, cents: the conventional value of a fringe
  // benefit (taxed and subject to contributions, not paid), a deduction from
  // the net and a non-taxable pay added to it.
  std::int64_t benefit = 0;
  std::int64_t trattenuta = 0;
  std::int64_t competenza = 0;
  // The gross of the annual calculation the year is reconciled with, cents:
  // the form's in "Annuo" for a whole year of unchanged pay (the payslips,
  // each rounded to the cent, may add up to a few cents less); nothing: the
  // payslips' own.
  std::optional<std::int64_t> lordo_annuo;
  int mensilita = 13;            // 12, 13 or 14
  int mese_quattordicesima = 7;  // 6 or 7
  int primo_mese = 1;            // hired in that month (1: in service from last year)
  int ultimo_mese = 12;          // left at the end of that month (12: in service)
  QuotaDetrazioni quota = QuotaDetrazioni::giorni;
  Proiezione proiezione = Proiezione::mensilita;
  AnnoPrecedente precedente;
};

enum class TipoBusta : std::uint8_t { ordinaria, tredicesima, quattordicesima, conguaglio };

// One line of the year: a payslip, or the adjustment. Cents.
struct BustaPaga {
  TipoBusta tipo = TipoBusta::ordinaria;
  int mese = 1;
  std::int64_t lordo = 0;
  std::int64_t benefit = 0;      // "Valore Convenzionale benefit"
  std::int64_t inps = 0;         // the INPS contribution, the 1 % not included
  std::int64_t aggiuntivo = 0;   // the 1 % above the month's threshold (its adjustment)
  std::int64_t altri = 0;        // other contributions of the worker
  std::int64_t inail = 0;        // the worker's INAIL share
  std::int64_t imponibile = 0;   // taxable income
  std::int64_t irpef_lorda = 0;  // on the monthly brackets
  std::int64_t detrazione_dip = 0;
  std::int64_t detrazione_coniuge = 0;
  std::int64_t detrazione_figli = 0;
  std::int64_t detrazione_altri = 0;
  std::int64_t ulteriore_detrazione = 0;
  std::int64_t irpef_netta = 0;
  std::int64_t somma_esente = 0;
  std::int64_t trattamento_integrativo = 0;
  std::int64_t regionale = 0;         // the regional surcharge withheld (last year's)
  std::int64_t comunale_saldo = 0;    // last year's municipal balance withheld
  std::int64_t comunale_acconto = 0;  // this year's municipal advance withheld
  std::int64_t trattenuta = 0;        // "Trattenuta Non deducibile"
  std::int64_t competenza = 0;        // "Competenza Non Imponibile"
  std::int64_t netto = 0;             // "Netto in busta"
  double reddito_previsto = 0;        // the year's income the deductions were chosen on
};

// The recovery of an amount paid and not due, left to next year's payslips.
struct Recupero {
  std::int64_t importo = 0;
  int rate = 0;  // 10 for the cuneo fiscale, 8 for the trattamento integrativo
};

// The year: the lines in the order of the payslips, the totals, the
// reconciliation with the annual pass, next year's instalments.
struct AnnoBuste {
  std::vector<BustaPaga> buste;  // the adjustment last, in its month
  BustaPaga totale;              // the sum of every line (its kind and month mean nothing)
  int giorni = 365;              // the days of work of the year

  // The annual pass of the year's taxable income as the payslips add it
  // up: what the adjustment brings the year to.
  std::int64_t irpef_netta_annua = 0;
  std::int64_t somma_esente_annua = 0;
  std::int64_t ulteriore_detrazione_annua = 0;
  std::int64_t integrativo_annuo = 0;
  std::int64_t regionale_annua = 0;  // this year's surcharges, due next year
  std::int64_t comunale_annua = 0;
  std::int64_t acconto_prossimo = 0;  // next year's municipal advance
  std::int64_t aggiuntivo_annuo = 0;  // the 1 % on the year's base

  Recupero recupero_cuneo;        // not recovered this year: next year, in 10 instalments
  Recupero recupero_integrativo;  // in 8
  // The adjustment withholds more than the pay of its month holds: the
  // worker pays the rest or asks for it to be spread (art. 23 c. 3).
  bool incapiente = false;

  // The annual pass of the year's gross, as "Annuo" gives it: the worker's
  // contributions (INPS with the 1 %, the others, INAIL), net IRPEF, the
  // tax-free sum with the trattamento integrativo, this year's surcharges,
  // and the net before whole euros. The net of the payslips differs from it
  // by the differences of these four and nothing else.
  std::int64_t lordo_calcolo = 0;
  std::int64_t contributi_calcolo = 0;
  std::int64_t irpef_netta_calcolo = 0;
  std::int64_t cuneo_calcolo = 0;
  std::int64_t addizionali_calcolo = 0;
  std::int64_t netto_calcolo = 0;
};

// The year of payslips of the worker `input` (the gross, the surcharges and
// the deductions' days in it are not read: `dati` gives the pay and the
// months) under `regole`, with the contribution profile of `profilo` (the
// ten figures a sector choice writes).
AnnoBuste anno_buste(const InputCalcolo& input, const RecordCalcolo& profilo,
                     const RegoleCalcolo& regole, const DatiBuste& dati);

// The days of the months `primo` to `ultimo` of a year of 365 days.
int giorni_mesi(int primo, int ultimo);

// The gross of the ordinary payslip of month `mese`.
std::int64_t lordo_del_mese(const DatiBuste& dati, int mese);

// Last year's surcharges under `regole`, last year's rule set, for the
// worker `input` of that year (its surcharges read under that rule set) with
// the profile `profilo`: of the taxable income `imponibile` when given,
// otherwise of the annual pass of the gross `lordo_annuo` (euro). This
// year's municipal advance is 30 % of the surcharge of last year's taxable
// income by the comune's rule of `input_anno`, this year's worker. Nothing
// is due when last year's IRPEF was not.
AnnoPrecedente anno_precedente(const InputCalcolo& input, const RecordCalcolo& profilo,
                               const RegoleCalcolo& regole, std::optional<double> imponibile,
                               double lordo_annuo, double benefit_annuo,
                               const InputCalcolo& input_anno);

}  // namespace zellora
