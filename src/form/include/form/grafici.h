// The figures of the charts window: where the gross goes, what the labour
// costs the employer, and the net against the gross around the worker of
// the last calculation.
//
// The two splits are made of the figures the results window shows, in whole
// cents, so that a chart never disagrees with the window and its parts add up
// exactly:
//
// - The worker's side splits the gross (`Text1`) by the rows of the table
//   (rules/righe.h) subtracted from the net: the taxes withheld first (IRPEF
//   netta), then the others in the order of the window (INPS with the
//   additional contribution, other contributions, INAIL, the non-deductible
//   withholding); then "Netto in busta" and the cents that the whole-euro
//   net leaves unpaid ("Arrotondamento", 0 to 99 cents). The rows added to
//   the net (the non-taxable pay `Text21` and, under today's law, the
//   tax-free sum `Text22` and the trattamento integrativo `Text24`) are paid
//   with the net but are not part of the gross: they are the `aggiunte`,
//   each with its share of the gross, and the "Netto in busta" part is the
//   net shown less them (the share of the net that comes out of the gross).
//   So the parts add up to the gross, and the part plus the additions is the
//   net shown.
// - The employer's side splits the cost of labour (`Text16`) into the other
//   rows of its panel as shown, in the order of the window; each is rounded
//   to the cent on its own, so the cent or two by which they miss the cost
//   shown is a last part "Arrotondamento".
//
// The curve repeats the calculation of the last run from gross to net, with
// the same inputs, mode and rule set, changing only the gross.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/campi_form.h"
#include "form/motore.h"

namespace zellora {

// One part of a split: its label, its amount in cents and its percentage of
// the whole (of the gross for the worker, of the cost for the employer; 0
// when the whole is 0). Amounts can be negative (negative other
// contributions).
struct Quota {
  std::string_view voce;
  std::int64_t centesimi = 0;
  double percentuale = 0;
};

struct Ripartizione {
  std::int64_t totale = 0;      // the gross, or the cost of labour, in cents
  std::vector<Quota> parti;     // add up exactly to `totale`
  std::vector<Quota> aggiunte;  // worker's side: paid on top of the gross
};

inline constexpr std::string_view voce_netto = "Netto in busta";
inline constexpr std::string_view voce_arrotondamento = "Arrotondamento";

// The splits of the figures shown, each part labelled as its row in the
// window; nothing when a figure they need cannot be shown (the employer's
// side, in a month, also when the number of monthly payments cannot be
// read).
std::optional<Ripartizione> ripartizione_lavoratore(const CifreRisultato& cifre);
std::optional<Ripartizione> ripartizione_azienda(const CifreRisultato& cifre);

// One point of the curve. `netto` is "Netto in busta" as shown (whole euros)
// and `costo_lavoro` the cost of labour as shown; both not a number when the
// calculation at that gross is refused or cannot be shown.
//
// `aliquota_marginale` is the share of the gross added up to the next point
// that does not reach the net: 1 - (N(next) - N(this)) / (gross(next) -
// gross(this)), where N is the balance of the figures shown in cents before
// the net is taken to whole euros (so that the euro rounding does not make
// the rate jitter). Over a step, a jump of a deduction shows as a spike (the
// net falls: a rate above 1) and a bracket or the additional contribution as
// a step. The last point looks one step beyond the end.
struct PuntoCurva {
  double lordo = 0;
  double netto = 0;
  double costo_lavoro = 0;
  double aliquota_marginale = 0;
};

struct OpzioniCurva {
  std::optional<double> da;     // default 0
  std::optional<double> a;      // default: twice the gross, at least 100000 (8000 a month)
  std::optional<double> passo;  // default: the whole euros that give about 1000 points
};

// Most points a curve has: a longer one is refused.
inline constexpr std::int64_t punti_massimi = 1'000'000;

// The points run from `da` by `passo` up to `a` (`a` itself when it falls on
// a step), each gross rounded to the cent.
struct Curva {
  std::vector<PuntoCurva> punti;
  double lordo_attuale = 0;  // the gross of the last calculation
  double da = 0, a = 0, passo = 0;
  std::string errore;  // why there is no curve: a limit the options break
};

// Everything the charts window shows for the last calculation of `motore`.
struct DatiGrafici {
  std::optional<Ripartizione> lavoratore;
  std::optional<Ripartizione> azienda;
  Curva curva;
};

// The curve for the last calculation of `motore`. No points, and the reason
// in `errore`, before the first calculation and for options outside the
// limits: a start below 0, an end not above the start, a step below 0.01,
// more than `punti_massimi` points, a figure that is not a number, a range
// asked for that reaches a gross whose figures cannot be shown (the net of
// every point is a number). The default end stops before such a gross.
Curva curva(const Motore& motore, const OpzioniCurva& opzioni = {});

// The splits and the curve; nothing before the first calculation.
std::optional<DatiGrafici> dati_grafici(const Motore& motore, const OpzioniCurva& opzioni = {});

}  // namespace zellora
