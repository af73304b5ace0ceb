#include "statement/prospetto.h"

#include <utility>

namespace zellora {

namespace {

Paragrafo vuoto(Allineamento a = Allineamento::sinistra) { return {"", a, false}; }

Paragrafo linea(std::string_view etichetta, std::string_view box, bool grassetto = false) {
  std::string testo(etichetta);
  testo += box;
  return {std::move(testo), Allineamento::sinistra, grassetto};
}

}  // namespace

EsitoProspetto componi_prospetto(const Risultati& r, bool mensile, const Locale& locale) {
  const Allineamento sx = Allineamento::sinistra;
  Prospetto p;
  auto& v = p.paragrafi;
  v.push_back(vuoto(Allineamento::predefinito));
  v.push_back({std::string(titolo_prospetto), Allineamento::centro, true});
  // The rule set of the figures, whichever it is (a statement of the rules of
  // 2007 is not taken for one of today's law).
  if (!r.normativa.empty()) {
    v.push_back({"Normativa " + r.normativa, Allineamento::centro, false});
  }
  v.push_back(vuoto(Allineamento::centro));
  v.push_back(vuoto(sx));
  // The rows of the window that the statement has, each under its own label,
  // panel by panel.
  Pannello pannello = Pannello::lavoratore;
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.voce_prospetto.empty() || !mostrata(riga, r.righe_attuali, r.righe_addizionali))
      continue;
    if (riga.pannello != pannello) {
      // Between the panels: two blank lines, the heading, two blank lines.
      v.insert(v.end(), {vuoto(sx), vuoto(sx)});
      v.push_back({std::string(titolo_costo_lavoro), Allineamento::centro, true});
      v.insert(v.end(), {vuoto(sx), vuoto(sx)});
      pannello = riga.pannello;
    }
    if (riga.genere == Genere::totale) {
      // The cost of labour of a month adds the annual figure: twelve such
      // months, the text read back.
      const std::string testo(r.Text(riga.casella));
      std::string costo = std::string(riga.voce_prospetto) + testo;
      if (mensile) {
        const std::optional<double> mese = converti_numero(testo, locale);
        std::optional<std::string> annui;
        if (mese) annui = formato_generale(*mese * 12, locale);
        if (!annui) {
          return {std::nullopt,
                  Errore{{},
                         "Impossibile creare il prospetto: il \"" + std::string(riga.etichetta) +
                             "\" mensile (\"" + testo +
                             "\") non \u00e8 un numero, quindi non se ne pu\u00f2 ricavare il "
                             "costo annuo."}};
        }
        costo += " (=annui euro " + *annui + ")";
      }
      v.push_back({std::move(costo), sx, riga.grassetto});
      continue;
    }
    v.push_back(linea(riga.voce_prospetto, r.Text(riga.casella), riga.grassetto));
  }
  v.insert(v.end(), {vuoto(sx), vuoto(sx), vuoto(sx)});
  v.push_back({std::string(titolo_condizioni), sx, false});
  v.push_back({std::string(condizioni_utilizzo), sx, false});
  return {std::move(p), {}};
}

}  // namespace zellora
