// The checks of the calculate command: the empty-field warning, then the
// texts that the selected calculation reads, converted to numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/campi_form.h"
#include "form/esito.h"
#include "numbers/numeri.h"
#include "rules/calcolo.h"

namespace zellora {

inline constexpr std::string_view titolo_applicazione = "Zellora";
inline constexpr std::string_view messaggio_campi_vuoti =
    "Attenzione ci sono dei campi non valorizzati, se non necessari ai fini del conteggio mettere "
    "0";
// A result with a figure of a thousand billion euro or more: beyond that
// the window cannot show every figure to the cent.
inline constexpr std::string_view messaggio_cifre_troppo_grandi =
    "Gli importi del risultato sono troppo grandi per essere mostrati al centesimo: ogni cifra "
    "deve restare sotto 1.000.000.000.000 di euro.";

// The most dependants of a kind: the two digits the form's fields take.
inline constexpr double massimo_a_carico = 99;

// What the operator must still choose in "Caratteristiche previdenziali"
// before a calculation when no sector is chosen: the worker's category and
// its sector, or the sector of the category chosen.
std::string lavoratore_mancante(const CampiForm1& campi);

// True when any of the fifteen checked text fields holds exactly the empty
// text (in either period mode, disabled fields included).
bool campi_non_valorizzati(const CampiForm1& campi);
// Those fields, by control name ("Text7"), in the order they are checked.
std::vector<std::string_view> elenco_campi_non_valorizzati(const CampiForm1& campi);

// The inputs of the calculation that the form selects, or the messages that
// refuse it: each text it reads that is not a number (named by its label),
// a count of children or other dependants that is not a whole number from
// 0 to 99, a share not
// chosen for children or other dependants, a negative net wanted.
struct LetturaInput {
  std::optional<InputCalcolo> input;
  std::vector<std::string> messaggi;
  // What the operator is told with the figures: how a comune's deliberation
  // was read (note_comune).
  std::vector<std::string> note;
};

LetturaInput leggi_input(const CampiForm1& campi, const Locale& locale);

// The year of the Ministry's list of the comuni a rule set takes, as its
// key `elenco_comuni` names it (2026 for "2026", kept by a copy of it under
// another name); none when the rule set names none.
std::optional<int> anno_delle_regole(const RegoleCalcolo& regole);

// Whether the form asks for a surcharge: a "Regione" other than "Nessuna", a
// "Comune", a typed "Addizionale comunale %" or "Addizionale regionale %"
// (spaces alone are nothing).
bool addizionali_chieste(const CampiForm1& campi);

// Whether the rule set has the surcharges' tables (the regions it offers, or
// the Ministry's list of the comuni of its year): only then may a form ask
// for them.
bool addizionali_disponibili(const RegoleCalcolo& regole);

// The surcharges the form asks for under `regole`, read into `input` (the
// region's rule points into `regole`): the messages that refuse them, each
// naming its field, empty when they are read. Refused: any of them under a
// rule set without the tables, a region or comune the rule set or the year's
// list does not hold (the value quoted; a comune as people write it is
// matched by chiave_comune), a name several comuni have or the beginning of
// several names (the candidates listed), a comune of another region than the
// one chosen (naming both), a region or comune that it holds without its
// figures and no rate typed in their place (with the reason and the fields
// to fill instead), a rate or threshold that is not a number of 0 or more,
// a threshold without the rate it goes with. A typed "Addizionale regionale
// %" is one rate on the whole base, with or without a region chosen. With
// `note`, the notes of the comune taken (note_comune).
std::vector<std::string> leggi_addizionali(const CampiForm1& campi, const RegoleCalcolo& regole,
                                           const Locale& locale, InputCalcolo& input,
                                           std::vector<std::string>* note = nullptr);

// Whether the worker of the form is an employee (TUIR art. 49): a category
// the rule set does not leave out of the cuneo fiscale, which is the
// employees' alone; the others are the collaborators.
bool lavoratore_dipendente(const CampiForm1& campi, const RegoleCalcolo& regole);

// The notes of a comune's rule for the worker (lavoratore_dipendente), in
// Italian, each quoting the deliberation's words: each exemption worded
// otherwise than the Ministry's form, applied (as a threshold of the taxable
// income, or of the pay as the only income of work) or left out and why
// (other incomes; a condition the calculation does not know, taken as not
// met, or a threshold that does not read, with how to type the rate and
// threshold instead), and the amounts or bands written otherwise and how
// they were read. None for a deliberation in the Ministry's words.
std::vector<std::string> note_comune(const ComuneAddizionale& comune, bool dipendente,
                                     const Locale& locale);

// The items of "Regione" under `regole`: "Nessuna", then every region the
// rule set names, with its table or not (sorted); only "Nessuna" under a
// rule set without the surcharges.
std::vector<std::string> voci_regione(const RegoleCalcolo& regole);

// What the form says beside "Regione", as a sentence: for a region without
// a table in `regole`, the reason and the field to type its rate in; for
// one whose reliefs per child the amount does not subtract, that they are
// not subtracted. Empty for "Nessuna", another region with its table, or a
// name the rule set does not know.
std::string nota_regione(const RegoleCalcolo& regole, std::string_view regione);

// The input a calculation of `campi` under `regole` takes: the form's
// figures (leggi_input), the surcharges asked for (leggi_addizionali) and
// whether the cuneo fiscale applies to the category (not to those the rule
// set leaves out). No input when any of it cannot be read, with the
// messages of both readings in that order. Without `note`, the notes of the
// comune are not written: a reading no one is told of (last year's worker of
// a year of payslips).
LetturaInput input_del_calcolo(const CampiForm1& campi, const RegoleCalcolo& regole,
                               const Locale& locale, bool note = true);

}  // namespace zellora
