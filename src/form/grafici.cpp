#include "form/grafici.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "form/verifica.h"

namespace zellora {

namespace {

constexpr double non_numero = std::numeric_limits<double>::quiet_NaN();

constexpr int casella_lordo = righe_risultato[riga_del_genere(Genere::lordo)].casella;
constexpr int casella_netto = righe_risultato[riga_del_genere(Genere::netto)].casella;
constexpr int casella_costo = righe_risultato[riga_del_genere(Genere::totale)].casella;

double percento(std::int64_t parte, std::int64_t totale) {
  return totale == 0 ? 0.0 : static_cast<double>(parte) * 100.0 / static_cast<double>(totale);
}

void percentuali(Ripartizione& r) {
  for (auto& q : r.parti) q.percentuale = percento(q.centesimi, r.totale);
  for (auto& q : r.aggiunte) q.percentuale = percento(q.centesimi, r.totale);
}

// The balance of the worker's figures shown, in cents, before the net is
// taken to whole euros; nothing when a figure is not shown.
std::optional<std::int64_t> saldo(const CifreRisultato& c) {
  std::int64_t somma = 0;
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.segno == 0 || !mostrata(riga, c.attuali)) continue;
    const auto centesimi = c.centesimi(riga.casella);
    if (!centesimi) return std::nullopt;
    somma += riga.segno * *centesimi;
  }
  return somma;
}

// The state a point of the curve starts from: the last calculation's record
// (its profile figures), inputs and mode.
struct Base {
  const Motore& motore;
  const CampiForm1& campi;
  InputCalcolo input;
  bool righe_attuali;
};

struct Valutazione {
  double netto = non_numero;
  double costo = non_numero;
  std::optional<std::int64_t> saldo;
};

Valutazione valuta(const Base& b, double lordo) {
  Valutazione v;
  RecordCalcolo r = b.motore.record();
  InputCalcolo input = b.input;
  input.retribuzione = lordo;
  const bool mensile = b.campi.Option2;
  const CalcoloSvolto svolto = mensile ? calcola_mese(r, input, b.motore.regole())
                                       : calcola_annuo(r, input, b.motore.regole());
  if (svolto.stato == Stato::rifiutato) return v;
  const CifreRisultato c =
      cifre_mostrate(r, mensile, b.campi.Text7, b.motore.locale(), b.righe_attuali);
  if (!c.mostrabili) return v;
  if (const auto netto = c.centesimi(casella_netto)) v.netto = static_cast<double>(*netto) / 100;
  if (const auto costo = c.centesimi(casella_costo)) v.costo = static_cast<double>(*costo) / 100;
  v.saldo = saldo(c);
  return v;
}

// A gross in a message: plain digits up to a thousand billion, beyond as
// briefly as it reads back.
std::string testo_lordo(double lordo) {
  if (!std::isfinite(lordo)) return "beyond any number";
  std::string t;
  if (std::fabs(lordo) < 1e13) {
    aggiungi_numero_decimale(t, lordo);
  } else {
    aggiungi_numero_esatto(t, lordo);
  }
  return t;
}

}  // namespace

std::optional<Ripartizione> ripartizione_lavoratore(const CifreRisultato& c) {
  const auto lordo = c.centesimi(casella_lordo);
  const auto netto = c.centesimi(casella_netto);
  if (!lordo || !netto) return std::nullopt;
  Ripartizione r;
  r.totale = *lordo;
  // Paid with the net on top of the gross: the rows added to the net.
  std::int64_t aggiunte = 0;
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.segno <= 0 || riga.genere == Genere::lordo || !mostrata(riga, c.attuali)) continue;
    const auto centesimi = c.centesimi(riga.casella);
    if (!centesimi) return std::nullopt;
    r.aggiunte.push_back({riga.etichetta, *centesimi});
    aggiunte += *centesimi;
  }
  // The share of the net that comes out of the gross, then what is withheld:
  // the taxes first, then the rest in the order of the window.
  r.parti.push_back({voce_netto, *netto - aggiunte});
  for (const bool tasse : {true, false}) {
    for (const RigaRisultato& riga : righe_risultato) {
      const bool imposta = riga.genere == Genere::imposta || riga.genere == Genere::irpef_netta;
      if (riga.segno >= 0 || imposta != tasse || !mostrata(riga, c.attuali)) continue;
      const auto centesimi = c.centesimi(riga.casella);
      if (!centesimi) return std::nullopt;
      r.parti.push_back({riga.etichetta, *centesimi});
    }
  }
  std::int64_t somma = 0;
  for (const auto& q : r.parti) somma += q.centesimi;
  r.parti.push_back({voce_arrotondamento, r.totale - somma});
  percentuali(r);
  return r;
}

std::optional<Ripartizione> ripartizione_azienda(const CifreRisultato& c) {
  const auto totale = c.centesimi(casella_costo);
  if (!totale) return std::nullopt;
  Ripartizione r;
  r.totale = *totale;
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.pannello != Pannello::azienda || riga.genere == Genere::totale ||
        !mostrata(riga, c.attuali)) {
      continue;
    }
    const auto centesimi = c.centesimi(riga.casella);
    if (!centesimi) return std::nullopt;
    r.parti.push_back({riga.etichetta, *centesimi});
  }
  std::int64_t somma = 0;
  for (const auto& q : r.parti) somma += q.centesimi;
  r.parti.push_back({voce_arrotondamento, r.totale - somma});
  percentuali(r);
  return r;
}

Curva curva(const Motore& motore, const OpzioniCurva& opzioni) {
  Curva risultato;
  const auto& campi = motore.campi_calcolo();
  if (!campi) {
    risultato.errore = "no calculation yet";
    return risultato;
  }
  const bool mensile = campi->Option2;
  risultato.lordo_attuale = motore.record().retribuzione_lorda;
  risultato.da = opzioni.da.value_or(0);
  risultato.a =
      opzioni.a.value_or(std::max(2 * risultato.lordo_attuale, mensile ? 8000.0 : 100000.0));
  risultato.passo =
      opzioni.passo.value_or(std::max(1.0, std::ceil((risultato.a - risultato.da) / 1000)));
  const double da = risultato.da, a = risultato.a, passo = risultato.passo;
  if (!std::isfinite(da) || !std::isfinite(a) || !std::isfinite(passo)) {
    risultato.errore = "the start, the end and the step must be numbers";
  } else if (da < 0) {
    risultato.errore = "the start must be 0 or more";
  } else if (!(a > da)) {
    risultato.errore = "the end must be above the start";
  } else if (!(passo > 0)) {
    risultato.errore = "the step must be above 0";
  } else if (passo < 0.01) {
    risultato.errore = "the step must be at least 0.01: the grosses are whole cents";
  } else if ((a - da) / passo >= static_cast<double>(punti_massimi)) {
    risultato.errore = "more than 1000000 points: take a larger step";
  }
  if (!risultato.errore.empty()) return risultato;

  // The inputs as the last calculation read them, from gross to net.
  LetturaInput lettura = leggi_input(*campi, motore.locale());
  if (!lettura.input) {
    risultato.errore = "the inputs of the last calculation cannot be read";
    return risultato;
  }
  Base base{motore, *campi, *lettura.input, regole_attuali(motore.regole())};
  const auto& escluse = motore.regole().cuneo.categorie_escluse;
  base.input.cuneo = std::find(escluse.begin(), escluse.end(), campi->List1) == escluse.end();
  base.input.lordo_netto = true;

  // The points fall on the steps; a hair of tolerance keeps the end that a
  // step reaches up to the error of the division.
  const auto quanti = static_cast<std::int64_t>(std::floor((a - da) / passo * (1 + 1e-12))) + 1;
  risultato.punti.reserve(static_cast<std::size_t>(quanti));
  // Each gross in whole cents, as the form could hold it.
  const auto lordo_numero = [da, passo](std::int64_t i) {
    return std::round((da + static_cast<double>(i) * passo) * 100) / 100;
  };
  Valutazione questa = valuta(base, lordo_numero(0));
  for (std::int64_t i = 0; i < quanti; ++i) {
    const double lordo = lordo_numero(i);
    const double lordo_dopo = lordo_numero(i + 1);
    // A gross whose figures cannot be shown (the calculation at every gross
    // of the range is the worker's, refused only for its size): the curve of
    // the default range stops before it; a range asked for is refused
    // whole, rather than given with holes.
    if (std::isnan(questa.netto)) {
      if (!opzioni.a && i > 0) {
        risultato.a = risultato.punti.back().lordo;
        return risultato;
      }
      risultato.punti.clear();
      risultato.errore = "the calculation cannot serve a gross of " + testo_lordo(lordo) +
                         ": its figures are too large to show to the cent; take a smaller range";
      return risultato;
    }
    const Valutazione dopo = valuta(base, lordo_dopo);
    PuntoCurva p{lordo, questa.netto, questa.costo, non_numero};
    if (questa.saldo && dopo.saldo) {
      p.aliquota_marginale =
          1 - static_cast<double>(*dopo.saldo - *questa.saldo) / 100 / (lordo_dopo - lordo);
    }
    risultato.punti.push_back(p);
    questa = dopo;
  }
  return risultato;
}

std::optional<DatiGrafici> dati_grafici(const Motore& motore, const OpzioniCurva& opzioni) {
  const auto& campi = motore.campi_calcolo();
  if (!campi) return std::nullopt;
  // The figures the window shows for that calculation.
  const CifreRisultato& c = motore.risultati().cifre;
  DatiGrafici dati;
  dati.lavoratore = ripartizione_lavoratore(c);
  dati.azienda = ripartizione_azienda(c);
  dati.curva = curva(motore, opzioni);
  return dati;
}

}  // namespace zellora
