// The rows of the result: every figure the results window shows, once, with
// what each part of the program needs to know of it. The window, the
// statement, the command line's JSON, CSV and text, and the charts all read
// this table; none of them names a row by position. Adding a row is one entry
// here and, for a new figure, its formula (the walk-through is in
// docs/architecture.md).
//
// The table is in the order of the window: the worker's panel top to bottom,
// then the employer's. Its labels are the operator's words for the figures,
// the same in every window, chart, statement and output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rules/record.h"

namespace zellora {

enum class Pannello : std::uint8_t {
  lavoratore,  // "Zellora", the worker's side
  azienda,     // "Costo del Lavoro", the employer's side; a month adds the
               // accrual of the additional monthly payments (x M / 12)
};

// The rule sets that show a row.
enum class Normative : std::uint8_t {
  tutte,        // every rule set, the rules of 2007 too
  attuali,      // only rule sets of today's law (`regole_attuali`)
  addizionali,  // only under today's law, and only in a calculation that asks for the
                // regional or municipal surcharge
};

// What a row's figure is, beyond its formula.
enum class Genere : std::uint8_t {
  cifra,        // a figure of the record
  lordo,        // the gross, which the chart of the worker's side splits
  detrazione,   // a deduction: "Irpef netta" subtracts it as shown
  imposta,      // a tax withheld (the chart of the worker's side shows the taxes first)
  irpef_netta,  // the gross tax (its formula) less the deductions as shown, never below 0:
                // a bare "0" then
  netto,        // "Netto in busta": the rows with a sign added exactly in cents, then the
                // whole euros not above the sum
  totale,       // the cost of labour, which the chart of the employer's side splits
};

struct RigaRisultato {
  std::string_view id;         // the row's name in the program
  std::string_view etichetta;  // its label in the window, the text output and the charts
  Pannello pannello;
  int segno;  // in "Netto in busta": +1 added, -1 subtracted, 0 not in it
  Normative normative;
  int casella;  // its box `TextN` in the window, the JSON and the CSV
  Genere genere;
  double (*formula)(const RecordCalcolo&);  // the figure; nothing for "Netto in busta"
  std::string_view voce_prospetto;          // its line in the statement; empty: not there
  bool grassetto = false;                   // that line in bold
};

// clang-format off
inline constexpr RigaRisultato righe_risultato[] = {
    // id, label, panel, sign, rule sets, box, kind, formula, statement line, bold
    {"retribuzione", "Retribuzione", Pannello::lavoratore, +1, Normative::tutte, 1, Genere::lordo,
     [](const RecordCalcolo& r) { return r.retribuzione_lorda; }, "Retribuzione Lorda:  ", true},
    {"ritenuta_inps", "Ritenuta Inps", Pannello::lavoratore, -1, Normative::tutte, 2, Genere::cifra,
     [](const RecordCalcolo& r) { return r.ritenuta_inps + r.contributo_aggiuntivo; },
     "Ritenuta Inps : "},
    {"ritenuta_altri_contributi", "Ritenuta Altri Contributi", Pannello::lavoratore, -1,
     Normative::tutte, 18, Genere::cifra,
     [](const RecordCalcolo& r) { return r.altri_contributi_dip; }, "Ritenuta Altri Contributi : "},
    {"ritenuta_inail", "Ritenuta Inail", Pannello::lavoratore, -1, Normative::tutte, 17,
     Genere::cifra, [](const RecordCalcolo& r) { return r.ritenuta_inail; }, "Ritenuta Inail : "},
    {"imponibile_fiscale", "Imponibile Fiscale", Pannello::lavoratore, 0, Normative::tutte, 3,
     Genere::cifra, [](const RecordCalcolo& r) { return r.imponibile_fiscale; },
     "Imponibile Fiscale : "},
    {"irpef_lorda", "Irpef Lorda", Pannello::lavoratore, 0, Normative::tutte, 4, Genere::cifra,
     [](const RecordCalcolo& r) { return r.irpef_lorda; }, "Irpef : "},
    {"detrazioni_dipendente", "Detrazioni dipendente", Pannello::lavoratore, 0, Normative::tutte, 5,
     Genere::detrazione,
     [](const RecordCalcolo& r) { return r.detrazione_dip + r.detrazione_dip_ulteriore; },
     "Detrazione Lavoro dipendente : "},
    {"detrazione_coniuge", "Detrazione coniuge", Pannello::lavoratore, 0, Normative::tutte, 6,
     Genere::detrazione,
     [](const RecordCalcolo& r) {
       return r.detrazione_coniuge + r.detrazione_coniuge_maggiorazione;
     },
     "Detrazione Coniuge : "},
    {"detrazione_figli", "Detrazione figli", Pannello::lavoratore, 0, Normative::tutte, 7,
     Genere::detrazione, [](const RecordCalcolo& r) { return r.detrazione_figli; },
     "Detrazione Figli : "},
    {"detrazione_altri", "Detrazione altri", Pannello::lavoratore, 0, Normative::tutte, 8,
     Genere::detrazione, [](const RecordCalcolo& r) { return r.detrazione_altri; },
     "Detrazione Altri Familiari : "},
    {"ulteriore_detrazione", "Ulteriore detrazione", Pannello::lavoratore, 0, Normative::attuali,
     23, Genere::detrazione, [](const RecordCalcolo& r) { return r.ulteriore_detrazione; },
     "Ulteriore detrazione : "},
    {"irpef_netta", "Irpef netta", Pannello::lavoratore, -1, Normative::tutte, 9,
     Genere::irpef_netta, [](const RecordCalcolo& r) { return r.irpef_lorda; }, "Irpef netta : "},
    {"trattenuta_non_deducibile", "Trattenuta Non deducibile", Pannello::lavoratore, -1,
     Normative::tutte, 20, Genere::cifra,
     [](const RecordCalcolo& r) { return r.trattenuta_non_deducibile; },
     "Altre Trattenute Non Deducibili: "},
    {"competenza_non_imponibile", "Competenza Non Imponibile", Pannello::lavoratore, +1,
     Normative::tutte, 21, Genere::cifra,
     [](const RecordCalcolo& r) { return r.competenza_non_imponibile; },
     "Altre Competenze Non Imponibili : "},
    {"somma_esente", "Somma esente", Pannello::lavoratore, +1, Normative::attuali, 22,
     Genere::cifra, [](const RecordCalcolo& r) { return r.somma_esente; }, "Somma esente : "},
    {"trattamento_integrativo", "Trattamento integrativo", Pannello::lavoratore, +1,
     Normative::attuali, 24, Genere::cifra,
     [](const RecordCalcolo& r) { return r.trattamento_integrativo; },
     "Trattamento integrativo : "},
    {"addizionale_regionale", "Addizionale regionale", Pannello::lavoratore, -1,
     Normative::addizionali, 25, Genere::imposta,
     [](const RecordCalcolo& r) { return r.addizionale_regionale; }, "Addizionale regionale : "},
    {"addizionale_comunale", "Addizionale comunale", Pannello::lavoratore, -1,
     Normative::addizionali, 26, Genere::imposta,
     [](const RecordCalcolo& r) { return r.addizionale_comunale; }, "Addizionale comunale : "},
    {"netto_in_busta", "Netto in busta", Pannello::lavoratore, 0, Normative::tutte, 10,
     Genere::netto, nullptr, "Retribuzione Netta : ", true},

    {"retribuzione_azienda", "Retribuzione **", Pannello::azienda, 0, Normative::tutte, 11,
     Genere::cifra, [](const RecordCalcolo& r) { return r.retribuzione_lorda; },
     "Retribuzione (comprese mensilit\u00e0 aggiuntive) ", true},
    {"inps_azienda", "Inps c/azienda", Pannello::azienda, 0, Normative::tutte, 12, Genere::cifra,
     [](const RecordCalcolo& r) { return r.inps_azienda; }, "Contributi Inps c/azienda :  "},
    {"altri_contributi_azienda", "Altri Contributi", Pannello::azienda, 0, Normative::tutte, 19,
     Genere::cifra, [](const RecordCalcolo& r) { return r.altri_contributi_az; },
     "Altri contributi c/azienda "},
    {"premio_inail", "Premio Inail", Pannello::azienda, 0, Normative::tutte, 13, Genere::cifra,
     [](const RecordCalcolo& r) { return r.premio_inail; }, "Premio Inail : "},
    {"irap", "Irap", Pannello::azienda, 0, Normative::tutte, 14, Genere::cifra,
     [](const RecordCalcolo& r) { return r.irap; }, "Irap : "},
    {"tfr", "Trattamento Fine Rapporto", Pannello::azienda, 0, Normative::tutte, 15, Genere::cifra,
     [](const RecordCalcolo& r) { return r.tfr; }, "Trattamento Fine Rapporto : "},
    {"costo_lavoro", "Costo del Lavoro", Pannello::azienda, 0, Normative::tutte, 16,
     Genere::totale, [](const RecordCalcolo& r) { return r.costo_lavoro; }, "Costo del Lavoro : ",
     true},
};
// clang-format on

inline constexpr std::size_t numero_righe = std::size(righe_risultato);

// Whether a result shows the row: `attuali` for a rule set of today's law,
// `addizionali` for a calculation that asks for the surcharges (only under
// today's law).
constexpr bool mostrata(const RigaRisultato& riga, bool attuali, bool addizionali) {
  switch (riga.normative) {
    case Normative::tutte:
      return true;
    case Normative::attuali:
      return attuali;
    case Normative::addizionali:
      return attuali && addizionali;
  }
  return false;
}

// The boxes: `Text1` to `TextN`, one per row.
inline constexpr int caselle_risultato = [] {
  int n = 0;
  for (const RigaRisultato& r : righe_risultato) n = r.casella > n ? r.casella : n;
  return n;
}();

// The boxes a result shows: those of every rule set come first (`Text1` to
// `Text21`, the window of 2007), then those of today's law (to `Text24`),
// then the surcharges when asked for.
constexpr int caselle_mostrate(bool attuali, bool addizionali) {
  int n = 0;
  for (const RigaRisultato& r : righe_risultato) n += mostrata(r, attuali, addizionali) ? 1 : 0;
  return n;
}

// The row of a box, and the row of an id (a name the table does not hold is
// a compile error where the answer is a constant).
constexpr std::size_t riga_della_casella(int casella) {
  for (std::size_t i = 0; i < numero_righe; ++i) {
    if (righe_risultato[i].casella == casella) return i;
  }
  throw "no row has this box";
}

constexpr std::size_t riga(std::string_view id) {
  for (std::size_t i = 0; i < numero_righe; ++i) {
    if (righe_risultato[i].id == id) return i;
  }
  throw "no row has this id";
}

// The one row of a kind (the gross, the net, the cost of labour).
constexpr std::size_t riga_del_genere(Genere genere) {
  for (std::size_t i = 0; i < numero_righe; ++i) {
    if (righe_risultato[i].genere == genere) return i;
  }
  throw "no row of this kind";
}

namespace controlli_righe {

constexpr bool caselle_in_ordine() {
  // Every box from 1 to caselle_risultato belongs to one row, and the boxes of
  // every rule set come before those of today's law, and those before the
  // surcharges'.
  for (int n = 1; n <= caselle_risultato; ++n) {
    int quante = 0;
    for (const RigaRisultato& r : righe_risultato) {
      if (r.casella == n) {
        ++quante;
        if ((r.normative == Normative::tutte) != (n <= caselle_mostrate(false, false))) {
          return false;
        }
        if ((r.normative == Normative::addizionali) != (n > caselle_mostrate(true, false))) {
          return false;
        }
      }
    }
    if (quante != 1) return false;
  }
  return static_cast<std::size_t>(caselle_risultato) == numero_righe;
}

constexpr bool generi_validi() {
  int lordo = 0, netto = 0, totale = 0, irpef_netta = 0;
  for (const RigaRisultato& r : righe_risultato) {
    // (Every row but the net has a formula: the sanitizers' builds cannot
    // compare the lambdas' function pointers in a constant expression, so
    // the results' tests see to it.)
    if (r.segno < -1 || r.segno > 1) return false;
    if (r.pannello == Pannello::azienda && r.segno != 0) return false;
    if (r.normative != Normative::tutte && r.genere != Genere::cifra &&
        r.genere != Genere::detrazione && r.genere != Genere::imposta) {
      return false;
    }
    lordo += r.genere == Genere::lordo ? 1 : 0;
    netto += r.genere == Genere::netto ? 1 : 0;
    totale += r.genere == Genere::totale ? 1 : 0;
    irpef_netta += r.genere == Genere::irpef_netta ? 1 : 0;
  }
  // The gross and the net in the worker's panel, the cost of labour in the
  // employer's; the net added to nothing else.
  const RigaRisultato& g = righe_risultato[riga_del_genere(Genere::lordo)];
  const RigaRisultato& n = righe_risultato[riga_del_genere(Genere::netto)];
  const RigaRisultato& t = righe_risultato[riga_del_genere(Genere::totale)];
  return lordo == 1 && netto == 1 && totale == 1 && irpef_netta == 1 &&
         g.pannello == Pannello::lavoratore && g.segno == 1 && n.pannello == Pannello::lavoratore &&
         n.segno == 0 && t.pannello == Pannello::azienda;
}

constexpr bool pannelli_contigui() {
  // The worker's rows, then the employer's.
  bool azienda = false;
  for (const RigaRisultato& r : righe_risultato) {
    if (r.pannello == Pannello::azienda) azienda = true;
    if (azienda && r.pannello == Pannello::lavoratore) return false;
  }
  return true;
}

constexpr bool detrazioni_prima_della_irpef_netta() {
  // "Irpef netta" subtracts every deduction: they come before it.
  for (std::size_t i = riga_del_genere(Genere::irpef_netta); i < numero_righe; ++i) {
    if (righe_risultato[i].genere == Genere::detrazione) return false;
  }
  return true;
}

static_assert(caselle_in_ordine(), "the boxes must be 1 to N, those of every rule set first");
static_assert(generi_validi(), "one gross, one net, one net IRPEF, one cost of labour");
static_assert(pannelli_contigui(), "the worker's rows come before the employer's");
static_assert(detrazioni_prima_della_irpef_netta(), "the deductions come before the net IRPEF");

}  // namespace controlli_righe

}  // namespace zellora
