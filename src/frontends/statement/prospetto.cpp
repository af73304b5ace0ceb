#include "statement/prospetto.h"

#include <utility>

#include "form/testi_buste.h"

namespace zellora {

namespace {

Paragrafo vuoto(Allineamento a = Allineamento::sinistra) { return {"", a, false}; }

Paragrafo linea(std::string_view etichetta, std::string_view box, bool grassetto = false) {
  std::string testo(etichetta);
  testo += box;
  return {std::move(testo), Allineamento::sinistra, grassetto};
}

}  // namespace

namespace {

// A count and, when there is one, its share: "2 al 100%".
std::string a_carico(const std::string& numero, const std::string& percentuale) {
  std::string testo = numero.empty() ? std::string("0") : numero;
  if (!percentuale.empty() && testo != "0") testo += " al " + percentuale + "%";
  return testo;
}

}  // namespace

std::vector<std::string> righe_calcolo_prospetto(const CalcoloProspetto& calcolo, bool attuali) {
  const CampiForm1& c = calcolo.campi;
  const auto o = [](const std::string& testo, const char* altrimenti) {
    return testo.empty() ? std::string(altrimenti) : testo;
  };
  // The months of dependency count in the annual calculation only.
  const auto mesi = [&c](const std::string& n) {
    return c.Option1 ? " (" + n + " mesi)" : std::string();
  };
  std::vector<std::string> v;
  v.push_back("Data : " + calcolo.data);
  v.push_back("Lavoratore : " + o(c.List1, "categoria non indicata") + ", " +
              o(c.List2, "settore non indicato"));
  v.push_back("Periodo : " + (c.Option1 ? std::string("Annuo")
                                        : "Mensile, " + c.Text7 + " mensilit\u00e0 retribuite"));
  v.push_back(std::string("Tipologia di calcolo : ") +
              (c.Option3 ? "Dal netto al lordo" : "Dal lordo al netto"));
  std::string famiglia = "Familiari a carico : coniuge ";
  famiglia += c.Combo3 == "Si" ? "Si" + mesi(c.Text2) : std::string("No");
  famiglia += "; figli " + a_carico(c.Text4, c.Combo1);
  if (a_carico(c.Text4, "") != "0") {
    famiglia += mesi(c.Text9);
    if (!attuali && !c.Text6.empty() && c.Text6 != "0") {
      famiglia += ", di cui minori di 3 anni " + c.Text6;
    }
  }
  famiglia += "; altri " + a_carico(c.Text3, c.Combo2);
  if (a_carico(c.Text3, "") != "0") famiglia += mesi(c.Text10);
  v.push_back(std::move(famiglia));
  if (attuali) {
    // A typed rate stands in place of the table of the region or comune
    // named, and is said beside it.
    std::string addizionali = "Regione e comune : " + o(c.Combo5, "Nessuna");
    if (!c.Text25.empty()) {
      addizionali += ", addizionale regionale " + c.Text25 + "% (aliquota unica)";
    }
    addizionali += ", ";
    if (!c.Text22.empty()) addizionali += c.Text22;
    if (!c.Text23.empty()) {
      if (!c.Text22.empty()) addizionali += ", ";
      addizionali += "addizionale comunale " + c.Text23 + "%";
      if (!c.Text24.empty()) addizionali += ", esenzione fino a " + c.Text24;
    } else if (c.Text22.empty()) {
      addizionali += "nessun comune";
    }
    v.push_back(std::move(addizionali));
  }
  return v;
}

EsitoProspetto componi_prospetto(const Risultati& r, bool mensile, const Locale& locale,
                                 const CalcoloProspetto* calcolo) {
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
  // The inputs between the blank lines under the headings: the statement
  // stays on one page.
  if (calcolo != nullptr) {
    for (std::string& riga : righe_calcolo_prospetto(*calcolo, r.righe_attuali)) {
      v.push_back({std::move(riga), sx, false});
    }
  }
  // What the operator was told with the figures: how the comune's
  // deliberation was read.
  for (const std::string& nota : r.note) v.push_back({"Nota : " + nota, sx, false});
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

std::optional<SezioneProspetto> sezione_buste(const EsitoBuste& e, const Locale& locale) {
  if (!e.anno) return std::nullopt;
  const AnnoBuste& a = *e.anno;
  const Allineamento sx = Allineamento::sinistra;
  const int punti = punti_sezione_prospetto;
  SezioneProspetto s;
  s.prima.push_back({std::string(titolo_sezione_buste), Allineamento::centro, true});
  s.prima.push_back(vuoto(sx));
  for (const std::string& nota : e.note) s.prima.push_back({"Nota : " + nota, sx, false, punti});
  if (!e.note.empty()) s.prima.push_back(vuoto(sx));
  s.tabella.intestazioni.emplace_back(intestazione_busta);
  for (const ColonnaBreve& c : tabella_breve_buste) {
    s.tabella.intestazioni.emplace_back(c.intestazione);
  }
  const auto riga = [&](const BustaPaga& b, std::string descrizione, bool grassetto) {
    RigaTabella r{{std::move(descrizione)}, grassetto};
    for (const ColonnaBreve& c : tabella_breve_buste) {
      r.celle.push_back(formato_F_centesimi(colonne_buste[c.colonna].cifra(b), locale));
    }
    s.tabella.righe.push_back(std::move(r));
  };
  for (const BustaPaga& b : a.buste) riga(b, descrizione_busta(b), false);
  riga(a.totale, std::string(riga_totale_buste), true);
  const auto voce = [&](std::string_view testo, std::int64_t centesimi) {
    s.dopo.push_back(
        {std::string(testo) + " : " + formato_F_centesimi(centesimi, locale), sx, false, punti});
  };
  s.dopo.push_back({std::string(legenda_buste), sx, false, punti});
  s.dopo.push_back(vuoto(sx));
  s.dopo.push_back({std::string(titolo_riconciliazione_buste), sx, true, punti});
  for (const VoceBuste& v : riconciliazione_buste(a)) voce(v.testo, v.centesimi);
  s.dopo.push_back(vuoto(sx));
  s.dopo.push_back({std::string(titolo_anno_prossimo_buste), sx, true, punti});
  for (const VoceBuste& v : anno_prossimo_buste(a)) voce(v.testo, v.centesimi);
  if (a.incapiente) {
    s.dopo.push_back(vuoto(sx));
    s.dopo.push_back({std::string(testo_incapiente), sx, false, punti});
  }
  return s;
}

}  // namespace zellora
