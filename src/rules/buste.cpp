#include "rules/buste.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "numbers/numeri.h"
#include "rules/cifre.h"
#include "rules/comunali.h"
#include "rules/irpef.h"
#include "rules/righe.h"

namespace zellora {

namespace {

// February of 28 days also in a leap year: "l'anno deve essere sempre
// assunto come composto di 365 giorni" (AdE circ. 15/E/2007 par. 1.5.1).
constexpr std::array<int, 12> giorni_del_mese = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// An amount to the cent, by the amount rule of the results.
std::int64_t cent(double v) {
  std::int64_t c = 0;
  if (centesimi_F_rapidi(v, c)) return c;
  return centesimi_F(v).value_or(0);
}

// A month's share of a yearly deduction, to the cent below: the two
// payslips published with their figures (Leggioggi 30/12/2022, 196,94 of
// 196,946; connect.gt, 76,84 of 76,846) both cut it. The value is first
// taken to 15 significant digits, so that 1.000 / 12 is 83,33 and 1.200 / 12
// is 100,00, not 99,99.
std::int64_t cent_giu(double v) {
  if (!(v > 0)) return 0;
  const double centesimi = std::floor(v * 100 + 1e-7);
  return static_cast<std::int64_t>(centesimi);
}

double euro(std::int64_t c) { return static_cast<double>(c) / 100; }

// The cents of a box of the result, by the id of its row (0 when it is not
// shown).
std::int64_t cifra(const CifreRisultato& cifre, std::string_view id) {
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.id == id) return cifre.centesimi(riga.casella).value_or(0);
  }
  return 0;
}

// The instalment `k` (1-based) of `n` of an amount: the amount / n to the
// cent below, the last taking what is left, so that they add up to it.
std::int64_t rata(std::int64_t importo, int n, int k) {
  if (importo <= 0 || k < 1 || k > n) return 0;
  const std::int64_t una = importo / n;
  return k < n ? una : importo - una * (n - 1);
}

// The instalments from `k` to `n`: what is left after k - 1 of them.
std::int64_t resto_rate(std::int64_t importo, int n, int k) {
  std::int64_t resto = 0;
  for (int j = std::max(k, 1); j <= n; ++j) resto += rata(importo, n, j);
  return resto;
}

// One payslip to be worked out: its kind, month and gross.
struct Voce {
  TipoBusta tipo;
  int mese;
  std::int64_t lordo;
};

// The additional payments' months of accrual paid with the fourteenth: from
// July of last year (in service from January) to June.
int mesi_quattordicesima(const DatiBuste& d, int fino_a) {
  int mesi = d.primo_mese == 1 ? 6 : 0;
  for (int m = d.primo_mese; m <= std::min(fino_a, 6); ++m) ++mesi;
  return mesi;
}

std::int64_t rateo(std::int64_t lordo, int mesi) { return cent(euro(lordo) * mesi / 12); }

// The payslips of the year in their order: each month's, the fourteenth
// after the ordinary payslip of its month, the thirteenth after December's
// or the last one's; at termination the additional payments accrued and not
// paid, by the months of work (twelfths).
std::vector<Voce> piano(const DatiBuste& d) {
  std::vector<Voce> voci;
  const bool cessato = d.ultimo_mese < 12;
  bool quattordicesima_pagata = false;
  for (int m = d.primo_mese; m <= d.ultimo_mese; ++m) {
    const std::int64_t lordo = lordo_del_mese(d, m);
    std::int64_t del_mese = lordo;
    for (const Variazione& u : d.una_tantum) del_mese += u.mese == m ? u.lordo : 0;
    voci.push_back({TipoBusta::ordinaria, m, std::max<std::int64_t>(del_mese, 0)});
    if (d.mensilita == 14 && m == d.mese_quattordicesima) {
      const int mesi = mesi_quattordicesima(d, d.ultimo_mese);
      if (mesi > 0) voci.push_back({TipoBusta::quattordicesima, m, rateo(lordo, mesi)});
      quattordicesima_pagata = true;
    }
    if (m == d.ultimo_mese) {
      if (d.mensilita == 14 && cessato) {
        int mesi = 0;
        if (quattordicesima_pagata) {
          for (int k = std::max(7, d.primo_mese); k <= d.ultimo_mese; ++k) ++mesi;
        } else {
          mesi = mesi_quattordicesima(d, d.ultimo_mese);
        }
        if (mesi > 0) voci.push_back({TipoBusta::quattordicesima, m, rateo(lordo, mesi)});
      }
      if (d.mensilita >= 13) {
        voci.push_back({TipoBusta::tredicesima, m, rateo(lordo, d.ultimo_mese - d.primo_mese + 1)});
      }
    }
  }
  return voci;
}

// The yearly deductions, the cuneo fiscale and the trattamento integrativo
// of an income of `R` for a whole year: the amounts a month takes its share
// of.
RecordCalcolo annui_su(const InputCalcolo& input, const RecordCalcolo& profilo,
                       const RegoleCalcolo& regole, double R) {
  RecordCalcolo r = profilo;
  InputCalcolo in = input;
  in.famiglia.giorni = 365;
  in.famiglia.mesi_coniuge = 12;
  in.famiglia.mesi_figli = 12;
  in.famiglia.mesi_altri = 12;
  in.regione = nullptr;
  in.regione_digitata.reset();
  in.comune.reset();
  r.imponibile_fiscale = R;
  imposte_annue(r, in, regole);
  return r;
}

void somma_in(BustaPaga& t, const BustaPaga& b) {
  t.lordo += b.lordo;
  t.benefit += b.benefit;
  t.trattenuta += b.trattenuta;
  t.competenza += b.competenza;
  t.inps += b.inps;
  t.aggiuntivo += b.aggiuntivo;
  t.altri += b.altri;
  t.inail += b.inail;
  t.imponibile += b.imponibile;
  t.irpef_lorda += b.irpef_lorda;
  t.detrazione_dip += b.detrazione_dip;
  t.detrazione_coniuge += b.detrazione_coniuge;
  t.detrazione_figli += b.detrazione_figli;
  t.detrazione_altri += b.detrazione_altri;
  t.ulteriore_detrazione += b.ulteriore_detrazione;
  t.irpef_netta += b.irpef_netta;
  t.somma_esente += b.somma_esente;
  t.trattamento_integrativo += b.trattamento_integrativo;
  t.regionale += b.regionale;
  t.comunale_saldo += b.comunale_saldo;
  t.comunale_acconto += b.comunale_acconto;
  t.netto += b.netto;
}

void netto_di(BustaPaga& b) {
  b.netto = b.lordo - b.inps - b.aggiuntivo - b.altri - b.inail - b.irpef_netta + b.somma_esente +
            b.trattamento_integrativo - b.regionale - b.comunale_saldo - b.comunale_acconto -
            b.trattenuta + b.competenza;
}

}  // namespace

int giorni_mesi(int primo, int ultimo) {
  int giorni = 0;
  for (int m = std::max(primo, 1); m <= std::min(ultimo, 12); ++m) giorni += giorni_del_mese[m - 1];
  return giorni;
}

std::int64_t lordo_del_mese(const DatiBuste& dati, int mese) {
  std::int64_t lordo = dati.lordo_mensile;
  int da = 0;
  for (const Variazione& v : dati.variazioni) {
    if (v.mese <= mese && v.mese >= da) {
      lordo = v.lordo;
      da = v.mese;
    }
  }
  return lordo;
}

AnnoBuste anno_buste(const InputCalcolo& input, const RecordCalcolo& profilo,
                     const RegoleCalcolo& regole, const DatiBuste& d) {
  AnnoBuste anno;
  anno.giorni = giorni_mesi(d.primo_mese, d.ultimo_mese);
  const std::vector<Voce> voci = piano(d);
  const bool attuali = regole_attuali(regole);
  const bool addizionali = input.regola_regionale() != nullptr || input.comune.has_value();

  // The 1 % above the first pension bracket, month by month on the
  // month's threshold, the year's twelfth in whole euros as INPS publishes
  // it (4.685,00 for 56.224 in 2026, INPS circ. 6/2026), and adjusted on the
  // year's threshold in the last payslip ("mensilizzazione" and annual
  // adjustment, INPS circ. 298/1992).
  const double soglia_mese = std::round(profilo.soglia_contributo_aggiuntivo / 12);
  const double percento = regole.contributo_aggiuntivo_percento / 100;
  const double tasso_inail = input.tasso_inail * regole.maggiorazione_inail + input.tasso_inail;
  std::array<double, 13> base_aggiuntivo_mese{};
  std::array<std::int64_t, 13> aggiuntivo_mese{};
  double base_inps = 0;  // the year's base so far, for the ceiling
  double base_inail = 0;
  double base_aggiuntivo_anno = 0;

  // The income the deductions are chosen on: the payroll office knows the
  // hiring, not a termination to come, and projects the year to December.
  DatiBuste fino_a_dicembre = d;
  fino_a_dicembre.ultimo_mese = 12;
  const std::vector<Voce> previste = piano(fino_a_dicembre);
  std::int64_t imponibile_finora = 0;
  double aliquota_somma = 0;  // of the last ordinary payslip
  // The yearly amounts of the income last projected: a pay that does not
  // change projects the same income month after month.
  std::optional<double> reddito_annui;
  RecordCalcolo annui;

  const bool precedente = d.precedente.noto && d.primo_mese == 1;
  const std::int64_t saldo_comunale =
      std::max<std::int64_t>(0, d.precedente.comunale - d.precedente.acconto_pagato);

  for (std::size_t i = 0; i < voci.size(); ++i) {
    const Voce& v = voci[i];
    BustaPaga b;
    b.tipo = v.tipo;
    b.mese = v.mese;
    b.lordo = v.lordo;
    if (v.tipo == TipoBusta::ordinaria) {
      b.benefit = d.benefit;
      b.trattenuta = d.trattenuta;
      b.competenza = d.competenza;
    }
    // The base of contributions and tax: the pay and the benefit.
    const double g = euro(v.lordo + b.benefit);
    // INPS on the pay up to the year's ceiling.
    const double entro = std::clamp(profilo.massimale_inps - base_inps, 0.0, g);
    base_inps += g;
    b.inps = cent(profilo.aliquota_inps_dip * entro);
    const double base_1 = regole.aggiuntivo_entro_massimale ? entro : g;
    base_aggiuntivo_mese[v.mese] += base_1;
    base_aggiuntivo_anno += base_1;
    const std::int64_t dovuto_mese =
        cent(std::fmax(base_aggiuntivo_mese[v.mese] - soglia_mese, 0) * percento);
    b.aggiuntivo = dovuto_mese - aggiuntivo_mese[v.mese];
    aggiuntivo_mese[v.mese] = dovuto_mese;
    if (input.percentuale) {
      b.altri = cent(g * input.altri_dip / 100);
    } else if (v.tipo == TipoBusta::ordinaria) {
      b.altri = cent(input.altri_dip);
    }
    const double entro_inail = std::clamp(profilo.massimale_inail - base_inail, 0.0, g);
    base_inail += g;
    b.inail = cent(profilo.quota_inail_dip * ((tasso_inail * entro_inail / 1000) / 3));
    b.imponibile = b.lordo + b.benefit - b.inps - b.aggiuntivo - b.altri - b.inail;
    const double T = euro(b.imponibile);
    b.irpef_lorda = cent(imposta_scaglioni(std::fmax(T, 0), regole.irpef_mensile));

    if (v.tipo == TipoBusta::ordinaria) {
      // The year's income: this month's times the payslips of the year, or
      // what was paid so far and this month's for the payslips to come
      // (the additional ones by their share of a month).
      double R = 0;
      if (d.proiezione == Proiezione::mensilita) {
        R = T * static_cast<double>(previste.size());
      } else {
        double avanti = 1;
        for (const Voce& w : previste) {
          const bool dopo = w.mese > v.mese || (w.mese == v.mese && w.tipo != TipoBusta::ordinaria);
          if (!dopo) continue;
          avanti += w.tipo == TipoBusta::ordinaria
                        ? 1
                        : euro(w.lordo) / std::fmax(euro(lordo_del_mese(d, w.mese)), 1);
        }
        R = euro(imponibile_finora) + T * avanti;
      }
      R = std::fmax(R, 0);
      b.reddito_previsto = R;
      if (reddito_annui != R) {
        annui = annui_su(input, profilo, regole, R);
        reddito_annui = R;
      }
      const RecordCalcolo& a = annui;
      const double quota = d.quota == QuotaDetrazioni::giorni
                               ? static_cast<double>(giorni_del_mese[v.mese - 1]) / 365
                               : 1.0 / 12;
      b.detrazione_dip =
          cent_giu(a.detrazione_dip * quota) + cent_giu(a.detrazione_dip_ulteriore * quota);
      b.detrazione_coniuge =
          cent_giu((a.detrazione_coniuge + a.detrazione_coniuge_maggiorazione) / 12);
      b.detrazione_figli = cent_giu(a.detrazione_figli / 12);
      b.detrazione_altri = cent_giu(a.detrazione_altri / 12);
      const std::int64_t prima =
          b.detrazione_dip + b.detrazione_coniuge + b.detrazione_figli + b.detrazione_altri;
      // The further deduction only within the tax left (circ. 4/E/2025).
      b.ulteriore_detrazione = std::min(cent_giu(a.ulteriore_detrazione * quota),
                                        std::max<std::int64_t>(0, b.irpef_lorda - prima));
      b.irpef_netta = std::max<std::int64_t>(0, b.irpef_lorda - prima - b.ulteriore_detrazione);
      aliquota_somma = R > 0 ? a.somma_esente / R : 0;
      b.trattamento_integrativo = cent(a.trattamento_integrativo * quota);
      // Last year's surcharges, January to November; this year's municipal
      // advance, March to November.
      if (precedente && v.mese <= 11) {
        b.regionale = rata(d.precedente.regionale, 11, v.mese);
        b.comunale_saldo = rata(saldo_comunale, 11, v.mese);
        if (v.mese >= 3) b.comunale_acconto = rata(d.precedente.acconto, 9, v.mese - 2);
      }
    } else {
      // Taxed alone, without deductions (art. 23 c. 2 lett. b).
      b.irpef_netta = b.irpef_lorda;
    }
    // The tax-free sum on every payment of employment income, at the rate
    // chosen on the year's income ("reddito effettivamente corrisposto",
    // circ. 4/E/2025).
    b.somma_esente = cent(aliquota_somma * std::fmax(T, 0));
    imponibile_finora += b.imponibile;
    netto_di(b);
    somma_in(anno.totale, b);
    anno.buste.push_back(b);
  }

  // The adjustment, in December or in the month of termination.
  BustaPaga c;
  c.tipo = TipoBusta::conguaglio;
  c.mese = d.ultimo_mese;
  anno.aggiuntivo_annuo =
      cent(std::fmax(base_aggiuntivo_anno - profilo.soglia_contributo_aggiuntivo, 0) * percento);
  c.aggiuntivo = anno.aggiuntivo_annuo - anno.totale.aggiuntivo;
  c.imponibile = -c.aggiuntivo;
  const std::int64_t imponibile_anno = anno.totale.imponibile + c.imponibile;

  // The annual pass of the year's taxable income, for the days of work.
  RecordCalcolo r = profilo;
  InputCalcolo in = input;
  in.famiglia.giorni = anno.giorni;
  r.imponibile_fiscale = euro(imponibile_anno);
  imposte_annue(r, in, regole);
  const CifreRisultato cifre = cifre_risultato(r, attuali, false, std::nullopt, addizionali);
  anno.irpef_netta_annua = cifra(cifre, "irpef_netta");
  anno.somma_esente_annua = cifra(cifre, "somma_esente");
  anno.ulteriore_detrazione_annua = cifra(cifre, "ulteriore_detrazione");
  anno.integrativo_annuo = cifra(cifre, "trattamento_integrativo");
  anno.regionale_annua = cifra(cifre, "addizionale_regionale");
  anno.comunale_annua = cifra(cifre, "addizionale_comunale");
  if (input.comune && irpef_netta_dovuta(r)) {
    anno.acconto_prossimo = cent(0.3 * addizionale_comunale(r.imponibile_fiscale, *input.comune));
  }

  c.irpef_lorda = cifra(cifre, "irpef_lorda") - anno.totale.irpef_lorda;
  c.detrazione_dip = cifra(cifre, "detrazioni_dipendente") - anno.totale.detrazione_dip;
  c.detrazione_coniuge = cifra(cifre, "detrazione_coniuge") - anno.totale.detrazione_coniuge;
  c.detrazione_figli = cifra(cifre, "detrazione_figli") - anno.totale.detrazione_figli;
  c.detrazione_altri = cifra(cifre, "detrazione_altri") - anno.totale.detrazione_altri;
  c.ulteriore_detrazione = anno.ulteriore_detrazione_annua - anno.totale.ulteriore_detrazione;

  // What the payslips paid of the cuneo fiscale and of the trattamento
  // integrativo beyond what the year gives: above 60 euro it is recovered
  // in 10 and in 8 instalments from the first pay after the adjustment
  // (L. 207/2024 art. 1 c. 7; DL 3/2020 art. 1 c. 3), at termination at
  // once (circ. 4/E/2025 par. 1.2). Each measure on its own: the law
  // recovers the amount "non spettante", not a balance of both.
  const bool cessato = d.ultimo_mese < 12;
  const std::int64_t somma_in_piu =
      std::max<std::int64_t>(0, anno.totale.somma_esente - anno.somma_esente_annua);
  const std::int64_t ulteriore_in_piu =
      std::max<std::int64_t>(0, anno.totale.ulteriore_detrazione - anno.ulteriore_detrazione_annua);
  const std::int64_t integrativo_in_piu =
      std::max<std::int64_t>(0, anno.totale.trattamento_integrativo - anno.integrativo_annuo);
  constexpr std::int64_t soglia_rate = 6000;
  std::int64_t ulteriore_rinviata = 0;
  std::int64_t somma_rinviata = 0;
  if (!cessato && somma_in_piu + ulteriore_in_piu > soglia_rate) {
    anno.recupero_cuneo = {somma_in_piu + ulteriore_in_piu, 10};
    ulteriore_rinviata = ulteriore_in_piu;
    somma_rinviata = somma_in_piu;
  }
  std::int64_t integrativo_rinviato = 0;
  if (!cessato && integrativo_in_piu > soglia_rate) {
    anno.recupero_integrativo = {integrativo_in_piu, 8};
    integrativo_rinviato = integrativo_in_piu;
  }
  c.irpef_netta = anno.irpef_netta_annua - anno.totale.irpef_netta - ulteriore_rinviata;
  c.somma_esente = anno.somma_esente_annua - anno.totale.somma_esente + somma_rinviata;
  c.trattamento_integrativo =
      anno.integrativo_annuo - anno.totale.trattamento_integrativo + integrativo_rinviato;

  // At termination the surcharges left are withheld at once: last year's
  // instalments not yet withheld, and this year's surcharges less the
  // advance withheld (D.Lgs. 446/1997 art. 50 c. 4; D.Lgs. 360/1998 art. 1
  // c. 5).
  if (cessato) {
    if (precedente) {
      c.regionale = resto_rate(d.precedente.regionale, 11, d.ultimo_mese + 1);
      c.comunale_saldo = resto_rate(saldo_comunale, 11, d.ultimo_mese + 1);
    }
    c.regionale += anno.regionale_annua;
    c.comunale_saldo +=
        std::max<std::int64_t>(0, anno.comunale_annua - anno.totale.comunale_acconto);
  }
  netto_di(c);
  somma_in(anno.totale, c);
  anno.buste.push_back(c);

  // The pay of the month of the adjustment does not hold what it withholds.
  std::int64_t netto_mese = 0;
  for (const BustaPaga& b : anno.buste) netto_mese += b.mese == d.ultimo_mese ? b.netto : 0;
  anno.incapiente = netto_mese < 0;

  // The annual pass of the year's gross, as "Annuo" gives it.
  RecordCalcolo a = profilo;
  anno.lordo_calcolo = d.lordo_annuo.value_or(anno.totale.lordo);
  a.retribuzione_lorda = euro(anno.lordo_calcolo);
  a.valore_benefit = euro(anno.totale.benefit);
  a.trattenuta_non_deducibile = euro(anno.totale.trattenuta);
  a.competenza_non_imponibile = euro(anno.totale.competenza);
  InputCalcolo ia = in;
  if (!ia.percentuale) ia.altri_dip = euro(anno.totale.altri);
  contributi_annui(a, ia, regole);
  imposte_annue(a, ia, regole);
  const CifreRisultato annue = cifre_risultato(a, attuali, false, std::nullopt, addizionali);
  anno.contributi_calcolo = cifra(annue, "ritenuta_inps") +
                            cifra(annue, "ritenuta_altri_contributi") +
                            cifra(annue, "ritenuta_inail");
  anno.irpef_netta_calcolo = cifra(annue, "irpef_netta");
  anno.cuneo_calcolo = cifra(annue, "somma_esente") + cifra(annue, "trattamento_integrativo");
  anno.addizionali_calcolo =
      cifra(annue, "addizionale_regionale") + cifra(annue, "addizionale_comunale");
  anno.netto_calcolo = cifra(annue, "retribuzione") - anno.contributi_calcolo -
                       anno.irpef_netta_calcolo + anno.cuneo_calcolo - anno.addizionali_calcolo -
                       anno.totale.trattenuta + anno.totale.competenza;
  return anno;
}

AnnoPrecedente anno_precedente(const InputCalcolo& input, const RecordCalcolo& profilo,
                               const RegoleCalcolo& regole, std::optional<double> imponibile,
                               double lordo_annuo, double benefit_annuo,
                               const InputCalcolo& input_anno) {
  AnnoPrecedente p;
  p.noto = true;
  RecordCalcolo r = profilo;
  InputCalcolo in = input;
  in.famiglia.giorni = 365;
  if (imponibile) {
    r.imponibile_fiscale = *imponibile;
  } else {
    r.retribuzione_lorda = lordo_annuo;
    r.valore_benefit = benefit_annuo;
    contributi_annui(r, in, regole);
  }
  imposte_annue(r, in, regole);
  const CifreRisultato cifre =
      cifre_risultato(r, regole_attuali(regole), false, std::nullopt, true);
  p.regionale = cifra(cifre, "addizionale_regionale");
  p.comunale = cifra(cifre, "addizionale_comunale");
  // The advance withheld last year, on the income of the year before it,
  // taken as last year's (D.Lgs. 360/1998 art. 1 c. 4: 30 %).
  p.acconto_pagato = cent(0.3 * euro(p.comunale));
  if (input_anno.comune && irpef_netta_dovuta(r)) {
    p.acconto = cent(0.3 * addizionale_comunale(r.imponibile_fiscale, *input_anno.comune));
  }
  return p;
}

}  // namespace zellora
