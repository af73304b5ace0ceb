#include "rules/profilo.h"

namespace zellora {

std::vector<std::string_view> categorie_lavoratore(const RegoleCalcolo& regole) {
  std::vector<std::string_view> nomi;
  nomi.reserve(regole.categorie.size());
  for (const Categoria& c : regole.categorie) nomi.emplace_back(c.nome);
  return nomi;
}

std::vector<std::string_view> voci_settore(const RegoleCalcolo& regole, int categoria) {
  std::vector<std::string_view> voci;
  if (categoria < 0 || static_cast<std::size_t>(categoria) >= regole.categorie.size()) return voci;
  for (const Settore& s : regole.categorie[static_cast<std::size_t>(categoria)].settori) {
    voci.emplace_back(s.voce);
  }
  return voci;
}

SettoreTrovato trova_settore(const RegoleCalcolo& regole, int categoria, std::string_view voce) {
  if (categoria < 0 || static_cast<std::size_t>(categoria) >= regole.categorie.size()) return {};
  const auto& settori = regole.categorie[static_cast<std::size_t>(categoria)].settori;
  for (std::size_t i = 0; i < settori.size(); ++i) {
    if (settori[i].voce == voce) return {static_cast<int>(i), false};
  }
  for (std::size_t i = 0; i < settori.size(); ++i) {
    for (const std::string& v : settori[i].voci_precedenti) {
      if (v == voce) return {static_cast<int>(i), true};
    }
  }
  return {};
}

int indice_di(std::span<const std::string_view> elenco, std::string_view testo) {
  for (std::size_t i = 0; i < elenco.size(); ++i) {
    if (elenco[i] == testo) return static_cast<int>(i);
  }
  return -1;
}

bool scrivi_profilo(RecordCalcolo& record, const RegoleCalcolo& regole, int categoria,
                    int settore) {
  if (categoria < 0 || static_cast<std::size_t>(categoria) >= regole.categorie.size()) {
    return false;
  }
  const auto& settori = regole.categorie[static_cast<std::size_t>(categoria)].settori;
  if (settore < 0 || static_cast<std::size_t>(settore) >= settori.size()) return false;
  const Profilo& p = settori[static_cast<std::size_t>(settore)].profilo;
  record.aliquota_inps_dip = p.aliquota_inps_dip;
  record.aliquota_inps_az = p.aliquota_inps_az;
  record.massimale_inps = p.massimale_inps;
  record.soglia_contributo_aggiuntivo = p.soglia_contributo_aggiuntivo;
  record.minimale_inail = p.minimale_inail;
  record.massimale_inail = p.massimale_inail;
  record.aliquota_tfr = p.aliquota_tfr;
  record.aliquota_irap = p.aliquota_irap;
  record.quota_inail_dip = p.quota_inail_dip;
  record.quota_inail_az = p.quota_inail_az;
  return true;
}

}  // namespace zellora
