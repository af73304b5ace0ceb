// The WebAssembly module behind the page: the calculation core with the
// command line's request, output and batch code, called from JavaScript.
// Every function takes and gives UTF-8 text (JSON where it has a shape);
// the text given back stays valid until the next call.
//
//   zellora_descrizione()     the form, its lists and the rows of the results,
//                             per rule set, for the page to lay itself out
//   zellora_calcola(R)        the JSON `zellora-cli --format json` prints for
//                             the request R (the same JSON it reads), or
//                             {"error": ...} with the message of its exit 2
//   zellora_prospetto(R)      the statement of R, paragraph by paragraph
//   zellora_grafici(R)        the figures of the charts of R
//   zellora_buste(R)          the year of payslips of R, with the year's
//                             choices under "payslips", its texts made
//   zellora_regole()          what `zellora-cli rules` prints
//   zellora_tabella(NOME)     what `zellora-cli rules NOME` prints
//   zellora_citazione(T, N)   the text T of N bytes quoted as every value
//                             shown back in a message is
//   zellora_chiave_comune(T, N) the text T of N bytes as a comune's name is
//                             compared (the completion of "Comune")
//   zellora_formato(X)        X in the amount format F
//   zellora_misura(R, N)      microseconds of one calculation of R, over N
//   zellora_lotto(NOME)       a staff sheet as `zellora-cli batch NOME`: the
//                             rows are read from and the results given to
//                             JavaScript (Module.leggiFoglio,
//                             Module.scriviRisultati, Module.avanzamento); the
//                             summary as JSON
//
// The page reads numbers and writes amounts the Italian way, as the command
// line does under the neutral locale.
#include <emscripten.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <istream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/citazione.h"
#include "cli/lotto.h"
#include "cli/richiesta_json.h"
#include "cli/uscita.h"
#include "form/buste_paga.h"
#include "form/campi_form.h"
#include "form/grafici.h"
#include "form/motore.h"
#include "form/risultati.h"
#include "form/testi_buste.h"
#include "form/verifica.h"
#include "numbers/numeri.h"
#include "rules/caricamento.h"
#include "rules/comunali.h"
#include "rules/profilo.h"
#include "rules/regionali.h"
#include "rules/righe.h"
#include "rules/tabella.h"
#include "statement/prospetto.h"

namespace zellora {

// The input form and the results window of the desktop program, from their
// .ui files (generated when the page is built).
extern const std::string_view finestre_desktop;

}  // namespace zellora

// The page's module has one thread. The batch calculates a block of rows on
// a thread of its own while it reads the next and writes the one before;
// here each such thread runs to its end as it starts. The blocks are apart,
// so the rows and their order are the same.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t*, void* (*avvio)(void*),
                              void* argomento) {
  static unsigned long prossimo = 1;
  *thread = reinterpret_cast<pthread_t>(prossimo++);
  avvio(argomento);
  return 0;
}

extern "C" int pthread_join(pthread_t, void** risultato) {
  if (risultato != nullptr) *risultato = nullptr;
  return 0;
}

namespace {

using json = nlohmann::json;
using namespace zellora;

const Locale italiano = Locale::italiano();

// A staff sheet the browser can no longer read (removed or changed while
// it was read).
constexpr std::string_view foglio_illeggibile = "il file non si pu\u00f2 leggere";

std::string risposta;

const char* rispondi(std::string testo) {
  risposta = std::move(testo);
  return risposta.c_str();
}

const char* rispondi(const json& j) {
  return rispondi(j.dump(-1, ' ', false, json::error_handler_t::replace));
}

const char* errore(const std::string& messaggio) {
  std::string j = "{\"error\": ";
  aggiungi_stringa_json(j, messaggio);
  return rispondi(j + "}");
}

// One request read and calculated as `zellora-cli` does it.
struct Calcolo {
  Richiesta richiesta;
  std::optional<Motore> motore;
  EsitoCalcolo esito;
  std::string errore;  // the request cannot be read: the message of exit status 2
};

Calcolo calcola(const char* testo) {
  Calcolo c;
  try {
    c.richiesta = leggi_richiesta_json(testo != nullptr ? testo : "");
  } catch (const json::exception& e) {
    c.errore = "invalid JSON: " + messaggio_json(e);
    return c;
  } catch (const ErroreRichiesta& e) {
    c.errore = e.what();
    return c;
  }
  c.motore.emplace(italiano, *c.richiesta.regole);
  applica_profilo(*c.motore, c.richiesta);
  c.esito = c.motore->verifica_campi(c.richiesta.campi);
  return c;
}

// The rows of a panel of the results window that a rule set shows, top to
// bottom, from the one table of result rows.
// The rows of a panel a rule set shows; those shown only when a result asks
// for them (the surcharges) are marked, and the page shows them when the
// result has their texts.
json righe_di(Pannello pannello, bool attuali) {
  json r = json::array();
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.pannello != pannello || !mostrata(riga, attuali, true)) continue;
    r.push_back({{"id", riga.id},
                 {"etichetta", riga.etichetta},
                 {"box", riga.casella},
                 {"se_chiesta", !mostrata(riga, attuali, false)}});
  }
  return r;
}

// The surcharges' controls of a rule set: "Regione" with its regions, the
// comuni "Comune" completes, and the controls that stay off under a rule set
// without the tables.
void addizionali_di(const RegoleCalcolo& regole, json& normativa) {
  const std::vector<std::string_view> campi = {"Combo5", "Text22", "Text23", "Text24", "Text25"};
  if (!addizionali_disponibili(regole)) {
    normativa["spenti"] = campi;
    return;
  }
  const std::vector<std::string> regioni = voci_regione(regole);
  normativa["scelte"]["Combo5"] = regioni;
  // What "Regione" says of a region without a table, as on the desktop.
  json note = json::object();
  for (const std::string& regione : regioni) {
    const std::string nota = nota_regione(regole, regione);
    if (!nota.empty()) note[regione] = nota;
  }
  normativa["note"]["Combo5"] = note;
  normativa["spenti"] = json::array();
  // Each comune with its region, for "Comune" to complete the comuni of the
  // region chosen.
  if (const std::optional<int> anno = anno_delle_regole(regole)) {
    json comuni = json::array();
    json regioni_comuni = json::array();
    for (const std::string& voce : voci_comuni(*anno)) {
      comuni.push_back(voce);
      regioni_comuni.push_back(regione_della_provincia(voce.substr(voce.size() - 3, 2)));
    }
    normativa["completamenti"]["Text22"] = comuni;
    normativa["regioni_comuni"] = regioni_comuni;
  }
}

std::string importo(double valore) { return formato_F(valore, italiano).value_or("-"); }

// "Irpef netta: 3.456,78 (11,52%)", as the charts of the desktop label a part.
std::string etichetta_quota(const Quota& q) {
  return std::string(q.voce) + ": " + importo(static_cast<double>(q.centesimi) / 100) + " (" +
         importo(q.percentuale) + "%)";
}

json ripartizione(const std::optional<Ripartizione>& r, std::string_view titolo) {
  json j = {{"titolo", std::string(titolo) + ": non disponibile"}};
  if (!r) return j;
  std::string intestazione =
      std::string(titolo) + ": " + importo(static_cast<double>(r->totale) / 100);
  for (const Quota& q : r->aggiunte) {
    if (q.centesimi != 0) intestazione += " (+ " + etichetta_quota(q) + ")";
  }
  j["titolo"] = intestazione;
  j["totale"] = r->totale;
  j["parti"] = json::array();
  for (const Quota& q : r->parti) {
    j["parti"].push_back({{"voce", q.voce},
                          {"centesimi", q.centesimi},
                          {"percentuale", q.percentuale},
                          {"etichetta", etichetta_quota(q)}});
  }
  return j;
}

json numero(double v) { return std::isfinite(v) ? json(v) : json(nullptr); }

// The year of payslips as the page lays it out: its choices as fields (the
// kind of text each takes, for the keyboard a phone shows), the columns of
// the short table with their full labels, the headings.
json descrizione_buste() {
  const auto scelte = [](const auto& elenco) {
    json v = json::array();
    for (const SceltaBuste& s : elenco)
      v.push_back({{"valore", s.valore}, {"etichetta", s.etichetta}});
    return v;
  };
  json campi = json::array();
  for (const CampoBuste& c : campi_buste) {
    json campo = {{"chiave", c.chiave}, {"etichetta", c.etichetta}};
    const auto t = c.testo;
    if (t == &CampiBuste::detrazioni) {
      campo["scelte"] = scelte(scelte_detrazioni);
    } else if (t == &CampiBuste::proiezione) {
      campo["scelte"] = scelte(scelte_proiezione);
    } else if (t == &CampiBuste::variazioni || t == &CampiBuste::una_tantum) {
      campo["tipo"] = "voci";  // MONTH:AMOUNT items
    } else if (t == &CampiBuste::mensilita || t == &CampiBuste::mese_quattordicesima ||
               t == &CampiBuste::primo_mese || t == &CampiBuste::ultimo_mese) {
      campo["tipo"] = "intero";
    } else {
      campo["tipo"] = "importo";
    }
    campi.push_back(std::move(campo));
  }
  json colonne = json::array();
  for (const ColonnaBreve& c : tabella_breve_buste) {
    const ColonnaBuste& colonna = colonne_buste[c.colonna];
    colonne.push_back({{"nome", colonna.nome},
                       {"intestazione", c.intestazione},
                       {"etichetta", colonna.etichetta}});
  }
  return {{"titolo", titolo_buste},
          {"campi", campi},
          {"colonne", colonne},
          {"legenda", legenda_buste},
          {"intestazione", intestazione_busta},
          {"totale", riga_totale_buste},
          {"titolo_riconciliazione", titolo_riconciliazione_buste},
          {"titolo_anno_prossimo", titolo_anno_prossimo_buste},
          {"titolo_grafico", titolo_grafico_buste}};
}

// The figures of the year's chart, each also written as the table writes
// it, and the chart said in words for who cannot see it: each line with
// the four figures.
json grafico_buste(const AnnoBuste& anno) {
  const std::vector<SerieBuste> serie = serie_grafico_buste(anno);
  json g;
  g["righe"] = json::array();
  for (const BustaPaga& b : anno.buste) g["righe"].push_back(descrizione_busta(b));
  g["serie"] = json::array();
  for (const SerieBuste& s : serie) {
    json testi = json::array();
    for (const std::int64_t c : s.centesimi) testi.push_back(formato_F_centesimi(c, italiano));
    g["serie"].push_back(
        {{"etichetta", s.etichetta}, {"centesimi", s.centesimi}, {"testi", testi}});
  }
  std::string parole;
  for (std::size_t i = 0; i < anno.buste.size(); ++i) {
    parole += descrizione_busta(anno.buste[i]);
    for (std::size_t k = 0; k < serie.size(); ++k) {
      parole += k == 0 ? ": " : "; ";
      parole += std::string(serie[k].etichetta) + " " +
                formato_F_centesimi(serie[k].centesimi[i], italiano);
    }
    parole += ". ";
  }
  if (!parole.empty()) parole.pop_back();
  g["alternativa"] = parole;
  return g;
}

json voci_buste(const std::vector<VoceBuste>& voci) {
  json v = json::array();
  for (const VoceBuste& voce : voci) {
    v.push_back({{"nome", voce.nome},
                 {"testo", voce.testo},
                 {"importo", formato_F_centesimi(voce.centesimi, italiano)}});
  }
  return v;
}

// The staff sheet as JavaScript hands it over, piece by piece.
EM_JS(int, foglio_leggi, (char* destinazione, int massimo),
      { return Module["leggiFoglio"](destinazione, massimo); });
EM_JS(void, risultati_scrivi, (const char* dati, int byte),
      { Module["scriviRisultati"](dati, byte); });
EM_JS(void, lotto_avanzamento, (double letti), {
  if (Module["avanzamento"]) Module["avanzamento"](letti);
});

class FoglioPagina : public std::streambuf {
 public:
  bool errore() const { return errore_; }

 private:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (errore_) return traits_type::eof();
    const int n = foglio_leggi(buffer_.data(), static_cast<int>(buffer_.size()));
    if (n < 0) errore_ = true;
    if (n <= 0) return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
    return traits_type::to_int_type(*gptr());
  }

  std::vector<char> buffer_ = std::vector<char>(std::size_t{1} << 20);
  bool errore_ = false;
};

class RisultatiPagina : public std::streambuf {
 public:
  RisultatiPagina() { setp(buffer_.data(), buffer_.data() + buffer_.size()); }

  // The first byte written: a JSON Lines result starts with '{', a CSV one
  // with its header row.
  int primo() const { return primo_; }

 private:
  int_type overflow(int_type c) override {
    svuota();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    svuota();
    return 0;
  }
  void svuota() {
    if (pptr() > pbase()) {
      if (primo_ < 0) primo_ = static_cast<unsigned char>(*pbase());
      risultati_scrivi(pbase(), static_cast<int>(pptr() - pbase()));
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }

  std::vector<char> buffer_ = std::vector<char>(std::size_t{1} << 20);
  int primo_ = -1;
};

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* zellora_descrizione() {
  try {
    json d;
    d["finestre"] = json::parse(finestre_desktop);
    d["titolo_applicazione"] = titolo_applicazione;
    d["messaggio_campi_vuoti"] = messaggio_campi_vuoti;

    // The fields with the label a message names them by, and the form's
    // initial values.
    const CampiForm1 iniziali;
    d["campi"] = json::array();
    for (const CampoTesto& c : campi_testo()) {
      d["campi"].push_back({{"nome", c.nome},
                            {"etichetta", c.etichetta},
                            {"lunghezza_massima", c.lunghezza_massima},
                            {"predefinito", iniziali.*(c.campo)}});
    }
    d["opzioni"] = {{"Option1", iniziali.Option1}, {"Option2", iniziali.Option2},
                    {"Option3", iniziali.Option3}, {"Option4", iniziali.Option4},
                    {"Option5", iniziali.Option5}, {"Option6", iniziali.Option6},
                    {"Check1", iniziali.Check1}};
    const auto voci = [](auto elenco) {
      json v = json::array();
      for (std::string_view voce : elenco) v.push_back(voce);
      return v;
    };
    // The drop-down lists whose items are the same under every rule set;
    // those of a rule set are among its own (`scelte` of each one). The
    // page places a list the desktop's window does not, under its label
    // (`etichette_scelte`).
    d["scelte"] = {{"Combo1", voci(voci_percentuale)},
                   {"Combo2", voci(voci_percentuale)},
                   {"Combo3", voci(voci_coniuge)}};
    d["etichette_scelte"] = {{"Combo5", "Regione"}};

    // The rule sets: names, lists and the rows of the results they show.
    d["normative"] = json::array();
    for (std::string_view nome : nomi_regole_incluse()) {
      const RegoleCalcolo& regole = regole_incluse(nome);
      const bool attuali = regole_attuali(regole);
      json categorie = json::array();
      const auto elenco = categorie_lavoratore(regole);
      for (std::size_t i = 0; i < elenco.size(); ++i) {
        // The items of an earlier list each stand for one sector of today:
        // an address that names one is read as that sector.
        json precedenti = json::object();
        for (const Settore& settore : regole.categorie[i].settori) {
          for (const std::string& voce : settore.voci_precedenti) precedenti[voce] = settore.voce;
        }
        categorie.push_back({{"nome", elenco[i]},
                             {"settori", voci(voci_settore(regole, static_cast<int>(i)))},
                             {"precedenti", precedenti}});
      }
      json normativa = {{"nome", regole.nome},
                        {"descrizione", regole.descrizione},
                        {"attuale", attuali},
                        {"categorie", categorie},
                        {"scelte", json::object()},
                        {"completamenti", json::object()},
                        {"righe_lavoratore", righe_di(Pannello::lavoratore, attuali)},
                        {"righe_azienda", righe_di(Pannello::azienda, attuali)}};
      addizionali_di(regole, normativa);
      d["normative"].push_back(std::move(normativa));
    }
    d["normativa_predefinita"] = regole_predefinite().nome;
    d["risultati"] = {{"titolo", titolo_risultati}, {"nota", nota_retribuzione}};
    d["buste"] = descrizione_buste();
    d["prospetto"] = {{"carattere", carattere_prospetto},
                      {"punti", punti_prospetto},
                      {"pagina",
                       {{"larghezza", pagina_prospetto.larghezza},
                        {"altezza", pagina_prospetto.altezza},
                        {"sopra", pagina_prospetto.sopra},
                        {"destra", pagina_prospetto.destra},
                        {"sotto", pagina_prospetto.sotto},
                        {"sinistra", pagina_prospetto.sinistra}}}};
    return rispondi(d);
  } catch (const std::exception& e) {
    return errore(e.what());
  }
}

EMSCRIPTEN_KEEPALIVE const char* zellora_calcola(const char* richiesta) {
  try {
    const Calcolo c = calcola(richiesta);
    if (!c.motore) return errore(c.errore);
    return rispondi(uscita_json(c.esito, *c.motore));
  } catch (const std::exception& e) {
    return errore(e.what());
  }
}

EMSCRIPTEN_KEEPALIVE const char* zellora_prospetto(const char* richiesta) {
  try {
    const Calcolo c = calcola(richiesta);
    if (!c.motore) return errore(c.errore);
    if (c.esito.stato == Stato::rifiutato) return rispondi(json{{"paragrafi", json::array()}});
    const EsitoProspetto p =
        componi_prospetto(c.motore->risultati(), c.richiesta.campi.Option2, italiano);
    if (!p.prospetto) return rispondi(json{{"errore", p.errore.testo()}});
    json paragrafi = json::array();
    for (const Paragrafo& par : p.prospetto->paragrafi) {
      paragrafi.push_back(
          {{"testo", par.testo},
           {"allineamento", par.allineamento == Allineamento::centro ? "centro" : "sinistra"},
           {"grassetto", par.grassetto}});
    }
    return rispondi(json{{"paragrafi", paragrafi}});
  } catch (const std::exception& e) {
    return errore(e.what());
  }
}

EMSCRIPTEN_KEEPALIVE const char* zellora_grafici(const char* richiesta) {
  try {
    const Calcolo c = calcola(richiesta);
    if (!c.motore) return errore(c.errore);
    if (c.esito.stato == Stato::rifiutato) return rispondi(json::object());
    const std::optional<DatiGrafici> dati = dati_grafici(*c.motore);
    if (!dati) return rispondi(json::object());
    // The titles of the desktop's charts window.
    json g;
    g["lavoratore"] = ripartizione(dati->lavoratore, "Dove va il lordo");
    // The cost of labour by the label of its row, as in every window.
    const std::string_view costo = righe_risultato[riga_del_genere(Genere::totale)].etichetta;
    g["azienda"] = ripartizione(dati->azienda, costo);
    const Curva& curva = dati->curva;
    json punti = json::array();
    // A point's fifth figure: 1 where its rate is drawn as a rate.
    for (const PuntoCurva& p : curva.punti) {
      punti.push_back({numero(p.lordo), numero(p.netto), numero(p.aliquota_marginale),
                       numero(p.costo_lavoro), aliquota_ordinaria(curva, p) ? 1 : 0});
    }
    // The cliffs, as the charts window lists them, each on the net of the
    // point before it.
    json salti = json::array();
    for (const Salto& s : curva.salti) {
      auto dopo = std::upper_bound(curva.punti.begin(), curva.punti.end(), s.lordo,
                                   [](double l, const PuntoCurva& p) { return l < p.lordo; });
      if (dopo != curva.punti.begin()) --dopo;
      salti.push_back({{"lordo", s.lordo},
                       {"netto", dopo == curva.punti.end() ? json(nullptr) : numero(dopo->netto)},
                       {"testo", testo_salto(s, italiano)}});
    }
    g["curva"] = {
        {"titolo", curva.errore.empty()
                       ? std::string("Netto in busta e aliquota marginale secondo il lordo")
                       : "Curva non disponibile: " + curva.errore},
        {"punti", punti},
        {"salti", salti},
        {"titolo_salti", std::string(titolo_salti) + " (" + std::string(spiegazione_salti) + ")"},
        {"lordo_attuale", numero(curva.lordo_attuale)}};
    // The worker on the curve: the net shown, and from net to gross the net
    // wanted.
    if (dati->netto) {
      const double netto = *dati->netto;
      const bool da_netto = c.richiesta.campi.Option3;
      g["curva"]["netto_attuale"] = netto;
      g["curva"]["etichetta_attuale"] = std::string(da_netto ? "Lordo trovato: " : "Lavoratore: ") +
                                        importo(curva.lordo_attuale) + " \u2192 " + importo(netto);
      if (const std::optional<double> voluto = netto_voluto(*c.motore)) {
        g["curva"]["netto_voluto"] = *voluto;
        g["curva"]["etichetta_voluto"] = "Netto voluto: " + importo(*voluto);
      }
    }
    g["voce_netto"] = voce_netto;
    g["voce_costo"] = costo;
    return rispondi(g);
  } catch (const std::exception& e) {
    return errore(e.what());
  }
}

EMSCRIPTEN_KEEPALIVE const char* zellora_buste(const char* richiesta) {
  try {
    Richiesta r;
    try {
      r = leggi_richiesta_json(richiesta != nullptr ? richiesta : "");
    } catch (const json::exception& e) {
      return errore("invalid JSON: " + messaggio_json(e));
    } catch (const ErroreRichiesta& e) {
      return errore(e.testo(Lingua::italiano));
    }
    Motore motore(italiano, *r.regole);
    applica_profilo(motore, r);
    // The choices are checked as the form's fields: a refusal names the
    // field, and nothing of the year is calculated.
    OpzioniBuste opzioni;
    EsitoBuste e;
    const std::string scelte = leggi_campi_buste(r.buste, italiano, opzioni);
    if (scelte.empty()) {
      e = buste_paga(motore, r.campi, opzioni);
    } else {
      e.esito.stato = Stato::rifiutato;
      e.esito.messaggi.push_back(scelte);
    }
    json j = {{"status", nome_stato(e.esito.stato)}, {"messages", e.esito.messaggi}};
    if (!e.anno) return rispondi(j);
    const AnnoBuste& a = *e.anno;
    const DatiBuste& d = e.dati;
    j["titolo"] = titolo_anno_buste(motore.regole().nome);
    j["note"] = e.note;
    // What the fields left empty stood for, for the page to show in them.
    json usate = json::object();
    for (const CampoBuste& c : campi_buste) {
      const auto t = c.testo;
      const int valore = t == &CampiBuste::mensilita              ? d.mensilita
                         : t == &CampiBuste::mese_quattordicesima ? d.mese_quattordicesima
                         : t == &CampiBuste::primo_mese           ? d.primo_mese
                         : t == &CampiBuste::ultimo_mese          ? d.ultimo_mese
                                                                  : 0;
      if (valore > 0) usate[std::string(c.chiave)] = std::to_string(valore);
    }
    j["usate"] = usate;
    const auto celle = [](const BustaPaga& b) {
      json c = json::array();
      for (const ColonnaBreve& k : tabella_breve_buste) {
        c.push_back(formato_F_centesimi(colonne_buste[k.colonna].cifra(b), italiano));
      }
      return c;
    };
    j["righe"] = json::array();
    for (const BustaPaga& b : a.buste) {
      j["righe"].push_back({{"descrizione", descrizione_busta(b)},
                            {"tipo", nome_tipo_busta(b.tipo)},
                            {"celle", celle(b)}});
    }
    j["totale"] = celle(a.totale);
    j["riconciliazione"] = voci_buste(riconciliazione_buste(a));
    j["anno_prossimo"] = voci_buste(anno_prossimo_buste(a));
    if (a.incapiente) j["incapiente"] = testo_incapiente;
    j["grafico"] = grafico_buste(a);
    return rispondi(j);
  } catch (const std::exception& e) {
    return errore(e.what());
  }
}

EMSCRIPTEN_KEEPALIVE const char* zellora_regole() {
  try {
    std::string testo;
    for (const std::string_view nome : nomi_regole_incluse()) {
      testo += std::string(nome) + "  " + regole_incluse(nome).descrizione + "\n";
    }
    return rispondi(testo);
  } catch (const std::exception& e) {
    return rispondi(std::string(e.what()));
  }
}

EMSCRIPTEN_KEEPALIVE const char* zellora_tabella(const char* nome) {
  try {
    // Figures the Italian way, as the page writes every number.
    return rispondi(tabella_regole(regole_incluse(nome != nullptr ? nome : ""), italiano.decimale));
  } catch (const std::exception& e) {
    return rispondi(std::string(e.what()));
  }
}

EMSCRIPTEN_KEEPALIVE const char* zellora_citazione(const char* testo, int byte) {
  return rispondi(citazione(
      std::string_view(testo != nullptr ? testo : "", testo != nullptr && byte > 0 ? byte : 0)));
}

EMSCRIPTEN_KEEPALIVE const char* zellora_chiave_comune(const char* testo, int byte) {
  return rispondi(chiave_comune(
      std::string_view(testo != nullptr ? testo : "", testo != nullptr && byte > 0 ? byte : 0)));
}

EMSCRIPTEN_KEEPALIVE const char* zellora_formato(double valore) {
  return rispondi(formato_F(valore, italiano).value_or(""));
}

EMSCRIPTEN_KEEPALIVE double zellora_misura(const char* richiesta, int volte) {
  try {
    Calcolo c = calcola(richiesta);
    if (!c.motore || volte <= 0) return -1;
    const auto inizio = std::chrono::steady_clock::now();
    std::size_t lunghezza = 0;
    for (int i = 0; i < volte; ++i) {
      const EsitoCalcolo esito = c.motore->verifica_campi(c.richiesta.campi);
      lunghezza += esito.messaggi.size() + c.motore->risultati().Text(10).size();
    }
    const std::chrono::duration<double, std::micro> durata =
        std::chrono::steady_clock::now() - inizio;
    // The texts' lengths keep the calculations from being left out.
    return lunghezza > 0 ? durata.count() / volte : -1;
  } catch (const std::exception&) {
    return -1;
  }
}

EMSCRIPTEN_KEEPALIVE const char* zellora_lotto(const char* nome_file) {
  // The format as the batch takes it: JSON Lines by the file's extension,
  // else from the first character that is not blank; the results in the
  // input's format.
  const std::string nome = minuscolo(nome_file != nullptr ? nome_file : "");
  const auto finisce = [&nome](std::string_view coda) {
    return nome.size() >= coda.size() &&
           nome.compare(nome.size() - coda.size(), coda.size(), coda) == 0;
  };
  OpzioniLotto opzioni;
  if (finisce(".jsonl") || finisce(".ndjson")) {
    opzioni.formato = FormatoLotto::jsonl;
  } else {
    opzioni.riconosci_formato = true;
  }
  opzioni.locale = italiano;
  opzioni.lingua = Lingua::italiano;
  opzioni.thread = 1;
  opzioni.avanzamento = [](std::uint64_t letti) { lotto_avanzamento(static_cast<double>(letti)); };
  FoglioPagina foglio;
  RisultatiPagina risultati;
  std::istream in(&foglio);
  std::ostream out(&risultati);
  json r;
  try {
    const RiepilogoLotto riepilogo = esegui_lotto(in, out, opzioni);
    out.flush();
    r["formato"] = risultati.primo() == '{' || (risultati.primo() < 0 && !opzioni.riconosci_formato)
                       ? "jsonl"
                       : "csv";
    if (foglio.errore()) {
      r["error"] = foglio_illeggibile;
      return rispondi(r);
    }
    r["lavoratori"] = riepilogo.lavoratori;
    r["rifiutati"] = riepilogo.rifiutati;
    r["irraggiungibili"] = riepilogo.irraggiungibili;
    r["riepilogo"] = testo_riepilogo(riepilogo, italiano, Lingua::italiano);
  } catch (const ErroreLotto& e) {
    r["error"] = foglio.errore() ? std::string(foglio_illeggibile) : e.testo(Lingua::italiano);
  } catch (const std::exception& e) {
    r["error"] = foglio.errore() ? std::string(foglio_illeggibile) : std::string(e.what());
  }
  return rispondi(r);
}

}  // extern "C"
