#include "form/testi_buste.h"

#include <charconv>
#include <cmath>

#include "base/citazione.h"

namespace zellora {

namespace {

constexpr std::array<std::string_view, 12> mesi = {"gennaio",   "febbraio", "marzo",    "aprile",
                                                   "maggio",    "giugno",   "luglio",   "agosto",
                                                   "settembre", "ottobre",  "novembre", "dicembre"};

std::string maiuscola(std::string_view testo) {
  std::string s(testo);
  if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
  return s;
}

std::string campo(std::string_view etichetta) {
  return "Il campo \"" + std::string(etichetta) + "\"";
}

// A whole number from `minimo` to `massimo`, blanks around it allowed.
std::optional<int> intero(std::string_view testo, int minimo, int massimo) {
  while (!testo.empty() && testo.front() == ' ') testo.remove_prefix(1);
  while (!testo.empty() && testo.back() == ' ') testo.remove_suffix(1);
  int n = 0;
  const auto fine = std::from_chars(testo.data(), testo.data() + testo.size(), n);
  if (testo.empty() || fine.ec != std::errc() || fine.ptr != testo.data() + testo.size() ||
      n < minimo || n > massimo) {
    return std::nullopt;
  }
  return n;
}

// An amount of 0 or more (below 1e12 euro) typed as the form's.
std::optional<double> importo(std::string_view testo, const Locale& locale, bool negativo) {
  const std::optional<double> v = converti_numero(testo, locale);
  if (!v || !std::isfinite(*v) || std::fabs(*v) >= 1e12 || (*v < 0 && !negativo)) {
    return std::nullopt;
  }
  return v;
}

// MONTH:AMOUNT items separated by blanks or ';'.
std::string mesi_importi(const CampoBuste& c, const std::string& testo, const Locale& locale,
                         bool negativo, std::vector<std::pair<int, double>>& letti) {
  letti.clear();
  std::size_t i = 0;
  while (i < testo.size()) {
    const std::size_t fine = testo.find_first_of(" ;\t", i);
    const std::string voce =
        testo.substr(i, fine == std::string::npos ? std::string::npos : fine - i);
    i = fine == std::string::npos ? testo.size() : fine + 1;
    if (voce.empty()) continue;
    const std::size_t due_punti = voce.find(':');
    const std::optional<int> mese =
        due_punti == std::string::npos ? std::nullopt : intero(voce.substr(0, due_punti), 1, 12);
    const std::optional<double> euro =
        due_punti == std::string::npos
            ? std::nullopt
            : importo(std::string_view(voce).substr(due_punti + 1), locale, negativo);
    if (!mese || !euro) {
      return campo(c.etichetta) + " contiene " + citazione(voce) +
             ": ogni voce \u00e8 MESE:IMPORTO, il mese da 1 a 12 (per esempio 7:2200" +
             locale.decimale + "50" + (negativo ? " o 12:-800" : "") + ").";
    }
    letti.emplace_back(*mese, *euro);
  }
  return "";
}

}  // namespace

std::string_view nome_mese(int mese) {
  return mese >= 1 && mese <= 12 ? mesi[static_cast<std::size_t>(mese - 1)] : std::string_view();
}

std::string_view nome_tipo_busta(TipoBusta tipo) {
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

std::string descrizione_busta(const BustaPaga& b) {
  if (b.tipo == TipoBusta::ordinaria) return maiuscola(nome_mese(b.mese));
  return maiuscola(nome_tipo_busta(b.tipo)) + " (" + std::string(nome_mese(b.mese)) + ")";
}

std::vector<VoceBuste> riconciliazione_buste(const AnnoBuste& a) {
  const BustaPaga& t = a.totale;
  return {
      {"net_irpef_of_the_year", "Irpef netta dell'anno sull'imponibile delle buste (conguaglio)",
       a.irpef_netta_annua},
      {"net_irpef_withheld", "Irpef netta trattenuta nelle buste", t.irpef_netta},
      {"further_deduction_recovered_next_year",
       "Ulteriore detrazione non spettante, recuperata l'anno prossimo",
       a.irpef_netta_annua - t.irpef_netta},
      {"net_of_the_annual_calculation",
       "Netto dell'anno del calcolo annuo (prima degli euro interi)", a.netto_calcolo},
      {"gross_annual_less_payslips",
       "Retribuzione del calcolo annuo, meno quella divisa nelle buste", a.lordo_calcolo - t.lordo},
      {"contributions_annual_less_payslips",
       "Contributi del calcolo annuo, meno quelli arrotondati busta per busta",
       a.contributi_calcolo - (t.inps + t.aggiuntivo + t.altri + t.inail)},
      {"net_irpef_annual_less_payslips", "Irpef netta del calcolo annuo, meno quella delle buste",
       a.irpef_netta_calcolo - t.irpef_netta},
      {"tax_free_sum_and_integrative_payslips_less_annual",
       "Somma esente e trattamento integrativo delle buste, meno quelli del calcolo annuo",
       t.somma_esente + t.trattamento_integrativo - a.cuneo_calcolo},
      {"surcharges_annual_less_withheld",
       "Addizionali dell'anno (dovute l'anno prossimo), meno quelle trattenute nelle buste",
       a.addizionali_calcolo - (t.regionale + t.comunale_saldo + t.comunale_acconto)},
      {"net_of_the_payslips", "Netto in busta dell'anno", t.netto},
  };
}

std::vector<VoceBuste> anno_prossimo_buste(const AnnoBuste& a) {
  std::vector<VoceBuste> v = {
      {"regional_surcharge", "Addizionale regionale dell'anno, in 11 rate da gennaio",
       a.regionale_annua},
      {"municipal_surcharge",
       "Addizionale comunale dell'anno (il saldo, meno l'acconto, in 11 rate)", a.comunale_annua},
      {"municipal_advance", "Acconto comunale dell'anno prossimo, in 9 rate da marzo",
       a.acconto_prossimo},
  };
  if (a.recupero_cuneo.importo > 0) {
    v.push_back({"tax_free_sum_and_further_deduction_recovery",
                 "Somma esente e ulteriore detrazione da restituire, in 10 rate",
                 a.recupero_cuneo.importo});
  }
  if (a.recupero_integrativo.importo > 0) {
    v.push_back({"integrative_treatment_recovery",
                 "Trattamento integrativo da restituire, in 8 rate",
                 a.recupero_integrativo.importo});
  }
  return v;
}

std::vector<SerieBuste> serie_grafico_buste(const AnnoBuste& a) {
  std::vector<SerieBuste> serie;
  for (const std::size_t c : {colonna_buste("net"), colonna_buste("inps"),
                              colonna_buste("net_irpef"), colonna_buste("surcharges")}) {
    SerieBuste s{colonne_buste[c].etichetta, {}};
    s.centesimi.reserve(a.buste.size());
    for (const BustaPaga& b : a.buste) s.centesimi.push_back(colonne_buste[c].cifra(b));
    serie.push_back(std::move(s));
  }
  return serie;
}

const std::array<CampoBuste, 13> campi_buste = {{
    {"payments", "Mensilit\u00e0 dell'anno", &CampiBuste::mensilita},
    {"fourteenth_in", "Mese della quattordicesima", &CampiBuste::mese_quattordicesima},
    {"from_month", "Dal mese", &CampiBuste::primo_mese},
    {"to_month", "Al mese", &CampiBuste::ultimo_mese},
    {"gross_from", "Lordo mensile dal mese", &CampiBuste::variazioni},
    {"extra", "Importi una tantum", &CampiBuste::una_tantum},
    {"deductions", "Detrazioni del mese", &CampiBuste::detrazioni},
    {"projection", "Reddito dell'anno stimato", &CampiBuste::proiezione},
    {"previous_taxable", "Imponibile dell'anno precedente", &CampiBuste::imponibile_precedente},
    {"previous_regional", "Addizionale regionale dell'anno precedente",
     &CampiBuste::regionale_precedente},
    {"previous_municipal", "Addizionale comunale dell'anno precedente",
     &CampiBuste::comunale_precedente},
    {"previous_advance_paid", "Acconto comunale trattenuto l'anno precedente",
     &CampiBuste::acconto_pagato},
    {"advance", "Acconto comunale dell'anno", &CampiBuste::acconto},
}};

const CampoBuste* campo_buste(std::string_view chiave) {
  for (const CampoBuste& c : campi_buste) {
    if (c.chiave == chiave) return &c;
  }
  return nullptr;
}

std::string leggi_campi_buste(const CampiBuste& f, const Locale& locale, OpzioniBuste& opzioni) {
  OpzioniBuste o;
  const auto vuoto = [](const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
  };
  if (!vuoto(f.mensilita)) {
    o.mensilita = intero(f.mensilita, 12, 14);
    if (!o.mensilita) {
      return campo(campi_buste[0].etichetta) + " contiene " + citazione(f.mensilita) +
             ": le mensilit\u00e0 sono 12, 13 o 14.";
    }
  }
  if (!vuoto(f.mese_quattordicesima)) {
    const std::optional<int> m = intero(f.mese_quattordicesima, 6, 7);
    if (!m) {
      return campo(campi_buste[1].etichetta) + " contiene " + citazione(f.mese_quattordicesima) +
             ": la quattordicesima si paga a giugno (6) o a "
             "luglio (7).";
    }
    o.mese_quattordicesima = *m;
  }
  for (const auto& [indice, mese] : {std::pair{2, &o.primo_mese}, std::pair{3, &o.ultimo_mese}}) {
    const CampoBuste& c = campi_buste[static_cast<std::size_t>(indice)];
    const std::string& testo = f.*c.testo;
    if (vuoto(testo)) continue;
    const std::optional<int> m = intero(testo, 1, 12);
    if (!m) return campo(c.etichetta) + " contiene " + citazione(testo) + ": un mese, da 1 a 12.";
    *mese = *m;
  }
  if (o.primo_mese > o.ultimo_mese) {
    return campo(campi_buste[2].etichetta) + " \u00e8 dopo il campo \"" +
           std::string(campi_buste[3].etichetta) + "\".";
  }
  std::string errore = mesi_importi(campi_buste[4], f.variazioni, locale, false, o.variazioni);
  if (errore.empty())
    errore = mesi_importi(campi_buste[5], f.una_tantum, locale, true, o.una_tantum);
  if (!errore.empty()) return errore;
  const auto scelta = [&](const CampoBuste& c, const auto& scelte, std::size_t& indice) {
    const std::string& testo = f.*c.testo;
    indice = 0;
    if (vuoto(testo)) return std::string();
    for (std::size_t i = 0; i < scelte.size(); ++i) {
      if (testo == scelte[i].valore) {
        indice = i;
        return std::string();
      }
    }
    return campo(c.etichetta) + " contiene " + citazione(testo) + ": \"" +
           std::string(scelte[0].valore) + "\" o \"" + std::string(scelte[1].valore) + "\".";
  };
  std::size_t quota = 0;
  std::size_t proiezione = 0;
  errore = scelta(campi_buste[6], scelte_detrazioni, quota);
  if (errore.empty()) errore = scelta(campi_buste[7], scelte_proiezione, proiezione);
  if (!errore.empty()) return errore;
  o.quota = quota == 0 ? QuotaDetrazioni::giorni : QuotaDetrazioni::dodicesimi;
  o.proiezione = proiezione == 0 ? Proiezione::mensilita : Proiezione::progressiva;
  const std::array<std::optional<double>*, 5> importi = {
      &o.imponibile_precedente, &o.regionale_precedente, &o.comunale_precedente, &o.acconto_pagato,
      &o.acconto};
  for (std::size_t i = 0; i < importi.size(); ++i) {
    const CampoBuste& c = campi_buste[8 + i];
    const std::string& testo = f.*c.testo;
    if (vuoto(testo)) continue;
    *importi[i] = importo(testo, locale, false);
    if (!*importi[i]) {
      return campo(c.etichetta) + " contiene " + citazione(testo) +
             ": un importo in euro, zero o pi\u00f9.";
    }
  }
  opzioni = std::move(o);
  return "";
}

std::string sigla_busta(const BustaPaga& b) {
  switch (b.tipo) {
    case TipoBusta::tredicesima:
      return "13\u00aa";
    case TipoBusta::quattordicesima:
      return "14\u00aa";
    case TipoBusta::conguaglio:
      return "cong.";
    case TipoBusta::ordinaria:
      break;
  }
  return std::string(nome_mese(b.mese).substr(0, 3));
}

std::string titolo_anno_buste(std::string_view normativa) {
  return std::string(titolo_sezione_buste) + " (normativa " + std::string(normativa) + ")";
}

}  // namespace zellora
