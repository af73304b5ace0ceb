// A rule set: every rate, band, bracket and amount of the pay rules of one
// year, as a value. The calculation takes it as an argument; nothing of the
// law is written inside a formula. The rule sets live as TOML files with
// the legal reference of each figure (src/rules/data), are compiled into the
// programs, and are checked when loaded.
//
// Where the law changed the shape of a formula over the years, the rule set
// names the shape (`Forma...`), and the calculation picks the small function
// of that name; a new year adds data and, only where the law changed a
// shape, one function.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zellora {

// Up to this many IRPEF brackets, bands of a deduction and additional
// amounts: the arrays stay in the rule set, without allocation.
inline constexpr std::size_t massimo_fasce = 8;

// IRPEF by progressive brackets. `limiti[0..n-2]` are the upper limits
// (inclusive) of every bracket but the last, increasing; `aliquote[0..n-1]`
// the rates as fractions.
struct TabellaScaglioni {
  std::size_t n = 0;
  std::array<double, massimo_fasce> limiti{};
  std::array<double, massimo_fasce> aliquote{};
};

// A fixed amount for an income band. The upper bound is inclusive; the
// lower one inclusive (`da`) or exclusive (strictly above `da`) as the law
// writes it. Bands written as X + 0.01 leave the cent-wide gap uncovered.
struct ImportoFascia {
  double da = 0;
  bool da_escluso = false;
  double a = 0;
  double importo = 0;
};

struct ImportiFascia {
  std::size_t n = 0;
  std::array<ImportoFascia, massimo_fasce> fasce{};
};

// Employee-income deduction (TUIR art. 13).
enum class FormaDetrazioneDipendente {
  // Up to `primo_limite`: the days' share of `importo_primo`, at least
  // `minimo` in the annual calculation; then bands of
  // ((fisso + variabile x ((fino_a - R) / (fino_a - previous limit))) x days) / 365;
  // 0 above the last band.
  fasce_decrescenti,
};

struct FasciaDipendente {
  double fino_a = 0;
  double fisso = 0;
  double variabile = 0;
};

struct RegoleDetrazioneDipendente {
  FormaDetrazioneDipendente forma = FormaDetrazioneDipendente::fasce_decrescenti;
  double primo_limite = 0;
  double importo_primo = 0;
  double minimo = 0;
  std::size_t n = 0;
  std::array<FasciaDipendente, massimo_fasce> fasce{};
  // The ratio of a band, when above zero, taken in its first four decimals.
  bool quattro_decimali = false;
  ImportiFascia ulteriori;  // yearly additional amounts
  // The additional amounts prorated by the days; otherwise whole in a year
  // with any days, a twelfth in a month.
  bool ulteriori_rapportati = true;
};

// Spouse deduction (TUIR art. 12 c. 1 lett. a).
enum class FormaDetrazioneConiuge {
  // Up to `primo_limite`: base - riduzione x (R / primo_limite); up to
  // `secondo_limite`: fisso; up to `terzo_limite`: fisso x ((terzo_limite -
  // R) / (terzo_limite - secondo_limite)); 0 above.
  tre_fasce,
};

struct RegoleDetrazioneConiuge {
  FormaDetrazioneConiuge forma = FormaDetrazioneConiuge::tre_fasce;
  double primo_limite = 0;
  double base = 0;
  double riduzione = 0;
  double secondo_limite = 0;
  double fisso = 0;
  double terzo_limite = 0;
  bool quattro_decimali = false;  // as the employee deduction's
  ImportiFascia maggiorazioni;    // yearly increases, prorated by months
};

// Children deduction (TUIR art. 12 c. 1 lett. c): the base of n children.
enum class FormaBaseFigli {
  // n x importo for 1, 2 or 3 children, n x importo_dal_quarto from 4 on;
  // no base for any other count.
  aumentata_dal_quarto,
  // n x importo for every whole n of 1 or more.
  per_figlio,
};

struct RegoleDetrazioneFigli {
  FormaBaseFigli forma = FormaBaseFigli::aumentata_dal_quarto;
  double importo = 0;
  double importo_dal_quarto = 0;
  double maggiorazione_minori = 0;  // per child under three
  double limite = 0;                // income limit of one child
  double aumento_limite = 0;        // added for each child after the first
  bool quattro_decimali = false;    // as the employee deduction's
};

// Other dependants deduction (TUIR art. 12 c. 1 lett. d).
struct RegoleDetrazioneAltri {
  double importo = 0;  // per dependant
  double limite = 0;
  bool quattro_decimali = false;  // as the employee deduction's
};

// The ten figures of the contribution profile a sector choice writes.
struct Profilo {
  double aliquota_inps_dip = 0;
  double aliquota_inps_az = 0;
  double massimale_inps = 0;
  double soglia_contributo_aggiuntivo = 0;
  double minimale_inail = 0;
  double massimale_inail = 0;
  double aliquota_tfr = 0;
  double aliquota_irap = 0;
  double quota_inail_dip = 0;
  double quota_inail_az = 0;
};

struct Settore {
  std::string voce;          // the item of the sector list
  std::string nome_profilo;  // the shared profile of the file it takes its figures from
  Profilo profilo;
  // Items of earlier lists that stand for this sector (a stored request or
  // sheet row naming one is calculated with this sector, and told so); not
  // offered in the list.
  std::vector<std::string> voci_precedenti;
};

struct Categoria {
  std::string nome;  // the item of the category list
  std::vector<Settore> settori;
};

// Where a figure comes from: `chiave` is its key in the rule set file
// ("irpef.aliquote", "categoria[1].settori[2].inps_az"), `riferimento` the
// law or circular, `aggiornato` false for a figure whose current source was
// not found (kept from an earlier year), and then `nota` says why.
struct Fonte {
  std::string chiave;
  std::string valore;  // as written in the file
  std::string riferimento;
  bool aggiornato = true;
  std::string nota;
};

// The "cuneo fiscale" of employees (L. 207/2024 art. 1 c. 4-9): a tax-free
// sum paid with the net up to a first income limit, a rate of the taxable
// pay chosen by the income brought to a whole year (income x 365 / days);
// then a further deduction from the gross tax, whole up to `pieno_fino_a`
// and falling to 0 at `fino_a`, prorated by the days.
struct FasciaSomma {
  double fino_a = 0;
  double aliquota = 0;
};

struct RegoleCuneoFiscale {
  bool presente = false;
  std::size_t n = 0;
  std::array<FasciaSomma, massimo_fasce> somma{};  // the last fino_a ends the sum
  double importo = 0;                              // the further deduction, yearly
  double pieno_fino_a = 0;                         // whole from the end of the sum up to here
  double fino_a = 0;                               // 0 from here on
  std::vector<std::string> categorie_escluse;      // not employees
};

// The "trattamento integrativo" (DL 3/2020 art. 1), paid with the net: the
// whole amount up to `primo_limite` when the gross tax exceeds the employee
// deduction less `riduzione` x days / 365; up to `secondo_limite` the excess
// of the deductions over the gross tax, at most the amount.
struct RegoleTrattamentoIntegrativo {
  bool presente = false;
  double importo = 0;  // yearly
  double primo_limite = 0;
  double riduzione = 0;
  double secondo_limite = 0;
};

// The regional IRPEF surcharge (D.Lgs. 446/1997 art. 50) of one region or
// autonomous province: the year's table with its reference, or the reason it
// is not offered. rules/regionali.h computes it.
enum class FormaAddizionaleRegionale {
  // Each rate on the part of the base within its bracket, as IRPEF.
  scaglioni,
  // One rate on the whole base.
  aliquota_unica,
  // The rate of the bracket the base falls in, on the whole base.
  fascia_intero,
};

// A relief of the law that depends on what the form does not ask (the
// children the region counts, a disability): kept with its reference and
// reported, never subtracted.
enum class FormaAgevolazioneRegionale {
  detrazione_figli,    // an amount per dependent child
  aliquota_agevolata,  // a lower rate for some taxpayers
};

struct AgevolazioneRegionale {
  FormaAgevolazioneRegionale forma = FormaAgevolazioneRegionale::detrazione_figli;
  std::string condizione;  // who is entitled, in words
  std::string riferimento;
  double importo = 0;           // per child; 0 when the source gives none
  double importo_disabile = 0;  // more per disabled child
  double aliquota = 0;          // the lower rate
  double reddito_fino_a = 0;    // the income limit; 0 when none is written
};

struct RegolaRegionale {
  std::string nome;  // "Provincia autonoma di Bolzano"
  bool offerta = false;
  std::string motivo;       // not offered: why
  std::string riferimento;  // offered: the law of the table

  FormaAddizionaleRegionale forma = FormaAddizionaleRegionale::scaglioni;
  TabellaScaglioni aliquote;  // one rate for aliquota_unica

  // Nothing is due on a base at or below `esenzione_fino_a`; above it the
  // whole base is taxed.
  bool esenzione = false;
  double esenzione_fino_a = 0;
  // A base at or below `fino_a` is reduced by `importo` (not below 0).
  bool deduzione = false;
  double deduzione_importo = 0;
  double deduzione_fino_a = 0;
  // A base at or below `fino_a` pays this one rate on the whole base
  // instead of the table.
  bool aliquota_intera = false;
  double aliquota_intera_fino_a = 0;
  double aliquota_intera_aliquota = 0;
  // Fixed amounts subtracted from the surcharge for a base in their band.
  ImportiFascia detrazioni;
  // Above `oltre`: importo x (base - oltre) / divisore, at most importo.
  bool detrazione_proporzionale = false;
  double proporzionale_importo = 0;
  double proporzionale_oltre = 0;
  double proporzionale_divisore = 0;

  std::vector<AgevolazioneRegionale> non_applicate;
};

struct RegoleCalcolo {
  std::string nome;         // "2007"
  std::string descrizione;  // one line for the user
  // The file of the user's it was read from, for messages; empty for a
  // rule set built in.
  std::string file;

  TabellaScaglioni irpef_annua;
  TabellaScaglioni irpef_mensile;

  // The additional contribution of the worker above the threshold of the
  // profile, in percent of the excess; with `aggiuntivo_entro_massimale`
  // only on the pay up to the profile's INPS ceiling (annual calculation).
  double contributo_aggiuntivo_percento = 0;
  bool aggiuntivo_entro_massimale = false;
  // INAIL: the rate per thousand is raised by this fraction of itself.
  double maggiorazione_inail = 0;

  RegoleDetrazioneDipendente dipendente;
  RegoleDetrazioneConiuge coniuge;
  RegoleDetrazioneFigli figli;
  RegoleDetrazioneAltri altri;

  RegoleCuneoFiscale cuneo;
  RegoleTrattamentoIntegrativo integrativo;
  // The net-to-gross search starts at a gross of 0 rather than at the net:
  // where a tax-free sum makes the net larger than the gross.
  bool ricerca_da_zero = false;

  std::vector<Categoria> categorie;

  // The regional surcharge, one entry per region and autonomous province
  // in the order of the file; empty for a rule set without it.
  std::vector<RegolaRegionale> addizionale_regionale;
  // The year of the Ministry's list of the comuni the municipal surcharge
  // takes (`elenco_comuni`, one of anni_addizionale_comunale()); 0 for none.
  int elenco_comuni = 0;

  // Every figure with its reference, in the order of the file.
  std::vector<Fonte> fonti;
};

// True for a rule set of today's law: one with the tax-free sum or the
// trattamento integrativo, whose results have three more figures.
inline bool regole_attuali(const RegoleCalcolo& regole) {
  return regole.cuneo.presente || regole.integrativo.presente;
}

}  // namespace zellora
