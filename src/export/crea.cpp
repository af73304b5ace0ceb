#include "export/crea.h"

#include <ctime>
#include <optional>
#include <stdexcept>

#include "export/docx.h"
#include "export/file_atomico.h"
#include "export/prospetto.h"

namespace zellora {

namespace fs = std::filesystem;

namespace {

// Names tried before giving up: " (2)" up to " (999)".
constexpr int nomi_massimi = 999;

std::string data_ora_locale(std::chrono::system_clock::time_point quando) {
  const std::time_t secondi =
      std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(quando));
  std::tm ora{};
#ifdef _WIN32
  localtime_s(&ora, &secondi);
#else
  localtime_r(&secondi, &ora);
#endif
  char testo[32];
  const std::size_t n = std::strftime(testo, sizeof testo, "%Y-%m-%d %H.%M.%S", &ora);
  return std::string(testo, n);
}

fs::path nome_file(const fs::path& cartella, const std::string& base, int numero) {
  std::string nome = base;
  if (numero > 1) nome += " (" + std::to_string(numero) + ")";
  nome += ".docx";
  return cartella / fs::path(std::u8string(nome.begin(), nome.end()));
}

EsitoEsportazione fallita(int numero, std::string descrizione, fs::path file = {}) {
  return {false, numero, std::move(descrizione), std::move(file)};
}

std::string non_scritto(const fs::path& file, const std::string& ragione) {
  return "Impossibile scrivere il prospetto \"" + testo_percorso(file) + "\": " + ragione;
}

}  // namespace

EsitoEsportazione Crea(const Risultati& risultati, bool mensile, const Locale& locale,
                       const fs::path& cartella, ApertoreDocumenti& apertore) {
  return Crea(risultati, mensile, locale, cartella, apertore, std::chrono::system_clock::now());
}

EsitoEsportazione Crea(const Risultati& risultati, bool mensile, const Locale& locale,
                       const fs::path& cartella, ApertoreDocumenti& apertore,
                       std::chrono::system_clock::time_point quando) {
  const EsitoProspetto prospetto = componi_prospetto(risultati, mensile, locale);
  if (!prospetto.prospetto) return fallita(errore_prospetto_rifiutato, prospetto.errore);

  const std::string base = "Prospetto Zellora " + data_ora_locale(quando);
  const fs::path primo = nome_file(cartella, base, 1);
  if (cartella.empty())
    return fallita(errore_scrittura, non_scritto(primo, "nessuna cartella indicata"));

  std::string dati;
  try {
    dati = documento_docx(*prospetto.prospetto);
  } catch (const std::runtime_error& e) {
    return fallita(errore_scrittura, non_scritto(primo, e.what()));
  }
  std::string ragione;
  std::optional<FileTemporaneo> temporaneo = FileTemporaneo::scrivi(cartella, dati, ragione);
  if (!temporaneo) return fallita(errore_scrittura, non_scritto(primo, ragione));

  fs::path file;
  for (int numero = 1; file.empty(); ++numero) {
    if (numero > nomi_massimi) {
      return fallita(errore_scrittura, non_scritto(primo, "troppi prospetti con lo stesso nome"));
    }
    const fs::path candidato = nome_file(cartella, base, numero);
    switch (temporaneo->aggiungi(candidato, ragione)) {
      case FileTemporaneo::Esito::fatto:
        file = candidato;
        break;
      case FileTemporaneo::Esito::esiste:
        break;
      case FileTemporaneo::Esito::errore:
        return fallita(errore_scrittura, non_scritto(candidato, ragione));
    }
  }

  if (!apertore.apri(file, ragione)) {
    return fallita(errore_apertura,
                   "Il prospetto \u00e8 stato salvato in \"" + testo_percorso(file) +
                       "\" ma non \u00e8 stato possibile aprirlo: " + ragione,
                   file);
  }
  return {true, 0, "", file};
}

}  // namespace zellora
