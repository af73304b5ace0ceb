// The gross IRPEF tax by progressive brackets, with the annual or the
// monthly table of limits of a rule set.
#pragma once

#include "rules/regole.h"

namespace zellora {

// The tax of taxable income `T`. The marginal part comes first, then the
// full lower brackets from the highest down, each a product worked out in
// double precision: this order reproduces the figures to the last bit.
inline double imposta_scaglioni(double T, const TabellaScaglioni& t) {
  const auto& L = t.limiti;
  const auto& a = t.aliquote;
  if (t.n == 0) return 0;
  if (t.n == 1 || T <= L[0]) return T * a[0];
  std::size_t j = 1;  // the bracket of T
  while (j + 1 < t.n && T > L[j]) ++j;
  double imposta = (T - L[j - 1]) * a[j];
  for (std::size_t k = j - 1; k >= 1; --k) imposta = imposta + (L[k] - L[k - 1]) * a[k];
  return imposta + L[0] * a[0];
}

}  // namespace zellora
