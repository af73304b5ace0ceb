#include "statement/crea.h"

#include <cerrno>
#include <ctime>
#include <optional>
#include <random>
#include <stdexcept>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "base/citazione.h"
#include "base/file_atomico.h"
#include "statement/docx.h"
#include "statement/prospetto.h"

namespace zellora {

namespace fs = std::filesystem;

namespace {

// Names tried before giving up: " (2)" up to " (999)".
constexpr int nomi_massimi = 999;

std::string ora_locale(std::chrono::system_clock::time_point quando, const char* formato) {
  const std::time_t secondi =
      std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(quando));
  std::tm ora{};
#ifdef _WIN32
  localtime_s(&ora, &secondi);
#else
  localtime_r(&secondi, &ora);
#endif
  char testo[32];
  const std::size_t n = std::strftime(testo, sizeof testo, formato, &ora);
  return std::string(testo, n);
}

std::string data_ora_locale(std::chrono::system_clock::time_point quando) {
  return ora_locale(quando, "%Y-%m-%d %H.%M.%S");
}

fs::path nome_file(const fs::path& cartella, const std::string& base, int numero) {
  std::string nome = base;
  if (numero > 1) nome += " (" + std::to_string(numero) + ")";
  nome += ".docx";
  return cartella / fs::path(std::u8string(nome.begin(), nome.end()));
}

// A path in a message: quoted as every value shown back is.
std::string citato(const fs::path& p) { return citazione_file(testo_percorso(p)); }

// Makes the folder `p` for its owner alone (0700). False, with the system's
// reason, when it exists already or cannot be made.
bool nuova_cartella_privata(const fs::path& p, std::error_code& ec) {
#ifdef _WIN32
  if (!fs::create_directory(p, ec) && !ec) ec = std::make_error_code(std::errc::file_exists);
  return !ec;
#else
  if (::mkdir(p.c_str(), 0700) == 0) return true;
  ec = std::error_code(errno, std::generic_category());
  return false;
#endif
}

// The folder `p`, made with its missing parents, each new one 0700.
bool cartella_fatta(const fs::path& p, std::error_code& ec) {
  if (fs::is_directory(p, ec)) return true;
  const fs::path sopra = p.parent_path();
  if (!sopra.empty() && sopra != p && !cartella_fatta(sopra, ec)) return false;
  if (nuova_cartella_privata(p, ec)) return true;
  if (ec != std::errc::file_exists) return false;
  // Made meanwhile by someone else: fine if it is a folder; a file in its
  // place is the reason given.
  std::error_code stato;
  if (fs::is_directory(p, stato)) {
    ec.clear();
    return true;
  }
  ec = std::make_error_code(std::errc::not_a_directory);
  return false;
}

// A new folder with an unpredictable name in `dove`, 0700.
fs::path cartella_temporanea_privata(const fs::path& dove, std::error_code& ec) {
  static constexpr char cifre[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device casuale;
  for (int tentativo = 0; tentativo < 16; ++tentativo) {
    std::string nome = "Zellora-";
    for (int i = 0; i < 12; ++i) nome += cifre[casuale() % 36];
    const fs::path p = dove / nome;
    if (nuova_cartella_privata(p, ec)) return p;
    if (ec != std::errc::file_exists) break;
  }
  return {};
}

EsitoEsportazione fallita(int numero, std::string descrizione, fs::path file = {}) {
  return {false, numero, Errore{{}, std::move(descrizione)}, std::move(file)};
}

std::string non_scritto(const fs::path& file, const std::string& ragione) {
  return "Impossibile scrivere il prospetto " + citato(file) + ": " + ragione;
}

}  // namespace

fs::path cartella_prospetti(const fs::path& documenti, const fs::path& temporanea,
                            std::string& errore) {
  std::error_code ec;
  std::string perche;
  errore.clear();
  if (!documenti.empty()) {
    const fs::path propria = documenti / "Zellora";
    if (cartella_fatta(propria, ec)) return propria;
    perche = "la cartella " + citato(propria) + " non si pu\u00f2 creare: " + ec.message();
  } else {
    perche = "la cartella dei documenti dell'utente non \u00e8 nota";
  }
  if (!temporanea.empty()) {
    const fs::path privata = cartella_temporanea_privata(temporanea, ec);
    if (!privata.empty()) {
      errore = perche;
      return privata;
    }
    perche += "; nemmeno una cartella privata in " + citato(temporanea) + ": " + ec.message();
  }
  errore = "Nessuna cartella dove scrivere il prospetto: " + perche;
  return {};
}

std::string data_prospetto(std::chrono::system_clock::time_point quando) {
  return ora_locale(quando, "%d/%m/%Y");
}

EsitoEsportazione Crea(const Risultati& risultati, bool mensile, const Locale& locale,
                       const fs::path& cartella, ApertoreDocumenti& apertore,
                       const CampiForm1* campi, const EsitoBuste* buste) {
  return Crea(risultati, mensile, locale, cartella, apertore, std::chrono::system_clock::now(),
              campi, buste);
}

EsitoEsportazione Crea(const Risultati& risultati, bool mensile, const Locale& locale,
                       const fs::path& cartella, ApertoreDocumenti& apertore,
                       std::chrono::system_clock::time_point quando, const CampiForm1* campi,
                       const EsitoBuste* buste) {
  std::optional<CalcoloProspetto> calcolo;
  if (campi != nullptr) calcolo = CalcoloProspetto{*campi, data_prospetto(quando)};
  EsitoProspetto prospetto =
      componi_prospetto(risultati, mensile, locale, calcolo ? &*calcolo : nullptr);
  if (!prospetto.prospetto) return fallita(errore_prospetto_rifiutato, prospetto.errore.testo());
  if (buste != nullptr) prospetto.prospetto->sezione = sezione_buste(*buste, locale);

  const std::string base = "Prospetto Zellora " + data_ora_locale(quando);
  const fs::path primo = nome_file(cartella, base, 1);
  if (cartella.empty()) {
    return fallita(errore_scrittura, non_scritto(primo, "nessuna cartella indicata"));
  }
  std::error_code ec;
  const fs::file_status stato = fs::status(cartella, ec);
  if (stato.type() == fs::file_type::not_found) {
    return fallita(errore_scrittura,
                   non_scritto(primo, "la cartella " + citato(cartella) + " non esiste"));
  }
  if (!ec && stato.type() != fs::file_type::directory) {
    return fallita(errore_scrittura,
                   non_scritto(primo, citato(cartella) + " non \u00e8 una cartella"));
  }

  std::string dati;
  try {
    dati = documento_docx(*prospetto.prospetto);
  } catch (const std::runtime_error& e) {
    return fallita(errore_scrittura, non_scritto(primo, e.what()));
  }
  Errore ragione;
  // Payroll figures are for the user alone, whatever the umask.
  std::optional<FileTemporaneo> temporaneo =
      FileTemporaneo::scrivi(cartella, dati, ragione, Permessi::solo_utente);
  if (!temporaneo) return fallita(errore_scrittura, non_scritto(primo, ragione.ragione));

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
        return fallita(errore_scrittura, non_scritto(candidato, ragione.ragione));
    }
  }

  std::string non_aperto;
  if (!apertore.apri(file, non_aperto)) {
    return fallita(errore_apertura,
                   "Il prospetto \u00e8 stato salvato in " + citato(file) +
                       " ma non \u00e8 stato possibile aprirlo: " + non_aperto,
                   file);
  }
  return {true, 0, {}, file};
}

}  // namespace zellora
