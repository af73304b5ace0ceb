#include "rules/record.h"

namespace zellora {

const std::array<CampoRecord, numero_campi_record>& campi_record() {
  using R = RecordCalcolo;
  static const std::array<CampoRecord, numero_campi_record> campi = {{
      {"irpef_lorda", &R::irpef_lorda},
      {"aliquota_inps_dip", &R::aliquota_inps_dip},
      {"aliquota_inps_az", &R::aliquota_inps_az},
      {"imponibile_fiscale", &R::imponibile_fiscale},
      {"detrazione_dip", &R::detrazione_dip},
      {"detrazione_coniuge", &R::detrazione_coniuge},
      {"detrazione_coniuge_maggiorazione", &R::detrazione_coniuge_maggiorazione},
      {"detrazione_dip_ulteriore", &R::detrazione_dip_ulteriore},
      {"maggiorazione_figli_minori", &R::maggiorazione_figli_minori},
      {"detrazione_figli", &R::detrazione_figli},
      {"detrazione_altri", &R::detrazione_altri},
      {"totale_detrazioni", &R::totale_detrazioni},
      {"retribuzione_lorda", &R::retribuzione_lorda},
      {"retribuzione_intera", &R::retribuzione_intera},
      {"ritenuta_inps", &R::ritenuta_inps},
      {"imponibile_annuo", &R::imponibile_annuo},
      {"contributo_aggiuntivo", &R::contributo_aggiuntivo},
      {"massimale_inps", &R::massimale_inps},
      {"soglia_contributo_aggiuntivo", &R::soglia_contributo_aggiuntivo},
      {"inps_azienda", &R::inps_azienda},
      {"premio_inail", &R::premio_inail},
      {"minimale_inail", &R::minimale_inail},
      {"massimale_inail", &R::massimale_inail},
      {"aliquota_tfr", &R::aliquota_tfr},
      {"aliquota_irap", &R::aliquota_irap},
      {"tfr", &R::tfr},
      {"irap", &R::irap},
      {"costo_lavoro", &R::costo_lavoro},
      {"quota_inail_dip", &R::quota_inail_dip},
      {"ritenuta_inail", &R::ritenuta_inail},
      {"quota_inail_az", &R::quota_inail_az},
      {"altri_contributi_dip", &R::altri_contributi_dip},
      {"altri_contributi_az", &R::altri_contributi_az},
      {"valore_benefit", &R::valore_benefit},
      {"trattenuta_non_deducibile", &R::trattenuta_non_deducibile},
      {"competenza_non_imponibile", &R::competenza_non_imponibile},
  }};
  return campi;
}

double* campo_record(RecordCalcolo& record, std::string_view nome) {
  for (const auto& c : campi_record()) {
    if (c.nome == nome) return &(record.*c.campo);
  }
  return nullptr;
}

}  // namespace zellora
