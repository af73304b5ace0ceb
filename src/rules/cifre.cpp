#include "rules/cifre.h"

#include <cmath>
#include <limits>
#include <utility>

#include "numbers/numeri.h"

namespace zellora {

namespace {

// Runs `f` on each row of the table with the row's index as a constant, so
// that the formulas are called directly, not through their pointers.
template <typename F, std::size_t... I>
void per_ogni_riga(F&& f, std::index_sequence<I...>) {
  (f(std::integral_constant<std::size_t, I>{}), ...);
}

template <typename F>
void per_ogni_riga(F&& f) {
  per_ogni_riga(std::forward<F>(f), std::make_index_sequence<numero_righe>{});
}

// Cents below this add exactly: their sum, and each over 100, is exact in a
// double (a figure below 1e13 euro).
constexpr std::int64_t centesimi_esatti = 1'000'000'000'000'000;

// A figure of the worker's side as shown.
struct Mostrata {
  bool presente = false;      // a number: the box shows it
  bool in_centesimi = false;  // its cents fit in 64 bits
  bool esatta = false;        // and are below 1e15: exact in a double, also over 100
  bool nudo = false;          // the bare "0" of the net IRPEF
  std::int64_t centesimi = 0;
  double valore = 0;  // the figure before rounding

  // The number its text reads back as.
  double letto() const {
    if (esatta) return static_cast<double>(centesimi) / 100.0;
    return valore_F(valore).value_or(std::numeric_limits<double>::quiet_NaN());
  }
};

Mostrata mostra(double valore) {
  Mostrata m;
  m.valore = valore;
  if (centesimi_F_rapidi(valore, m.centesimi)) {
    // Below 1e12 euro: exact.
    m.presente = m.in_centesimi = m.esatta = true;
    return m;
  }
  if (!std::isfinite(valore)) return m;
  m.presente = true;
  if (const auto c = centesimi_F(valore)) {
    m.in_centesimi = true;
    m.centesimi = *c;
    m.esatta = *c<centesimi_esatti&& * c> - centesimi_esatti;
  }
  return m;
}

// The cents of a figure, for the employer's panel.
std::optional<std::int64_t> centesimi(double valore) {
  std::int64_t c = 0;
  if (centesimi_F_rapidi(valore, c)) return c;
  return centesimi_F(valore);
}

// The bare "0" of the net IRPEF.
Mostrata zero() {
  Mostrata m;
  m.presente = m.in_centesimi = m.esatta = m.nudo = true;
  return m;
}

Cifra cifra_di(const Mostrata& m) {
  return m.in_centesimi ? Cifra{m.centesimi, Forma::importo} : Cifra{};
}

Cifra cifra_di(std::optional<std::int64_t> centesimi) {
  return centesimi ? Cifra{*centesimi, Forma::importo} : Cifra{};
}

bool piccola(double v) { return std::fabs(v) < cifra_massima; }

// The net IRPEF being worked out: the gross tax less the deductions as shown.
struct Imposta {
  double valore = 0;
  bool calcolabile = true;  // false once a deduction cannot be shown
};

// A deduction as shown off the gross tax.
void togli(Imposta& irpef, const Mostrata& detrazione) {
  if (detrazione.presente) {
    irpef.valore -= detrazione.letto();
  } else {
    irpef.calcolabile = false;
  }
}

// The figure of a row of the worker's side as shown; the net IRPEF from
// `irpef`.
template <std::size_t i>
Mostrata figura(const RecordCalcolo& r, const Imposta& irpef) {
  constexpr RigaRisultato riga = righe_risultato[i];
  if constexpr (riga.genere == Genere::irpef_netta) {
    const Mostrata m = irpef.calcolabile ? mostra(irpef.valore) : Mostrata{};
    // Never shown below zero; one that cannot be worked out is 0 too.
    if (!m.presente || (m.esatta ? m.centesimi < 0 : m.letto() < 0)) return zero();
    return m;
  } else {
    constexpr auto formula = riga.formula;
    return mostra(formula(r));
  }
}

// The worker's side: each figure shown, "Irpef netta" and "Netto in busta"
// derived from them. Returns the net shown in whole euros (not a number
// when a figure it needs cannot be shown). With `cifre` each figure goes into
// its box, and `mostrabili` says whether each figure from the record is below
// `cifra_massima`; without, only the figures the net needs are worked out.
template <bool tutte>
double lato_lavoratore(const RecordCalcolo& r, bool attuali, bool addizionali,
                       CifreRisultato* cifre, bool& mostrabili) {
  constexpr auto imposta = righe_risultato[riga_del_genere(Genere::irpef_netta)].formula;
  // The net IRPEF: the unrounded gross tax less the deductions as shown, in
  // the order of the table; one rounding to cents, at the end.
  Imposta irpef{imposta(r)};
  // "Netto in busta": the figures with a sign, exactly in cents.
  std::int64_t somma = 0;
  bool in_centesimi = true;
  bool calcolabile = true;
  per_ogni_riga([&](auto i) {
    constexpr RigaRisultato riga = righe_risultato[i];
    if constexpr (riga.pannello == Pannello::lavoratore && riga.genere != Genere::netto &&
                  (tutte || riga.segno != 0 || riga.genere == Genere::detrazione ||
                   riga.genere == Genere::irpef_netta)) {
      if (!mostrata(riga, attuali, addizionali)) return;
      const Mostrata m = figura<i>(r, irpef);
      if constexpr (tutte) {
        cifre->caselle[riga.casella - 1] = m.nudo ? Cifra{0, Forma::zero} : cifra_di(m);
        if constexpr (riga.genere != Genere::irpef_netta) {
          mostrabili = mostrabili && piccola(m.valore);
        }
      }
      if constexpr (riga.genere == Genere::detrazione) togli(irpef, m);
      if constexpr (riga.segno != 0) {
        if (!m.presente) {
          calcolabile = false;
        } else if (m.esatta) {
          somma += riga.segno * m.centesimi;
        } else {
          in_centesimi = false;
        }
      }
    }
  });
  constexpr std::size_t casella_netto = righe_risultato[riga_del_genere(Genere::netto)].casella;
  if (!calcolabile) return std::numeric_limits<double>::quiet_NaN();
  if (in_centesimi) {
    // Floor division: -50 cents are -1 euro.
    const std::int64_t euro = somma / 100 - (somma % 100 < 0 ? 1 : 0);
    if (tutte) cifre->caselle[casella_netto - 1] = {euro * 100, Forma::importo};
    return static_cast<double>(euro);
  }
  // Beyond ten thousand billion euro the figures are added as doubles, in the
  // order of the table, as their texts read back (worked out again: rare).
  double saldo = 0;
  bool primo = true;
  irpef = Imposta{imposta(r)};
  per_ogni_riga([&](auto i) {
    constexpr RigaRisultato riga = righe_risultato[i];
    if constexpr (riga.pannello == Pannello::lavoratore && riga.genere != Genere::netto &&
                  (riga.segno != 0 || riga.genere == Genere::detrazione ||
                   riga.genere == Genere::irpef_netta)) {
      if (!mostrata(riga, attuali, addizionali)) return;
      const Mostrata m = figura<i>(r, irpef);
      if constexpr (riga.genere == Genere::detrazione) togli(irpef, m);
      if constexpr (riga.segno != 0) {
        const double v = m.letto();
        saldo = primo ? riga.segno * v : (riga.segno > 0 ? saldo + v : saldo - v);
        primo = false;
      }
    }
  });
  if (tutte) cifre->caselle[casella_netto - 1] = cifra_di(centesimi_F(std::floor(saldo)));
  return valore_F(std::floor(saldo)).value_or(std::numeric_limits<double>::quiet_NaN());
}

}  // namespace

bool irpef_netta_dovuta(const RecordCalcolo& r) {
  constexpr std::size_t riga_irpef = riga_del_genere(Genere::irpef_netta);
  Imposta irpef{righe_risultato[riga_irpef].formula(r)};
  // The deductions as the rows of today's law show them (under the rules of
  // 2007 the further ones are 0), in the order of the table.
  per_ogni_riga([&](auto i) {
    constexpr RigaRisultato riga = righe_risultato[i];
    if constexpr (riga.pannello == Pannello::lavoratore && riga.genere == Genere::detrazione) {
      if (mostrata(riga, true, false)) togli(irpef, figura<i>(r, irpef));
    }
  });
  const Mostrata m = figura<riga_irpef>(r, irpef);
  if (m.nudo) return false;
  return m.esatta ? m.centesimi >= 1 : m.letto() > 0;
}

double netto_mostrato(const RecordCalcolo& record) {
  bool mostrabili = true;
  return lato_lavoratore<false>(record, true, true, nullptr, mostrabili);
}

CifreRisultato cifre_risultato(const RecordCalcolo& r, bool attuali, bool mensile,
                               std::optional<double> mensilita, bool addizionali) {
  CifreRisultato cifre;
  cifre.attuali = attuali;
  cifre.addizionali = attuali && addizionali;
  bool mostrabili = true;
  lato_lavoratore<true>(r, attuali, cifre.addizionali, &cifre, mostrabili);
  per_ogni_riga([&](auto i) {
    constexpr RigaRisultato riga = righe_risultato[i];
    if constexpr (riga.pannello == Pannello::azienda) {
      if (!mostrata(riga, attuali, cifre.addizionali)) return;
      Cifra& cifra = cifre.caselle[riga.casella - 1];
      constexpr auto formula = riga.formula;
      if (!mensile) {
        const double v = formula(r);
        cifra = cifra_di(centesimi(v));
        mostrabili = mostrabili && piccola(v);
      } else if (mensilita) {
        // A month includes the accrual of the additional monthly payments;
        // the multiplication before the division.
        const double v = formula(r);
        cifra = cifra_di(centesimi(v * *mensilita / 12));
        mostrabili = mostrabili && piccola(v * (*mensilita / 12));
      }
    }
  });
  cifre.mostrabili = mostrabili;
  return cifre;
}

}  // namespace zellora
