#include "cli/opzioni_buste.h"

#include <charconv>
#include <cmath>

#include "base/citazione.h"

namespace zellora {

namespace {

// MONTH:AMOUNT, the amount with '.' as the decimal sign.
bool mese_importo(const std::string& v, bool negativo, std::pair<int, double>& letto) {
  const std::size_t due_punti = v.find(':');
  if (due_punti == std::string::npos) return false;
  int mese = 0;
  double importo = 0;
  const char* fine = v.data() + v.size();
  const char* inizio = v.data() + due_punti + 1;
  if (negativo && inizio < fine && *inizio == '-') ++inizio;
  if (std::from_chars(v.data(), v.data() + due_punti, mese).ptr != v.data() + due_punti ||
      std::from_chars(inizio, fine, importo).ptr != fine || inizio == fine) {
    return false;
  }
  if (inizio != v.data() + due_punti + 1) importo = -importo;
  if (mese < 1 || mese > 12 || !std::isfinite(importo) || std::fabs(importo) >= 1e9) return false;
  if (!negativo && importo < 0) return false;
  letto = {mese, importo};
  return true;
}

}  // namespace

std::string completa_opzioni_buste(ArgomentiBuste& a) {
  OpzioniBuste& o = a.opzioni;
  const std::vector<std::string>& variazioni = a.variazioni;
  const std::vector<std::string>& una_tantum = a.una_tantum;
  const std::string& quota = a.quota;
  const std::string& proiezione = a.proiezione;
  o.variazioni.clear();
  o.una_tantum.clear();
  if (o.primo_mese < 1 || o.primo_mese > 12 || o.ultimo_mese < 1 || o.ultimo_mese > 12) {
    return "payslips: --from-month and --to-month are months, 1 to 12";
  }
  if (o.primo_mese > o.ultimo_mese) return "payslips: --from-month is after --to-month";
  if (o.mese_quattordicesima != 6 && o.mese_quattordicesima != 7) {
    return "payslips: --fourteenth-in is 6 (June) or 7 (July)";
  }
  if (o.mensilita && (*o.mensilita < 12 || *o.mensilita > 14)) {
    return "payslips: --payments is 12, 13 or 14";
  }
  for (const std::string& v : variazioni) {
    std::pair<int, double> letto;
    if (!mese_importo(v, false, letto)) {
      return "payslips: --gross-from takes MONTH:GROSS, e.g. 7:2200.50 (month 1 to 12, a gross "
             "of 0 or more), not " +
             citazione(v);
    }
    o.variazioni.push_back(letto);
  }
  for (const std::string& v : una_tantum) {
    std::pair<int, double> letto;
    if (!mese_importo(v, true, letto)) {
      return "payslips: --extra takes MONTH:AMOUNT, e.g. 1:600 or 12:-800 (month 1 to 12), "
             "not " +
             citazione(v);
    }
    o.una_tantum.push_back(letto);
  }
  o.quota = quota == "twelfths" ? QuotaDetrazioni::dodicesimi : QuotaDetrazioni::giorni;
  o.proiezione = proiezione == "year-to-date" ? Proiezione::progressiva : Proiezione::mensilita;
  for (const std::optional<double>* importo :
       {&o.imponibile_precedente, &o.regionale_precedente, &o.comunale_precedente,
        &o.acconto_pagato, &o.acconto}) {
    if (*importo && (!std::isfinite(**importo) || **importo < 0 || **importo >= 1e12)) {
      return "payslips: last year's amounts are of 0 or more";
    }
  }
  return "";
}

void aggiungi_opzioni_buste(CLI::App& comando, ArgomentiBuste& a) {
  comando.add_option("--payments", a.opzioni.mensilita,
                     "monthly payments of the year: 12, 13 or 14 (default: Text7 in "
                     "\"Mensile\", 13 in \"Annuo\")");
  comando.add_option("--fourteenth-in", a.opzioni.mese_quattordicesima,
                     "the month of the fourteenth: 6 or 7 (default 7)");
  comando.add_option("--from-month", a.opzioni.primo_mese,
                     "the first month worked, 1 to 12 (default 1: in service from last "
                     "year)");
  comando.add_option("--to-month", a.opzioni.ultimo_mese,
                     "the last month worked, 1 to 12 (default 12: in service at the end "
                     "of the year; before, a termination)");
  comando.add_option("--gross-from", a.variazioni,
                     "MONTH:GROSS, the monthly gross from that month on (a raise); may be "
                     "given more than once; '.' is the decimal sign");
  comando.add_option("--extra", a.una_tantum,
                     "MONTH:AMOUNT, an amount added to that month's ordinary payslip (a "
                     "bonus) or, negative, taken from it (an unpaid leave); the "
                     "additional payments do not follow it; may be given more than once");
  comando
      .add_option("--deductions", a.quota,
                  "a month's share of the yearly deductions: days (of the month / "
                  "365, default) or twelfths")
      ->check(CLI::IsMember({"days", "twelfths"}));
  comando
      .add_option("--projection", a.proiezione,
                  "the year's income the month's deductions are chosen on: payments "
                  "(the month's taxable income times the payslips of the year, "
                  "default) or year-to-date (paid so far, and the month's for the "
                  "payslips to come)")
      ->check(CLI::IsMember({"payments", "year-to-date"}));
  comando.add_option("--previous-taxable", a.opzioni.imponibile_precedente,
                     "last year's taxable income, for last year's surcharges and this "
                     "year's municipal advance (default: the same worker last year under "
                     "last year's rule set, where the program has it)");
  comando.add_option("--previous-regional", a.opzioni.regionale_precedente,
                     "last year's regional surcharge, withheld January to November");
  comando.add_option("--previous-municipal", a.opzioni.comunale_precedente,
                     "last year's municipal surcharge");
  comando.add_option("--previous-advance-paid", a.opzioni.acconto_pagato,
                     "the municipal advance withheld last year (its balance, the "
                     "surcharge less it, is withheld January to November)");
  comando.add_option("--advance", a.opzioni.acconto,
                     "this year's municipal advance, withheld March to November");
}

bool scelte_buste_date(const CLI::App& comando) {
  for (const char* nome :
       {"--payments", "--fourteenth-in", "--from-month", "--to-month", "--gross-from", "--extra",
        "--deductions", "--projection", "--previous-taxable", "--previous-regional",
        "--previous-municipal", "--previous-advance-paid", "--advance"}) {
    if (comando.count(nome) > 0) return true;
  }
  return false;
}

std::string opzioni_buste_da_argomenti(const std::vector<std::string>& argomenti,
                                       OpzioniBuste& opzioni) {
  CLI::App app;
  ArgomentiBuste a;
  aggiungi_opzioni_buste(app, a);
  std::vector<std::string> inversi(argomenti.rbegin(), argomenti.rend());
  try {
    app.parse(inversi);
  } catch (const CLI::ParseError& e) {
    return e.what();
  }
  std::string errore = completa_opzioni_buste(a);
  if (errore.empty()) opzioni = a.opzioni;
  return errore;
}

}  // namespace zellora
