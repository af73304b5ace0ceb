#include "cli/uscita_buste.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "cli/uscita.h"

namespace zellora {

namespace {

// A column of the year: its name in JSON and CSV, its label (the results
// window's where the figure is the same), the figure.
struct Colonna {
  std::string_view nome;
  std::string_view etichetta;
  std::int64_t (*cifra)(const BustaPaga&);
};

// clang-format off
constexpr std::array<Colonna, 21> colonne = {{
    {"gross", "Retribuzione", [](const BustaPaga& b) { return b.lordo; }},
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
    {"net", "Netto in busta", [](const BustaPaga& b) { return b.netto; }},
    {"deductions", "Detrazioni", [](const BustaPaga& b) {
       return b.detrazione_dip + b.detrazione_coniuge + b.detrazione_figli + b.detrazione_altri +
              b.ulteriore_detrazione; }},
    {"surcharges", "Addizionali", [](const BustaPaga& b) {
       return b.regionale + b.comunale_saldo + b.comunale_acconto; }},
}};
// clang-format on

// The columns of JSON and CSV: all but the two sums of the text table.
constexpr std::size_t colonne_dati = 19;

std::string_view nome_tipo(TipoBusta tipo) {
  switch (tipo) {
    case TipoBusta::ordinaria:
      return "ordinaria";
    case TipoBusta::tredicesima:
      return "tredicesima";
    case TipoBusta::quattordicesima:
      return "quattordicesima";
    case TipoBusta::conguaglio:
      return "conguaglio";
  }
  return "ordinaria";
}

std::string_view nome_quota(QuotaDetrazioni q) {
  return q == QuotaDetrazioni::giorni ? "days" : "twelfths";
}

std::string_view nome_proiezione(Proiezione p) {
  return p == Proiezione::mensilita ? "payments" : "year-to-date";
}

constexpr std::array<std::string_view, 12> mesi = {"gennaio",   "febbraio", "marzo",    "aprile",
                                                   "maggio",    "giugno",   "luglio",   "agosto",
                                                   "settembre", "ottobre",  "novembre", "dicembre"};

// Cents as a plain decimal with '.', "-0.05", "1234.50".
void aggiungi_euro(std::string& out, std::int64_t c) {
  if (c < 0) out += '-';
  const std::uint64_t a = c < 0 ? 0 - static_cast<std::uint64_t>(c) : static_cast<std::uint64_t>(c);
  out += std::to_string(a / 100);
  out += '.';
  const auto resto = static_cast<unsigned>(a % 100);
  out += static_cast<char>('0' + resto / 10);
  out += static_cast<char>('0' + resto % 10);
}

void membro(std::string& out, std::string_view nome, bool primo = false) {
  if (!primo) out += ',';
  aggiungi_stringa_json(out, nome);
  out += ':';
}

void membro_euro(std::string& out, std::string_view nome, std::int64_t c) {
  membro(out, nome);
  aggiungi_euro(out, c);
}

// A line of the year; the totals without a month and a kind.
void busta_json(std::string& out, const BustaPaga& b, bool totale = false) {
  out += '{';
  if (!totale) {
    membro(out, "month", true);
    out += std::to_string(b.mese);
    membro(out, "kind");
    aggiungi_stringa_json(out, nome_tipo(b.tipo));
  }
  for (std::size_t i = 0; i < colonne_dati; ++i) {
    membro(out, colonne[i].nome, totale && i == 0);
    aggiungi_euro(out, colonne[i].cifra(b));
  }
  if (!totale && b.tipo == TipoBusta::ordinaria) {
    membro_euro(out, "projected_income", static_cast<std::int64_t>(b.reddito_previsto * 100 + 0.5));
  }
  out += '}';
}

// The lines of the reconciliation: what each is and its cents.
struct Voce {
  std::string_view nome;
  std::string testo;
  std::int64_t centesimi;
};

std::vector<Voce> riconciliazione(const AnnoBuste& a) {
  const BustaPaga& t = a.totale;
  std::vector<Voce> v;
  v.push_back({"net_irpef_of_the_year",
               "Irpef netta dell'anno sull'imponibile delle buste (conguaglio)",
               a.irpef_netta_annua});
  v.push_back({"net_irpef_withheld", "Irpef netta trattenuta nelle buste", t.irpef_netta});
  v.push_back({"further_deduction_recovered_next_year",
               "Ulteriore detrazione non spettante, recuperata l'anno prossimo",
               a.irpef_netta_annua - t.irpef_netta});
  v.push_back({"net_of_the_annual_calculation",
               "Netto dell'anno del calcolo annuo (prima degli euro interi)", a.netto_calcolo});
  v.push_back({"contributions_annual_less_payslips",
               "Contributi del calcolo annuo, meno quelli arrotondati busta per busta",
               a.contributi_calcolo - (t.inps + t.aggiuntivo + t.altri + t.inail)});
  v.push_back({"net_irpef_annual_less_payslips",
               "Irpef netta del calcolo annuo, meno quella delle buste",
               a.irpef_netta_calcolo - t.irpef_netta});
  v.push_back({"tax_free_sum_and_integrative_payslips_less_annual",
               "Somma esente e trattamento integrativo delle buste, meno quelli del calcolo annuo",
               t.somma_esente + t.trattamento_integrativo - a.cuneo_calcolo});
  v.push_back({"surcharges_annual_less_withheld",
               "Addizionali dell'anno (dovute l'anno prossimo), meno quelle trattenute nelle buste",
               a.addizionali_calcolo - (t.regionale + t.comunale_saldo + t.comunale_acconto)});
  v.push_back({"net_of_the_payslips", "Netto in busta dell'anno", t.netto});
  return v;
}

}  // namespace

std::string uscita_buste_json(const EsitoBuste& e, const std::string& normativa) {
  std::string out = "{";
  membro(out, "status", true);
  aggiungi_stringa_json(out, nome_stato(e.esito.stato));
  membro(out, "messages");
  out += '[';
  for (std::size_t i = 0; i < e.esito.messaggi.size(); ++i) {
    if (i > 0) out += ',';
    aggiungi_stringa_json(out, e.esito.messaggi[i]);
  }
  out += ']';
  if (e.anno) {
    const AnnoBuste& a = *e.anno;
    const DatiBuste& d = e.dati;
    membro(out, "rules");
    aggiungi_stringa_json(out, normativa);
    membro(out, "notes");
    out += '[';
    for (std::size_t i = 0; i < e.note.size(); ++i) {
      if (i > 0) out += ',';
      aggiungi_stringa_json(out, e.note[i]);
    }
    out += ']';
    membro(out, "options");
    out += '{';
    membro(out, "monthly_gross", true);
    aggiungi_euro(out, d.lordo_mensile);
    membro(out, "payments");
    out += std::to_string(d.mensilita);
    membro(out, "fourteenth_in");
    out += std::to_string(d.mese_quattordicesima);
    membro(out, "first_month");
    out += std::to_string(d.primo_mese);
    membro(out, "last_month");
    out += std::to_string(d.ultimo_mese);
    membro(out, "deductions");
    aggiungi_stringa_json(out, nome_quota(d.quota));
    membro(out, "projection");
    aggiungi_stringa_json(out, nome_proiezione(d.proiezione));
    membro(out, "days");
    out += std::to_string(a.giorni);
    out += '}';
    membro(out, "previous_year");
    out += '{';
    membro(out, "rules", true);
    if (e.normativa_precedente.empty()) {
      out += "null";
    } else {
      aggiungi_stringa_json(out, e.normativa_precedente);
    }
    membro(out, "known");
    out += d.precedente.noto && d.primo_mese == 1 ? "true" : "false";
    membro_euro(out, "regional_surcharge", d.precedente.regionale);
    membro_euro(out, "municipal_surcharge", d.precedente.comunale);
    membro_euro(out, "municipal_advance_paid", d.precedente.acconto_pagato);
    membro_euro(out, "municipal_advance", d.precedente.acconto);
    out += '}';
    membro(out, "payslips");
    out += '[';
    for (std::size_t i = 0; i < a.buste.size(); ++i) {
      if (i > 0) out += ',';
      busta_json(out, a.buste[i]);
    }
    out += ']';
    membro(out, "totals");
    busta_json(out, a.totale, true);
    membro(out, "year");
    out += '{';
    membro(out, "net_irpef", true);
    aggiungi_euro(out, a.irpef_netta_annua);
    membro_euro(out, "further_deduction", a.ulteriore_detrazione_annua);
    membro_euro(out, "tax_free_sum", a.somma_esente_annua);
    membro_euro(out, "integrative_treatment", a.integrativo_annuo);
    membro_euro(out, "additional_contribution", a.aggiuntivo_annuo);
    out += '}';
    membro(out, "reconciliation");
    out += '{';
    bool primo = true;
    for (const Voce& v : riconciliazione(a)) {
      membro(out, v.nome, primo);
      aggiungi_euro(out, v.centesimi);
      primo = false;
    }
    out += '}';
    membro(out, "next_year");
    out += '{';
    membro(out, "regional_surcharge", true);
    aggiungi_euro(out, a.regionale_annua);
    membro_euro(out, "municipal_surcharge", a.comunale_annua);
    membro_euro(out, "municipal_advance", a.acconto_prossimo);
    membro_euro(out, "tax_free_sum_and_further_deduction_recovery", a.recupero_cuneo.importo);
    membro(out, "tax_free_sum_and_further_deduction_instalments");
    out += std::to_string(a.recupero_cuneo.rate);
    membro_euro(out, "integrative_treatment_recovery", a.recupero_integrativo.importo);
    membro(out, "integrative_treatment_instalments");
    out += std::to_string(a.recupero_integrativo.rate);
    out += '}';
    membro(out, "irpef_debt_exceeds_pay");
    out += a.incapiente ? "true" : "false";
  }
  out += "}\n";
  return out;
}

std::string uscita_buste_csv(const EsitoBuste& e, char sep) {
  std::string out = "month";
  out += sep;
  out += "kind";
  for (std::size_t i = 0; i < colonne_dati; ++i) {
    out += sep;
    out += colonne[i].nome;
  }
  out += '\n';
  if (!e.anno) return out;
  const auto riga = [&](const BustaPaga& b, std::string_view mese) {
    out += mese;
    out += sep;
    out += nome_tipo(b.tipo);
    for (std::size_t i = 0; i < colonne_dati; ++i) {
      out += sep;
      aggiungi_euro(out, colonne[i].cifra(b));
    }
    out += '\n';
  };
  for (const BustaPaga& b : e.anno->buste) riga(b, std::to_string(b.mese));
  out += "total";
  out += sep;
  for (std::size_t i = 0; i < colonne_dati; ++i) {
    out += sep;
    aggiungi_euro(out, colonne[i].cifra(e.anno->totale));
  }
  out += '\n';
  return out;
}

std::string uscita_buste_testo(const EsitoBuste& e, const std::string& normativa,
                               const Locale& locale) {
  std::string out;
  for (const std::string& m : e.esito.messaggi) out += m + "\n";
  if (!e.anno) return out;
  const AnnoBuste& a = *e.anno;
  out += "Buste paga dell'anno (normativa " + normativa + ")\n";
  for (const std::string& n : e.note) out += n + "\n";
  out += '\n';
  // The table: the month, the payslip, then the figures of the columns
  // below, each right-aligned.
  constexpr std::array<std::size_t, 10> scelte = {0, 1, 5, 6, 19, 12, 13, 14, 20, 18};
  constexpr std::size_t larghezza = 12;
  const auto cella = [&out](std::string_view testo, std::size_t l, bool destra) {
    const std::size_t n =
        static_cast<std::size_t>(std::count_if(testo.begin(), testo.end(), [](char c) {
          return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    if (destra && n < l) out.append(l - n, ' ');
    out += testo;
    if (!destra && n < l) out.append(l - n, ' ');
  };
  const std::array<std::string_view, 10> intestazioni = {
      "Lordo",       "Inps",      "Imponibile",  "Irpef lorda", "Detrazioni",
      "Irpef netta", "Somma es.", "Tratt. int.", "Addizionali", "Netto"};
  cella("Mese", 10, false);
  cella("Busta", 16, false);
  for (std::string_view h : intestazioni) cella(h, larghezza, true);
  out += '\n';
  const auto riga = [&](const BustaPaga& b, std::string_view mese, std::string_view tipo) {
    cella(mese, 10, false);
    cella(tipo, 16, false);
    for (std::size_t k = 0; k < 10; ++k) {
      cella(formato_F_centesimi(colonne[scelte[k]].cifra(b), locale), larghezza, true);
    }
    out += '\n';
  };
  for (const BustaPaga& b : a.buste)
    riga(b, mesi[static_cast<std::size_t>(b.mese - 1)], nome_tipo(b.tipo));
  riga(a.totale, "Totale", "");
  out +=
      "\nLordo: Retribuzione; Inps: Ritenuta Inps (con il contributo aggiuntivo 1%); Somma "
      "es.: Somma esente; Tratt. int.: Trattamento integrativo; Addizionali: rate delle "
      "addizionali dell'anno precedente e acconto comunale dell'anno.\n\nRiconciliazione\n";
  for (const Voce& v : riconciliazione(a)) {
    out += "  ";
    cella(v.testo, 84, false);
    cella(formato_F_centesimi(v.centesimi, locale), 14, true);
    out += '\n';
  }
  out += "\nL'anno prossimo\n";
  const auto voce = [&](std::string_view testo, std::int64_t c) {
    out += "  ";
    cella(testo, 84, false);
    cella(formato_F_centesimi(c, locale), 14, true);
    out += '\n';
  };
  voce("Addizionale regionale dell'anno, in 11 rate da gennaio", a.regionale_annua);
  voce("Addizionale comunale dell'anno (il saldo, meno l'acconto, in 11 rate)", a.comunale_annua);
  voce("Acconto comunale dell'anno prossimo, in 9 rate da marzo", a.acconto_prossimo);
  if (a.recupero_cuneo.importo > 0) {
    voce("Somma esente e ulteriore detrazione da restituire, in 10 rate", a.recupero_cuneo.importo);
  }
  if (a.recupero_integrativo.importo > 0) {
    voce("Trattamento integrativo da restituire, in 8 rate", a.recupero_integrativo.importo);
  }
  if (a.incapiente) {
    out +=
        "\nL'Irpef del conguaglio supera la retribuzione del mese: il lavoratore pu\u00f2 "
        "versare la differenza o chiedere per iscritto che sia trattenuta sulle retribuzioni "
        "successive, con l'interesse dello 0,50% mensile (DPR 600/1973 art. 23 c. 3).\n";
  }
  return out;
}

}  // namespace zellora
