#include "rules/calcolo.h"

#include <cmath>

#include "passi.h"
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
  for (const auto& c : campi_record()) {
    if (!std::isfinite(r.*c.campo)) return false;
  }
  return true;
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
                      bool mensile, NettoMostrato netto_mostrato) {
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
    esito = ricerca_lordo(w, input, regole, mensile, netto_mostrato);
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
// bands, `g` the days (31 in a month), `parte` 1 for a year and 12 for a
// month. Without them the three figures are 0.
void cuneo_e_integrativo(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole,
                         double R, double g, double parte) {
  r.somma_esente = 0;
  r.ulteriore_detrazione = 0;
  r.trattamento_integrativo = 0;
  const RegoleCuneoFiscale& c = regole.cuneo;
  if (c.presente && in.cuneo && c.n > 0) {
    const double fine_somma = c.somma[c.n - 1].fino_a;
    if (R <= fine_somma) {
      double aliquota = 0;
      for (std::size_t i = 0; i < c.n; ++i) {
        if (R <= c.somma[i].fino_a) {
          aliquota = c.somma[i].aliquota;
          break;
        }
      }
      r.somma_esente = aliquota * std::fmax(r.imponibile_fiscale, 0);
    } else {
      double annua = 0;
      if (R <= c.pieno_fino_a) {
        annua = c.importo;
      } else if (R <= c.fino_a) {
        annua = c.importo * ((c.fino_a - R) / (c.fino_a - c.pieno_fino_a));
      }
      r.ulteriore_detrazione = annua / parte;
    }
  }
  const RegoleTrattamentoIntegrativo& t = regole.integrativo;
  if (t.presente) {
    if (R <= t.primo_limite) {
      if (eccedenza_integrativo(r, t, g) > 0) {
        r.trattamento_integrativo = parte == 1 ? (t.importo * g) / 365 : t.importo / parte;
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

CalcoloSvolto rifiuto_troppo_grandi() {
  CalcoloSvolto esito;
  esito.stato = Stato::rifiutato;
  esito.rifiuto = Rifiuto::troppo_grandi;
  return esito;
}

void contributi_annui(RecordCalcolo& r, const InputCalcolo& in, const RegoleCalcolo& regole) {
  const double B = r.retribuzione_lorda + r.valore_benefit;

  r.contributo_aggiuntivo = 0;
  if (B > r.soglia_contributo_aggiuntivo) {
    r.contributo_aggiuntivo =
        (B - r.soglia_contributo_aggiuntivo) * regole.contributo_aggiuntivo_percento / 100;
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
  r.irpef_lorda = imposta_scaglioni(r.imponibile_fiscale, regole.irpef_annua);

  detrazioni_dip_annua(r, in.famiglia, regole.dipendente);
  detrazioni_coniuge_annua(r, in.famiglia, regole.coniuge);
  detrazioni_figli_annua(r, in.famiglia, regole.figli);
  detrazioni_altri_annua(r, in.famiglia, regole.altri);
  cuneo_e_integrativo(r, in, regole, r.imponibile_fiscale, in.famiglia.giorni, 1);
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
                     bool mensile, double lordo, NettoMostrato netto_mostrato) {
  passo_ricerca_record(w, in, regole, mensile, lordo);
  return netto_mostrato(w);
}

CalcoloSvolto calcola_annuo(RecordCalcolo& record, const InputCalcolo& input,
                            const RegoleCalcolo& regole, NettoMostrato netto_mostrato) {
  return calcola(record, input, regole, false, netto_mostrato);
}

CalcoloSvolto calcola_mese(RecordCalcolo& record, const InputCalcolo& input,
                           const RegoleCalcolo& regole, NettoMostrato netto_mostrato) {
  return calcola(record, input, regole, true, netto_mostrato);
}

}  // namespace zellora
