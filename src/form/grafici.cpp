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

void percentuali(Ripartizione& r, std::int64_t intero) {
  for (auto& q : r.parti) q.percentuale = percento(q.centesimi, intero);
  for (auto& q : r.aggiunte) q.percentuale = percento(q.centesimi, intero);
}

// The balance of the worker's figures shown, in cents, before the net is
// taken to whole euros; nothing when a figure is not shown.
std::optional<std::int64_t> saldo(const CifreRisultato& c) {
  std::int64_t somma = 0;
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.segno == 0 || !mostrata(riga, c.attuali, c.addizionali)) continue;
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
  bool addizionali = false;  // the surcharges asked for: subtracted from the net
};

struct Valutazione {
  double netto = non_numero;
  double costo = non_numero;
  std::optional<std::int64_t> saldo;
  CifreRisultato cifre;
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
      cifre_mostrate(r, mensile, b.campi.Text7, b.motore.locale(), b.righe_attuali, b.addizionali);
  if (!c.mostrabili) return v;
  if (const auto netto = c.centesimi(casella_netto)) v.netto = static_cast<double>(*netto) / 100;
  if (const auto costo = c.centesimi(casella_costo)) v.costo = static_cast<double>(*costo) / 100;
  v.saldo = saldo(c);
  v.cifre = c;
  return v;
}

// The change of the net's balance from `da` to `a`, in cents.
std::int64_t variazione(const Valutazione& da, const Valutazione& a) {
  return *a.saldo - *da.saldo;
}

// A step from `da` to `da + passo` whose net falls by more than a euro, or
// rises by a euro more than the gross: the change is not a rate but a jump.
bool e_un_salto(std::int64_t variazione_saldo, double passo) {
  const auto lordo = static_cast<std::int64_t>(std::llround(passo * 100));
  return variazione_saldo < -100 || variazione_saldo > lordo + 100;
}

// The cliff inside a step of the curve, found by halving the step down to
// one euro (one cent for a step below a euro) and keeping the half whose
// net moves the same way more.
std::optional<Salto> trova_salto(const Base& b, double da, double a, const Valutazione& inizio,
                                 const Valutazione& fine) {
  const double minimo = (a - da) >= 1 ? 1.0 : 0.01;
  const bool cala = variazione(inizio, fine) < 0;
  double sotto = da, sopra = a;
  Valutazione v_sotto = inizio, v_sopra = fine;
  while (sopra - sotto > minimo * 1.5) {
    const double meta = std::round((sotto + (sopra - sotto) / 2) / minimo) * minimo;
    if (!(meta > sotto && meta < sopra)) break;
    const Valutazione v_meta = valuta(b, meta);
    if (!v_meta.saldo) return std::nullopt;
    const std::int64_t sinistra = variazione(v_sotto, v_meta);
    const std::int64_t destra = variazione(v_meta, v_sopra);
    if (cala ? sinistra <= destra : sinistra >= destra) {
      sopra = meta;
      v_sopra = v_meta;
    } else {
      sotto = meta;
      v_sotto = v_meta;
    }
  }
  Salto s;
  s.lordo = sotto;
  s.passo = std::round((sopra - sotto) * 100) / 100;
  s.variazione = variazione(v_sotto, v_sopra);
  if (!e_un_salto(s.variazione, s.passo)) return std::nullopt;
  // The row of the net that moves most, the gross itself aside.
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.segno == 0 || riga.genere == Genere::lordo) continue;
    const auto prima = v_sotto.cifre.centesimi(riga.casella);
    const auto dopo = v_sopra.cifre.centesimi(riga.casella);
    if (!prima || !dopo) continue;
    const std::int64_t effetto = riga.segno * (*dopo - *prima);
    if (std::llabs(effetto) > std::llabs(s.variazione_voce)) {
      s.voce = riga.etichetta;
      s.variazione_voce = effetto;
      s.variazione_riga = *dopo - *prima;
    }
  }
  return s;
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

std::string importo_salto(double valore, const Locale& locale) {
  return formato_F(valore, locale).value_or("-");
}

std::string con_segno(std::int64_t centesimi, const Locale& locale) {
  return (centesimi >= 0 ? "+" : "") + importo_salto(static_cast<double>(centesimi) / 100, locale);
}

}  // namespace

bool aliquota_ordinaria(const Curva& c, const PuntoCurva& p) {
  if (!std::isfinite(p.aliquota_marginale) || p.aliquota_marginale < -0.5 ||
      p.aliquota_marginale > 1.5) {
    return false;
  }
  return std::none_of(c.salti.begin(), c.salti.end(), [&](const Salto& s) {
    return s.lordo >= p.lordo && s.lordo < p.lordo + c.passo;
  });
}

std::string testo_salto(const Salto& s, const Locale& locale) {
  std::string t = importo_salto(s.lordo, locale) + " \u2192 " +
                  importo_salto(s.lordo + s.passo, locale) + " di lordo: +" +
                  importo_salto(s.passo, locale) + " \u20ac di lordo, " +
                  con_segno(s.variazione, locale) + " \u20ac di netto";
  if (!s.voce.empty()) {
    t += " (" + std::string(s.voce) + " " + con_segno(s.variazione_riga, locale) + ")";
  }
  return t;
}

std::optional<Ripartizione> ripartizione_lavoratore(const CifreRisultato& c) {
  const auto lordo = c.centesimi(casella_lordo);
  const auto netto = c.centesimi(casella_netto);
  if (!lordo || !netto) return std::nullopt;
  Ripartizione r;
  r.totale = *lordo;
  // Paid with the net on top of the gross: the rows added to the net; where
  // it goes: the rows subtracted from it, then the net; each in the order
  // of the window.
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.segno == 0 || riga.genere == Genere::lordo ||
        !mostrata(riga, c.attuali, c.addizionali))
      continue;
    const auto centesimi = c.centesimi(riga.casella);
    if (!centesimi) return std::nullopt;
    (riga.segno > 0 ? r.aggiunte : r.parti).push_back({riga.id, riga.etichetta, *centesimi});
  }
  const RigaRisultato& riga_netto = righe_risultato[riga_del_genere(Genere::netto)];
  r.parti.push_back({riga_netto.id, riga_netto.etichetta, *netto});
  std::int64_t pagato = r.totale;
  for (const auto& q : r.aggiunte) pagato += q.centesimi;
  std::int64_t somma = 0;
  for (const auto& q : r.parti) somma += q.centesimi;
  r.arrotondamento = pagato - somma;
  percentuali(r, pagato);
  return r;
}

std::optional<Ripartizione> ripartizione_azienda(const CifreRisultato& c) {
  const auto totale = c.centesimi(casella_costo);
  if (!totale) return std::nullopt;
  Ripartizione r;
  r.totale = *totale;
  for (const RigaRisultato& riga : righe_risultato) {
    if (riga.pannello != Pannello::azienda || riga.genere == Genere::totale ||
        !mostrata(riga, c.attuali, c.addizionali)) {
      continue;
    }
    const auto centesimi = c.centesimi(riga.casella);
    if (!centesimi) return std::nullopt;
    r.parti.push_back({riga.id, riga.etichetta, *centesimi});
  }
  std::int64_t somma = 0;
  for (const auto& q : r.parti) somma += q.centesimi;
  r.arrotondamento = r.totale - somma;
  percentuali(r, r.totale);
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
  const LetturaInput lettura = input_del_calcolo(*campi, motore.regole(), motore.locale());
  if (!lettura.input) {
    risultato.errore = "the inputs of the last calculation cannot be read";
    return risultato;
  }
  Base base{motore, *campi, *lettura.input, regole_attuali(motore.regole()),
            addizionali_chieste(*campi)};
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
      if (i + 1 < quanti && e_un_salto(variazione(questa, dopo), lordo_dopo - lordo)) {
        if (auto s = trova_salto(base, lordo, lordo_dopo, questa, dopo)) {
          risultato.salti.push_back(*s);
        }
      }
    }
    risultato.punti.push_back(p);
    questa = dopo;
  }
  return risultato;
}

std::optional<double> netto_voluto(const Motore& motore) {
  const auto& campi = motore.campi_calcolo();
  if (!campi || !campi->Option3) return std::nullopt;
  const LetturaInput lettura = leggi_input(*campi, motore.locale());
  if (!lettura.input) return std::nullopt;
  return lettura.input->retribuzione;
}

std::optional<DatiGrafici> dati_grafici(const Motore& motore, const OpzioniCurva& opzioni) {
  const auto& campi = motore.campi_calcolo();
  if (!campi) return std::nullopt;
  // The figures the window shows for that calculation.
  const CifreRisultato& c = motore.risultati().cifre;
  DatiGrafici dati;
  dati.normativa = motore.risultati().normativa;
  dati.mensile = campi->Option2;
  dati.mensilita = campi->Text7;
  dati.lavoratore = ripartizione_lavoratore(c);
  dati.azienda = ripartizione_azienda(c);
  if (const auto netto = c.centesimi(casella_netto)) dati.netto = static_cast<double>(*netto) / 100;
  dati.curva = curva(motore, opzioni);
  return dati;
}

}  // namespace zellora
