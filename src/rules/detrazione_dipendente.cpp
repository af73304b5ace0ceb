#include <cmath>
#include <cstdint>

#include "numbers/numeri.h"
#include "rules/detrazioni.h"

namespace zellora {

namespace {

// Both variants: the days of the year in the annual one, 31 in the monthly
// one, where the floor does not apply. The first band is the days' share
// of its amount; each further band goes down from its fixed part plus its
// variable part to its fixed part across the band.
void calcola(RecordCalcolo& record, const RegoleDetrazioneDipendente& d, double r, double g,
             bool annua) {
  switch (d.forma) {
    case FormaDetrazioneDipendente::fasce_decrescenti: {
      if (r <= d.primo_limite) {
        record.detrazione_dip = g * (d.importo_primo / 365);
        if (annua && record.detrazione_dip < d.minimo) record.detrazione_dip = d.minimo;
      }
      double sotto = d.primo_limite;
      for (std::size_t i = 0; i < d.n; ++i) {
        const FasciaDipendente& f = d.fasce[i];
        if (r > sotto && r <= f.fino_a) {
          const double q = rapporto(f.fino_a, r, f.fino_a - sotto, d.quattro_decimali);
          record.detrazione_dip = ((f.fisso + f.variabile * q) * g) / 365;
        }
        sotto = f.fino_a;
      }
      if (r > sotto) record.detrazione_dip = 0;
      break;
    }
  }
  // The additional amounts: the days' share, or (where the law pays them
  // whole, without proration to the period of work) the whole amount in a
  // year with days of work and a twelfth in a month.
  const double ulteriore = importo_fascia(d.ulteriori, r);
  if (ulteriore == 0) {
    record.detrazione_dip_ulteriore = 0;
  } else if (d.ulteriori_rapportati) {
    record.detrazione_dip_ulteriore = (g * ulteriore) / 365;
  } else if (annua) {
    record.detrazione_dip_ulteriore = g > 0 ? ulteriore : 0;
  } else {
    record.detrazione_dip_ulteriore = ulteriore / 12;
  }
  if (record.detrazione_dip < 0) record.detrazione_dip = 0;
  if (record.detrazione_dip_ulteriore < 0) record.detrazione_dip_ulteriore = 0;
}

}  // namespace

double rapporto(double a, double b, double d, bool quattro_decimali) {
  const double x = (a - b) / d;
  if (!quattro_decimali || !(x > 0)) return x;
  // The incomes are doubles, the law's amounts euros and cents: each is
  // taken to the cent as the results window shows it ("Imponibile
  // Fiscale" of 44.117,204999... shows 44.117,21, and the ratio is taken on
  // that), and the quotient of the cents is worked out digit by digit in
  // whole numbers, so that its fourth decimal is the exact one and not that
  // of a binary approximation.
  constexpr std::int64_t limite = 100'000'000'000'000;  // cents: the digits below fit 64 bits
  std::int64_t na = 0;
  std::int64_t nb = 0;
  std::int64_t nd = 0;
  const auto centesimi = [](double v, std::int64_t& c) {
    if (!centesimi_F_rapidi(v, c)) {
      const auto esatti = centesimi_F(v);
      if (!esatti) return false;
      c = *esatti;
    }
    return c < limite && c > -limite;
  };
  if (!centesimi(a, na) || !centesimi(b, nb) || !centesimi(d, nd) || nd == 0) {
    return std::floor(x * 10000) / 10000;  // beyond any real income
  }
  auto n = na - nb;
  auto den = nd;
  if (den < 0) {
    n = -n;
    den = -den;
  }
  if (n <= 0) return 0;
  std::int64_t q = n / den;
  std::int64_t resto = n % den;
  for (int cifra = 0; cifra < 4; ++cifra) {
    resto *= 10;
    q = q * 10 + resto / den;
    resto %= den;
  }
  return static_cast<double>(q) / 10000;
}

double importo_fascia(const ImportiFascia& fasce, double reddito) {
  for (std::size_t i = 0; i < fasce.n; ++i) {
    const ImportoFascia& f = fasce.fasce[i];
    const bool sopra = f.da_escluso ? reddito > f.da : reddito >= f.da;
    if (sopra && reddito <= f.a) return f.importo;
  }
  return 0;
}

double importo_massimo_avanti(const ImportiFascia& fasce, double reddito) {
  // The bands as a whole: the largest amount while the income is not above
  // the last upper bound.
  double massimo = 0;
  double ultimo = 0;
  for (std::size_t i = 0; i < fasce.n; ++i) {
    if (fasce.fasce[i].importo > massimo) massimo = fasce.fasce[i].importo;
    if (i == 0 || fasce.fasce[i].a > ultimo) ultimo = fasce.fasce[i].a;
  }
  return fasce.n > 0 && reddito <= ultimo ? massimo : 0;
}

void detrazioni_dip_annua(RecordCalcolo& record, const DatiFamiglia& famiglia,
                          const RegoleDetrazioneDipendente& regole) {
  calcola(record, regole, record.imponibile_fiscale, famiglia.giorni, true);
}

void detrazioni_dip_mensile(RecordCalcolo& record, const RegoleDetrazioneDipendente& regole) {
  calcola(record, regole, record.imponibile_annuo, 31, false);
}

}  // namespace zellora
