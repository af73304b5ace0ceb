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
  std::int64_t centesimi = 0;
  double valore = 0;  // the figure before rounding

  bool esatta() const {
    return in_centesimi && centesimi < centesimi_esatti && centesimi > -centesimi_esatti;
  }
  // The number its text reads back as.
  double letto() const {
    if (esatta()) return static_cast<double>(centesimi) / 100.0;
    return valore_F(valore).value_or(std::numeric_limits<double>::quiet_NaN());
  }
};

Mostrata mostra(double valore) {
  Mostrata m;
  m.valore = valore;
  if (!std::isfinite(valore)) return m;
  m.presente = true;
  if (const auto c = centesimi_F(valore)) {
    m.in_centesimi = true;
    m.centesimi = *c;
  }
  return m;
}

// The bare "0" of the net IRPEF.
Mostrata zero() {
  Mostrata m;
  m.presente = true;
  m.in_centesimi = true;
  return m;
}

// The worker's side: the figures by row, "Irpef netta" and "Netto in busta"
// derived from them as shown. With `solo_netto` only the figures the net
// needs are worked out.
template <bool solo_netto>
struct LatoLavoratore {
  std::array<Mostrata, numero_righe> figure{};
  bool irpef_zero = false;                                  // "Irpef netta" shows the bare "0"
  double netto = std::numeric_limits<double>::quiet_NaN();  // whole euros, as shown

  LatoLavoratore(const RecordCalcolo& r, bool attuali) {
    // The net IRPEF: the unrounded gross tax less the deductions as shown,
    // in the order of the table; one rounding to cents, at the end.
    constexpr auto imposta = righe_risultato[riga_del_genere(Genere::irpef_netta)].formula;
    double irpef = imposta(r);
    bool irpef_calcolabile = true;
    // "Netto in busta": the figures with a sign, exactly in cents.
    std::int64_t somma = 0;
    bool in_centesimi = true;
    bool netto_calcolabile = true;
    per_ogni_riga([&](auto i) {
      constexpr RigaRisultato riga = righe_risultato[i];
      if constexpr (riga.pannello == Pannello::lavoratore && riga.genere != Genere::netto) {
        if (!mostrata(riga, attuali)) return;
        Mostrata& m = figure[i];
        if constexpr (riga.genere == Genere::irpef_netta) {
          if (irpef_calcolabile) m = mostra(irpef);
          // Never shown below zero; one that cannot be worked out is 0 too.
          irpef_zero = !m.presente || (m.esatta() ? m.centesimi < 0 : m.letto() < 0);
          if (irpef_zero) m = zero();
        } else if constexpr (!solo_netto || riga.segno != 0 || riga.genere == Genere::detrazione) {
          constexpr auto formula = riga.formula;
          m = mostra(formula(r));
        }
        if constexpr (riga.genere == Genere::detrazione) {
          if (m.presente) {
            irpef -= m.letto();
          } else {
            irpef_calcolabile = false;
          }
        }
        if constexpr (riga.segno != 0) {
          if (!m.presente) {
            netto_calcolabile = false;
          } else if (m.esatta()) {
            somma += riga.segno * m.centesimi;
          } else {
            in_centesimi = false;
          }
        }
      }
    });
    if (!netto_calcolabile) return;
    if (in_centesimi) {
      // Floor division: -50 cents are -1 euro.
      netto = static_cast<double>(somma / 100 - (somma % 100 < 0 ? 1 : 0));
      return;
    }
    // Beyond ten thousand billion euro the figures are added as doubles, in
    // the order of the table, as their texts read back.
    double saldo = 0;
    bool primo = true;
    per_ogni_riga([&](auto i) {
      constexpr RigaRisultato riga = righe_risultato[i];
      if constexpr (riga.pannello == Pannello::lavoratore && riga.segno != 0) {
        if (!mostrata(riga, attuali)) return;
        const double v = figure[i].letto();
        saldo = primo ? riga.segno * v : (riga.segno > 0 ? saldo + v : saldo - v);
        primo = false;
      }
    });
    netto = valore_F(std::floor(saldo)).value_or(std::numeric_limits<double>::quiet_NaN());
  }
};

}  // namespace

double netto_mostrato(const RecordCalcolo& record) {
  return LatoLavoratore<true>(record, true).netto;
}

CifreRisultato cifre_risultato(const RecordCalcolo& r, bool attuali, bool mensile,
                               std::optional<double> mensilita) {
  CifreRisultato cifre;
  cifre.attuali = attuali;
  const LatoLavoratore<false> lavoratore(r, attuali);
  const auto piccola = [](double v) { return std::fabs(v) < cifra_massima; };
  const auto importo = [](std::optional<std::int64_t> c) {
    return c ? Cifra{*c, Forma::importo} : Cifra{};
  };
  bool mostrabili = true;
  per_ogni_riga([&](auto i) {
    constexpr RigaRisultato riga = righe_risultato[i];
    if (!mostrata(riga, attuali)) return;
    Cifra& cifra = cifre.caselle[riga.casella - 1];
    if constexpr (riga.pannello == Pannello::lavoratore) {
      const Mostrata& m = lavoratore.figure[i];
      if constexpr (riga.genere == Genere::netto) {
        if (!std::isnan(lavoratore.netto)) cifra = importo(centesimi_F(lavoratore.netto));
      } else if constexpr (riga.genere == Genere::irpef_netta) {
        cifra = lavoratore.irpef_zero
                    ? Cifra{0, Forma::zero}
                    : importo(m.in_centesimi ? std::optional(m.centesimi) : std::nullopt);
      } else {
        if (m.in_centesimi) cifra = {m.centesimi, Forma::importo};
        mostrabili = mostrabili && piccola(m.valore);
      }
    } else {
      constexpr auto formula = riga.formula;
      if (!mensile) {
        const double v = formula(r);
        cifra = importo(centesimi_F(v));
        mostrabili = mostrabili && piccola(v);
      } else if (mensilita) {
        // A month includes the accrual of the additional monthly payments;
        // the multiplication before the division.
        const double v = formula(r);
        cifra = importo(centesimi_F(v * *mensilita / 12));
        mostrabili = mostrabili && piccola(v * (*mensilita / 12));
      }
    }
  });
  cifre.mostrabili = mostrabili;
  return cifre;
}

}  // namespace zellora
