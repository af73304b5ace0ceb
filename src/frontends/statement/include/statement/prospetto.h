// The statement "PROSPETTO ZELLORA" as a value: its paragraphs, with the texts
// of the results window under fixed labels, each paragraph's alignment and
// whether its text is bold. Every document format is written from this one
// value, so the formats cannot drift apart.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/errore.h"
#include "form/buste_paga.h"
#include "form/campi_form.h"
#include "form/risultati.h"
#include "numbers/numeri.h"
#include "rules/righe.h"

namespace zellora {

enum class Allineamento {
  predefinito,  // what a new document would use (left, in practice)
  centro,
  sinistra,
  destra,  // the amounts of a table
};

// The paragraphs of the statement: fourteen of its own (the blank lines, the
// headings and the conditions), the rule set's name under the title when the
// results have one (every calculation's have), and one for each row of the
// results it has (rules/righe.h: the original's twenty, and "Irpef netta");
// today's law adds its rows. 35 under the rules of 2007 without the name, 36
// with it, 39 under today's law, 41 with the surcharges; the lines of the
// inputs (righe_calcolo_prospetto) come on top of these.
constexpr std::size_t numero_paragrafi_prospetto(bool attuali, bool addizionali = false,
                                                 bool con_normativa = true) {
  std::size_t n = con_normativa ? 15 : 14;
  for (const RigaRisultato& riga : righe_risultato) {
    if (!riga.voce_prospetto.empty() && mostrata(riga, attuali, addizionali)) ++n;
  }
  return n;
}
inline constexpr std::size_t paragrafi_prospetto = numero_paragrafi_prospetto(false, false, false);
inline constexpr std::size_t paragrafi_prospetto_attuale = numero_paragrafi_prospetto(true);

// The whole document is set in this font and size.
inline constexpr std::string_view carattere_prospetto = "Times New Roman";
inline constexpr int punti_prospetto = 12;

struct Paragrafo {
  std::string testo;  // UTF-8; empty for a blank line
  Allineamento allineamento = Allineamento::sinistra;
  bool grassetto = false;  // the whole text is bold; the paragraph mark never is
  int punti = punti_prospetto;
  bool operator==(const Paragrafo&) const = default;
};

// A table: its headings and its rows of texts, the first column on the
// left, the others (amounts) on the right; a row may be bold.
struct RigaTabella {
  std::vector<std::string> celle;
  bool grassetto = false;
  bool operator==(const RigaTabella&) const = default;
};
struct TabellaProspetto {
  std::vector<std::string> intestazioni;
  std::vector<RigaTabella> righe;
  bool operator==(const TabellaProspetto&) const = default;
};

// A part of the statement after the conditions, from a new page: its
// paragraphs, a table, its paragraphs. The table and what follows it are
// set in a smaller size, so that a table of eleven columns fits the width
// of the page.
inline constexpr int punti_sezione_prospetto = 8;
// The table's headings a point smaller still: a heading of one word
// ("Addizionali") fits a column of amounts whole.
inline constexpr int punti_intestazioni_prospetto = 7;
// The width of a table's columns of amounts, in millimetres: the first
// column takes the rest of the page's width.
inline constexpr double larghezza_colonna_prospetto = 14;
struct SezioneProspetto {
  std::vector<Paragrafo> prima;
  TabellaProspetto tabella;
  std::vector<Paragrafo> dopo;
  bool operator==(const SezioneProspetto&) const = default;
};

// The page of every format: A4 portrait, margins of 2.5 cm at the top and
// 2 cm on the other sides. In millimetres.
struct PaginaProspetto {
  double larghezza = 210, altezza = 297;
  double sopra = 25, destra = 20, sotto = 20, sinistra = 20;
};
inline constexpr PaginaProspetto pagina_prospetto{};

inline constexpr std::string_view titolo_prospetto = "PROSPETTO ZELLORA";
inline constexpr std::string_view titolo_costo_lavoro = "COSTO DEL LAVORO";
inline constexpr std::string_view titolo_condizioni = "Condizioni di utilizzo :";
inline constexpr std::string_view condizioni_utilizzo =
    "Non si risponde dei danni derivanti all'azienda da vizi originari o sopravvenuti del "
    "software n\u00e8 di danni diretti od indiretti, comunque subiti dall'azienda, o da terzi, in "
    "dipendenza dall'uso o dal mancato uso del software stesso. Non si garantisce la "
    "correttezza dei conteggi, dei software, dei documenti, n\u00e8 l'aggiornamento costante "
    "degli stessi.";

// What the statement says of the calculation besides its figures: the input
// form's fields that made it and the day of the statement ("08/12/2026").
struct CalcoloProspetto {
  CampiForm1 campi;
  std::string data;
};

// The lines of the inputs, after the headings and before the figures, each
// of its own: the date, the worker's category and sector, the period, the
// direction, the family (spouse, children, other dependants), and under
// today's law the region and the comune. Their texts ("Periodo : Annuo").
std::vector<std::string> righe_calcolo_prospetto(const CalcoloProspetto& calcolo, bool attuali);

struct Prospetto {
  std::vector<Paragrafo> paragrafi;         // paragrafi[0] is the first
  std::optional<SezioneProspetto> sezione;  // the year of payslips, when given
  bool operator==(const Prospetto&) const = default;
};

// A statement, or the reason why there is none.
struct EsitoProspetto {
  std::optional<Prospetto> prospetto;
  Errore errore;  // for the operator, in Italian; empty when there is a statement
};

// Builds the statement from the results texts as displayed, the rows in the
// order of the window, each under its line of the statement (`voce_prospetto`
// of rules/righe.h). `mensile` is the input form's
// "Mensile" option: in monthly mode the cost-of-labour row adds the annual
// figure, twelve times the "Costo del Lavoro" text read back under `locale`,
// written in the locale's general number form. It names the rule set under
// the title ("Normativa 2026"); with the rows of today's law it has their
// rows too ("Ulteriore detrazione" after the other family's deduction,
// "Somma esente" and "Trattamento integrativo" before the net pay). An empty
// box gives its label alone; in monthly mode an unreadable "Costo del
// Lavoro" refuses the whole statement rather than leaving it without its
// total.
// With `calcolo`, the lines of its inputs too (righe_calcolo_prospetto),
// between the two blank lines under the headings.
EsitoProspetto componi_prospetto(const Risultati& risultati, bool mensile, const Locale& locale,
                                 const CalcoloProspetto* calcolo = nullptr);

// The year of payslips of the statement (form/buste_paga.h), "Buste paga
// dell'anno": its rule set and notes, the short table of the year with its
// line of totals and its legend, the reconciliation and next year's lines
// (form/testi_buste.h), the amounts in the format F of `locale`. Nothing for
// a year refused.
std::optional<SezioneProspetto> sezione_buste(const EsitoBuste& buste, const Locale& locale);

}  // namespace zellora
