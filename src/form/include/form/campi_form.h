// The named input fields of the input form `Form1`: every text exactly as
// typed, every option and check box as a boolean, every list and drop-down
// box as the text of its chosen item ("" when nothing is chosen). Defaults
// are the form's initial values.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zellora {

struct CampiForm1 {
  // Amount table: the four amounts and their cents fields (always "00").
  std::string Text1 = "0";   // "Retribuzione / Compenso"
  std::string Text8 = "00";  // cents, disabled
  std::string Text13 = "0";  // "Valore Convenzionale benefit"
  std::string Text12 = "00";
  std::string Text19 = "0";  // "Trattenuta non deducibile"
  std::string Text18 = "00";
  std::string Text21 = "0";  // "Competenza non imponibile"
  std::string Text20 = "00";

  // "Modalità di calcolo"
  bool Option1 = true;        // "Annuo"
  bool Option2 = false;       // "Mensile"
  std::string Text5 = "365";  // "Giorni detrazione spettanti"
  std::string Text7 = "14";   // "Numero mensilità retribuite"

  // "Normativa": the name of the rule set, built in ("2007", "2025",
  // "2026") or a file of the user's (form/normative.h)
  std::string Combo4 = "2007";

  // "Tipologia di calcolo"
  bool Option4 = true;   // "Dal lordo al netto"
  bool Option3 = false;  // "Dal netto al lordo"

  // "Detrazioni fiscali"
  std::string Text2 = "12";   // "N.mesi coniuge carico"
  std::string Text9 = "12";   // "N.mesi figli carico"
  std::string Text10 = "12";  // "N.mesi altri carico"
  std::string Combo3;         // "Coniuge a carico": "", "No", "Si"
  std::string Text4 = "0";    // "Figli a carico"
  std::string Combo1;         // "%" of the children deduction: "", "50", "100"
  std::string Text6 = "0";    // "di cui minori di 3 anni"
  std::string Text3 = "0";    // "Altri a carico"
  std::string Combo2;         // "%" of the other dependants deduction

  // "Caratteristiche previdenziali"
  std::string List1;  // worker category
  std::string List2;  // social-security sector

  // "Altri Contributi"
  bool Option5 = true;       // "Valori in %"
  bool Option6 = false;      // "Valori Importo Fisso"
  std::string Text14 = "0";  // "A carico Dipendente"
  std::string Text15 = "0";  // "A carico Azienda"

  // "Elementi Costo Lavoro"
  bool Check1 = false;       // "Selezionare la casella per calcolare anche l'Irap"
  std::string Text11 = "0";  // "Indicare il tasso Inail applicato"

  // "Addizionali" (only under rule sets with their tables)
  std::string Combo5 = "Nessuna";  // "Regione": "Nessuna" or a region of the rule set
  std::string Text22;              // "Comune": "MILANO (MI)", empty for none
  std::string Text23;              // "Addizionale comunale %", in place of the comune's rates
  std::string Text24;              // "Esenzione fino a", with the typed rate
  std::string Text25;              // "Addizionale regionale %": one rate on the whole base,
                                   // in place of the region's table

  bool operator==(const CampiForm1&) const = default;
};

// A text field of the form: its control name, the label the form shows for
// it, and the most characters it holds (0 for no limit).
struct CampoTesto {
  std::string_view nome;
  std::string_view etichetta;
  std::size_t lunghezza_massima;
  std::string CampiForm1::*campo;
};

// Every text field of the form.
const std::array<CampoTesto, 23>& campi_testo();

// The text field named `nome`, or nullptr.
const CampoTesto* campo_testo(std::string_view nome);

// The label of a text field as a message names it.
std::string_view etichetta(std::string_view nome);

// The items of the three drop-down lists.
inline constexpr std::array<std::string_view, 2> voci_coniuge = {"No", "Si"};
inline constexpr std::array<std::string_view, 2> voci_percentuale = {"50", "100"};
// The first item of "Regione": no regional surcharge.
inline constexpr std::string_view nessuna_regione = "Nessuna";
// Whether a "Regione" text chooses no region: blanks, or "Nessuna" matched
// as the regions are (blanks around and the case of the letters aside:
// "nessuna", "NESSUNA ").
bool senza_regione(std::string_view testo);

}  // namespace zellora
