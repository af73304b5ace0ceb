// Profiles and inputs shared by the tests.
#pragma once

#include "engine/calcolo.h"
#include "engine/record.h"

namespace zellora::prova {

// The profile of the worked annual example: employee-like, with an
// employer INPS rate of 0.30.
inline RecordCalcolo profilo_esempio() {
  RecordCalcolo r;
  r.aliquota_inps_dip = 0.0919;
  r.aliquota_inps_az = 0.30;
  r.massimale_inps = 99999999;
  r.soglia_contributo_aggiuntivo = 42111;
  r.minimale_inail = 0;
  r.massimale_inail = 99999999;
  r.aliquota_tfr = 0.069074;
  r.aliquota_irap = 0.039;
  r.quota_inail_dip = 0;
  r.quota_inail_az = 3;
  return r;
}

inline InputCalcolo lordo(double retribuzione) {
  InputCalcolo in;
  in.retribuzione = retribuzione;
  return in;
}

inline const Locale& it() {
  static const Locale l = Locale::italiano();
  return l;
}

}  // namespace zellora::prova
