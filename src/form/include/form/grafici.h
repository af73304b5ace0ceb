// The figures of the charts window: where the gross goes, what the labour
// costs the employer, and the net against the gross around the worker of
// the last calculation.
//
// The two splits are made of the figures the results window shows, in whole
// cents, each part labelled as its row (rules/righe.h), so that a label
// means the same figure in the window and in the charts:
//
// - The worker's side: what is paid (the gross `Text1` and the rows added to
//   the net, the `aggiunte`: the non-taxable pay `Text21` and, under today's
//   law, the tax-free sum `Text22` and the trattamento integrativo `Text24`)
//   against where it goes (the rows subtracted from the net, in the order of
//   the window, then "Netto in busta" as the window shows it). The cents the
//   whole-euro net leaves unpaid (0 to 99) are `arrotondamento`, so that the
//   gross and the additions are the parts and the rounding exactly.
// - The employer's side splits the cost of labour (`Text16`) into the other
//   rows of its panel as shown, in the order of the window; each is rounded
//   to the cent on its own, so the cent or two by which they miss the cost
//   shown is `arrotondamento`.
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
#include "rules/righe.h"

namespace zellora {

// One part of a split: its row's name and label, its amount in cents and its
// percentage of the whole paid (the gross and the additions for the worker,
// the cost for the employer; 0 when that is 0). Amounts can be negative
// (negative other contributions, a negative net).
struct Quota {
  std::string_view id;
  std::string_view voce;
  std::int64_t centesimi = 0;
  double percentuale = 0;
};

struct Ripartizione {
  std::int64_t totale = 0;          // the gross, or the cost of labour, in cents
  std::vector<Quota> aggiunte;      // worker's side: paid on top of the gross
  std::vector<Quota> parti;         // where the gross and the additions go
  std::int64_t arrotondamento = 0;  // totale + aggiunte - parti
};

inline constexpr std::string_view voce_netto =
    righe_risultato[riga_del_genere(Genere::netto)].etichetta;

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
// A cliff of the curve: a gross where one more euro changes the net by a
// jump (the net falls, or rises by more than the euro), as the end of a
// deduction or of the trattamento integrativo makes it. `lordo` is the
// whole-euro gross (whole cents for a step below one euro) before the jump,
// `variazione` the change of the net's balance in cents from `lordo` to
// `lordo + passo`, and `voce`/`variazione_voce` the row of the window that
// changes most across it: `variazione_voce` its effect on the net and
// `variazione_riga` the change of the row itself, in cents (a surcharge that
// rises by 184,00 takes 184,00 off the net).
struct Salto {
  double lordo = 0;
  double passo = 1;
  std::int64_t variazione = 0;
  std::string_view voce;
  std::int64_t variazione_voce = 0;
  std::int64_t variazione_riga = 0;
};

// What the list of cliffs is called, and one cliff in words, the same in the
// charts window and on the page: "30.000,00 → 30.001,00 di lordo: +1,00 € di
// lordo, -184,00 € di netto (Addizionale comunale +184,00)".
inline constexpr std::string_view titolo_salti = "Salti del netto";
inline constexpr std::string_view spiegazione_salti =
    "dove un euro di lordo in pi\u00f9 cambia il netto di colpo";
std::string testo_salto(const Salto& salto, const Locale& locale);

struct Curva {
  std::vector<PuntoCurva> punti;
  std::vector<Salto> salti;  // in order of gross
  double lordo_attuale = 0;  // the gross of the last calculation
  double da = 0, a = 0, passo = 0;
  std::string errore;  // why there is no curve: a limit the options break
};

// Whether a point's marginal rate is drawn as a rate: a number within -50 %
// and 150 %, with no cliff inside its step (a cliff is a jump, marked apart,
// and would flatten every ordinary rate on the axis).
bool aliquota_ordinaria(const Curva& curva, const PuntoCurva& punto);

// Everything the charts window shows for the last calculation of `motore`.
struct DatiGrafici {
  std::string normativa;  // the rule set of the calculation ("2026")
  bool mensile = false;   // a month: the employer's side has the accrual
  std::string mensilita;  // the number of monthly payments, as typed
  std::optional<Ripartizione> lavoratore;
  std::optional<Ripartizione> azienda;
  // "Netto in busta" as the window shows it, the worker's point on the
  // curve; nothing when it cannot be shown.
  std::optional<double> netto;
  Curva curva;
};

// The curve for the last calculation of `motore`. No points, and the reason
// in `errore`, before the first calculation and for options outside the
// limits: a start below 0, an end not above the start, a step below 0.01,
// more than `punti_massimi` points, a figure that is not a number, a range
// asked for that reaches a gross whose figures cannot be shown (the net of
// every point is a number). The default end stops before such a gross.
Curva curva(const Motore& motore, const OpzioniCurva& opzioni = {});

// The net wanted by the last calculation of `motore` when it went from net
// to gross; nothing otherwise.
std::optional<double> netto_voluto(const Motore& motore);

// The splits and the curve; nothing before the first calculation.
std::optional<DatiGrafici> dati_grafici(const Motore& motore, const OpzioniCurva& opzioni = {});

}  // namespace zellora
