// The municipal surcharge lists as compiled into the library: generated from
// data/comunali by comunali.cmake when the library is built. Amounts in
// cents, rates in thousandths of a percentage point, dates as yyyymmdd.
#pragma once

#include <cstdint>
#include <span>

namespace zellora::comunali_dati {

enum class Stato : std::uint8_t { deliberata, prorogata, non_istituita, sconosciuta, scartata };

// One band: its upper limit (inclusive; -1 for none, the last band) and its
// rate.
struct Fascia {
  std::int32_t fino_a_centesimi;
  std::int32_t aliquota_millesimi;
};

// How an exemption worded otherwise than the Ministry's form was read
// (comunali.cmake, leggi_esenzione).
enum class Lettura : std::uint8_t { reddito, lavoro, altri, condizione, non_letta };

// An exemption worded otherwise: its threshold (inclusive; -1 when not
// read), its text, its reading and, for `lavoro`, the incomes it names.
struct Esenzione {
  std::int32_t soglia_centesimi;
  std::uint32_t testo;
  Lettura lettura;
  bool dipendenti;
  bool assimilati;
};

// One deliberation as published in a list: its bands are
// fasce[prima_fascia .. prima_fascia + n_fasce), its exemptions worded
// otherwise esenzioni[prima_esenzione .. + n_esenzioni). Texts are offsets
// into `testi`; `letture` says how amounts or bands written otherwise were
// read (the empty text for none).
struct Delibera {
  std::uint32_t numero;
  std::int32_t data;
  std::int32_t pubblicazione;
  std::int32_t esenzione_centesimi;  // the Ministry's form; 0: none
  std::uint32_t nota;
  std::uint32_t letture;
  std::uint16_t anno_elenco;
  std::uint16_t prima_fascia;
  std::uint16_t prima_esenzione;
  std::uint8_t n_fasce;
  std::uint8_t n_esenzioni;
};

// One comune in one year's list.
struct Comune {
  std::uint32_t nome;
  std::int32_t delibera;  // index into `delibere`; -1 for none
  std::uint32_t motivo;   // offset into `testi`; 0 (the empty text) for none
  Stato stato;
  char codice[5];
  char provincia[3];
};

struct Elenco {
  int anno;
  const char* stato_al;  // the date of the list's state, dd/mm/yyyy
  std::span<const Comune> comuni;
};

// A province by its sigla ("RM") and the region or autonomous province it
// is in, by the name the rule sets give it ("Lazio").
struct Provincia {
  char sigla[3];
  const char* regione;
};

extern const std::span<const Fascia> fasce;
extern const std::span<const Esenzione> esenzioni;
extern const std::span<const Delibera> delibere;
extern const char* const testi;                // NUL-terminated texts, starting with the empty one
extern const std::span<const Elenco> elenchi;  // by year, increasing
extern const std::span<const Provincia> province;

}  // namespace zellora::comunali_dati
