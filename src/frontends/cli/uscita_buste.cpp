#include "cli/uscita_buste.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "cli/uscita.h"
#include "form/testi_buste.h"

namespace zellora {

namespace {

std::string_view nome_quota(QuotaDetrazioni q) {
  return q == QuotaDetrazioni::giorni ? "days" : "twelfths";
}

std::string_view nome_proiezione(Proiezione p) {
  return p == Proiezione::mensilita ? "payments" : "year-to-date";
}

// Cents as a plain decimal with '.', "-0.05", "1234.50", written at `p`
// (at most 23 characters); the end.
char* scrivi_euro(char* p, std::int64_t c) {
  const std::uint64_t a = c < 0 ? 0 - static_cast<std::uint64_t>(c) : static_cast<std::uint64_t>(c);
  if (c < 0) *p++ = '-';
  p = std::to_chars(p, p + 20, a / 100).ptr;
  const auto resto = static_cast<unsigned>(a % 100);
  *p++ = '.';
  *p++ = static_cast<char>('0' + resto / 10);
  *p++ = static_cast<char>('0' + resto % 10);
  return p;
}

void aggiungi_euro(std::string& out, std::int64_t c) {
  char testo[24];
  out.append(testo, scrivi_euro(testo, c));
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
    aggiungi_stringa_json(out, nome_tipo_busta(b.tipo));
  }
  for (std::size_t i = 0; i < colonne_buste_dati; ++i) {
    membro(out, colonne_buste[i].nome, totale && i == 0);
    aggiungi_euro(out, colonne_buste[i].cifra(b));
  }
  if (!totale && b.tipo == TipoBusta::ordinaria) {
    membro_euro(out, "projected_income", static_cast<std::int64_t>(b.reddito_previsto * 100 + 0.5));
  }
  out += '}';
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
    membro(out, "rules");
    aggiungi_stringa_json(out, normativa);
  }
  aggiungi_anno_json(out, e);
  out += "}\n";
  return out;
}

void aggiungi_anno_json(std::string& out, const EsitoBuste& e) {
  if (e.anno) {
    const AnnoBuste& a = *e.anno;
    const DatiBuste& d = e.dati;
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
    for (const VoceBuste& v : riconciliazione_buste(a)) {
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
}

void aggiungi_intestazione_buste_csv(std::string& out, char sep) {
  out += "month";
  out += sep;
  out += "kind";
  for (std::size_t i = 0; i < colonne_buste_dati; ++i) {
    out += sep;
    out += colonne_buste[i].nome;
  }
}

void aggiungi_busta_csv(std::string& out, const BustaPaga& b, char sep) {
  // Written in place, then added to the row at once: a staff's years write
  // millions of lines.
  std::array<char, 32 + colonne_buste_dati * 24> testo;
  char* p = std::to_chars(testo.data(), testo.data() + 8, b.mese).ptr;
  *p++ = sep;
  const std::string_view tipo = nome_tipo_busta(b.tipo);
  p = std::copy(tipo.begin(), tipo.end(), p);
  for (std::size_t i = 0; i < colonne_buste_dati; ++i) {
    *p++ = sep;
    p = scrivi_euro(p, colonne_buste[i].cifra(b));
  }
  out.append(testo.data(), p);
}

std::string uscita_buste_csv(const EsitoBuste& e, char sep) {
  std::string out;
  aggiungi_intestazione_buste_csv(out, sep);
  out += '\n';
  if (!e.anno) return out;
  for (const BustaPaga& b : e.anno->buste) {
    aggiungi_busta_csv(out, b, sep);
    out += '\n';
  }
  out += "total";
  out += sep;
  for (std::size_t i = 0; i < colonne_buste_dati; ++i) {
    out += sep;
    aggiungi_euro(out, colonne_buste[i].cifra(e.anno->totale));
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
  out += titolo_anno_buste(normativa) + "\n";
  for (const std::string& n : e.note) out += n + "\n";
  out += '\n';
  // The table: the month, the payslip, then the figures of the columns
  // below, each right-aligned.
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
  cella("Mese", 10, false);
  cella(intestazione_busta, 16, false);
  for (const ColonnaBreve& c : tabella_breve_buste) cella(c.intestazione, larghezza, true);
  out += '\n';
  const auto riga = [&](const BustaPaga& b, std::string_view mese, std::string_view tipo) {
    cella(mese, 10, false);
    cella(tipo, 16, false);
    for (const ColonnaBreve& c : tabella_breve_buste) {
      cella(formato_F_centesimi(colonne_buste[c.colonna].cifra(b), locale), larghezza, true);
    }
    out += '\n';
  };
  for (const BustaPaga& b : a.buste) riga(b, nome_mese(b.mese), nome_tipo_busta(b.tipo));
  riga(a.totale, riga_totale_buste, "");
  out += "\n";
  out += legenda_buste;
  out += "\n\n";
  out += titolo_riconciliazione_buste;
  out += '\n';
  for (const VoceBuste& v : riconciliazione_buste(a)) {
    out += "  ";
    cella(v.testo, 84, false);
    cella(formato_F_centesimi(v.centesimi, locale), 14, true);
    out += '\n';
  }
  out += '\n';
  out += titolo_anno_prossimo_buste;
  out += '\n';
  const auto voce = [&](std::string_view testo, std::int64_t c) {
    out += "  ";
    cella(testo, 84, false);
    cella(formato_F_centesimi(c, locale), 14, true);
    out += '\n';
  };
  for (const VoceBuste& v : anno_prossimo_buste(a)) voce(v.testo, v.centesimi);
  if (a.incapiente) {
    out += "\n";
    out += testo_incapiente;
    out += "\n";
  }
  return out;
}

}  // namespace zellora
