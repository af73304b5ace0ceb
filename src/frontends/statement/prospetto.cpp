#include "statement/prospetto.h"

#include <utility>

namespace zellora {

namespace {

Paragrafo vuoto(Allineamento a = Allineamento::sinistra) { return {"", a, false}; }

Paragrafo riga(std::string_view etichetta, const std::string& box, bool grassetto = false) {
  return {std::string(etichetta) + box, Allineamento::sinistra, grassetto};
}

}  // namespace

EsitoProspetto componi_prospetto(const Risultati& r, bool mensile, const Locale& locale) {
  std::string costo = "Costo del Lavoro : " + r.Text(16);
  if (mensile) {
    const std::optional<double> mese = converti_numero(r.Text(16), locale);
    std::optional<std::string> annui;
    if (mese) annui = formato_generale(*mese * 12, locale);
    if (!annui) {
      return {
          std::nullopt,
          Errore{
              {},
              "Impossibile creare il prospetto: il \"Costo del Lavoro\" mensile (\"" + r.Text(16) +
                  "\") non \u00e8 un numero, quindi non se ne pu\u00f2 ricavare il costo annuo."}};
    }
    costo += " (=annui euro " + *annui + ")";
  }

  const Allineamento sx = Allineamento::sinistra;
  Prospetto p{{
      vuoto(Allineamento::predefinito),
      {std::string(titolo_prospetto), Allineamento::centro, true},
      vuoto(Allineamento::centro),
      vuoto(sx),
      riga("Retribuzione Lorda:  ", r.Text(1), true),
      riga("Ritenuta Inps : ", r.Text(2)),
      riga("Ritenuta Altri Contributi : ", r.Text(18)),
      riga("Ritenuta Inail : ", r.Text(17)),
      riga("Imponibile Fiscale : ", r.Text(3)),
      riga("Irpef : ", r.Text(4)),
      riga("Detrazione Lavoro dipendente : ", r.Text(5)),
      riga("Detrazione Coniuge : ", r.Text(6)),
      riga("Detrazione Figli : ", r.Text(7)),
      riga("Detrazione Altri Familiari : ", r.Text(8)),
      riga("Altre Trattenute Non Deducibili: ", r.Text(20)),
      riga("Altre Competenze Non Imponibili : ", r.Text(21)),
      riga("Retribuzione Netta : ", r.Text(10), true),
      vuoto(sx),
      vuoto(sx),
      {std::string(titolo_costo_lavoro), Allineamento::centro, true},
      vuoto(sx),
      vuoto(sx),
      riga("Retribuzione (comprese mensilit\u00e0 aggiuntive) ", r.Text(11), true),
      riga("Contributi Inps c/azienda :  ", r.Text(12)),
      riga("Altri contributi c/azienda ", r.Text(19)),
      riga("Premio Inail : ", r.Text(13)),
      riga("Irap : ", r.Text(14)),
      riga("Trattamento Fine Rapporto : ", r.Text(15)),
      {std::move(costo), sx, true},
      vuoto(sx),
      vuoto(sx),
      vuoto(sx),
      {std::string(titolo_condizioni), sx, false},
      {std::string(condizioni_utilizzo), sx, false},
  }};
  if (r.righe_attuali) {
    // Inserted from the bottom up, so that each place is the one of the
    // rows of 2007.
    auto& v = p.paragrafi;
    const auto netta = v.begin() + 16;  // "Retribuzione Netta : "
    v.insert(netta,
             {riga("Somma esente : ", r.Text(22)), riga("Trattamento integrativo : ", r.Text(24))});
    v.insert(v.begin() + 14, riga("Ulteriore detrazione : ", r.Text(23)));
    v.insert(v.begin() + 2, {"Normativa " + r.normativa, Allineamento::centro, false});
  }
  return {std::move(p), {}};
}

}  // namespace zellora
