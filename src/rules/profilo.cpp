#include "rules/profilo.h"

#include <array>

namespace zellora {

namespace {

constexpr std::array<std::string_view, 4> categorie = {"Collaborazioni Coordinate e Continuative",
                                                       "Impiegato", "Operaio", "Apprendista"};

constexpr std::array<std::string_view, 2> voci_collaboratori = {
    "Non Iscritto ad altre forme di previdenza",
    "Iscritto ad altre forme di previdenza/pensionato"};

constexpr std::array<std::string_view, 7> voci_dipendenti = {
    "Settore previdenziale Commercio +50dip", "Settore previdenziale Commercio -50dip",
    "Settore previdenziale Industria +50dip", "Settore previdenziale Industria +15dip",
    "Settore previdenziale Industria -15dip", "Settore previdenziale Pubblici-Esercizi",
    "Settore previdenziale Artigianato"};

constexpr std::array<std::string_view, 4> voci_apprendisti = {
    "azienda +9 dip.", "azienda -9 dip. 1\u00b0 anno di apprendistato",
    "azienda -9 dip. 2\u00b0 anno di apprendistato",
    "azienda -9 dip. dal 3\u00b0 anno di apprendistato"};

struct Aliquote {
  double dip;
  double az;
};

constexpr std::array<Aliquote, 7> aliquote_impiegato = {{{0.0949, 0.2988},
                                                         {0.0919, 0.2898},
                                                         {0.0949, 0.2986},
                                                         {0.0949, 0.2956},
                                                         {0.0919, 0.2866},
                                                         {0.0919, 0.277},
                                                         {0.0919, 0.2471}}};

constexpr std::array<Aliquote, 7> aliquote_operaio = {{{0.0949, 0.2988},
                                                       {0.0919, 0.2898},
                                                       {0.0949, 0.3208},
                                                       {0.0949, 0.3178},
                                                       {0.0919, 0.3088},
                                                       {0.0919, 0.277},
                                                       {0.0919, 0.2693}}};

constexpr std::array<Aliquote, 4> aliquote_apprendista = {
    {{0.0584, 0.1}, {0.0584, 0.015}, {0.0584, 0.03}, {0.0584, 0.1}}};

constexpr std::array<Aliquote, 2> aliquote_collaboratore = {
    {{0.0857, 0.1715}, {0.05666666, 0.1133333}}};

// The eight figures besides the two INPS rates, in the order they are written.
struct Profilo {
  double massimale_inps;
  double soglia_contributo_aggiuntivo;
  double minimale_inail;
  double massimale_inail;
  double aliquota_tfr;
  double aliquota_irap;
  double quota_inail_dip;
  double quota_inail_az;
};

constexpr Profilo profilo_dipendente = {99999999, 42111, 0, 99999999, 0.069074, 0.039, 0, 3};
constexpr Profilo profilo_apprendista = {99999999, 42111, 0, 0, 0.074074, 0, 0, 3};
constexpr Profilo profilo_collaboratore_0 = {91595, 99999999, 13899.9, 25814.1, 0, 0.039, 1, 2};
constexpr Profilo profilo_collaboratore_1 = {91595, 999999999, 13899.9, 25814.1, 0, 0.039, 1, 2};

}  // namespace

std::span<const std::string_view> categorie_lavoratore() { return categorie; }

std::span<const std::string_view> voci_settore(int categoria) {
  switch (categoria) {
    case 0:
      return voci_collaboratori;
    case 1:
    case 2:
      return voci_dipendenti;
    case 3:
      return voci_apprendisti;
    default:
      return {};
  }
}

int indice_di(std::span<const std::string_view> elenco, std::string_view testo) {
  for (std::size_t i = 0; i < elenco.size(); ++i) {
    if (elenco[i] == testo) return static_cast<int>(i);
  }
  return -1;
}

bool scrivi_profilo(RecordCalcolo& record, int categoria, int settore) {
  if (settore < 0 || settore > 6) return false;
  Aliquote aliquote{};
  const Profilo* profilo = nullptr;
  switch (categoria) {
    case 0:
      if (settore > 1) return false;
      aliquote = aliquote_collaboratore[settore];
      profilo = settore == 0 ? &profilo_collaboratore_0 : &profilo_collaboratore_1;
      break;
    case 1:
      aliquote = aliquote_impiegato[settore];
      profilo = &profilo_dipendente;
      break;
    case 2:
      aliquote = aliquote_operaio[settore];
      profilo = &profilo_dipendente;
      break;
    case 3:
      if (settore > 3) return false;
      aliquote = aliquote_apprendista[settore];
      profilo = &profilo_apprendista;
      break;
    default:
      return false;
  }
  record.aliquota_inps_dip = aliquote.dip;
  record.aliquota_inps_az = aliquote.az;
  record.massimale_inps = profilo->massimale_inps;
  record.soglia_contributo_aggiuntivo = profilo->soglia_contributo_aggiuntivo;
  record.minimale_inail = profilo->minimale_inail;
  record.massimale_inail = profilo->massimale_inail;
  record.aliquota_tfr = profilo->aliquota_tfr;
  record.aliquota_irap = profilo->aliquota_irap;
  record.quota_inail_dip = profilo->quota_inail_dip;
  record.quota_inail_az = profilo->quota_inail_az;
  return true;
}

}  // namespace zellora
