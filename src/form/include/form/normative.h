// The rule sets a run can choose by name (the input form's "Normativa",
// Combo4): those built into the program, then the rule set files of the
// user's found in the data folders, so that a new year's file is offered
// without a rebuild.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/errore.h"
#include "rules/regole.h"

namespace zellora {

// One rule set of the catalogue.
struct VoceNormativa {
  std::string nome;  // as chosen: "2026", or the name of the user's file without ".toml"
  std::string file;  // the user's file it comes from; empty for a built-in one
  std::shared_ptr<const RegoleCalcolo> regole;  // a user's file as read; none for a built-in one
  Errore errore;  // why the user's file cannot be used; empty reason when it can
};

class ElencoNormative {
 public:
  // The built-in rule sets only.
  ElencoNormative();

  // Adds the rule set files ("NAME.toml") of each folder, folder after
  // folder and by name within one, after the rule sets already there. A
  // folder that does not exist is passed over. A file is read through the
  // bounded reader and checked by the loader; one that cannot be used is
  // kept with its reason (asking for it gives that reason), and listed in
  // avvisi() with the ones refused outright: a name of a built-in rule set,
  // a name that is not letters, digits, "_" and "-". Of two files of one name
  // the one of the earlier folder is taken, as the data folders are meant
  // to be searched. Never throws for what the files hold.
  void aggiungi_cartelle(const std::vector<std::filesystem::path>& cartelle);

  // The names that can be chosen, the built-in ones first, then the user's
  // that can be used, in the order they were found.
  std::vector<std::string> nomi() const;

  // Every rule set known by name, including the user's files that cannot
  // be used; nothing for a name that is not known.
  const VoceNormativa* trova(std::string_view nome) const;

  // The rule set `nome`. Throws Eccezione for a name that is not known
  // (`dove` the name, the reason listing the names known) and for a user's
  // file that cannot be used (`dove` the file, and its reason).
  const RegoleCalcolo& regole(std::string_view nome) const;

  // The user's files that were refused or cannot be used: `dove` the file,
  // `ragione` why. The programs show them and go on.
  const std::vector<Errore>& avvisi() const { return avvisi_; }

  // The catalogue of the built-in rule sets alone, shared by every run that
  // is not given another.
  static const ElencoNormative& incluse();

 private:
  std::vector<VoceNormativa> voci_;
  std::vector<Errore> avvisi_;
};

// The folders of the user's rule set files, in the order they are searched:
// "zellora/regole" in $XDG_DATA_HOME (~/.local/share when it is not set),
// then in each folder of $XDG_DATA_DIRS (/usr/local/share and /usr/share
// when it is not set). A relative folder in either is ignored.
std::vector<std::filesystem::path> cartelle_regole_utente();

// The most rule set files taken from one folder: more are reported, not read.
inline constexpr std::size_t massimo_file_regole = 200;

}  // namespace zellora
