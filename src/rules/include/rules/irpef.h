// The gross IRPEF tax by five progressive brackets, with the annual or the
// monthly table of limits.
#pragma once

namespace zellora {

struct TabellaScaglioni {
  double L1, L2, L3, L4;
};

// Annual limits, and the monthly ones: the annual limits divided by 12 and
// written with two decimals (2333.33, not 28000 / 12).
inline constexpr TabellaScaglioni scaglioni_annui = {15000, 28000, 55000, 75000};
inline constexpr TabellaScaglioni scaglioni_mensili = {1250, 2333.33, 4583.33, 6250};

// The tax of taxable income `T`. The marginal part comes first, then the
// full lower brackets from the highest down, each a product worked out in
// double precision: this order reproduces the figures to the last bit.
inline double imposta_scaglioni(double T, const TabellaScaglioni& t) {
  const double F1 = t.L1 * 0.23;
  const double F2 = (t.L2 - t.L1) * 0.27;
  const double F3 = (t.L3 - t.L2) * 0.38;
  const double F4 = (t.L4 - t.L3) * 0.41;
  if (T <= t.L1) return T * 0.23;
  if (T <= t.L2) return (T - t.L1) * 0.27 + F1;
  if (T <= t.L3) return ((T - t.L2) * 0.38 + F2) + F1;
  if (T <= t.L4) return (((T - t.L3) * 0.41 + F3) + F2) + F1;
  return ((((T - t.L4) * 0.43 + F4) + F3) + F2) + F1;
}

}  // namespace zellora
