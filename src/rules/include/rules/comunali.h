// The municipal IRPEF surcharge ("addizionale comunale all'IRPEF", D.Lgs.
// 360/1998 art. 1): the comuni of the Ministry of Finance's list of each year
// with their rates and exemption threshold, compiled into the library from
// src/rules/data/comunali, and the year's amount.
//
// The amount is nothing when the base is at or below the exemption
// threshold, and above it the rates apply to the WHOLE base: the threshold
// is a limit, not an allowance (D.L. 138/2011 art. 1 c. 11, as the comuni's
// own pages state it). Rates by bands apply as the IRPEF brackets do, each to
// the part of the base within its band: the same article lets the comuni
// differentiate the rate only by the IRPEF brackets, and a published amount
// for Torino's bands (tests/rules/test_comunali.cpp) is the progressive sum.
// docs/normativa.md has the sources.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zellora {

// How a comune's rules of a year are known.
enum class StatoComunale {
  deliberata,     // a deliberation for the year, as published
  prorogata,      // no deliberation for the year: those of the year before
                  // continue (L. 296/2006 art. 1 c. 169)
  non_istituita,  // the comune levies no surcharge: nothing is due
  sconosciuta,    // the rules in force are not in the data: not offered
  scartata,       // the published row does not make sense: not offered
};

inline constexpr std::size_t massimo_scaglioni_comunali = 12;

// A band: the rate (percent: 0.8 is 0,8 %) on the part of the base up to
// `fino_a` (inclusive) above the band before; the last band's `fino_a` is
// infinity.
struct ScaglioneComunale {
  double fino_a = 0;
  double aliquota = 0;
};

// What the year's surcharge is computed by: one band for a single rate.
struct RegolaComunale {
  std::size_t n = 0;
  std::array<ScaglioneComunale, massimo_scaglioni_comunali> scaglioni{};
  double esenzione_fino_a = 0;  // 0: no exemption
};

// A rule the user types for a deliberation newer than the data: one rate
// in percent on the whole base, nothing up to the threshold ("Esenzione fino
// a", 0 for none).
RegolaComunale regola_comunale_digitata(double aliquota, double esenzione_fino_a);

// The year's municipal surcharge on `base`, the year's IRPEF taxable income
// (in a month, the caller brings it to a year first). Not rounded.
double addizionale_comunale(double base, const RegolaComunale& regola);

// How an exemption worded otherwise than the Ministry's form ("Esenzione
// per redditi imponibili fino a euro N") is read, by what it names.
enum class LetturaEsenzione {
  reddito,     // a threshold of the income whatever its kind: applied
  lavoro,      // a threshold of the incomes of work it names: applied to a
               // worker whose pay is one of them
  altri,       // incomes that a worker's pay is not (pensions alone, self-
               // employment, unemployment benefits, ...): left out
  condizione,  // a condition the calculation does not know (ISEE, household,
               // children, age, property, a gross income): left out, as if
               // it were not met
  non_letta,   // its threshold does not read as one amount: left out
};

struct EsenzioneComunale {
  LetturaEsenzione lettura = LetturaEsenzione::non_letta;
  bool dipendenti = false;  // lavoro: it names employees' income (TUIR art. 49)
  bool assimilati = false;  // lavoro: it names the income assimilated to it
                            // (art. 50: the collaborators')
  double fino_a = 0;        // reddito, lavoro: the threshold, inclusive
  std::string_view testo;   // as published

  // Whether it applies to the worker: an employee, or (`dipendente` false)
  // a collaborator, whose pay is the only income.
  bool applicata(bool dipendente) const;
};

struct DeliberaComunale {
  std::string_view numero;    // "46"
  std::string data;           // "28/09/2020"
  std::string pubblicazione;  // "20/12/2025"
  std::string_view nota;      // "CONFERMA", "MODIFICA", ...
  int anno_elenco = 0;        // the year of the list it is published in
};

// One comune in one year's list.
struct ComuneAddizionale {
  int anno = 0;
  std::string_view codice;     // cadastral code, "F205"
  std::string_view nome;       // "MILANO"
  std::string_view provincia;  // "MI"
  std::string_view regione;    // "Lombardia": regione_della_provincia(provincia)
  StatoComunale stato = StatoComunale::sconosciuta;
  std::optional<DeliberaComunale> delibera;  // deliberata, prorogata
  RegolaComunale regola;                     // deliberata, prorogata; rate 0 if non_istituita
  std::string_view motivo;                   // sconosciuta, scartata: why, in words
  // The exemptions worded otherwise than the Ministry's form, which
  // `regola` leaves out (regola_per applies those that apply), and how
  // amounts or bands written otherwise were read ("" when none was).
  std::vector<EsenzioneComunale> esenzioni;
  std::string_view letture;

  // Whether the comune is offered: its rules are known.
  bool offerto() const;
  // The rule for a worker (an employee, or with `dipendente` false a
  // collaborator) whose pay is the only income: `regola` with the highest
  // threshold of the exemptions that apply to it.
  RegolaComunale regola_per(bool dipendente) const;
  // "MILANO (MI)", as the list of comuni shows it.
  std::string voce() const;
  // The legal reference of the rules: "Delibera n. 46 del 28/09/2020,
  // pubblicata il 20/12/2025 (elenco MEF 2025)", with the carry-over for a
  // prorogata; empty for a comune not offered.
  std::string riferimento() const;
};

// The years that have a list, increasing: 2025, 2026.
std::vector<int> anni_addizionale_comunale();
// The date of the state of a year's list ("22/08/2026"); empty for a year
// without one.
std::string_view stato_elenco_comunale(int anno);

// The comuni offered in a year ("MILANO (MI)"), sorted; empty for a year
// without a list. With a region (by the name the rule sets give it), only
// the comuni of its provinces.
const std::vector<std::string>& voci_comuni(int anno);
std::vector<std::string> voci_comuni(int anno, std::string_view regione);

// The region or autonomous province a province is in, by the province's
// sigla as the Ministry's lists give it ("RM": "Lazio", "TN": "Provincia
// autonoma di Trento") and by the name the rule sets give the region
// (nomi_regioni()); empty for a sigla not in the table. The table
// (data/comunali/province.csv) is ISTAT's list of the territorial units
// ("Elenco dei codici e delle denominazioni delle unità territoriali"), and
// the build refuses a list with a province it does not hold.
std::string_view regione_della_provincia(std::string_view sigla);
// The siglas of the table, sorted.
std::vector<std::string> sigle_province();

// A comune's name as people write it, in the form names are compared in:
// the letters in upper case, the accented ones without their accent
// ("Forlì" and the list's "FORLI'" are both "FORLI"), apostrophes
// (typographic ones too), hyphens, dots and blanks one blank between words
// and none at the ends, a province in brackets as " (FC)". Letters outside
// Latin-1 are kept as they are.
std::string chiave_comune(std::string_view testo);

// A comune of a year's list by its item ("MILANO (MI)", compared by
// chiave_comune: "Forlì (fc)" is "FORLI' (FC)") or by its cadastral code,
// offered or not; none when the year or the comune is not in the data.
std::optional<ComuneAddizionale> comune_per_voce(int anno, std::string_view voce);
std::optional<ComuneAddizionale> comune_per_codice(int anno, std::string_view codice);

// The comune a user means by `testo` in a year's list: its item ("CASTRO
// (LE)") or its name alone ("Castro"), compared by chiave_comune, offered or
// not. With a region (by the name the rule sets give it; empty for none),
// a name alone is looked for among the region's comuni first.
struct RicercaComune {
  enum class Esito {
    trovato,        // `comune`
    ambiguo,        // a name several comuni have: `candidati`
    inizio,         // no comune of that name; the names it begins: `candidati`
    altra_regione,  // the comuni of that name or item are not in the region: `candidati`
    non_trovato,    // no comune; `candidati` those of the name in other provinces
  };
  Esito esito = Esito::non_trovato;
  std::optional<ComuneAddizionale> comune;
  std::vector<ComuneAddizionale> candidati;  // sorted by item
};
RicercaComune cerca_comune(int anno, std::string_view testo, std::string_view regione = {});

// The comuni of a year that are not offered, in the list's order.
std::vector<ComuneAddizionale> comuni_non_offerti(int anno);

}  // namespace zellora
