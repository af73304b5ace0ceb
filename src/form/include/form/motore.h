// The program-wide state of a run: the calculation record, the texts of the
// results window and the user's number settings, with the operations the
// input form asks for (sector choice and the calculate command).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "form/campi_form.h"
#include "form/esito.h"
#include "form/normative.h"
#include "form/risultati.h"
#include "numbers/numeri.h"
#include "rules/calcolo.h"
#include "rules/caricamento.h"
#include "rules/record.h"

namespace zellora {

class Motore {
 public:
  explicit Motore(Locale locale = Locale::italiano(),
                  const RegoleCalcolo& regole = regole_predefinite())
      : locale_(std::move(locale)), regole_(&regole) {}

  // The rule set of the next sector choices and calculations; it must live
  // as long as this run uses it. The record keeps its figures until then.
  // No sector is chosen under it yet.
  void usa_regole(const RegoleCalcolo& regole) {
    regole_ = &regole;
    settore_scelto_ = false;
    nota_settore_.clear();
  }
  const RegoleCalcolo& regole() const { return *regole_; }

  // The rule sets the "Normativa" (Combo4) chooses from: the built-in ones
  // unless told otherwise. The catalogue must live as long as this run.
  void offri_normative(const ElencoNormative& normative) { normative_ = &normative; }
  const ElencoNormative& normative() const { return *normative_; }
  // The choice of "Normativa": the rule set of that name becomes the one in
  // use. Throws Eccezione, and nothing changes, for a name the catalogue
  // does not know or a user's file that cannot be used (naming the file).
  void usa_normativa(std::string_view nome) { usa_regole(normative_->regole(nome)); }

  // The sector choice of `List2` for the category chosen in `List1`, by
  // their item texts: writes the ten profile figures. False, and nothing
  // written, for a pair that the lists do not hold (a category without its
  // sector): no sector is chosen then, and nothing is calculated until one
  // is.
  bool scegli_settore(std::string_view categoria, std::string_view settore);

  // The contribution profile given figure by figure (a request's "profile"
  // naming all ten figures a sector writes) instead of by a sector: the
  // calculation then needs no category and sector. Until the next rule set.
  void profilo_dato() { settore_scelto_ = true; }

  // The calculate command: the empty-field warning, a category and a sector
  // chosen (or the rates given), the checks of the inputs the selected
  // calculation reads, then the calculation of the selected
  // period mode and the fill of the results texts. A refused calculation
  // changes neither the record nor the results.
  EsitoCalcolo verifica_campi(const CampiForm1& campi);
  // The same with fields the caller no longer needs: they are kept without
  // a copy.
  EsitoCalcolo verifica_campi(CampiForm1&& campi);

  // The input form's fields of the last calculation that filled the
  // results; nothing before the first.
  const std::optional<CampiForm1>& campi_calcolo() const { return campi_calcolo_; }
  // What that calculation read from them (form/verifica.h), under the rule
  // set it used; for the year of payslips of the same worker.
  const std::optional<InputCalcolo>& input_calcolo() const { return input_calcolo_; }

  RecordCalcolo& record() { return record_; }
  const RecordCalcolo& record() const { return record_; }
  const Risultati& risultati() const { return risultati_; }
  const Locale& locale() const { return locale_; }

 private:
  EsitoCalcolo verifica(const CampiForm1& campi, CampiForm1* da_tenere);

  Locale locale_;
  const RegoleCalcolo* regole_;
  const ElencoNormative* normative_ = &ElencoNormative::incluse();
  RecordCalcolo record_;
  Risultati risultati_;
  std::optional<CampiForm1> campi_calcolo_;
  std::optional<InputCalcolo> input_calcolo_;
  bool settore_scelto_ = false;
  // What the results say of the sector chosen: the sector of today that an
  // item of an earlier list stands for; empty for an item of the list.
  std::string nota_settore_;
};

}  // namespace zellora
