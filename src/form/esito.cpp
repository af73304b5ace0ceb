#include "form/esito.h"

#include <string>

#include "numbers/numeri.h"

namespace zellora {

namespace {

std::string importo(double valore, const Locale& locale) {
  return formato_F(valore, locale).value_or("?");
}

// What stops the net from growing: the worker's contributions alone, or
// with the net IRPEF and the surcharges, each with its share of a euro.
std::string quote(const EsitoRicerca& r, const Locale& locale) {
  if (r.quota_ritenute >= 1 || (r.quota_irpef == 0 && r.quota_addizionali == 0)) {
    return "le ritenute crescono quanto la retribuzione lorda";
  }
  const auto percento = [&](double q) { return importo(q * 100, locale) + " %"; };
  std::string testo = "alle retribuzioni lorde pi\u00f9 alte, di ogni euro in pi\u00f9 " +
                      percento(r.quota_ritenute) + " va in ritenute";
  if (r.quota_addizionali != 0) {
    testo += ", " + percento(r.quota_irpef) + " in Irpef e " + percento(r.quota_addizionali) +
             " in addizionali";
  } else {
    testo += " e " + percento(r.quota_irpef) + " in Irpef";
  }
  return testo;
}

// The messages of a search that ends without the net wanted: the net
// reached is the "Netto in busta" the window shows for the last gross.
std::string messaggio_ricerca(const EsitoRicerca& r, const Locale& locale) {
  const std::string obiettivo = importo(r.obiettivo, locale);
  const std::string lordo = importo(r.lordo, locale);
  const std::string raggiunto = importo(r.netto_raggiunto, locale);
  const std::string con =
      "con la retribuzione lorda di " + lordo + " il netto raggiunto \u00e8 di " + raggiunto + ".";
  switch (r.fine) {
    case FineRicerca::esatta:
      return {};
    case FineRicerca::superato_dal_netto:
      return "Il netto di " + obiettivo +
             " non si trova salendo dal netto: gi\u00e0 con la retribuzione lorda di " + lordo +
             ", pari al netto, il netto raggiunto \u00e8 di " + raggiunto +
             ", nessuna retribuzione lorda superiore in euro interi d\u00e0 esattamente " +
             obiettivo + ", e le retribuzioni lorde inferiori non vengono cercate.";
    case FineRicerca::superato:
      return std::string(r.da_zero ? "Salendo da una retribuzione lorda di 0"
                                   : "Salendo dal netto") +
             ", nessuna retribuzione lorda in euro interi d\u00e0 esattamente il netto di " +
             obiettivo +
             ", n\u00e9 prima n\u00e9 dopo averlo superato: con la retribuzione lorda di " + lordo +
             ", la prima che lo supera, il netto raggiunto \u00e8 di " + raggiunto + ".";
    case FineRicerca::ferma:
      // From where the search started: the net, or 0 under today's law; and
      // what takes each further euro of gross.
      return "Il netto di " + obiettivo + " non \u00e8 raggiungibile dalla retribuzione lorda di " +
             importo(r.da_zero ? 0 : r.obiettivo, locale) + " in su: " + quote(r, locale) +
             ", il netto non pu\u00f2 pi\u00f9 aumentare; " + con;
    case FineRicerca::interrotta:
      return "Il netto di " + obiettivo +
             " non \u00e8 stato raggiunto: la ricerca si \u00e8 fermata dopo " +
             std::to_string(r.passaggi) + (r.passaggi == 1 ? " tentativo; " : " tentativi; ") + con;
  }
  return {};
}

}  // namespace

EsitoCalcolo esito_per_operatore(const CalcoloSvolto& svolto, const Locale& locale) {
  EsitoCalcolo esito;
  esito.stato = svolto.stato;
  esito.ricerca_svolta = svolto.ricerca_svolta;
  esito.ricerca = svolto.ricerca;
  switch (svolto.rifiuto) {
    case Rifiuto::nessuno:
      break;
    case Rifiuto::netto_negativo:
      esito.messaggi.emplace_back(
          "Il netto da ottenere (\"Retribuzione / Compenso\") non pu\u00f2 essere negativo.");
      return esito;
    case Rifiuto::troppo_grandi:
      esito.messaggi.emplace_back(
          "Gli importi inseriti sono troppo grandi: il calcolo non \u00e8 possibile.");
      return esito;
  }
  if (svolto.stato == Stato::irraggiungibile) {
    esito.messaggi.push_back(messaggio_ricerca(svolto.ricerca, locale));
  }
  return esito;
}

EsitoCalcolo calcola_irpef_annua(RecordCalcolo& record, const InputCalcolo& input,
                                 const Locale& locale, const RegoleCalcolo& regole) {
  return esito_per_operatore(calcola_annuo(record, input, regole), locale);
}

EsitoCalcolo calcola_mensile(RecordCalcolo& record, const InputCalcolo& input, const Locale& locale,
                             const RegoleCalcolo& regole) {
  return esito_per_operatore(calcola_mese(record, input, regole), locale);
}

}  // namespace zellora
