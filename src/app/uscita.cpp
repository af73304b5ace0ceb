#include "app/uscita.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "engine/numeri.h"
#include "engine/risultati.h"

namespace zellora {

namespace {

std::string stringa_json(const std::string& s) { return nlohmann::json(s).dump(); }

std::size_t caratteri(const std::string& s) {
  return static_cast<std::size_t>(std::count_if(
      s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void riga(std::string& uscita, std::string_view etichetta, const std::string& valore) {
  uscita += "  ";
  uscita += etichetta;
  const std::size_t larghezza = 30 + 16;
  const std::size_t usati = 2 + etichetta.size() + caratteri(valore);
  uscita.append(larghezza > usati ? larghezza - usati : 1, ' ');
  uscita += valore;
  uscita += '\n';
}

}  // namespace

std::string nome_stato(Stato stato) {
  switch (stato) {
    case Stato::ok:
      return "ok";
    case Stato::rifiutato:
      return "refused";
    case Stato::irraggiungibile:
      return "unreachable";
  }
  return "ok";
}

std::string uscita_json(const EsitoCalcolo& esito, const Motore& motore) {
  std::string j =
      "{\n  \"status\": " + stringa_json(nome_stato(esito.stato)) + ",\n  \"messages\": [";
  for (std::size_t i = 0; i < esito.messaggi.size(); ++i) {
    j += (i == 0 ? "" : ", ") + stringa_json(esito.messaggi[i]);
  }
  j += "],\n  \"record\": {";
  bool primo = true;
  for (const auto& c : campi_record()) {
    j += primo ? "\n    \"" : ",\n    \"";
    j += c.nome;
    j += "\": ";
    j += numero_esatto(motore.record().*c.campo);
    primo = false;
  }
  j += "\n  },\n  \"results\": {";
  for (int n = 1; n <= 21; ++n) {
    j += n == 1 ? "\n    \"Text" : ",\n    \"Text";
    j += std::to_string(n) + "\": " + stringa_json(motore.risultati().Text(n));
  }
  j += "\n  }";
  if (esito.ricerca_svolta) {
    j += ",\n  \"search\": {\"passes\": " + std::to_string(esito.ricerca.passaggi) +
         ", \"exact\": " + (esito.ricerca.esatta ? "true" : "false") + "}";
  }
  j += "\n}\n";
  return j;
}

std::string uscita_testo(const EsitoCalcolo& esito, const Motore& motore, bool mensile) {
  std::string t;
  for (const auto& m : esito.messaggi) t += m + "\n";
  if (esito.stato == Stato::rifiutato) return t;
  if (!t.empty()) t += "\n";
  t += std::string(titolo_risultati) + (mensile ? " (Mensile)" : " (Annuo)") + "\n\n";
  t += "Zellora\n";
  for (const auto& r : righe_lavoratore) riga(t, r.etichetta, motore.risultati().Text(r.box));
  t += "\nCosto del Lavoro\n";
  for (const auto& r : righe_azienda) riga(t, r.etichetta, motore.risultati().Text(r.box));
  t += "\n" + std::string(nota_retribuzione) + "\n";
  return t;
}

}  // namespace zellora
