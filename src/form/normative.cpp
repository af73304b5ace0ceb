#include "form/normative.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "base/citazione.h"
#include "base/lettura.h"
#include "rules/caricamento.h"

namespace zellora {

namespace {

namespace fs = std::filesystem;

// The names a rule set may have: those of the built-in files.
bool nome_valido(std::string_view nome) {
  return !nome.empty() && std::all_of(nome.begin(), nome.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
  });
}

std::string elenco(const std::vector<std::string>& nomi) {
  std::string s;
  for (const auto& n : nomi) s += (s.empty() ? "" : ", ") + n;
  return s;
}

}  // namespace

ElencoNormative::ElencoNormative() {
  for (const std::string_view nome : nomi_regole_incluse()) {
    voci_.push_back(VoceNormativa{std::string(nome), {}, nullptr, {}});
  }
}

const ElencoNormative& ElencoNormative::incluse() {
  static const ElencoNormative incluse;
  return incluse;
}

void ElencoNormative::aggiungi_cartelle(const std::vector<fs::path>& cartelle) {
  for (const fs::path& cartella : cartelle) {
    std::error_code errore;
    if (!fs::is_directory(cartella, errore)) continue;
    std::vector<fs::path> file;
    fs::directory_iterator it(cartella, errore);
    bool troppi = false;
    for (; !errore && it != fs::directory_iterator(); it.increment(errore)) {
      const fs::path& p = it->path();
      if (p.extension() != ".toml") continue;
      if (file.size() == massimo_file_regole) {
        troppi = true;
        break;
      }
      file.push_back(p);
    }
    if (errore) {
      avvisi_.push_back(Errore{citazione_file(cartella.string()),
                               "the folder cannot be read: " + errore.message()});
      continue;
    }
    if (troppi) {
      avvisi_.push_back(Errore{citazione_file(cartella.string()),
                               "more than " + std::to_string(massimo_file_regole) +
                                   " rule set files: none of this folder is read"});
      continue;
    }
    std::sort(file.begin(), file.end());
    for (const fs::path& p : file) {
      const std::string nome = p.stem().string();
      const std::string mostrato = citazione_file(p.string());
      if (!nome_valido(nome)) {
        avvisi_.push_back(Errore{mostrato,
                                 "a rule set's name (the file's name without \".toml\") may hold "
                                 "only letters, digits, \"_\" and \"-\""});
        continue;
      }
      const auto stesso = std::find_if(voci_.begin(), voci_.end(),
                                       [&](const VoceNormativa& v) { return v.nome == nome; });
      if (stesso != voci_.end() && stesso->file.empty()) {
        avvisi_.push_back(Errore{mostrato, "named like the built-in rule set \"" + nome +
                                               "\", which it would hide: give it another name"});
        continue;
      }
      if (stesso != voci_.end()) continue;  // an earlier folder's file of this name is taken
      VoceNormativa voce{nome, p.string(), nullptr, {}};
      Errore lettura;
      const std::optional<std::string> testo =
          leggi_file(p.string(), limite_regole, lettura, /*solo_file_regolari=*/true);
      if (!testo) {
        voce.errore = Errore{mostrato, lettura.ragione};
      } else {
        try {
          auto regole = std::make_shared<RegoleCalcolo>(carica_regole(*testo, mostrato));
          if (regole->nome != nome) {
            voce.errore = Errore{mostrato, "its nome " + citazione(regole->nome) +
                                               " differs from the file's name " + citazione(nome)};
          } else {
            regole->file = p.string();
            voce.regole = std::move(regole);
          }
        } catch (const Eccezione& e) {
          voce.errore = e.errore();  // "file: key" and the reason
        }
      }
      if (!voce.errore.ragione.empty()) avvisi_.push_back(voce.errore);
      voci_.push_back(std::move(voce));
    }
  }
}

std::vector<std::string> ElencoNormative::nomi() const {
  std::vector<std::string> nomi;
  for (const VoceNormativa& v : voci_) {
    if (v.errore.ragione.empty()) nomi.push_back(v.nome);
  }
  return nomi;
}

const VoceNormativa* ElencoNormative::trova(std::string_view nome) const {
  const auto it = std::find_if(voci_.begin(), voci_.end(),
                               [&](const VoceNormativa& v) { return v.nome == nome; });
  return it == voci_.end() ? nullptr : &*it;
}

const RegoleCalcolo& ElencoNormative::regole(std::string_view nome) const {
  const VoceNormativa* voce = trova(nome);
  if (voce == nullptr) {
    throw Eccezione(citazione(nome), "no rule set of this name (known: " + elenco(nomi()) + ")");
  }
  if (!voce->errore.ragione.empty()) throw Eccezione(voce->errore);
  if (voce->regole != nullptr) return *voce->regole;
  return regole_incluse(voce->nome);
}

std::vector<fs::path> cartelle_regole_utente() {
  std::vector<fs::path> cartelle;
  const auto aggiungi = [&](const fs::path& base) {
    if (base.is_absolute()) cartelle.push_back(base / "zellora" / "regole");
  };
  const char* casa = std::getenv("XDG_DATA_HOME");
  if (casa != nullptr && *casa != '\0') {
    aggiungi(casa);
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    aggiungi(fs::path(home) / ".local" / "share");
  }
  const char* sistema = std::getenv("XDG_DATA_DIRS");
  const std::string dirs =
      sistema != nullptr && *sistema != '\0' ? sistema : "/usr/local/share/:/usr/share/";
  std::size_t inizio = 0;
  while (inizio <= dirs.size()) {
    std::size_t fine = dirs.find(':', inizio);
    if (fine == std::string::npos) fine = dirs.size();
    if (fine > inizio) aggiungi(dirs.substr(inizio, fine - inizio));
    inizio = fine + 1;
  }
  return cartelle;
}

}  // namespace zellora
