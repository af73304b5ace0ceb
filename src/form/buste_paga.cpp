#include "form/buste_paga.h"

#include <charconv>
#include <cmath>

#include "base/citazione.h"
#include "form/verifica.h"
#include "rules/profilo.h"

namespace zellora {

namespace {

std::int64_t in_centesimi(double euro) {
  return static_cast<std::int64_t>(std::llround(euro * 100));
}

// The name of the rule set of the year before a rule set named by its year
// ("2026": "2025"); nothing for another name.
std::optional<std::string> anno_prima(const std::string& nome) {
  int anno = 0;
  const auto fine = std::from_chars(nome.data(), nome.data() + nome.size(), anno);
  if (fine.ec != std::errc() || fine.ptr != nome.data() + nome.size() || anno <= 1) {
    return std::nullopt;
  }
  return std::to_string(anno - 1);
}

EsitoBuste rifiuta(std::string messaggio) {
  EsitoBuste e;
  e.esito.stato = Stato::rifiutato;
  e.esito.messaggi.push_back(std::move(messaggio));
  return e;
}

}  // namespace

EsitoBuste buste_paga(Motore& motore, const CampiForm1& campi, const OpzioniBuste& o) {
  if (campi.Option3) {
    return rifiuta(
        "Le buste paga dell'anno si calcolano dal lordo al netto: scegliere \"Dal lordo al "
        "netto\".");
  }
  EsitoBuste e;
  e.esito = motore.verifica_campi(campi);
  if (e.esito.stato == Stato::rifiutato) return e;
  const RegoleCalcolo& regole = motore.regole();
  InputCalcolo input = *motore.input_calcolo();
  const RecordCalcolo profilo = motore.record();

  DatiBuste& d = e.dati;
  if (!o.mensilita && campi.Option2 &&
      (input.mensilita != 12 && input.mensilita != 13 && input.mensilita != 14)) {
    return rifiuta(
        "Le buste paga dell'anno sono 12, 13 o 14: \"Numero mensilit\u00e0 "
        "retribuite\" contiene " +
        citazione(campi.Text7) + ".");
  }
  d.mensilita = o.mensilita.value_or(campi.Option2 ? static_cast<int>(input.mensilita) : 13);
  const double lordo = std::floor(input.retribuzione);
  d.lordo_mensile = campi.Option2 ? in_centesimi(lordo) : in_centesimi(lordo / d.mensilita);
  for (const auto& [mese, importo] : o.variazioni) {
    d.variazioni.push_back({mese, in_centesimi(importo)});
  }
  for (const auto& [mese, importo] : o.una_tantum) {
    d.una_tantum.push_back({mese, in_centesimi(importo)});
  }
  // The year of the results window's annual calculation: its gross is the
  // form's, which the payslips split to the cent.
  if (campi.Option1 && o.primo_mese == 1 && o.ultimo_mese == 12 && o.variazioni.empty() &&
      o.una_tantum.empty()) {
    d.lordo_annuo = in_centesimi(lordo);
  }
  d.mese_quattordicesima = o.mese_quattordicesima;
  d.primo_mese = o.primo_mese;
  d.ultimo_mese = o.ultimo_mese;
  d.quota = o.quota;
  d.proiezione = o.proiezione;
  // A fixed amount of other contributions is the form's per month in
  // "Mensile", per year in "Annuo": a share for each ordinary payslip.
  if (!input.percentuale && campi.Option1) {
    input.altri_dip /= 12;
  }
  // So are the benefit, the deduction from the net and the non-taxable pay
  // (in whole euros, as the annual calculation takes them): on each
  // ordinary payslip.
  const double parte = campi.Option1 ? 12 : 1;
  d.benefit = in_centesimi(std::floor(input.benefit) / parte);
  d.trattenuta = in_centesimi(std::floor(input.trattenuta) / parte);
  d.competenza = in_centesimi(std::floor(input.competenza) / parte);

  // Last year's surcharges: of the same worker under last year's rule set,
  // with the pay of a whole year at this year's first monthly gross.
  const std::optional<std::string> prima = anno_prima(regole.nome);
  const VoceNormativa* voce = prima ? motore.normative().trova(*prima) : nullptr;
  const bool dati_dati =
      o.regionale_precedente || o.comunale_precedente || o.acconto_pagato || o.acconto;
  if (d.primo_mese > 1) {
    e.note.push_back(
        "Assunto nell'anno: le rate delle addizionali dell'anno precedente e l'acconto "
        "comunale non sono trattenute da questo datore di lavoro.");
  } else if (voce != nullptr && voce->errore.ragione.empty()) {
    const RegoleCalcolo& regole_prima = motore.normative().regole(*prima);
    LetturaInput lettura_prima =
        input_del_calcolo(campi, regole_prima, motore.locale(), /*note=*/false);
    RecordCalcolo profilo_prima = profilo;
    const int c = indice_di(categorie_lavoratore(regole_prima), campi.List1);
    const int s = indice_di(voci_settore(regole_prima, c), campi.List2);
    if (!scrivi_profilo(profilo_prima, regole_prima, c, s)) profilo_prima = profilo;
    if (lettura_prima.input) {
      d.precedente = anno_precedente(*lettura_prima.input, profilo_prima, regole_prima,
                                     o.imponibile_precedente,
                                     static_cast<double>(d.lordo_mensile) / 100 * d.mensilita,
                                     static_cast<double>(d.benefit) / 100 * 12, input);
      e.normativa_precedente = regole_prima.nome;
    } else {
      e.note.push_back(
          "Le addizionali dell'anno precedente non sono calcolabili con la "
          "normativa " +
          citazione(regole_prima.nome) + ": indicarle.");
    }
  } else if (o.imponibile_precedente) {
    // No rule set of last year: its taxable income under this year's.
    d.precedente = anno_precedente(input, profilo, regole, o.imponibile_precedente, 0, 0, input);
    e.normativa_precedente = regole.nome;
    e.note.push_back(
        "La normativa dell'anno precedente non c'\u00e8: le sue addizionali sono "
        "calcolate con la normativa " +
        citazione(regole.nome) + ".");
  } else if (!dati_dati && (input.regola_regionale() != nullptr || input.comune)) {
    e.note.push_back("Le addizionali dell'anno precedente non sono note (nessuna normativa " +
                     (prima ? citazione(*prima) : std::string("dell'anno precedente")) +
                     "): nessuna rata trattenuta.");
  }
  if (d.primo_mese == 1 && dati_dati) {
    d.precedente.noto = true;
    if (o.regionale_precedente) d.precedente.regionale = in_centesimi(*o.regionale_precedente);
    if (o.comunale_precedente) d.precedente.comunale = in_centesimi(*o.comunale_precedente);
    if (o.acconto_pagato) d.precedente.acconto_pagato = in_centesimi(*o.acconto_pagato);
    if (o.acconto) d.precedente.acconto = in_centesimi(*o.acconto);
  }
  e.anno = anno_buste(input, profilo, regole, d);
  return e;
}

}  // namespace zellora
