// The whole calculation from arbitrary input-form contents: one line per
// control, "Name=value" (Text1=30000, Option2=1, List1=Impiegato...), then a
// second calculation with the period and the direction switched, as an
// operator would make it on the same form. Combo4 names a rule set built in,
// or one of the changed copies below.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cammino.h"
#include "form/motore.h"
#include "form/verifica.h"
#include "rules/calcolo.h"
#include "rules/caricamento.h"
#include "rules/cifre.h"
#include "rules/profilo.h"
#include "verifiche.h"

using namespace zellora;

namespace {

void imposta(CampiForm1& c, std::string_view nome, std::string_view valore) {
  if (const CampoTesto* t = campo_testo(nome)) {
    c.*(t->campo) = std::string(valore);
    return;
  }
  const bool si = !valore.empty() && valore[0] == '1';
  if (nome == "Option2" || nome == "Option1") {
    c.Option2 = nome == "Option2" ? si : !si;
    c.Option1 = !c.Option2;
  } else if (nome == "Option3" || nome == "Option4") {
    c.Option3 = nome == "Option3" ? si : !si;
    c.Option4 = !c.Option3;
  } else if (nome == "Option6" || nome == "Option5") {
    c.Option6 = nome == "Option6" ? si : !si;
    c.Option5 = !c.Option6;
  } else if (nome == "Check1") {
    c.Check1 = si;
  } else if (nome == "Combo1") {
    c.Combo1 = valore;
  } else if (nome == "Combo2") {
    c.Combo2 = valore;
  } else if (nome == "Combo3") {
    c.Combo3 = valore;
  } else if (nome == "Combo4") {
    c.Combo4 = valore;
  } else if (nome == "List1") {
    c.List1 = valore;
  } else if (nome == "List2") {
    c.List2 = valore;
  }
}

// Rule sets whose net jumps, besides those built in: copies of a built-in
// file changed as an accountant could change one, named by Combo4.
RegoleCalcolo variante(std::string_view nome, std::string_view vecchio, std::string_view nuovo,
                       std::string_view togli = {}) {
  std::string testo(testo_regole_incluse(nome));
  if (!togli.empty()) {
    const auto da = testo.find(togli);
    testo.erase(da, testo.find("[contributi]", da) - da);
  }
  testo.replace(testo.find(vecchio), vecchio.size(), nuovo);
  return carica_regole(testo, nome);
}

const RegoleCalcolo* regole_di_prova(std::string_view nome) {
  static const std::vector<std::pair<std::string, RegoleCalcolo>> varianti = {
      {"2026-senza-cuneo",
       variante("2026", "nome = \"2026\"", "nome = \"2026\"", "[cuneo_fiscale]")},
      {"2007-fascia-alzata", variante("2007", "fisso = 0,", "fisso = 400,")},
      {"2007-fascia-ripida", variante("2007", "variabile = 502", "variabile = 20000")},
      {"2026-tetto",
       variante("2026", "aliquote = [0.23, 0.33, 0.43]", "aliquote = [0.23, 0.33, 1.0]")},
  };
  for (const auto& [n, r] : varianti) {
    if (n == nome) return &r;
  }
  return nullptr;
}

// The search ends on the first gross, from where it starts, whose net shown
// is the net wanted, or says that none does and shows the first gross above
// it: no gross it passed over may give it (a walk over the first and the
// last grosses before the end, around the one shown, and grosses spread
// between), and the record must be exactly that of a pass on the gross it
// shows.
void verifica_ricerca(const RecordCalcolo& prima, const CampiForm1& c, const RecordCalcolo& dopo,
                      const EsitoRicerca& esito, const Locale& locale,
                      const RegoleCalcolo& regole) {
  // The input as the calculation took it: the form's figures, the
  // surcharges asked for, the cuneo of the category.
  auto lettura = input_del_calcolo(c, regole, locale);
  ZELLORA_VERIFICA(lettura.input.has_value(), "calculated with inputs that do not read");
  InputCalcolo& in = *lettura.input;
  const bool mensile = !c.Option1;
  RecordCalcolo w = prima;
  w.trattenuta_non_deducibile = Int(in.trattenuta);
  w.competenza_non_imponibile = Int(in.competenza);
  w.valore_benefit = Int(in.benefit);
  w.retribuzione_intera = dopo.retribuzione_intera;
  const double obiettivo = dopo.retribuzione_intera;
  const double trovato = dopo.retribuzione_lorda;
  RecordCalcolo ultimo = w;
  const double netto = passo_ricerca(ultimo, in, regole, mensile, trovato);
  ZELLORA_VERIFICA(ultimo == dopo, "the record is not that of the gross shown");
  ZELLORA_VERIFICA(esito.passaggi >= 1 && esito.passaggi <= passaggi_massimi,
                   "a search without a pass or beyond the most passes");
  ZELLORA_VERIFICA(esito.esatta == (netto == obiettivo), "exact, but another net shown");
  if (esito.fine == FineRicerca::interrotta) return;  // gave up, and said so
  const bool superato =
      esito.fine == FineRicerca::superato || esito.fine == FineRicerca::superato_dal_netto;
  ZELLORA_VERIFICA(superato == (netto > obiettivo), "the end of the search is not its net");
  const double inizio = regole.ricerca_da_zero ? 0 : obiettivo;
  if (superato) {
    ZELLORA_VERIFICA((esito.fine == FineRicerca::superato_dal_netto) ==
                         (trovato == inizio && !regole.ricerca_da_zero),
                     "already above the net at the start, or not");
  } else if (!esito.esatta) {
    ZELLORA_VERIFICA(trovato == inizio, "an unreachable net not shown at the start");
  }
  // The net shown of `g`, where it can be the net wanted or above it: not
  // where the unrounded balance is more than a euro below it, nor, for the
  // net wanted, more than a euro above it (every figure shown is within a
  // cent of the record).
  // Nothing where it cannot be (a net wanted of 2e80 less one euro is
  // still 2e80: no sentinel figure would do).
  auto mostrato = [&](double g, bool solo_uguale) -> std::optional<double> {
    const double saldo = prova::saldo_di(w, in, regole, mensile, g);
    const double margine = 1 + std::fabs(saldo) * 1e-12;
    if (!(saldo + margine > obiettivo)) return std::nullopt;
    if (solo_uguale && !(saldo - margine < obiettivo + 1)) return std::nullopt;
    RecordCalcolo prova = w;
    return passo_ricerca(prova, in, regole, mensile, g);
  };
  // No gross before the one shown gives the net wanted: up to it, or, when
  // none does, as far as a thousand billion euro; and none before the first
  // above it is above it.
  const double fine = esito.esatta ? trovato : 1e12;
  const auto nessuno = [&](double da, double a) {
    for (double g = da; g < a; g += 1) {
      const auto uguale = mostrato(g, true);
      ZELLORA_VERIFICA(!uguale || *uguale != obiettivo,
                       "the search passed over a gross that gives the net");
      if (superato && g < trovato) {
        const auto sopra = mostrato(g, false);
        ZELLORA_VERIFICA(!sopra || !(*sopra > obiettivo),
                         "a gross above the net before the one shown");
      }
    }
  };
  const double primi = std::fmin(inizio + 1500, fine);
  nessuno(inizio, primi);
  const double ultimi = std::fmax(fine - 1500, primi);
  nessuno(ultimi, fine);
  if (superato) nessuno(std::fmax(trovato - 1500, primi), std::fmin(trovato + 1500, ultimi));
  const double passo = std::floor((ultimi - primi) / 64);
  if (passo >= 1) {
    for (double g = primi; g < ultimi; g += passo) nessuno(g, g + 1);
  }
}

// The cents of a shown amount, read off its digits; nothing for an empty
// text or one too long to add exactly.
std::optional<std::int64_t> centesimi(std::string_view testo) {
  std::int64_t c = 0;
  int cifre = 0;
  for (char ch : testo) {
    if (ch < '0' || ch > '9') continue;
    if (++cifre > 15) return std::nullopt;
    c = c * 10 + (ch - '0');
  }
  if (cifre == 0) return std::nullopt;
  return testo[0] == '-' ? -c : c;
}

// "Netto in busta" is the exact balance of the figures shown, in whole
// euros; a search is exact exactly when it shows the net wanted, and
// otherwise says which net it shows.
void verifica_netto(const Motore& m, const EsitoCalcolo& esito) {
  const Risultati& t = m.risultati();
  std::int64_t somma = 0;
  bool esatto = true;
  std::vector<int> caselle = {1, -2, -18, -17, -9, -20, 21};
  if (t.righe_attuali) caselle.insert(caselle.end(), {22, 24});
  // The surcharges, where their rows are shown.
  for (int box : {25, 26}) {
    if (t.righe_attuali && !t.Text(box).empty()) caselle.push_back(-box);
  }
  for (int box : caselle) {
    const auto c = centesimi(t.Text(box < 0 ? -box : box));
    if (!c) {
      esatto = false;
      break;
    }
    somma += box < 0 ? -*c : *c;
  }
  const auto netto = converti_numero(t.Text(10), m.locale());
  if (esatto) {
    const std::int64_t euro = somma >= 0 ? somma / 100 : -((-somma + 99) / 100);
    ZELLORA_VERIFICA(netto && *netto == static_cast<double>(euro),
                     "the net shown is not the balance of the figures shown");
  }
  if (!esito.ricerca_svolta) return;
  ZELLORA_VERIFICA(esito.ricerca.esatta == (esito.stato == Stato::ok),
                   "a search ended well but not exactly, or the reverse");
  if (esito.ricerca.esatta) {
    ZELLORA_VERIFICA(netto && *netto == m.record().retribuzione_intera,
                     "an exact search shows another net");
  } else if (!t.Text(10).empty()) {
    // The search's message, then the notes of the comune's deliberation
    // and what is said of an item of an earlier sector list.
    ZELLORA_VERIFICA(esito.messaggi.size() == 1 + t.note.size() &&
                         esito.messaggi[0].find(" il netto raggiunto \u00e8 di " +
                                                std::string(t.Text(10))) != std::string::npos,
                     "an inexact search does not say the net shown");
  }
}

void calcola_e_verifica(Motore& m, const CampiForm1& c) {
  const RecordCalcolo prima = m.record();
  const Risultati testi_prima = m.risultati();
  const EsitoCalcolo esito = m.verifica_campi(c);
  const RecordCalcolo& r = m.record();
  if (esito.stato == Stato::rifiutato) {
    ZELLORA_VERIFICA(!esito.messaggi.empty(), "a refusal without a message");
    ZELLORA_VERIFICA(r == prima, "a refused calculation changed the record");
    ZELLORA_VERIFICA(m.risultati() == testi_prima, "a refused calculation changed the results");
    ZELLORA_VERIFICA(esito.campi_vuoti == campi_non_valorizzati(c), "empty-field warning wrong");
    return;
  }
  ZELLORA_VERIFICA(!campi_non_valorizzati(c), "calculated with an empty field");
  for (double d : {r.detrazione_dip, r.detrazione_dip_ulteriore, r.detrazione_coniuge,
                   r.detrazione_coniuge_maggiorazione, r.detrazione_figli, r.detrazione_altri,
                   r.maggiorazione_figli_minori}) {
    ZELLORA_VERIFICA(d >= 0, "a negative deduction");
  }
  if (!c.Check1) ZELLORA_VERIFICA(r.irap == 0, "IRAP without being asked for");
  for (const auto& campo : campi_record()) {
    ZELLORA_VERIFICA(std::isfinite(r.*campo.campo), "a figure that is not finite");
  }
  if (esito.ricerca_svolta) {
    verifica_ricerca(prima, c, r, esito.ricerca, m.locale(), m.regole());
    ZELLORA_VERIFICA(r.totale_detrazioni <= r.irpef_lorda, "deductions above the gross tax");
    ZELLORA_VERIFICA(esito.ricerca.passaggi >= 1, "a search without a pass");
    ZELLORA_VERIFICA(esito.stato == Stato::ok ? esito.ricerca.esatta : !esito.messaggi.empty(),
                     "an inexact search without a word to the operator");
  } else {
    ZELLORA_VERIFICA(esito.stato == Stato::ok, "gross to net cannot be unreachable");
  }
  fuzz::verifica_testi(m.risultati(), m.locale());
  verifica_netto(m, esito);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string_view testo(reinterpret_cast<const char*>(dati), n);
  CampiForm1 c;
  std::size_t inizio = 0;
  while (inizio <= testo.size()) {
    std::size_t fine = testo.find('\n', inizio);
    if (fine == std::string_view::npos) fine = testo.size();
    const std::string_view riga = testo.substr(inizio, fine - inizio);
    const std::size_t uguale = riga.find('=');
    if (uguale != std::string_view::npos)
      imposta(c, riga.substr(0, uguale), riga.substr(uguale + 1));
    inizio = fine + 1;
  }
  Motore m;
  if (ElencoNormative::incluse().trova(c.Combo4) != nullptr) m.usa_normativa(c.Combo4);
  if (const RegoleCalcolo* prova = regole_di_prova(c.Combo4)) m.usa_regole(*prova);
  m.scegli_settore(c.List1, c.List2);
  calcola_e_verifica(m, c);
  c.Option2 = !c.Option2;
  c.Option1 = !c.Option2;
  c.Option3 = !c.Option3;
  c.Option4 = !c.Option3;
  calcola_e_verifica(m, c);
  return 0;
}
