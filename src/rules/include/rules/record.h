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

// The 41 figures, in the order the record declares them: this one list
// makes the struct, the names and the order of every output.
#define ZELLORA_CAMPI_RECORD(X)       \
  X(irpef_lorda)                      \
  X(aliquota_inps_dip)                \
  X(aliquota_inps_az)                 \
  X(imponibile_fiscale)               \
  X(detrazione_dip)                   \
  X(detrazione_coniuge)               \
  X(detrazione_coniuge_maggiorazione) \
  X(detrazione_dip_ulteriore)         \
  X(maggiorazione_figli_minori)       \
  X(detrazione_figli)                 \
  X(detrazione_altri)                 \
  X(totale_detrazioni)                \
  X(retribuzione_lorda)               \
  X(retribuzione_intera)              \
  X(ritenuta_inps)                    \
  X(imponibile_annuo)                 \
  X(contributo_aggiuntivo)            \
  X(massimale_inps)                   \
  X(soglia_contributo_aggiuntivo)     \
  X(inps_azienda)                     \
  X(premio_inail)                     \
  X(minimale_inail)                   \
  X(massimale_inail)                  \
  X(aliquota_tfr)                     \
  X(aliquota_irap)                    \
  X(tfr)                              \
  X(irap)                             \
  X(costo_lavoro)                     \
  X(quota_inail_dip)                  \
  X(ritenuta_inail)                   \
  X(quota_inail_az)                   \
  X(altri_contributi_dip)             \
  X(altri_contributi_az)              \
  X(valore_benefit)                   \
  X(trattenuta_non_deducibile)        \
  X(competenza_non_imponibile)        \
  X(somma_esente)                     \
  X(ulteriore_detrazione)             \
  X(trattamento_integrativo)          \
  X(addizionale_regionale)            \
  X(addizionale_comunale)

struct RecordCalcolo {
#define ZELLORA_CAMPO(nome) double nome = 0;
  ZELLORA_CAMPI_RECORD(ZELLORA_CAMPO)
#undef ZELLORA_CAMPO

  bool operator==(const RecordCalcolo&) const = default;
};

// One figure of the record by name, in the declared order.
struct CampoRecord {
  std::string_view nome;
  double RecordCalcolo::*campo;
};

#define ZELLORA_CONTA(nome) +1
inline constexpr std::size_t numero_campi_record = 0 ZELLORA_CAMPI_RECORD(ZELLORA_CONTA);
#undef ZELLORA_CONTA

// The figures of the original record: the three after them exist only
// under today's law, and outputs under the rules of 2007 leave them out.
inline constexpr std::size_t numero_campi_2007 = 36;
// The figures of today's law without the regional and municipal surcharges:
// the last two are listed only when a calculation asks for them.
inline constexpr std::size_t numero_campi_attuali = 39;

// How many figures of the record an output lists: those of 2007, those of
// today's law, and the surcharges only when asked for.
constexpr std::size_t campi_elencati(bool attuali, bool addizionali) {
  if (!attuali) return numero_campi_2007;
  return addizionali ? numero_campi_record : numero_campi_attuali;
}

// The figures in the order the record declares them.
const std::array<CampoRecord, numero_campi_record>& campi_record();

// The figure named `nome`, or nullptr when the record has no such figure.
double* campo_record(RecordCalcolo& record, std::string_view nome);

// The ten figures that a sector choice writes (the contribution profile).
inline constexpr std::array<std::string_view, 10> nomi_profilo = {
    "aliquota_inps_dip", "aliquota_inps_az", "massimale_inps", "soglia_contributo_aggiuntivo",
    "minimale_inail",    "massimale_inail",  "aliquota_tfr",   "aliquota_irap",
    "quota_inail_dip",   "quota_inail_az"};

}  // namespace zellora
