// The texts of a year of payslips (form/buste_paga.h), the same in every
// front end: the columns with their labels (the results window's where the
// figure is the same), the months and the kinds of payslip, the
// reconciliation with the annual calculation, next year's lines, the series
// of the chart, and the choices of the year as the fields of a form (the
// desktop's window, the page and its address, a request, a sheet's columns)
// with their checks.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "form/buste_paga.h"
#include "numbers/numeri.h"

namespace zellora {

// A column of the year: its name in JSON and CSV, its label, its figure.
struct ColonnaBuste {
  std::string_view nome;
  std::string_view etichetta;
  std::int64_t (*cifra)(const BustaPaga&);
};

// clang-format off
inline constexpr std::array<ColonnaBuste, 24> colonne_buste = {{
    {"gross", "Retribuzione", [](const BustaPaga& b) { return b.lordo; }},
    {"benefit", "Valore Convenzionale benefit", [](const BustaPaga& b) { return b.benefit; }},
    {"inps", "Ritenuta Inps", [](const BustaPaga& b) { return b.inps + b.aggiuntivo; }},
    {"additional_contribution", "di cui contributo aggiuntivo 1%", [](const BustaPaga& b) { return b.aggiuntivo; }},
    {"other_contributions", "Ritenuta Altri Contributi", [](const BustaPaga& b) { return b.altri; }},
    {"inail", "Ritenuta Inail", [](const BustaPaga& b) { return b.inail; }},
    {"taxable", "Imponibile Fiscale", [](const BustaPaga& b) { return b.imponibile; }},
    {"gross_irpef", "Irpef Lorda", [](const BustaPaga& b) { return b.irpef_lorda; }},
    {"employee_deduction", "Detrazioni dipendente", [](const BustaPaga& b) { return b.detrazione_dip; }},
    {"spouse_deduction", "Detrazione coniuge", [](const BustaPaga& b) { return b.detrazione_coniuge; }},
    {"children_deduction", "Detrazione figli", [](const BustaPaga& b) { return b.detrazione_figli; }},
    {"other_dependants_deduction", "Detrazione altri", [](const BustaPaga& b) { return b.detrazione_altri; }},
    {"further_deduction", "Ulteriore detrazione", [](const BustaPaga& b) { return b.ulteriore_detrazione; }},
    {"net_irpef", "Irpef netta", [](const BustaPaga& b) { return b.irpef_netta; }},
    {"tax_free_sum", "Somma esente", [](const BustaPaga& b) { return b.somma_esente; }},
    {"integrative_treatment", "Trattamento integrativo", [](const BustaPaga& b) { return b.trattamento_integrativo; }},
    {"regional_surcharge_instalment", "Rata addizionale regionale", [](const BustaPaga& b) { return b.regionale; }},
    {"municipal_balance_instalment", "Rata saldo addizionale comunale", [](const BustaPaga& b) { return b.comunale_saldo; }},
    {"municipal_advance_instalment", "Rata acconto addizionale comunale", [](const BustaPaga& b) { return b.comunale_acconto; }},
    {"non_deductible_deduction", "Trattenuta Non deducibile", [](const BustaPaga& b) { return b.trattenuta; }},
    {"non_taxable_pay", "Competenza Non Imponibile", [](const BustaPaga& b) { return b.competenza; }},
    {"net", "Netto in busta", [](const BustaPaga& b) { return b.netto; }},
    {"deductions", "Detrazioni", [](const BustaPaga& b) {
       return b.detrazione_dip + b.detrazione_coniuge + b.detrazione_figli + b.detrazione_altri +
              b.ulteriore_detrazione; }},
    {"surcharges", "Addizionali", [](const BustaPaga& b) {
       return b.regionale + b.comunale_saldo + b.comunale_acconto; }},
}};
// clang-format on

// The column named `nome`.
constexpr std::size_t colonna_buste(std::string_view nome) {
  std::size_t i = 0;
  while (i < colonne_buste.size() && colonne_buste[i].nome != nome) ++i;
  return i;
}

// The columns of JSON and CSV: all but the two sums of the short table.
inline constexpr std::size_t colonne_buste_dati = colonna_buste("deductions");

// The short table of the year (the text output, the windows, the
// statement): ten columns with a heading that fits, and the legend that
// says which figure each short heading is.
struct ColonnaBreve {
  std::size_t colonna;  // in colonne_buste
  std::string_view intestazione;
};
inline constexpr std::array<ColonnaBreve, 10> tabella_breve_buste = {{
    {colonna_buste("gross"), "Lordo"},
    {colonna_buste("inps"), "Inps"},
    {colonna_buste("taxable"), "Imponibile"},
    {colonna_buste("gross_irpef"), "Irpef lorda"},
    {colonna_buste("deductions"), "Detrazioni"},
    {colonna_buste("net_irpef"), "Irpef netta"},
    {colonna_buste("tax_free_sum"), "Somma es."},
    {colonna_buste("integrative_treatment"), "Tratt. int."},
    {colonna_buste("surcharges"), "Addizionali"},
    {colonna_buste("net"), "Netto"},
}};
static_assert([] {
  for (const ColonnaBreve& c : tabella_breve_buste) {
    if (c.colonna >= colonne_buste.size()) return false;
  }
  return true;
}());
inline constexpr std::string_view legenda_buste =
    "Lordo: Retribuzione; Inps: Ritenuta Inps (con il contributo aggiuntivo 1%); Somma es.: "
    "Somma esente; Tratt. int.: Trattamento integrativo; Addizionali: rate delle addizionali "
    "dell'anno precedente e acconto comunale dell'anno.";

// "gennaio" to "dicembre"; empty outside 1 to 12.
std::string_view nome_mese(int mese);
// "ordinaria", "tredicesima", "quattordicesima", "conguaglio".
std::string_view nome_tipo_busta(TipoBusta tipo);
// A line of the year for a reader: "Gennaio", "Tredicesima (dicembre)",
// "Quattordicesima (luglio)", "Conguaglio (dicembre)".
std::string descrizione_busta(const BustaPaga& busta);

// A line of the reconciliation or of next year's: its name in JSON, its
// text, its cents.
struct VoceBuste {
  std::string_view nome;
  std::string_view testo;
  std::int64_t centesimi = 0;
};

// The year against the annual calculation: the IRPEF of the adjustment
// against what the payslips withheld, and the net of the year against the
// annual net, one line for each difference.
std::vector<VoceBuste> riconciliazione_buste(const AnnoBuste& anno);

// What the year leaves to the next: this year's surcharges and next year's
// municipal advance, and the amounts to recover (only when there are).
std::vector<VoceBuste> anno_prossimo_buste(const AnnoBuste& anno);

// Said when the adjustment withholds more than the pay of its month.
inline constexpr std::string_view testo_incapiente =
    "L'Irpef del conguaglio supera la retribuzione del mese: il lavoratore pu\u00f2 versare la "
    "differenza o chiedere per iscritto che sia trattenuta sulle retribuzioni successive, con "
    "l'interesse dello 0,50% mensile (DPR 600/1973 art. 23 c. 3).";

// The chart of the year: for each line of the year (in its order), the net
// and what is withheld from the gross, each series labelled as its column.
struct SerieBuste {
  std::string_view etichetta;
  std::vector<std::int64_t> centesimi;
};
// "Netto in busta", "Ritenuta Inps", "Irpef netta", "Addizionali".
std::vector<SerieBuste> serie_grafico_buste(const AnnoBuste& anno);

// The choices of the year as texts, as a form holds them. Empty means the
// default. Amounts are typed as the form's (the user's decimal sign);
// `variazioni` and `una_tantum` are MONTH:AMOUNT items separated by blanks
// or ';' ("7:2200,50 10:2300").
struct CampiBuste {
  std::string mensilita;             // 12, 13 or 14
  std::string mese_quattordicesima;  // 6 or 7
  std::string primo_mese;            // 1 to 12
  std::string ultimo_mese;           // 1 to 12
  std::string variazioni;
  std::string una_tantum;
  std::string detrazioni;  // "days" or "twelfths"
  std::string proiezione;  // "payments" or "year-to-date"
  std::string imponibile_precedente;
  std::string regionale_precedente;
  std::string comunale_precedente;
  std::string acconto_pagato;
  std::string acconto;
  bool operator==(const CampiBuste&) const = default;
};

// A field of the year: its key in a request, an address and a sheet (the
// command line's option without its dashes, '-' as '_'), its label in the
// windows and the page, the text it holds.
struct CampoBuste {
  std::string_view chiave;
  std::string_view etichetta;
  std::string CampiBuste::*testo;
};
extern const std::array<CampoBuste, 13> campi_buste;

// The field of key `chiave`; nothing for another key.
const CampoBuste* campo_buste(std::string_view chiave);

// The two choices of the payroll office as the windows offer them: the
// value of the field and its Italian label, the default first.
struct SceltaBuste {
  std::string_view valore;
  std::string_view etichetta;
};
inline constexpr std::array<SceltaBuste, 2> scelte_detrazioni = {{
    {"days", "in giorni (giorni del mese / 365)"},
    {"twelfths", "in dodicesimi"},
}};
inline constexpr std::array<SceltaBuste, 2> scelte_proiezione = {{
    {"payments", "dalla busta del mese per le mensilit\u00e0"},
    {"year-to-date", "dal progressivo dell'anno"},
}};

// Reads the fields into `opzioni`: the message to the operator naming the
// field, in Italian, empty when they are sound (then `opzioni` is written).
std::string leggi_campi_buste(const CampiBuste& campi, const Locale& locale, OpzioniBuste& opzioni);

// The headings of the year wherever it is shown: the part of the results
// that holds it, the table's title, its first column and last row, the
// reconciliation, next year's lines and the chart.
inline constexpr std::string_view titolo_buste = "Buste paga";
inline constexpr std::string_view titolo_sezione_buste = "Buste paga dell'anno";
// "Buste paga dell'anno (normativa 2026)".
std::string titolo_anno_buste(std::string_view normativa);
inline constexpr std::string_view intestazione_busta = "Busta";
inline constexpr std::string_view riga_totale_buste = "Totale";
inline constexpr std::string_view titolo_riconciliazione_buste = "Riconciliazione";
inline constexpr std::string_view titolo_anno_prossimo_buste = "L'anno prossimo";
inline constexpr std::string_view titolo_grafico_buste = "Netto e ritenute di ogni busta";

// A line of the year in a few letters, for a chart's axis: "gen" to "dic",
// "13\u00aa", "14\u00aa", "cong.".
std::string sigla_busta(const BustaPaga& busta);

}  // namespace zellora
