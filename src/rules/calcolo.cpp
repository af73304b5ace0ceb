#include "rules/calcolo.h"

#include <cmath>
#include <limits>
#include <optional>

#include "rules/cifre.h"
#include "rules/irpef.h"

namespace zellora {

namespace {

// Sub-step shared by both passes: the other contributions, as a percentage
// of B or as fixed amounts.
void altri_contributi(RecordCalcolo& r, const InputCalcolo& in, double B) {
  if (in.percentuale) {
    r.altri_contributi_dip = B * in.altri_dip / 100;
    r.altri_contributi_az = B * in.altri_az / 100;
  } else {
    r.altri_contributi_dip = in.altri_dip;
    r.altri_contributi_az = in.altri_az;
  }
}

// The INAIL premium on B between a floor and a ceiling: the rate per
// thousand is raised by 1 % of itself and the premium split in thirds.
void inail(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole, double B,
           double minimale, double massimale) {
  const double t = in.tasso_inail;
  const double tasso = t * regole.maggiorazione_inail + t;
  double base = B;
  if (B < minimale) {
    base = minimale;
  } else if (B > massimale) {
    base = massimale;
  }
  const double terzo = ((tasso * base) / 1000) / 3;
  r.premio_inail = r.quota_inail_az * terzo;
  r.ritenuta_inail = r.quota_inail_dip * terzo;
}

void costo_lavoro(RecordCalcolo& r) {
  r.costo_lavoro = r.retribuzione_lorda + r.inps_azienda + r.premio_inail + r.irap + r.tfr +
                   r.altri_contributi_az;
}

bool finito(const RecordCalcolo& r) {
  bool si = true;
#define ZELLORA_FINITO(nome) si = si & std::isfinite(r.nome);
  ZELLORA_CAMPI_RECORD(ZELLORA_FINITO)
#undef ZELLORA_FINITO
  return si;
}

CalcoloSvolto rifiuto_troppo_grandi() {
  CalcoloSvolto esito;
  esito.stato = Stato::rifiutato;
  esito.rifiuto = Rifiuto::troppo_grandi;
  return esito;
}

// Inputs read by both calculations, each amount as whole euros.
void leggi_importi(RecordCalcolo& r, const InputCalcolo& in) {
  r.trattenuta_non_deducibile = std::floor(in.trattenuta);
  r.competenza_non_imponibile = std::floor(in.competenza);
  r.retribuzione_lorda = std::floor(in.retribuzione);
  r.valore_benefit = std::floor(in.benefit);
  r.retribuzione_intera = std::floor(r.retribuzione_lorda);
}

// How fast the worker's contributions (INPS, the additional contribution,
// other contributions, INAIL) can grow with the gross, over every gross from
// the current one up: the least and the greatest growth per euro.
struct Crescita {
  double minima = 0;
  double massima = 0;
  bool continua = true;  // no downward jump ahead (INAIL floor above ceiling)
};

Crescita crescita_ritenute(const RecordCalcolo& r, const InputCalcolo& in,
                           const RegoleCalcolo& regole, bool mensile) {
  const double B = r.retribuzione_lorda + r.valore_benefit;
  const double soglia =
      mensile ? r.soglia_contributo_aggiuntivo / 12 : r.soglia_contributo_aggiuntivo;
  const double minimale = mensile ? r.minimale_inail / 12 : r.minimale_inail;
  const double massimale = mensile ? r.massimale_inail / 12 : r.massimale_inail;
  Crescita c;
  c.continua = minimale <= massimale;
  // Each part grows by one rate, or by another past a threshold still ahead.
  auto parte = [&c](double ora, double dopo) {
    c.minima += std::fmin(ora, dopo);
    c.massima += std::fmax(ora, dopo);
  };
  const double inps = r.aliquota_inps_dip;
  if (mensile) {
    parte(inps, inps);  // no ceiling in a month
  } else {
    parte(B < r.massimale_inps ? inps : 0, 0);  // up to the ceiling, then flat
  }
  const double aggiuntivo = regole.contributo_aggiuntivo_percento / 100;
  if (!mensile && regole.aggiuntivo_entro_massimale) {
    parte(0,
          B < r.massimale_inps ? aggiuntivo : 0);  // flat below the threshold and past the ceiling
  } else {
    parte(B > soglia ? aggiuntivo : 0, aggiuntivo);
  }
  const double altri = in.percentuale ? in.altri_dip / 100 : 0;
  parte(altri, altri);
  const double t = in.tasso_inail;
  const double inail = r.quota_inail_dip * ((t * regole.maggiorazione_inail + t) / 1000 / 3);
  parte(B < massimale ? inail : 0, 0);
  return c;
}

// A search pass without its net: the pass of the mode and the total of the
// deductions, never above the gross tax.
void passo_ricerca_record(RecordCalcolo& w, const InputCalcolo& in, const RegoleCalcolo& regole,
                          bool mensile, double lordo) {
  w.retribuzione_lorda = lordo;
  if (mensile) {
    passo_mensile(w, in, regole, true);
  } else {
    passo_annuo(w, in, regole);
  }
  w.totale_detrazioni = w.detrazione_dip + w.detrazione_dip_ulteriore + w.detrazione_coniuge +
                        w.detrazione_coniuge_maggiorazione + w.detrazione_figli +
                        w.detrazione_altri;
  w.totale_detrazioni += w.ulteriore_detrazione;
  if (w.totale_detrazioni > w.irpef_lorda) w.totale_detrazioni = w.irpef_lorda;
}

// How far the balance of the figures shown, before the whole euros are
// taken, can lie above the same balance of the unrounded record: the three
// contribution figures and the net IRPEF (the gross tax less four rounded
// deductions, rounded once more) are each within half a cent per rounding.
constexpr double scarto_cifre_mostrate = 0.05;

// How many whole euros the search may skip from the current trial gross:
// every gross below `lordo + salto` provably has a net below the target, so
// a pass on it could neither match nor overshoot. The bound: the net before
// tax grows at most by 1 - the least growth of the contributions per euro;
// the taxable income does not fall, so neither does the gross tax; and the
// deductions never exceed what they are now (the main amounts shrink as
// the income grows) plus the largest additional amounts still ahead.
// The same under a rule set with a tax-free sum or a trattamento integrativo,
// where the deductions and those sums can step up or down as the income
// crosses a limit. A coarser bound that needs no band: the net IRPEF shown
// is never below 0, so the net shown is at most the net before tax (P,
// which grows at most by 1 - the least growth of the contributions per
// euro) plus the tax-free sum (at most the largest rate times the taxable
// pay, P plus the benefit) plus the trattamento integrativo (at most its
// largest amount), plus the rounding of the figures shown.
double salto_con_aggiunte(const RecordCalcolo& w, const InputCalcolo& in,
                          const RegoleCalcolo& regole, bool mensile, const Crescita& crescita,
                          double netto_prima, double obiettivo) {
  double c = 0;
  if (regole.cuneo.presente && in.cuneo) {
    for (std::size_t i = 0; i < regole.cuneo.n; ++i) {
      c = std::fmax(c, std::fmax(regole.cuneo.somma[i].aliquota, 0));
    }
  }
  double t = 0;
  if (regole.integrativo.presente) {
    const double importo = std::fmax(regole.integrativo.importo, 0);
    t = mensile ? importo / 12
                : std::fmax(importo, std::fmax(importo * in.famiglia.giorni / 365, 0));
  }
  const double P = netto_prima_delle_imposte(w, mensile);
  const double aggiustamento = netto_prima - P;  // non-taxable pay less the non-deductible
  const double ben = w.valore_benefit;
  const double m = 1 - crescita.minima;
  const auto massimo = [&](double delta) {
    const double U = P + delta * m;
    return U + aggiustamento + c * std::fmax(U + ben, 0) + t;
  };
  const double margine =
      1e-9 * (std::fabs(P) + std::fabs(aggiustamento) + std::fabs(ben) + std::fabs(obiettivo) + t) +
      1e-6;
  const double soglia = obiettivo - scarto_cifre_mostrate - margine;
  // The largest step if the tax-free sum applies throughout, then checked.
  const double salto = std::floor(((soglia - aggiustamento - t - c * ben) / (1 + c) - P) / m);
  if (!(salto >= 2) || !std::isfinite(salto) || !(massimo(salto) < soglia)) return 1;
  return salto;
}

double salto_sicuro(const RecordCalcolo& w, const InputCalcolo& in, const RegoleCalcolo& regole,
                    bool mensile, const Crescita& crescita, double netto_prima, double obiettivo) {
  if (!crescita.continua || crescita.massima > 1 || crescita.minima >= 1) return 1;
  if (regole_attuali(regole)) {
    return salto_con_aggiunte(w, in, regole, mensile, crescita, netto_prima, obiettivo);
  }
  const DatiFamiglia& f = in.famiglia;
  const double reddito = mensile ? w.imponibile_annuo : w.imponibile_fiscale;
  if (mensile) {
    // The annual-equivalent income must not fall either.
    const double N = in.mensilita;
    const double t = in.tasso_inail;
    const double inail =
        std::fmax(w.quota_inail_dip * ((t * regole.maggiorazione_inail + t) / 1000 / 3), 0);
    const double altri = in.percentuale ? std::fmax(in.altri_dip / 100, 0) : 0;
    if (N * (1 - w.aliquota_inps_dip) - altri - inail < 0) return 1;
  }
  // Children and other dependants with a negative share or months would
  // grow past their income limit; no skipping then.
  const double mesi_figli = mensile ? 1 : f.mesi_figli;
  const double mesi_altri = mensile ? 1 : f.mesi_altri;
  if (f.figli != 0) {
    double base = 0;
    double limite = 0;
    if (!base_figli(regole.figli, f.figli, base, limite)) return 1;
    const double a =
        base + (f.figli_minori != 0 ? f.figli_minori * regole.figli.maggiorazione_minori : 0);
    if (a * f.quota_figli * mesi_figli < 0) return 1;
  }
  if (f.altri != 0 && f.altri * f.quota_altri * mesi_altri < 0) return 1;

  // The additional amounts of the employee and spouse deductions are the
  // only parts that can grow with the income.
  const double u = importo_massimo_avanti(regole.dipendente.ulteriori, reddito);
  const double giorni = regole.dipendente.ulteriori_rapportati ? f.giorni : 365;
  const double ulteriore = u != 0 ? (mensile ? (u * 31) / 365 : std::fmax(u * giorni / 365, 0)) : 0;
  const double g = importo_massimo_avanti(regole.coniuge.maggiorazioni, reddito);
  const double maggiorazione =
      f.coniuge_a_carico && g != 0 ? (mensile ? g / 12 : std::fmax(g * f.mesi_coniuge / 12, 0)) : 0;
  const double detrazioni_massime = w.detrazione_dip + w.detrazione_coniuge + w.detrazione_figli +
                                    w.detrazione_altri + ulteriore + maggiorazione;
  const double netto_massimo = netto_prima - std::fmax(w.irpef_lorda - detrazioni_massime, 0);
  const double margine =
      1e-12 * (std::fabs(w.retribuzione_lorda) + std::fabs(netto_prima) + std::fabs(w.irpef_lorda) +
               std::fabs(detrazioni_massime) + std::fabs(obiettivo)) +
      1e-6;
  // The net shown adds the figures rounded to cents: up to three
  // contribution figures and the net IRPEF (itself from four deductions)
  // can each be half a cent above the record, four cents in all.
  const double salto = std::floor((obiettivo - scarto_cifre_mostrate - netto_massimo - margine) /
                                  (1 - crescita.minima));
  return salto >= 2 && std::isfinite(salto) ? salto : 1;
}

// The net-to-gross search with the pass of the mode, on a working record.
CalcoloSvolto ricerca_lordo(RecordCalcolo& w, const InputCalcolo& in, const RegoleCalcolo& regole,
                            bool mensile) {
  CalcoloSvolto esito;
  esito.ricerca_svolta = true;
  const double obiettivo = w.retribuzione_intera;
  EsitoRicerca& ricerca = esito.ricerca;
  ricerca.obiettivo = obiettivo;
  if (obiettivo < 0) {
    esito.stato = Stato::rifiutato;
    esito.rifiuto = Rifiuto::netto_negativo;
    return esito;
  }

  // Where a tax-free sum makes the net larger than the gross, a net can come
  // from a gross below it: the walk then starts at 0.
  ricerca.da_zero = regole.ricerca_da_zero;
  double lordo = regole.ricerca_da_zero ? 0 : obiettivo;
  for (std::int64_t passaggio = 1;; ++passaggio) {
    passo_ricerca_record(w, in, regole, mensile, lordo);
    const double prima_delle_imposte = netto_prima_delle_imposte(w, mensile);
    ricerca.passaggi = passaggio;
    ricerca.lordo = lordo;
    const double netto_prima =
        prima_delle_imposte - w.trattenuta_non_deducibile + w.competenza_non_imponibile;

    // The search decides on the net the window shows. Working it out takes
    // every figure to the cent, so a pass whose balance in the record
    // is plainly below the target (the net shown cannot then reach it) is
    // taken as below without it.
    const double saldo = netto_prima - w.irpef_lorda + w.totale_detrazioni + w.somma_esente +
                         w.trattamento_integrativo;
    const double scarto =
        scarto_cifre_mostrate +
        1e-12 * (std::fabs(lordo) + std::fabs(netto_prima) + std::fabs(w.irpef_lorda) +
                 std::fabs(w.ritenuta_inps) + std::fabs(w.contributo_aggiuntivo) +
                 std::fabs(w.altri_contributi_dip) + std::fabs(w.ritenuta_inail) +
                 std::fabs(w.trattenuta_non_deducibile) + std::fabs(w.competenza_non_imponibile));
    std::optional<double> mostrato;
    if (!(saldo + scarto < obiettivo)) {
      mostrato = netto_mostrato(w);
      if (*mostrato == obiettivo) {
        ricerca.esatta = true;
        ricerca.fine = FineRicerca::esatta;
        ricerca.netto_raggiunto = *mostrato;
        return esito;
      }
      if (!std::isfinite(*mostrato)) return rifiuto_troppo_grandi();
    }

    // The search goes up from the net and stops at the first gross whose
    // net reaches the target; it says no more than that. Grosses below the
    // net are not tried: with negative other contributions (or non-taxable
    // pay above the withholdings) one of them may give the net.
    if (mostrato && *mostrato > obiettivo) {
      esito.stato = Stato::irraggiungibile;
      ricerca.fine = lordo == obiettivo && !ricerca.da_zero ? FineRicerca::superato_dal_netto
                                                            : FineRicerca::superato;
      ricerca.netto_raggiunto = *mostrato;
      return esito;
    }
    // The net never exceeds the net before tax; once that cannot grow any
    // more and is already below the target, no gross reaches the target.
    const double margine =
        16 * std::numeric_limits<double>::epsilon() *
        (std::fabs(lordo) + std::fabs(w.ritenuta_inps) + std::fabs(w.contributo_aggiuntivo) +
         std::fabs(w.altri_contributi_dip) + std::fabs(w.ritenuta_inail) +
         std::fabs(w.trattenuta_non_deducibile) + std::fabs(w.competenza_non_imponibile) + 1);
    const Crescita crescita = crescita_ritenute(w, in, regole, mensile);
    // (Not so where a tax-free sum or a trattamento integrativo is paid
    // beside the net: the walk then ends only past the net or at its bound.)
    const bool aggiunte = regole_attuali(regole);
    const bool ferma = !aggiunte && crescita.continua && crescita.minima >= 1 &&
                       netto_prima + scarto_cifre_mostrate + margine < obiettivo;
    if (ferma || lordo + 1 == lordo || passaggio >= passaggi_massimi) {
      esito.stato = Stato::irraggiungibile;
      ricerca.fine = ferma ? FineRicerca::ferma : FineRicerca::interrotta;
      ricerca.netto_raggiunto = mostrato ? *mostrato : netto_mostrato(w);
      return esito;
    }
    lordo += salto_sicuro(w, in, regole, mensile, crescita, netto_prima, obiettivo);
  }
}

CalcoloSvolto calcola(RecordCalcolo& record, const InputCalcolo& input, const RegoleCalcolo& regole,
                      bool mensile) {
  RecordCalcolo w = record;
  leggi_importi(w, input);
  CalcoloSvolto esito;
  if (input.lordo_netto) {
    if (mensile) {
      passo_mensile(w, input, regole);
    } else {
      passo_annuo(w, input, regole);
    }
  } else {
    esito = ricerca_lordo(w, input, regole, mensile);
    if (esito.stato == Stato::rifiutato) return esito;
  }
  if (!finito(w)) return rifiuto_troppo_grandi();
  record = w;
  return esito;
}

}  // namespace

namespace {

// The cuneo fiscale and the trattamento integrativo of the rule sets that
// have them, after the four deductions; R is the income that chose their
// bands (in a month the annual-equivalent one), `g` the days (31 in a
// month), `parte` 1 for a year and 12 for a month. Without them the three
// figures are 0.
void cuneo_e_integrativo(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole,
                         double R, double g, double parte) {
  r.somma_esente = 0;
  r.ulteriore_detrazione = 0;
  r.trattamento_integrativo = 0;
  const bool annua = parte == 1;
  const RegoleCuneoFiscale& c = regole.cuneo;
  // In a year, both are for days of work only: the tax-free sum's band is
  // chosen on the income brought to a whole year (L. 207/2024 art. 1 c. 5:
  // income x 365 / days, the income of a whole year taken as it is), its
  // rate applied to the actual pay; the further deduction is "rapportata
  // al periodo di lavoro" (c. 6), x days / 365. The limit of the sum stays
  // on the actual income.
  if (c.presente && in.cuneo && c.n > 0 && (!annua || g > 0)) {
    const double fine_somma = c.somma[c.n - 1].fino_a;
    if (R <= fine_somma) {
      const double R_anno = !annua || g == 365 ? R : (R * 365) / g;
      double aliquota = c.somma[c.n - 1].aliquota;
      for (std::size_t i = 0; i < c.n; ++i) {
        if (R_anno <= c.somma[i].fino_a) {
          aliquota = c.somma[i].aliquota;
          break;
        }
      }
      r.somma_esente = aliquota * std::fmax(r.imponibile_fiscale, 0);
    } else {
      double anno = 0;
      if (R <= c.pieno_fino_a) {
        anno = c.importo;
      } else if (R <= c.fino_a) {
        anno = c.importo * ((c.fino_a - R) / (c.fino_a - c.pieno_fino_a));
      }
      r.ulteriore_detrazione = annua ? (anno * g) / 365 : anno / parte;
    }
  }
  const RegoleTrattamentoIntegrativo& t = regole.integrativo;
  if (t.presente) {
    if (R <= t.primo_limite) {
      if (r.irpef_lorda > r.detrazione_dip - (t.riduzione * g) / 365) {
        // Days below 0 are no period of work: nothing, not a negative amount.
        r.trattamento_integrativo = annua ? std::fmax(t.importo * g, 0) / 365 : t.importo / parte;
      }
    } else if (R <= t.secondo_limite) {
      const double S = r.detrazione_dip + r.detrazione_dip_ulteriore + r.detrazione_coniuge +
                       r.detrazione_coniuge_maggiorazione + r.detrazione_figli + r.detrazione_altri;
      if (S > r.irpef_lorda) {
        r.trattamento_integrativo = std::fmin(t.importo / parte, S - r.irpef_lorda);
      }
    }
  }
}

}  // namespace

void passo_annuo(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole) {
  const double B = r.retribuzione_lorda + r.valore_benefit;

  // Beyond the INPS ceiling there is no contribution base, so, where the
  // rule set says so, no additional contribution either.
  const double base_aggiuntivo =
      regole.aggiuntivo_entro_massimale && B > r.massimale_inps ? r.massimale_inps : B;
  r.contributo_aggiuntivo = 0;
  if (base_aggiuntivo > r.soglia_contributo_aggiuntivo) {
    r.contributo_aggiuntivo = (base_aggiuntivo - r.soglia_contributo_aggiuntivo) *
                              regole.contributo_aggiuntivo_percento / 100;
  }
  if (B > r.massimale_inps) {
    r.ritenuta_inps = r.aliquota_inps_dip * r.massimale_inps;
    r.inps_azienda = r.aliquota_inps_az * r.massimale_inps;
  } else {
    r.ritenuta_inps = r.aliquota_inps_dip * B;
    r.inps_azienda = r.aliquota_inps_az * B;
  }
  altri_contributi(r, in, B);
  inail(r, in, regole, B, r.minimale_inail, r.massimale_inail);
  r.tfr = r.aliquota_tfr * B;
  r.irap = in.irap ? (((B + r.inps_azienda) + r.altri_contributi_az) + r.tfr) * r.aliquota_irap : 0;
  costo_lavoro(r);
  r.imponibile_fiscale =
      B - r.ritenuta_inps - r.contributo_aggiuntivo - r.altri_contributi_dip - r.ritenuta_inail;
  r.irpef_lorda = imposta_scaglioni(r.imponibile_fiscale, regole.irpef_annua);

  detrazioni_dip_annua(r, in.famiglia, regole.dipendente);
  detrazioni_coniuge_annua(r, in.famiglia, regole.coniuge);
  detrazioni_figli_annua(r, in.famiglia, regole.figli);
  detrazioni_altri_annua(r, in.famiglia, regole.altri);
  cuneo_e_integrativo(r, in, regole, r.imponibile_fiscale, in.famiglia.giorni, 1);
}

void passo_mensile(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole,
                   bool ordine_ricerca) {
  const double B = r.retribuzione_lorda + r.valore_benefit;

  r.contributo_aggiuntivo = 0;
  if (B > r.soglia_contributo_aggiuntivo / 12) {
    r.contributo_aggiuntivo =
        (B - r.soglia_contributo_aggiuntivo / 12) * regole.contributo_aggiuntivo_percento / 100;
  }
  altri_contributi(r, in, B);
  inail(r, in, regole, B, r.minimale_inail / 12, r.massimale_inail / 12);
  r.ritenuta_inps = r.aliquota_inps_dip * B;
  r.inps_azienda = r.aliquota_inps_az * B;
  r.tfr = r.aliquota_tfr * B;
  r.irap = in.irap ? (((B + r.inps_azienda) + r.tfr) + r.altri_contributi_az) * r.aliquota_irap : 0;
  costo_lavoro(r);
  const double N = in.mensilita;
  r.imponibile_annuo =
      (B * N) - r.aliquota_inps_dip * (B * N) - r.altri_contributi_dip - r.ritenuta_inail;
  r.imponibile_fiscale = ordine_ricerca ? B - r.ritenuta_inps - r.contributo_aggiuntivo -
                                              r.ritenuta_inail - r.altri_contributi_dip
                                        : B - r.ritenuta_inps - r.contributo_aggiuntivo -
                                              r.altri_contributi_dip - r.ritenuta_inail;
  r.irpef_lorda = imposta_scaglioni(r.imponibile_fiscale, regole.irpef_mensile);

  detrazioni_dip_mensile(r, regole.dipendente);
  detrazioni_coniuge_mensile(r, in.famiglia, regole.coniuge);
  detrazioni_figli_mensile(r, in.famiglia, regole.figli);
  detrazioni_altri_mensile(r, in.famiglia, regole.altri);
  cuneo_e_integrativo(r, in, regole, r.imponibile_annuo, 31, 12);
}

double netto_prima_delle_imposte(const RecordCalcolo& w, bool mensile) {
  return mensile ? w.retribuzione_lorda - w.ritenuta_inps - w.contributo_aggiuntivo -
                       w.ritenuta_inail - w.altri_contributi_dip
                 : w.retribuzione_lorda - w.ritenuta_inps - w.contributo_aggiuntivo -
                       w.altri_contributi_dip - w.ritenuta_inail;
}

double passo_ricerca(RecordCalcolo& w, const InputCalcolo& in, const RegoleCalcolo& regole,
                     bool mensile, double lordo) {
  passo_ricerca_record(w, in, regole, mensile, lordo);
  return netto_mostrato(w);
}

CalcoloSvolto calcola_annuo(RecordCalcolo& record, const InputCalcolo& input,
                            const RegoleCalcolo& regole) {
  return calcola(record, input, regole, false);
}

CalcoloSvolto calcola_mese(RecordCalcolo& record, const InputCalcolo& input,
                           const RegoleCalcolo& regole) {
  return calcola(record, input, regole, true);
}

}  // namespace zellora
