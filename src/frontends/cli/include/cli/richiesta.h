// A calculation request: the input form's controls set by name, whatever
// the request arrives as (a JSON object, a row of a spreadsheet). The same
// rules hold for every format: unknown names, values of the wrong kind and
// items that their list does not hold are refused, never ignored.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/errore.h"
#include "form/campi_form.h"
#include "form/motore.h"
#include "form/normative.h"
#include "form/testi_buste.h"
#include "rules/caricamento.h"

namespace zellora {

// The language of the messages about a request or a sheet: English on the
// command line, as its usage errors; Italian on the page, whose every message
// is Italian.
enum class Lingua { inglese, italiano };

// A request or a sheet that cannot be taken as it is: the program's one error
// type, whose reason names the key (or the column, the row), in English, with
// the same reason in Italian beside it.
class ErroreRichiesta : public Eccezione {
 public:
  ErroreRichiesta(Errore inglese, std::string italiano)
      : Eccezione(std::move(inglese)), italiano_(std::move(italiano)) {}
  ErroreRichiesta(std::string inglese, std::string italiano)
      : ErroreRichiesta(Errore{{}, std::move(inglese)}, std::move(italiano)) {}

  // The message in `lingua`: in Italian the place ("riga 3, cella 2") and
  // the reason are one text.
  std::string testo(Lingua lingua) const {
    return lingua == Lingua::italiano ? italiano_ : std::string(what());
  }

 private:
  std::string italiano_;
};

struct Richiesta {
  // The rule set whose category and sector lists the request is checked
  // against (and that the calculation will use).
  const RegoleCalcolo* regole = &regole_predefinite();
  // True when the rule set was given (a file of the user's): "Combo4" then
  // does not choose the rule set and must name the one given.
  bool regole_fissate = false;
  // The rule sets "Combo4" may name: the built-in ones and the user's.
  const ElencoNormative* normative = &ElencoNormative::incluse();
  // True while a "Combo4" may still come (a sheet's column after "List1"):
  // the category is then checked against the rule set when the request is
  // complete, not against the one in force when it is read.
  bool normativa_in_arrivo = false;
  bool categoria_rinviata = false;  // "List1" came before it, and waits
  CampiForm1 campi;
  // Profile figures set by name after the sector choice, in request order.
  std::vector<std::pair<std::string, double>> profilo;
  // Which controls of the three option pairs were named, and how.
  std::array<int, 6> opzioni_date{};  // 0 not named, 1 false, 2 true; Option1..Option6
  // The choices of a year of payslips (`payslips`), as texts; which of
  // them were named.
  CampiBuste buste;
  std::array<bool, campi_buste.size()> buste_date{};
};

// What a name of a request stands for.
enum class TipoChiave {
  testo,     // a text field, a drop-down list or a list: a text
  booleano,  // an option or the check box: true or false
  profilo,   // a figure of the contribution profile: a number
  sconosciuta,
};

TipoChiave tipo_chiave(std::string_view chiave);

// The refusals of a key that is no control of the form, of a value that is
// not a text for a text field, and of one that is not true or false for an
// option or the check box.
ErroreRichiesta errore_chiave_sconosciuta(std::string_view chiave);
ErroreRichiesta errore_testo(std::string_view chiave);
ErroreRichiesta errore_booleano(std::string_view chiave);

// Sets one control. Throws ErroreRichiesta for a name the form does not
// have, an item its list does not hold, or two options of one pair both
// selected or both cleared.
void imposta_testo(Richiesta& r, std::string_view chiave, std::string valore);
void imposta_booleano(Richiesta& r, std::string_view chiave, bool valore);
void imposta_profilo(Richiesta& r, std::string_view nome, double valore);

// The checks that need the whole request, whatever the order of its keys:
// the category and the sector are items of the chosen rule set's lists, the
// sector one of the category's. Throws ErroreRichiesta.
void completa_richiesta(const Richiesta& r);

// The sector choice and the profile figures of the request, as the operator
// would make them before pressing the calculate button.
void applica_profilo(Motore& motore, const Richiesta& richiesta);

}  // namespace zellora
