// The calculation record: every figure of one pay calculation, in one place.
//
// The record lives for the whole run of the program. Nothing clears it: a
// figure keeps the value of its last write across calculations, changes of
// period mode and changes of worker category. Amounts are euro per period
// (per year in annual mode, per month in monthly mode); rates are fractions.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace zellora {

struct RecordCalcolo {
  double irpef_lorda = 0;
  double aliquota_inps_dip = 0;
  double aliquota_inps_az = 0;
  double imponibile_fiscale = 0;
  double detrazione_dip = 0;
  double detrazione_coniuge = 0;
  double detrazione_coniuge_maggiorazione = 0;
  double detrazione_dip_ulteriore = 0;
  double maggiorazione_figli_minori = 0;
  double detrazione_figli = 0;
  double detrazione_altri = 0;
  double totale_detrazioni = 0;
  double retribuzione_lorda = 0;
  double retribuzione_intera = 0;
  double ritenuta_inps = 0;
  double imponibile_annuo = 0;
  double contributo_aggiuntivo = 0;
  double massimale_inps = 0;
  double soglia_contributo_aggiuntivo = 0;
  double inps_azienda = 0;
  double premio_inail = 0;
  double minimale_inail = 0;
  double massimale_inail = 0;
  double aliquota_tfr = 0;
  double aliquota_irap = 0;
  double tfr = 0;
  double irap = 0;
  double costo_lavoro = 0;
  double quota_inail_dip = 0;
  double ritenuta_inail = 0;
  double quota_inail_az = 0;
  double altri_contributi_dip = 0;
  double altri_contributi_az = 0;
  double valore_benefit = 0;
  double trattenuta_non_deducibile = 0;
  double competenza_non_imponibile = 0;

  bool operator==(const RecordCalcolo&) const = default;
};

// One figure of the record by name, in the declared order.
struct CampoRecord {
  std::string_view nome;
  double RecordCalcolo::*campo;
};

inline constexpr std::size_t numero_campi_record = 36;

// The 36 figures in the order the record declares them.
const std::array<CampoRecord, numero_campi_record>& campi_record();

// The figure named `nome`, or nullptr when the record has no such figure.
double* campo_record(RecordCalcolo& record, std::string_view nome);

// The ten figures that a sector choice writes (the contribution profile).
inline constexpr std::array<std::string_view, 10> nomi_profilo = {
    "aliquota_inps_dip", "aliquota_inps_az", "massimale_inps", "soglia_contributo_aggiuntivo",
    "minimale_inail",    "massimale_inail",  "aliquota_tfr",   "aliquota_irap",
    "quota_inail_dip",   "quota_inail_az"};

}  // namespace zellora
