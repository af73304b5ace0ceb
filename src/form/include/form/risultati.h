// The results window's 21 texts, filled from the calculation record: every
// amount in the format F, net IRPEF and net pay derived from the texts as
// displayed, and the cost-of-labour panel scaled in monthly mode.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "numbers/numeri.h"
#include "rules/record.h"

namespace zellora {

struct Risultati {
  std::array<std::string, 24> testi;  // testi[0] is `Text1`
  // The rule set's name, and whether it has the rows of today's law:
  // "Somma esente" (`Text22`), "Ulteriore detrazione" (`Text23`) and
  // "Trattamento integrativo" (`Text24`). Without them (the rules of 2007)
  // the window has the 21 boxes of the original.
  std::string normativa;
  bool righe_attuali = false;
  int numero_caselle() const { return righe_attuali ? 24 : 21; }

  const std::string& Text(int n) const { return testi.at(static_cast<std::size_t>(n - 1)); }
  std::string& Text(int n) { return testi.at(static_cast<std::size_t>(n - 1)); }
  bool operator==(const Risultati&) const = default;
};

// A row of the results window: its label and the number of its box.
struct RigaRisultati {
  std::string_view etichetta;
  int box;
};

// The worker's side ("Zellora"), top to bottom.
inline constexpr std::array<RigaRisultati, 14> righe_lavoratore = {{
    {"Retribuzione", 1},
    {"Ritenuta Inps", 2},
    {"Ritenuta Altri Contributi", 18},
    {"Ritenuta Inail", 17},
    {"Imponibile Fiscale", 3},
    {"Irpef Lorda", 4},
    {"Detrazioni dipendente", 5},
    {"Detrazione coniuge", 6},
    {"Detrazione figli", 7},
    {"Detrazione altri", 8},
    {"Irpef netta", 9},
    {"Trattenuta Non deducibile", 20},
    {"Competenza Non Imponibile", 21},
    {"Netto in busta", 10},
}};

// The worker's side under today's law: the rows above with "Ulteriore
// detrazione" after "Detrazione altri", and "Somma esente" and
// "Trattamento integrativo" before "Netto in busta".
inline constexpr std::array<RigaRisultati, 17> righe_lavoratore_attuali = [] {
  std::array<RigaRisultati, 17> righe{};
  std::size_t k = 0;
  for (const RigaRisultati& riga : righe_lavoratore) {
    if (riga.box == 9) righe[k++] = {"Ulteriore detrazione", 23};
    if (riga.box == 10) {
      righe[k++] = {"Somma esente", 22};
      righe[k++] = {"Trattamento integrativo", 24};
    }
    righe[k++] = riga;
  }
  return righe;
}();

// The employer's side ("Costo del Lavoro"), top to bottom.
inline constexpr std::array<RigaRisultati, 7> righe_azienda = {{
    {"Retribuzione **", 11},
    {"Inps c/azienda", 12},
    {"Altri Contributi", 19},
    {"Premio Inail", 13},
    {"Irap", 14},
    {"Trattamento Fine Rapporto", 15},
    {"Costo del Lavoro", 16},
}};

inline constexpr std::string_view titolo_risultati = "Risultato Calcolo";
inline constexpr std::string_view nota_retribuzione =
    "** se \u00e8 stato effettuato il calcolo mensile, la retribuzione \u00e8 comprensiva dei "
    "ratei di mensilit\u00e0 aggiuntive";

// "Netto in busta" as the results window shows it for the record, in whole
// euros: the balance of the figures shown, added exactly in cents. Nothing
// when a figure it needs cannot be shown. The window derives its net through
// the same steps, so the two never disagree.
std::optional<double> netto_in_busta(const RecordCalcolo& record);

// The same as a number, not a number when a figure cannot be shown: the net
// the net-to-gross search compares with the net wanted.
double netto_mostrato(const RecordCalcolo& record);

// The largest figure the results window shows to the cent. Every figure
// read from the record stays below it, so that the two derived from them
// (net IRPEF and "Netto in busta", sums of at most seven figures) stay
// below 1e13 euro, where a double still holds every cent of fifteen digits.
inline constexpr double cifra_massima = 1e12;

// True when every figure the fill takes from the record (the worker's side,
// and the employer's side scaled as the fill scales it) is a number below
// `cifra_massima` in size: the window can then show each of them, and the
// two derived from them, exactly to the cent.
bool cifre_mostrabili(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                      const Locale& locale);

// The figures the results window shows for the record, in whole cents, by
// box (`cifre[0]` is `Text1`); nothing for a box left empty. The employer's
// side is scaled as the fill scales it, and with `righe_attuali` the three
// boxes of today's law are there too. The same steps as the fill, without
// making any text: the charts split these figures.
struct CifreMostrate {
  std::array<std::optional<std::int64_t>, 24> centesimi{};
  const std::optional<std::int64_t>& box(int n) const {
    return centesimi.at(static_cast<std::size_t>(n - 1));
  }
};
CifreMostrate cifre_mostrate(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                             const Locale& locale, bool righe_attuali);

// The fill procedure. `mensile` is the input form's "Mensile" option and
// `mensilita` the text of its "Numero mensilità retribuite", as they stand
// when the window is filled. A figure that cannot be shown leaves its box
// empty; an empty or negative net IRPEF shows a bare "0". With
// `righe_attuali` (a rule set of today's law) the three boxes `Text22` to
// `Text24` are filled too: "Irpef netta" subtracts "Ulteriore detrazione"
// last, and "Netto in busta" adds "Somma esente" and "Trattamento
// integrativo", in exact cents as the other figures shown.
Risultati riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                           const Locale& locale, bool righe_attuali = false);

// The same into the texts of an existing window: every box is cleared, then
// filled.
void riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                      const Locale& locale, Risultati& finestra, bool righe_attuali = false);

}  // namespace zellora
