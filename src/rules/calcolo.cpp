#include "rules/calcolo.h"

#include <cmath>

#include "passi.h"
#include "rules/cifre.h"
#include "rules/comunali.h"
#include "rules/irpef.h"
#include "rules/regionali.h"

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
// thousand is raised by the rule set's `maggiorazione_inail` (a share of
// itself) and the premium split in thirds.
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

// Inputs read by both calculations, each amount as whole euros.
void leggi_importi(RecordCalcolo& r, const InputCalcolo& in) {
  r.trattenuta_non_deducibile = std::floor(in.trattenuta);
  r.competenza_non_imponibile = std::floor(in.competenza);
  r.retribuzione_lorda = std::floor(in.retribuzione);
  r.valore_benefit = std::floor(in.benefit);
  r.retribuzione_intera = std::floor(r.retribuzione_lorda);
}

CalcoloSvolto calcola(RecordCalcolo& record, const InputCalcolo& input, const RegoleCalcolo& regole,
                      bool mensile) {
  // Worked out in place, and put back as it was when refused: one copy of
  // the record, not two.
  const RecordCalcolo prima = record;
  leggi_importi(record, input);
  CalcoloSvolto esito;
  if (input.lordo_netto) {
    if (mensile) {
      passo_mensile(record, input, regole);
    } else {
      passo_annuo(record, input, regole);
    }
  } else {
    esito = ricerca_lordo(record, input, regole, mensile);
  }
  if (esito.stato != Stato::rifiutato && !finito(record)) esito = rifiuto_troppo_grandi();
  if (esito.stato == Stato::rifiutato) record = prima;
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
      if (eccedenza_integrativo(r, t, g) > 0) {
        // Days below 0 are no period of work: nothing, not a negative amount.
        r.trattamento_integrativo = annua ? std::fmax(t.importo * g, 0) / 365 : t.importo / parte;
      }
    } else if (R <= t.secondo_limite) {
      const double S = detrazioni_del_passo(r);
      if (S > r.irpef_lorda) {
        r.trattamento_integrativo = std::fmin(t.importo / parte, S - r.irpef_lorda);
      }
    }
  }
}

}  // namespace

void addizionali(RecordCalcolo& r, const InputCalcolo& in, bool mensile) {
  r.addizionale_regionale = 0;
  r.addizionale_comunale = 0;
  const RegolaRegionale* regione = in.regola_regionale();
  if (regione == nullptr && !in.comune) return;
  // Both are due only when the IRPEF is, after every deduction (D.Lgs.
  // 446/1997 art. 50 c. 2; D.Lgs. 360/1998 art. 1 c. 4): an "Irpef netta"
  // shown of at least 0,01.
  const bool dovuta = irpef_netta_dovuta(r);
  // The base is the year's taxable income: in a month the income brought
  // to a year that chooses the month's bands, and a twelfth of the amount.
  const double base = mensile ? r.imponibile_annuo : r.imponibile_fiscale;
  const double parte = mensile ? 12 : 1;
  if (regione != nullptr && dovuta) {
    r.addizionale_regionale = addizionale_regionale(base, *regione) / parte;
  }
  if (in.comune && dovuta) {
    r.addizionale_comunale = addizionale_comunale(base, *in.comune) / parte;
  }
}

CalcoloSvolto rifiuto_troppo_grandi() {
  CalcoloSvolto esito;
  esito.stato = Stato::rifiutato;
  esito.rifiuto = Rifiuto::troppo_grandi;
  return esito;
}

void contributi_annui(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole) {
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
}

void passo_annuo(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole) {
  contributi_annui(r, in, regole);
  imposte_annue(r, in, regole);
}

void imposte_annue(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole) {
  r.irpef_lorda = imposta_scaglioni(r.imponibile_fiscale, regole.irpef_annua);

  detrazioni_dip_annua(r, in.famiglia, regole.dipendente);
  detrazioni_coniuge_annua(r, in.famiglia, regole.coniuge);
  detrazioni_figli_annua(r, in.famiglia, regole.figli);
  detrazioni_altri_annua(r, in.famiglia, regole.altri);
  cuneo_e_integrativo(r, in, regole, r.imponibile_fiscale, in.famiglia.giorni, 1);
  addizionali(r, in, false);
}

void contributi_mensili(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole,
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
}

void passo_mensile(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole,
                   bool ordine_ricerca) {
  contributi_mensili(r, in, regole, ordine_ricerca);
  r.irpef_lorda = imposta_scaglioni(r.imponibile_fiscale, regole.irpef_mensile);

  detrazioni_dip_mensile(r, regole.dipendente);
  detrazioni_coniuge_mensile(r, in.famiglia, regole.coniuge);
  detrazioni_figli_mensile(r, in.famiglia, regole.figli);
  detrazioni_altri_mensile(r, in.famiglia, regole.altri);
  cuneo_e_integrativo(r, in, regole, r.imponibile_annuo, 31, 12);
  addizionali(r, in, true);
}

double netto_prima_delle_imposte(const RecordCalcolo& w, bool mensile) {
  return mensile ? w.retribuzione_lorda - w.ritenuta_inps - w.contributo_aggiuntivo -
                       w.ritenuta_inail - w.altri_contributi_dip
                 : w.retribuzione_lorda - w.ritenuta_inps - w.contributo_aggiuntivo -
                       w.altri_contributi_dip - w.ritenuta_inail;
}

void passo_ricerca_record(RecordCalcolo& w, const InputCalcolo& in, const RegoleCalcolo& regole,
                          bool mensile, double lordo) {
  w.retribuzione_lorda = lordo;
  if (mensile) {
    passo_mensile(w, in, regole, true);
  } else {
    passo_annuo(w, in, regole);
  }
  w.totale_detrazioni = detrazioni_del_passo(w);
  w.totale_detrazioni += w.ulteriore_detrazione;
  if (w.totale_detrazioni > w.irpef_lorda) w.totale_detrazioni = w.irpef_lorda;
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
