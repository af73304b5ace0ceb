// The figures of a result as the operator sees them: whole cents, made once
// here from the calculation record by the rows of `righe.h`. Every front end
// only writes these cents as text; the net-to-gross search compares the net
// worked out here.
//
// Each figure is its row's formula taken to the cent by the amount rule (the
// value as a decimal of 15 significant digits, then the cents rounded half
// away from zero). Two are derived from the figures shown, not from the
// record: "Irpef netta", the unrounded gross tax less the deductions as shown
// (never shown below 0: a bare "0" then), and "Netto in busta", the rows
// with a sign added exactly in cents, then the whole euros not above the sum.
// The employer's panel of a month includes the accrual of the additional
// monthly payments: each figure x M / 12.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "rules/record.h"
#include "rules/righe.h"

namespace zellora {

// How a box shows its figure.
enum class Forma : std::uint8_t {
  vuota,    // empty: a figure that cannot be shown (not a number, or 9e16 euro or more)
  importo,  // an amount of `centesimi`
  zero,     // the bare "0" of a net IRPEF below 0, or one that cannot be worked out
};

struct Cifra {
  std::int64_t centesimi = 0;  // 0 for the bare "0" and for an empty box
  Forma forma = Forma::vuota;
  bool operator==(const Cifra&) const = default;
};

// The figures of one result by box (`caselle[0]` is `Text1`). The boxes of
// rows that the rule set does not show are empty.
struct CifreRisultato {
  std::array<Cifra, caselle_risultato> caselle{};
  bool attuali = false;      // a rule set of today's law: its rows are shown
  bool addizionali = false;  // the surcharges asked for: their rows are shown
  // Every figure taken from the record (the employer's as scaled) is below
  // `cifra_massima` in size: each, and the two derived from them, is shown
  // exactly to the cent.
  bool mostrabili = true;

  const Cifra& casella(int n) const { return caselle.at(static_cast<std::size_t>(n - 1)); }
  const Cifra& di(std::size_t riga) const { return casella(righe_risultato[riga].casella); }
  // The cents a box shows ("0" is 0); nothing for an empty box.
  std::optional<std::int64_t> centesimi(int n) const {
    const Cifra& c = casella(n);
    if (c.forma == Forma::vuota) return std::nullopt;
    return c.centesimi;
  }
  bool operator==(const CifreRisultato&) const = default;
};

// The largest figure shown to the cent. A result with a figure from the
// record this large or larger is refused: below it the derived figures (sums
// of a few figures) stay below 1e13 euro, where a double holds every cent of
// fifteen digits, so every figure shown is the calculation's.
inline constexpr double cifra_massima = 1e12;

// The figures of the record. `attuali`: the rule set is of today's law (its
// rows shown); `addizionali`: the calculation asked for the surcharges
// (their rows shown, under today's law only). `mensile`: the monthly mode, whose employer's panel
// is scaled by `mensilita`, the number of monthly payments; with none (a number that cannot be
// read) that panel stays empty.
CifreRisultato cifre_risultato(const RecordCalcolo& record, bool attuali, bool mensile,
                               std::optional<double> mensilita, bool addizionali = false);

// "Netto in busta" as shown for the record, in whole euros; not a number
// when a figure it needs cannot be shown. The net-to-gross search compares
// it with the net wanted, so that a net found is the net shown. The rows of
// today's law and the surcharges count too: under the rules of 2007, and
// when no surcharge is asked for, the record holds 0 there.
// Beyond 1e13 euro, where cents no longer add exactly in a double, the
// figures shown are added as the numbers their texts read back as.
double netto_mostrato(const RecordCalcolo& record);

// Whether the "Irpef netta" shown for the record is at least 0,01: the net
// IRPEF is due. The surcharges are due only then, on the figure the operator
// reads beside them, not on the unrounded one (a net IRPEF of 0,004 shows
// 0,00 and takes no surcharge).
bool irpef_netta_dovuta(const RecordCalcolo& record);

}  // namespace zellora
