#include "form/campi_form.h"

namespace zellora {

const std::array<CampoTesto, 23>& campi_testo() {
  using F = CampiForm1;
  static const std::array<CampoTesto, 23> campi = {{
      {"Text1", "Retribuzione / Compenso", 0, &F::Text1},
      {"Text2", "N.mesi coniuge carico", 2, &F::Text2},
      {"Text3", "Altri a carico", 2, &F::Text3},
      {"Text4", "Figli a carico", 2, &F::Text4},
      {"Text5", "Giorni detrazione spettanti", 3, &F::Text5},
      {"Text6", "di cui minori di 3 anni", 2, &F::Text6},
      {"Text7", "Numero mensilit\u00e0 retribuite", 3, &F::Text7},
      {"Text8", "Retribuzione / Compenso (centesimi)", 0, &F::Text8},
      {"Text9", "N.mesi figli carico", 2, &F::Text9},
      {"Text10", "N.mesi altri carico", 2, &F::Text10},
      {"Text11", "Indicare il tasso Inail applicato", 3, &F::Text11},
      {"Text12", "Valore Convenzionale benefit (centesimi)", 0, &F::Text12},
      {"Text13", "Valore Convenzionale benefit", 0, &F::Text13},
      {"Text14", "Altri Contributi - A carico Dipendente", 0, &F::Text14},
      {"Text15", "Altri Contributi - A carico Azienda", 0, &F::Text15},
      {"Text18", "Trattenuta non deducibile (centesimi)", 0, &F::Text18},
      {"Text19", "Trattenuta non deducibile", 0, &F::Text19},
      {"Text20", "Competenza non imponibile (centesimi)", 0, &F::Text20},
      {"Text21", "Competenza non imponibile", 0, &F::Text21},
      {"Text22", "Comune", 0, &F::Text22},
      {"Text23", "Addizionale comunale %", 0, &F::Text23},
      {"Text24", "Esenzione fino a", 0, &F::Text24},
      {"Text25", "Addizionale regionale %", 0, &F::Text25},
  }};
  return campi;
}

const CampoTesto* campo_testo(std::string_view nome) {
  for (const auto& c : campi_testo()) {
    if (c.nome == nome) return &c;
  }
  return nullptr;
}

std::string_view etichetta(std::string_view nome) {
  const CampoTesto* c = campo_testo(nome);
  return c != nullptr ? c->etichetta : nome;
}

bool senza_regione(std::string_view testo) {
  const auto inizio = testo.find_first_not_of(" \t");
  if (inizio == std::string_view::npos) return true;
  testo = testo.substr(inizio, testo.find_last_not_of(" \t") + 1 - inizio);
  if (testo.size() != nessuna_regione.size()) return false;
  for (std::size_t i = 0; i < testo.size(); ++i) {
    const char c =
        testo[i] >= 'a' && testo[i] <= 'z' ? static_cast<char>(testo[i] - 'a' + 'A') : testo[i];
    const char n = nessuna_regione[i] >= 'a' && nessuna_regione[i] <= 'z'
                       ? static_cast<char>(nessuna_regione[i] - 'a' + 'A')
                       : nessuna_regione[i];
    if (c != n) return false;
  }
  return true;
}

}  // namespace zellora
