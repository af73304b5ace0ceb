// The net-to-gross search: the smallest whole gross, from where the search
// starts, whose "Netto in busta" as the results window shows it is the net
// wanted; the same gross as trying every euro one after another. Where the
// net jumps over the net wanted it goes on: past a cliff where the net falls
// (the surcharges, due from the first cent of net IRPEF, take their whole
// base at once) a higher gross can give it. The net is unreachable only when
// no whole gross up to a thousand billion euro gives it.
//
// How it does without trying every euro. The net of a pass is a sum of
// pieces (the contributions, the gross tax by brackets, the deductions by
// bands, the cuneo fiscale, the trattamento integrativo, the net IRPEF never
// below 0), and a piece changes its formula only where a figure crosses a
// limit: the gross plus the benefit crosses a contribution threshold or
// ceiling, the taxable income a bracket, the income of the deductions a
// band, or two figures cross each other (the gross tax and the deductions).
// Between two such points every figure is a straight line in the gross, and
// so is the unrounded net. The search maps the limits to grosses, and for
// each stretch between them, from where it starts up:
//
// - it works out the pass at the two ends, and checks that no figure is on
//   another side of any limit at one end than at the other: then none
//   crossed a limit inside (each figure is a straight line there, once the
//   figures it depends on stay on their sides). Where one did, the stretch is
//   split where that figure crosses its limit, and each part is looked at;
// - the unrounded net of a stretch lies between its values at the two ends,
//   and the net shown is within a few cents of it (every figure shown is
//   rounded to cents): a stretch whose net stays below the net wanted, or a
//   euro and more above it, by more than that at both ends is passed over
//   whole;
// - in a stretch that can show the net wanted, the first gross whose
//   unrounded net comes within those cents of it is found by interpolation,
//   and from there the grosses are tried one by one, with the net shown,
//   until one shows the net wanted or the net is past it. Where the net moves
//   by cents per euro or more, that is one or two grosses; where it is nearly
//   flat, more;
// - where the net IRPEF is within a few cents of the 0,01 shown from which
//   the surcharges are due, whether they are is a matter of the cents shown,
//   not of a straight line: those grosses are tried one by one.
//
// No gross is passed over that a walk euro by euro would have stopped at.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "passi.h"
#include "rules/cifre.h"
#include "rules/comunali.h"
#include "rules/detrazioni.h"
#include "rules/regionali.h"

namespace zellora {

namespace {

// The search goes no further than a gross of a thousand billion euro: the
// figures of a larger one cannot all be shown to the cent (their sums would
// pass ten thousand billion euro, where a double no longer holds every cent
// of fifteen digits), and a net shown that is not to the cent cannot be the
// net wanted.
constexpr double ultimo_lordo = 1e12;

// How far the balance of the figures shown, before the whole euros are
// taken, can lie from the unrounded balance of the record: each figure is
// rounded to cents (through fifteen significant digits), at most 0,0055
// from the record: the gross (exact), the three contribution figures, the
// net IRPEF (one rounding of the gross tax less five rounded deductions),
// the tax-free sum and the trattamento integrativo: eleven roundings,
// 0,0605 in all.
constexpr double scarto_cifre_mostrate = 0.0625;
// The two surcharges, when asked for, are two more figures rounded.
constexpr double scarto_addizionali = 0.0125;
// And, in proportion to the size of the figures, the errors of the doubles:
// of the fifteen digits a figure is shown with (5e-15 of it), and of the
// sums (a few units of the last of sixteen digits).
constexpr double scarto_relativo = 2e-14;

// The figures whose limits decide the formulas of a pass.
enum class Grandezza : std::uint8_t {
  lordo,              // gross plus benefit: contribution thresholds and ceilings
  imponibile,         // taxable income: the IRPEF brackets, the tax-free sum's 0
  reddito,            // income of the deductions' bands (annual equivalent in a month)
  reddito_anno,       // that income brought to a whole year: the bands of the tax-free sum
  eccedenza,          // gross tax less every deduction: the net IRPEF is above 0
  integrativo_pieno,  // first band: the gross tax over the employee deduction, less the reduction
  integrativo_parziale,  // second band: the deductions over the gross tax
  integrativo_tetto,     // second band: that excess over the amount
  regionale,             // the regional surcharge before it is kept from going below 0
};

// Where the surcharges are due: an "Irpef netta" shown of at least 0,01, so
// an unrounded net IRPEF from about half a cent on. The figure shown is the
// gross tax less up to seven deductions each rounded to cents, then rounded
// itself: within 0,04 of the unrounded one. Beyond this distance from the
// half cent, whether they are due follows the unrounded figure.
constexpr double mezzo_centesimo = 0.005;
constexpr double banda_dovuta = 0.05;

struct Limite {
  Grandezza grandezza;
  double valore;
};

// The contribution limits (4), the brackets and the 0 of the tax-free sum,
// the bands of the employee deduction (1 + 8 + 2 x 8), of the spouse
// (4 + 2 x 8), children and other dependants (2) and of the cuneo fiscale
// and the trattamento integrativo (8 + 4), the bands of the tax-free sum
// again on the income brought to a year (8), and the crossings (4); the
// regional surcharge's brackets (twice, with and without its deduction of
// the base), the bands of its deductions and its other limits (7), the
// crossing of its 0, the municipal bands and threshold, and the two bands
// where the cents or the steps of a ratio decide a jump (2 x 2).
constexpr std::size_t massimo_limiti = 4 + massimo_fasce + (6 * massimo_fasce + 11) +
                                       massimo_fasce + 4 + (4 * massimo_fasce + 7) + 1 +
                                       massimo_scaglioni_comunali + 2 + 4;

// A gross worked out: its record, the unrounded net and the side of every
// limit its figures are on.
struct Punto {
  double lordo = 0;
  double saldo = 0;   // the unrounded net of the record, before whole euros
  double scarto = 0;  // how far the net shown can be from it
  double scala = 0;   // and how far the ratios in four decimals can bend it, near here
  std::array<double, massimo_limiti> margini;  // each figure less its limit (the first n_)
  RecordCalcolo record;
};

int segno(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

// How a part of the search ended.
enum class Fine {
  avanti,         // nothing there shows the net wanted: go on
  trovato,        // the first gross that shows it
  passaggi,       // the passes ran out
  troppo_grandi,  // a figure that cannot be shown
};

// How fast the worker's contributions (INPS, the additional contribution,
// other contributions, INAIL) can grow with the gross, over every gross from
// the current one up: the least and the greatest growth per euro.
struct Crescita {
  double minima = 0;
  double massima = 0;
  bool continua = true;  // no downward jump ahead (INAIL floor above ceiling)
};

Crescita crescita_ritenute(const RecordCalcolo& r, const InputCalcolo& in,
                           const RegoleCalcolo& regole, bool mensile) {
  const double B = r.retribuzione_lorda + r.valore_benefit;
  const double soglia =
      mensile ? r.soglia_contributo_aggiuntivo / 12 : r.soglia_contributo_aggiuntivo;
  const double minimale = mensile ? r.minimale_inail / 12 : r.minimale_inail;
  const double massimale = mensile ? r.massimale_inail / 12 : r.massimale_inail;
  Crescita c;
  c.continua = minimale <= massimale;
  // Each part grows by one rate, or by another past a threshold still ahead.
  auto parte = [&c](double ora, double dopo) {
    c.minima += std::fmin(ora, dopo);
    c.massima += std::fmax(ora, dopo);
  };
  const double inps = r.aliquota_inps_dip;
  if (mensile) {
    parte(inps, inps);  // no ceiling in a month
  } else {
    parte(B < r.massimale_inps ? inps : 0, 0);  // up to the ceiling, then flat
  }
  const double aggiuntivo = regole.contributo_aggiuntivo_percento / 100;
  if (!mensile && regole.aggiuntivo_entro_massimale) {
    // Flat below the threshold and past the ceiling.
    parte(0, B < r.massimale_inps ? aggiuntivo : 0);
  } else {
    parte(B > soglia ? aggiuntivo : 0, aggiuntivo);
  }
  const double altri = in.percentuale ? in.altri_dip / 100 : 0;
  parte(altri, altri);
  const double t = in.tasso_inail;
  const double inail = r.quota_inail_dip * ((t * regole.maggiorazione_inail + t) / 1000 / 3);
  parte(B < massimale ? inail : 0, 0);
  return c;
}

class Ricerca {
 public:
  Ricerca(RecordCalcolo& w, const InputCalcolo& in, const RegoleCalcolo& regole, bool mensile)
      : w_(w),
        base_(w),
        in_(in),
        regole_(regole),
        mensile_(mensile),
        cuneo_(regole.cuneo.presente && in.cuneo && regole.cuneo.n > 0),
        giorni_(mensile ? 31 : in.famiglia.giorni),
        parte_(mensile ? 12 : 1),
        scarto_decimali_(scarto_quattro_decimali()) {}

  CalcoloSvolto esegui();

 private:
  // The net the results window shows for the record of a pass, in whole
  // euros; not a number when a figure cannot be shown. The one place where
  // the search asks for it.
  static double netto_in_busta(const RecordCalcolo& r) { return netto_mostrato(r); }

  void raccogli_limiti();
  double scarto_quattro_decimali() const;
  void aggiungi(Grandezza g, double valore) {
    if (n_ < massimo_limiti && std::isfinite(valore)) limiti_[n_++] = {g, valore};
  }
  bool valuta(double lordo, Punto& p);
  void imponibili(double lordo, double& T, double& R);
  std::size_t primo_diverso(const Punto& a, const Punto& b) const;
  Fine tratto(const Punto& a, const Punto& b, int profondita);
  Fine finale(const Punto& a, const Punto& b);
  Fine prova_da(const Punto& primo, const Punto& a, const Punto& b, bool sale, bool ognuno = false);
  Fine esamina(const Punto& p);
  void nota_superamento(const Punto& p, double netto);
  bool nella_banda(const Punto& p) const;
  static double scarto_su_linea(const Punto& p, const Punto& a, const Punto& b);
  bool ferma_dall_inizio(const Punto& a) const;
  double netto_massimo(const RecordCalcolo& r) const;
  double ultimo_escluso(const Punto& a);
  void concludi(const RecordCalcolo& r, double lordo);
  void quote_marginali(const RecordCalcolo& x, const RecordCalcolo& y);

  RecordCalcolo& w_;
  const RecordCalcolo base_;  // the inputs read, before any pass
  const InputCalcolo& in_;
  const RegoleCalcolo& regole_;
  const bool mensile_;
  const bool cuneo_;              // the cuneo fiscale applies to this worker
  const double giorni_;           // the days of the deductions (31 in a month)
  const double parte_;            // 1 for a year, 12 for a month
  const double scarto_decimali_;  // how far the ratios in four decimals bend the net
  double obiettivo_ = 0;          // the net wanted
  double inizio_ = 0;             // where the search starts
  std::array<Limite, massimo_limiti> limiti_{};
  std::size_t n_ = 0;
  // The first of the two limits of each band where a figure decides a jump
  // by its cents or by a step of a ratio: the net IRPEF near where the
  // surcharges become due, and the gross tax near the employee deduction
  // less the reduction, in the trattamento integrativo's first band.
  std::array<std::size_t, 2> bande_{massimo_limiti, massimo_limiti};
  std::int64_t passaggi_ = 0;
  double ultimo_provato_ = 0;
  // The first gross, from where the search starts, whose net shown is above
  // the net wanted: shown when no gross gives the net wanted.
  bool superato_ = false;
  double lordo_superato_ = 0;
  double netto_superato_ = 0;
  RecordCalcolo record_superato_;
  CalcoloSvolto esito_;
};

// Every limit whose crossing changes a formula of the pass for this worker,
// the contribution limits first, then those of the taxable income and of the
// income of the deductions (which move along straight lines between the
// contribution limits), then the crossings of figures (straight lines
// between all those limits). A split is always made at the first limit of
// this order whose side differs, whose figure is then a straight line.
void Ricerca::raccogli_limiti() {
  const RecordCalcolo& r = base_;
  if (regole_.contributo_aggiuntivo_percento != 0) {
    aggiungi(Grandezza::lordo,
             mensile_ ? r.soglia_contributo_aggiuntivo / 12 : r.soglia_contributo_aggiuntivo);
  }
  // The INPS ceiling, where the additional contribution may stop too.
  if (!mensile_ && (r.aliquota_inps_dip != 0 || (regole_.aggiuntivo_entro_massimale &&
                                                 regole_.contributo_aggiuntivo_percento != 0))) {
    aggiungi(Grandezza::lordo, r.massimale_inps);
  }
  if (r.quota_inail_dip != 0 && in_.tasso_inail != 0) {
    aggiungi(Grandezza::lordo, mensile_ ? r.minimale_inail / 12 : r.minimale_inail);
    aggiungi(Grandezza::lordo, mensile_ ? r.massimale_inail / 12 : r.massimale_inail);
  }

  const TabellaScaglioni& irpef = mensile_ ? regole_.irpef_mensile : regole_.irpef_annua;
  for (std::size_t j = 0; j + 1 < irpef.n; ++j) aggiungi(Grandezza::imponibile, irpef.limiti[j]);
  if (cuneo_) aggiungi(Grandezza::imponibile, 0);  // the tax-free sum of a taxable pay above 0

  const auto bande = [this](const ImportiFascia& f) {
    for (std::size_t i = 0; i < f.n; ++i) {
      aggiungi(Grandezza::reddito, f.fasce[i].da);
      aggiungi(Grandezza::reddito, f.fasce[i].a);
    }
  };
  const RegoleDetrazioneDipendente& dip = regole_.dipendente;
  aggiungi(Grandezza::reddito, dip.primo_limite);
  for (std::size_t i = 0; i < dip.n; ++i) aggiungi(Grandezza::reddito, dip.fasce[i].fino_a);
  bande(dip.ulteriori);
  const DatiFamiglia& f = in_.famiglia;
  if (f.coniuge_a_carico) {
    const RegoleDetrazioneConiuge& c = regole_.coniuge;
    aggiungi(Grandezza::reddito, c.primo_limite);
    aggiungi(Grandezza::reddito, c.secondo_limite);
    aggiungi(Grandezza::reddito, c.terzo_limite);
    // Where the first band's amount would fall below 0.
    if (c.riduzione != 0) aggiungi(Grandezza::reddito, c.primo_limite * (c.base / c.riduzione));
    bande(c.maggiorazioni);
  }
  double base = 0;
  double limite = 0;
  if (f.figli != 0 && base_figli(regole_.figli, f.figli, base, limite)) {
    aggiungi(Grandezza::reddito, limite);
  }
  if (f.altri != 0) aggiungi(Grandezza::reddito, regole_.altri.limite);
  if (cuneo_) {
    const RegoleCuneoFiscale& c = regole_.cuneo;
    for (std::size_t i = 0; i < c.n; ++i) {
      aggiungi(Grandezza::reddito, c.somma[i].fino_a);
      if (i + 1 < c.n) aggiungi(Grandezza::reddito_anno, c.somma[i].fino_a);
    }
    aggiungi(Grandezza::reddito, c.pieno_fino_a);
    aggiungi(Grandezza::reddito, c.fino_a);
  }
  const RegoleTrattamentoIntegrativo& t = regole_.integrativo;
  if (t.presente) {
    aggiungi(Grandezza::reddito, t.primo_limite);
    aggiungi(Grandezza::reddito, t.secondo_limite);
  }

  // The surcharges are worked out on the income of the deductions' bands
  // (the taxable income, in a month brought to a year): their brackets,
  // bands and thresholds are limits of that income. Past a threshold the
  // whole base is taxed, and the net drops there.
  if (const RegolaRegionale* g = in_.regola_regionale()) {
    aggiungi(Grandezza::reddito, 0);
    if (g->esenzione) aggiungi(Grandezza::reddito, g->esenzione_fino_a);
    const double dedotto = g->deduzione ? g->deduzione_importo : 0;
    if (g->deduzione) {
      aggiungi(Grandezza::reddito, g->deduzione_fino_a);
      aggiungi(Grandezza::reddito, g->deduzione_importo);
    }
    if (g->aliquota_intera) aggiungi(Grandezza::reddito, g->aliquota_intera_fino_a);
    for (std::size_t j = 0; j + 1 < g->aliquote.n; ++j) {
      // The brackets apply to the base less the deduction where it has one.
      aggiungi(Grandezza::reddito, g->aliquote.limiti[j]);
      if (g->deduzione) aggiungi(Grandezza::reddito, g->aliquote.limiti[j] + dedotto);
    }
    bande(g->detrazioni);
    if (g->detrazione_proporzionale) {
      aggiungi(Grandezza::reddito, g->proporzionale_oltre);
      aggiungi(Grandezza::reddito, g->proporzionale_oltre + g->proporzionale_divisore);
    }
  }
  if (in_.comune) {
    const RegolaComunale& c = *in_.comune;
    aggiungi(Grandezza::reddito, 0);
    aggiungi(Grandezza::reddito, c.esenzione_fino_a);
    for (std::size_t j = 0; j + 1 < c.n && j < c.scaglioni.size(); ++j) {
      aggiungi(Grandezza::reddito, c.scaglioni[j].fino_a);
    }
  }

  aggiungi(Grandezza::eccedenza, 0);
  if ((in_.regola_regionale() != nullptr || in_.comune) && n_ + 2 <= massimo_limiti) {
    // Widened by the steps of the ratios in four decimals, which move the
    // net IRPEF off its straight line.
    bande_[0] = n_;
    aggiungi(Grandezza::eccedenza, mezzo_centesimo - banda_dovuta - scarto_decimali_);
    aggiungi(Grandezza::eccedenza, mezzo_centesimo + banda_dovuta + scarto_decimali_);
  }
  if (t.presente) {
    if (scarto_decimali_ > 0 && n_ + 2 <= massimo_limiti) {
      bande_[1] = n_;
      aggiungi(Grandezza::integrativo_pieno, -scarto_decimali_);
      aggiungi(Grandezza::integrativo_pieno, scarto_decimali_);
    }
    aggiungi(Grandezza::integrativo_pieno, 0);
    aggiungi(Grandezza::integrativo_parziale, 0);
    aggiungi(Grandezza::integrativo_tetto, t.importo / parte_);
  }
  if (in_.regola_regionale() != nullptr) aggiungi(Grandezza::regionale, 0);
}

// Where the law takes a deduction's ratio in its first four decimals, the
// deduction is a staircase under its straight line, at most one ten-thousandth
// of the amount the ratio multiplies below it; the net IRPEF and the
// trattamento integrativo pass that on at most once. The net of a stretch is
// then within this of the straight line between its ends.
double Ricerca::scarto_quattro_decimali() const {
  const DatiFamiglia& f = in_.famiglia;
  const auto mesi = [this](double m) { return mensile_ ? 1.0 / 12 : std::fabs(m) / 12; };
  double e = 0;
  const RegoleDetrazioneDipendente& d = regole_.dipendente;
  if (d.quattro_decimali) {
    double v = 0;
    for (std::size_t i = 0; i < d.n; ++i) v = std::fmax(v, std::fabs(d.fasce[i].variabile));
    e += v * (std::fabs(giorni_) / 365);
  }
  const RegoleDetrazioneConiuge& c = regole_.coniuge;
  if (f.coniuge_a_carico && c.quattro_decimali) {
    e += (std::fabs(c.riduzione) + std::fabs(c.fisso)) * mesi(f.mesi_coniuge);
  }
  double base = 0;
  double limite = 0;
  if (f.figli != 0 && regole_.figli.quattro_decimali &&
      base_figli(regole_.figli, f.figli, base, limite)) {
    const double a =
        std::fabs(base) + std::fabs(f.figli_minori * regole_.figli.maggiorazione_minori);
    e += a * (std::fabs(f.quota_figli) / 100) * mesi(f.mesi_figli);
  }
  if (f.altri != 0 && regole_.altri.quattro_decimali) {
    e += std::fabs(f.altri * regole_.altri.importo) * (std::fabs(f.quota_altri) / 100) *
         mesi(f.mesi_altri);
  }
  // The step of the ratio, with room for the roundings of the products.
  return e * 1.0001e-4;
}

// One pass of the search on `lordo`, with what the search needs of it; false
// when the passes ran out.
bool Ricerca::valuta(double lordo, Punto& p) {
  if (passaggi_ >= passaggi_massimi) return false;
  ++passaggi_;
  ultimo_provato_ = lordo;
  p.lordo = lordo;
  p.record = base_;
  RecordCalcolo& r = p.record;
  passo_ricerca_record(r, in_, regole_, mensile_, lordo);

  const double netto_prima = netto_prima_delle_imposte(r, mensile_) - r.trattenuta_non_deducibile +
                             r.competenza_non_imponibile;
  p.saldo = netto_prima - r.irpef_lorda + r.totale_detrazioni + r.somma_esente +
            r.trattamento_integrativo - r.addizionale_regionale - r.addizionale_comunale;
  const double detrazioni = detrazioni_del_passo(r);
  const double tutte = detrazioni + r.ulteriore_detrazione;
  // The gross tax and the deductions count through the net IRPEF alone: it
  // is 0, shown and unrounded, unless the deductions are about the tax or
  // less, so at most twice the tax. The sizes of the figures are straight
  // lines between the limits, so the margin inside a stretch is at most on
  // the line between its values at the two ends.
  p.scarto = scarto_cifre_mostrate +
             scarto_relativo *
                 (std::fabs(lordo) + std::fabs(r.ritenuta_inps) +
                  std::fabs(r.contributo_aggiuntivo) + std::fabs(r.altri_contributi_dip) +
                  std::fabs(r.ritenuta_inail) + 2 * std::fmax(r.irpef_lorda, 0) +
                  std::fabs(r.somma_esente) + std::fabs(r.trattamento_integrativo) +
                  std::fabs(r.trattenuta_non_deducibile) + std::fabs(r.competenza_non_imponibile));
  if (in_.regola_regionale() != nullptr || in_.comune) {
    p.scarto += scarto_addizionali + scarto_relativo * (std::fabs(r.addizionale_regionale) +
                                                        std::fabs(r.addizionale_comunale));
  }

  const double B = r.retribuzione_lorda + r.valore_benefit;
  const double T = r.imponibile_fiscale;
  const double R = mensile_ ? r.imponibile_annuo : r.imponibile_fiscale;
  const RegoleTrattamentoIntegrativo& t = regole_.integrativo;
  const bool primo = R <= t.primo_limite;
  const bool secondo = !primo && R <= t.secondo_limite;
  // A deduction in four decimals is a step below its straight line, at most
  // `e`: it reaches the net only through the net IRPEF, where the deductions
  // are within a step of the gross tax or below it; through the trattamento
  // integrativo of the second band, where they exceed the tax by less than
  // its amount and a step. (In the first band the whole integrativo is paid
  // or not as the tax is above the employee deduction less the reduction:
  // within a step of it, every gross is tried.) Each bound, taken at the two
  // ends of a stretch, holds inside
  // it (the figures are straight lines there, the steps only below them), so
  // the larger of the two is the stretch's; however many dependants multiply
  // the deductions, where they are far above the tax nothing moves.
  p.scala = 0;
  if (scarto_decimali_ > 0) {
    const double e = scarto_decimali_;
    p.scala = std::fmin(e, std::fmax(r.irpef_lorda - tutte + e, 0));
    if (t.presente && secondo) {
      p.scala += std::fmin(e, std::fmax(r.irpef_lorda + t.importo / parte_ - detrazioni + e, 0));
    }
  }
  for (std::size_t i = 0; i < n_; ++i) {
    const Limite& l = limiti_[i];
    double x = 0;
    switch (l.grandezza) {
      case Grandezza::lordo:
        x = B - l.valore;
        break;
      case Grandezza::imponibile:
        x = T - l.valore;
        break;
      case Grandezza::reddito:
        x = R - l.valore;
        break;
      case Grandezza::reddito_anno:
        // As the pass brings it to a year (calcolo.cpp).
        x = (mensile_ || giorni_ == 365 ? R : (R * 365) / giorni_) - l.valore;
        break;
      case Grandezza::eccedenza:
        x = (r.irpef_lorda - tutte) - l.valore;
        break;
      case Grandezza::integrativo_pieno:
        x = primo ? eccedenza_integrativo(r, t, giorni_) - l.valore : 0;
        break;
      case Grandezza::integrativo_parziale:
        x = secondo ? detrazioni - r.irpef_lorda : 0;
        break;
      case Grandezza::integrativo_tetto:
        x = secondo ? (detrazioni - r.irpef_lorda) - l.valore : 0;
        break;
      case Grandezza::regionale:
        x = saldo_addizionale_regionale(R, *in_.regola_regionale()) - l.valore;
        break;
    }
    p.margini[i] = x;
  }
  return true;
}

// The taxable income and the income of the deductions for `lordo`, from
// the contributions alone (not a pass: no tax, no deductions).
void Ricerca::imponibili(double lordo, double& T, double& R) {
  RecordCalcolo r = base_;
  r.retribuzione_lorda = lordo;
  if (mensile_) {
    contributi_mensili(r, in_, regole_, true);
  } else {
    contributi_annui(r, in_, regole_);
  }
  T = r.imponibile_fiscale;
  R = mensile_ ? r.imponibile_annuo : r.imponibile_fiscale;
}

std::size_t Ricerca::primo_diverso(const Punto& a, const Punto& b) const {
  for (std::size_t i = 0; i < n_; ++i) {
    if (segno(a.margini[i]) != segno(b.margini[i])) return i;
  }
  return n_;
}

// The stretch from `a` to `b`, both worked out: split where a figure
// crosses a limit inside it, then each part.
Fine Ricerca::tratto(const Punto& a, const Punto& b, int profondita) {
  const std::size_t i = primo_diverso(a, b);
  if (i == n_) return finale(a, b);
  // The figure of limit i is a straight line here: it crosses its limit at z.
  const double va = a.margini[i];
  const double vb = b.margini[i];
  const double z = a.lordo + va * ((b.lordo - a.lordo) / (va - vb));
  double m = std::floor(z);
  if (!std::isfinite(m) || profondita > 48) m = a.lordo + std::floor((b.lordo - a.lordo) / 2);
  m = std::clamp(m, a.lordo, b.lordo - 1);
  Punto sinistra;
  Punto destra;
  const Punto* fine_sinistra = &a;
  const Punto* inizio_destra = &b;
  if (m != a.lordo) {
    if (!valuta(m, sinistra)) return Fine::passaggi;
    fine_sinistra = &sinistra;
  }
  if (m + 1 != b.lordo) {
    if (!valuta(m + 1, destra)) return Fine::passaggi;
    inizio_destra = &destra;
  }
  const Fine f = tratto(a, *fine_sinistra, profondita + 1);
  if (f != Fine::avanti) return f;
  return tratto(*inizio_destra, b, profondita + 1);
}

// A stretch where no figure crosses a limit: the unrounded net is a
// straight line from `a` to `b`, and so are the figures; the net shown is
// within `scarto` of the unrounded net, a margin that grows with the size of
// the figures, so that inside the stretch it is no larger than on the line
// between its values at the two ends. The highest and the lowest net shown
// can be at a gross are then on straight lines too, and the grosses that can
// show the net wanted (the highest at or above it, the lowest less than a
// euro above it) are one run of grosses.
Fine Ricerca::finale(const Punto& a, const Punto& b) {
  // Where a jump is decided by the cents or by a step of a ratio: every
  // gross (a cent's worth of gross, rarely more than one or two).
  if (nella_banda(a)) return prova_da(a, a, b, true, true);
  const double scarto_a = scarto_su_linea(a, a, b);
  const double scarto_b = scarto_su_linea(b, a, b);
  const double alto_a = a.saldo + scarto_a;
  const double alto_b = b.saldo + scarto_b;
  const double basso_a = a.saldo - scarto_a;
  const double basso_b = b.saldo - scarto_b;
  const double sopra = obiettivo_ + 1;  // a net shown of this or more is past it
  if (!(std::fmax(alto_a, alto_b) >= obiettivo_)) return Fine::avanti;
  if (!(std::fmin(basso_a, basso_b) < sopra)) {
    // Above it all along: the first gross of the stretch is past it.
    return esamina(a);
  }
  const bool sale = b.saldo >= a.saldo;
  // Where the run begins: rising, the first gross whose highest net reaches
  // the net wanted; falling, the first whose lowest net is below a euro
  // above it. Found by interpolation (every third try halves instead, should
  // the line bend by the doubles' errors).
  const auto distanza = [&](const Punto& p) {
    const double s = scarto_su_linea(p, a, b);
    return sale ? (p.saldo + s) - obiettivo_ : sopra - (p.saldo - s);
  };
  const double d_a = sale ? alto_a - obiettivo_ : sopra - basso_a;
  if (d_a > 0 || (sale && d_a == 0)) return prova_da(a, a, b, sale);
  if (!sale) {
    // The grosses before the run show more than the net wanted: the first
    // of them is past it.
    const Fine f = esamina(a);
    if (f != Fine::avanti) return f;
  }
  std::array<Punto, 3> prove;
  const Punto* sotto = &a;
  const Punto* sopra_p = &b;
  double d_sotto = d_a;
  double d_sopra = distanza(b);
  int k = 0;
  while (sopra_p->lordo - sotto->lordo > 1) {
    double c = 0;
    if (k % 3 == 2) {
      c = sotto->lordo + std::floor((sopra_p->lordo - sotto->lordo) / 2);
    } else {
      const double x =
          sotto->lordo - d_sotto * ((sopra_p->lordo - sotto->lordo) / (d_sopra - d_sotto));
      c = std::ceil(x);
      if (!std::isfinite(c)) c = sotto->lordo + std::floor((sopra_p->lordo - sotto->lordo) / 2);
    }
    c = std::clamp(c, sotto->lordo + 1, sopra_p->lordo - 1);
    // A buffer that holds neither end.
    Punto* libero = &prove[0];
    while (libero == sotto || libero == sopra_p) ++libero;
    Punto& p = *libero;
    if (!valuta(c, p)) return Fine::passaggi;
    const double d = distanza(p);
    if (d > 0 || (sale && d == 0)) {
      sopra_p = &p;
      d_sopra = d;
    } else {
      sotto = &p;
      d_sotto = d;
    }
    ++k;
  }
  return prova_da(*sopra_p, a, b, sale);
}

// How far the net shown can be from the unrounded net at `p`, inside the
// stretch from `a` to `b`.
double Ricerca::scarto_su_linea(const Punto& p, const Punto& a, const Punto& b) {
  const double t = b.lordo > a.lordo ? (p.lordo - a.lordo) / (b.lordo - a.lordo) : 0;
  return a.scarto + (b.scarto - a.scarto) * t + std::fmax(std::fmax(a.scala, b.scala), p.scala);
}

// Whether the net IRPEF of `p` is so near the 0,01 shown from which the
// surcharges are due that only the cents shown tell, or the gross tax so
// near the employee deduction less the reduction that only the steps of the
// ratio tell whether the whole trattamento integrativo is paid.
bool Ricerca::nella_banda(const Punto& p) const {
  for (const std::size_t i : bande_) {
    if (i + 1 < n_ && p.margini[i] > 0 && p.margini[i + 1] < 0) return true;
  }
  return false;
}

// The net shown of `p` (worked out): the gross found when it is the net
// wanted, else noted when it is past it.
Fine Ricerca::esamina(const Punto& p) {
  const double netto = netto_in_busta(p.record);
  if (!std::isfinite(netto)) return Fine::troppo_grandi;
  if (netto == obiettivo_) {
    esito_.ricerca.esatta = true;
    esito_.ricerca.netto_raggiunto = netto;
    concludi(p.record, p.lordo);
    return Fine::trovato;
  }
  if (netto > obiettivo_) nota_superamento(p, netto);
  return Fine::avanti;
}

void Ricerca::nota_superamento(const Punto& p, double netto) {
  if (superato_) return;  // grosses come in order: the first stays
  superato_ = true;
  lordo_superato_ = p.lordo;
  netto_superato_ = netto;
  record_superato_ = p.record;
}

// From `primo` (worked out) to the end `b` of the stretch from `a`, one
// gross after another: the first whose net shown is the net wanted. The
// net shown is worked out only where it can be (with `ognuno`, at every
// gross); once the net is past the run (above it, rising; below it,
// falling) nothing up to the end can be.
Fine Ricerca::prova_da(const Punto& primo, const Punto& a, const Punto& b, bool sale, bool ognuno) {
  Punto corrente;
  const Punto* p = &primo;
  while (true) {
    const double s = scarto_su_linea(*p, a, b);
    const double alto = p->saldo + s;
    const double basso = p->saldo - s;
    if (ognuno || (alto >= obiettivo_ && basso < obiettivo_ + 1)) {
      const Fine f = esamina(*p);
      if (f != Fine::avanti) return f;
    } else if (sale ? basso >= obiettivo_ + 1 : alto < obiettivo_) {
      if (sale && !superato_) {
        // Jumped over it between two grosses: this one is past it.
        return esamina(*p);
      }
      return Fine::avanti;
    }
    if (p->lordo >= b.lordo) return Fine::avanti;
    if (p->lordo + 1 == b.lordo) {
      p = &b;
    } else {
      if (!valuta(p->lordo + 1, corrente)) return Fine::passaggi;
      p = &corrente;
    }
  }
}

// The most the unrounded net of a gross can be, from its contributions
// alone: the pay before tax, with the non-taxable pay less the
// non-deductible withholding, and the largest tax-free sum and trattamento
// integrativo its taxable pay could carry (the net IRPEF is never below 0).
double Ricerca::netto_massimo(const RecordCalcolo& r) const {
  const double imponibile = std::fmax(r.imponibile_fiscale, 0);
  double aggiunte = 0;
  if (cuneo_) {
    // A year's tax-free sum is at most its band's rate times the band's end.
    double somma = 0;
    double tetto = 0;
    for (std::size_t i = 0; i < regole_.cuneo.n; ++i) {
      const FasciaSomma& f = regole_.cuneo.somma[i];
      somma = std::fmax(somma, f.aliquota * imponibile);
      tetto = std::fmax(tetto, f.aliquota * f.fino_a);
    }
    aggiunte += mensile_ ? somma : std::fmin(somma, tetto);
  }
  const RegoleTrattamentoIntegrativo& t = regole_.integrativo;
  if (t.presente) {
    const double annuo = std::fmax(t.importo, (t.importo * giorni_) / 365);
    aggiunte += std::fmax(mensile_ ? t.importo / 12 : annuo, 0);
  }
  return netto_prima_delle_imposte(r, mensile_) - r.trattenuta_non_deducibile +
         r.competenza_non_imponibile + aggiunte;
}

// Other contributions of 100 % or more: the worker's contributions grow at
// least as fast as the gross from the start on, so the pay before tax (and
// with it the taxable pay) cannot grow, nor the most the net can be. Below
// the net wanted: no gross reaches it, known from the first pass.
bool Ricerca::ferma_dall_inizio(const Punto& a) const {
  const Crescita c = crescita_ritenute(a.record, in_, regole_, mensile_);
  if (!c.continua || !(c.minima >= 1)) return false;
  return netto_massimo(a.record) + a.scarto + scarto_decimali_ < obiettivo_;
}

// The last gross the search may pass over without a pass. Where the pay
// before tax does not fall as the gross grows (the worker's contributions
// grow by less than the gross from the start on, with no downward jump), the
// most the net can be does not fall either: below a gross where that is
// under the net wanted (by a euro, more than the figures shown can add) no
// gross reaches it. Found from the contributions alone, by interpolation.
double Ricerca::ultimo_escluso(const Punto& a) {
  const Crescita c = crescita_ritenute(a.record, in_, regole_, mensile_);
  if (!c.continua || !(c.massima <= 1)) return inizio_;
  const auto distanza = [&](double lordo) {
    RecordCalcolo r = base_;
    r.retribuzione_lorda = lordo;
    if (mensile_) {
      contributi_mensili(r, in_, regole_, true);
    } else {
      contributi_annui(r, in_, regole_);
    }
    const double margine =
        1 + 1e-13 * (std::fabs(lordo) + std::fabs(r.valore_benefit) +
                     std::fabs(r.trattenuta_non_deducibile) +
                     std::fabs(r.competenza_non_imponibile) + std::fabs(obiettivo_));
    return netto_massimo(r) + margine - obiettivo_;  // below 0: cannot reach it
  };
  double sotto = inizio_;
  double d_sotto = distanza(sotto);
  double sopra = ultimo_lordo;
  double d_sopra = distanza(sopra);
  if (!(d_sotto < 0) || !(d_sopra >= 0)) return inizio_;
  for (int k = 0; sopra - sotto > 1 && k < 64; ++k) {
    double m = sotto + std::floor((sopra - sotto) / 2);
    if (k % 3 != 2) {
      const double x = std::floor(sotto - d_sotto * ((sopra - sotto) / (d_sopra - d_sotto)));
      if (std::isfinite(x)) m = std::clamp(x, sotto + 1, sopra - 1);
    }
    const double d = distanza(m);
    if (d < 0) {
      sotto = m;
      d_sotto = d;
    } else {
      sopra = m;
      d_sopra = d;
    }
  }
  return sotto;
}

// What takes each further euro of gross from `x` to `y`: the worker's
// contributions, the net IRPEF (less the tax-free sum and the trattamento
// integrativo) and the surcharges, as shares of the euro.
void Ricerca::quote_marginali(const RecordCalcolo& x, const RecordCalcolo& y) {
  const double d = y.retribuzione_lorda - x.retribuzione_lorda;
  if (!(d > 0)) return;
  const auto irpef = [](const RecordCalcolo& r) {
    return r.irpef_lorda - r.totale_detrazioni - r.somma_esente - r.trattamento_integrativo;
  };
  const auto addizionali = [](const RecordCalcolo& r) {
    return r.addizionale_regionale + r.addizionale_comunale;
  };
  EsitoRicerca& e = esito_.ricerca;
  e.quota_ritenute =
      1 - (netto_prima_delle_imposte(y, mensile_) - netto_prima_delle_imposte(x, mensile_)) / d;
  e.quota_irpef = (irpef(y) - irpef(x)) / d;
  e.quota_addizionali = (addizionali(y) - addizionali(x)) / d;
}

void Ricerca::concludi(const RecordCalcolo& r, double lordo) {
  w_ = r;
  esito_.ricerca.lordo = lordo;
  esito_.ricerca.passaggi = passaggi_;
}

CalcoloSvolto Ricerca::esegui() {
  esito_.ricerca_svolta = true;
  EsitoRicerca& ricerca = esito_.ricerca;
  obiettivo_ = w_.retribuzione_intera;
  ricerca.obiettivo = obiettivo_;
  if (obiettivo_ < 0) {
    esito_.stato = Stato::rifiutato;
    esito_.rifiuto = Rifiuto::netto_negativo;
    return esito_;
  }
  // Where a tax-free sum makes the net larger than the gross, a net can come
  // from a gross below it: the search then starts at 0.
  ricerca.da_zero = regole_.ricerca_da_zero;
  inizio_ = ricerca.da_zero ? 0 : obiettivo_;
  raccogli_limiti();

  // The search ends without the net wanted: the figures of `r` are shown.
  const auto senza = [&](FineRicerca fine, const RecordCalcolo& r, double lordo) {
    esito_.stato = Stato::irraggiungibile;
    ricerca.fine = fine;
    ricerca.netto_raggiunto = netto_in_busta(r);
    concludi(r, lordo);
    if (!std::isfinite(ricerca.netto_raggiunto)) return rifiuto_troppo_grandi();
    return esito_;
  };
  // No gross gives the net wanted, and one shows more: the first that does.
  const auto superato = [&]() {
    esito_.stato = Stato::irraggiungibile;
    ricerca.esatta = false;
    ricerca.fine = lordo_superato_ == inizio_ && !ricerca.da_zero ? FineRicerca::superato_dal_netto
                                                                  : FineRicerca::superato;
    ricerca.netto_raggiunto = netto_superato_;
    concludi(record_superato_, lordo_superato_);
    return esito_;
  };
  const auto fine_passaggi = [&]() {
    RecordCalcolo r = base_;
    passo_ricerca_record(r, in_, regole_, mensile_, ultimo_provato_);
    return senza(FineRicerca::interrotta, r, ultimo_provato_);
  };

  std::array<Punto, 2> estremi;
  Punto* a = &estremi[0];
  Punto* b = &estremi[1];
  valuta(inizio_, *a);
  const Fine f = finale(*a, *a);
  if (f == Fine::trovato) return esito_;
  if (f == Fine::troppo_grandi) return rifiuto_troppo_grandi();
  if (!(inizio_ < ultimo_lordo)) {
    return superato_ ? superato() : senza(FineRicerca::interrotta, a->record, inizio_);
  }
  if (ferma_dall_inizio(*a)) {
    const Crescita c = crescita_ritenute(a->record, in_, regole_, mensile_);
    ricerca.quota_ritenute = c.minima;
    return senza(FineRicerca::ferma, a->record, inizio_);
  }
  if (!valuta(ultimo_escluso(*a) + 1, *a)) return fine_passaggi();

  // The stretches between the contribution limits, from the start up; in
  // each, the taxable income and the income of the deductions are straight
  // lines in the gross, so the grosses where they cross their limits follow
  // from their values at its two ends.
  const double benefit = base_.valore_benefit;
  bool crescente = true;
  while (true) {
    double fine_lordo = ultimo_lordo;
    for (std::size_t i = 0; i < n_; ++i) {
      if (limiti_[i].grandezza != Grandezza::lordo) continue;
      const double x = std::ceil(limiti_[i].valore - benefit) - 1;
      if (x >= a->lordo && x < fine_lordo) fine_lordo = x;
    }
    std::array<double, massimo_limiti + 1> tagli;
    std::size_t quanti = 0;
    if (fine_lordo > a->lordo) {
      double T0 = 0;
      double R0 = 0;
      double T1 = 0;
      double R1 = 0;
      imponibili(a->lordo, T0, R0);
      imponibili(fine_lordo, T1, R1);
      const double lunghezza = fine_lordo - a->lordo;
      for (std::size_t i = 0; i < n_; ++i) {
        const Limite& l = limiti_[i];
        double v0 = 0;
        double v1 = 0;
        if (l.grandezza == Grandezza::imponibile) {
          v0 = T0;
          v1 = T1;
        } else if (l.grandezza == Grandezza::reddito) {
          v0 = R0;
          v1 = R1;
        } else if (l.grandezza == Grandezza::reddito_anno) {
          const bool anno = mensile_ || giorni_ == 365;
          v0 = anno ? R0 : (R0 * 365) / giorni_;
          v1 = anno ? R1 : (R1 * 365) / giorni_;
        } else {
          continue;
        }
        const double z = a->lordo + (l.valore - v0) * (lunghezza / (v1 - v0));
        if (z > a->lordo && z <= fine_lordo) tagli[quanti++] = z;
      }
      std::sort(tagli.begin(), tagli.begin() + quanti);
    }
    tagli[quanti++] = fine_lordo + 1;
    for (std::size_t k = 0; k < quanti; ++k) {
      const double fine_tratto = std::ceil(tagli[k]) - 1;
      if (fine_tratto < a->lordo) continue;
      const Punto* fine = a;
      if (fine_tratto != a->lordo) {
        if (!valuta(fine_tratto, *b)) return fine_passaggi();
        fine = b;
      }
      const Fine esito = tratto(*a, *fine, 0);
      if (esito == Fine::trovato) return esito_;
      if (esito == Fine::troppo_grandi) return rifiuto_troppo_grandi();
      if (esito == Fine::passaggi) return fine_passaggi();
      // Rising by more than the doubles' errors.
      crescente = fine->saldo - a->saldo >
                  scarto_su_linea(*a, *a, *fine) + scarto_su_linea(*fine, *a, *fine);
      if (fine_tratto >= ultimo_lordo) {
        // No gross up to a thousand billion euro gives the net wanted. Where
        // one showed more, that one is shown. Where the net still rises
        // there, the search gives up; otherwise the net cannot grow any more
        // (what takes each further euro is said), and the figures shown are
        // those of the start.
        if (superato_) return superato();
        if (crescente) return senza(FineRicerca::interrotta, fine->record, fine->lordo);
        quote_marginali(a->record, fine->record);
        RecordCalcolo r = base_;
        passo_ricerca_record(r, in_, regole_, mensile_, inizio_);
        return senza(FineRicerca::ferma, r, inizio_);
      }
      if (fine == b) std::swap(a, b);
      if (!valuta(fine_tratto + 1, *a)) return fine_passaggi();
    }
  }
}

}  // namespace

CalcoloSvolto ricerca_lordo(RecordCalcolo& w, const InputCalcolo& in, const RegoleCalcolo& regole,
                            bool mensile) {
  return Ricerca(w, in, regole, mensile).esegui();
}

}  // namespace zellora
