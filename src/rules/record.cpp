#include "rules/record.h"

namespace zellora {

const std::array<CampoRecord, numero_campi_record>& campi_record() {
  using R = RecordCalcolo;
  static const std::array<CampoRecord, numero_campi_record> campi = {{
#define ZELLORA_CAMPO(nome) {#nome, &R::nome},
      ZELLORA_CAMPI_RECORD(ZELLORA_CAMPO)
#undef ZELLORA_CAMPO
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
