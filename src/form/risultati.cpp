#include "form/risultati.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace zellora {

namespace {

// Whole cents of a number that a shown amount reads back as (two decimals at
// most). Below 1e13 euro the double holds every cent of the text, so the
// cents are exact; nothing beyond that.
std::optional<std::int64_t> centesimi(double letto) {
  if (!(std::fabs(letto) < 1e13)) return std::nullopt;
  return std::llround(letto * 100);
}

// The boxes of the worker's side being filled, with the number each text
// reads back as. Without a window the texts are formatted into one scratch
// text and only the numbers are kept: the search uses that to know the net
// the window would show.
class Riempimento {
 public:
  // Clears every box of `finestra`, keeping the storage of its texts.
  Riempimento(const Locale& locale, Risultati* finestra) : locale_(locale), risultati_(finestra) {
    if (risultati_ != nullptr) {
      for (auto& testo : risultati_->testi) testo.clear();
    }
  }

  void F(int box, double valore) {
    double letto = 0;
    // A figure that cannot be formatted leaves the box with the empty text.
    std::string& testo = risultati_ != nullptr ? risultati_->Text(box) : scarto_;
    if (formato_F_in(valore, locale_, testo, &letto)) letti_[box - 1] = letto;
  }

  // The bare "0" of a net IRPEF that would be negative or cannot be shown.
  void zero(int box) {
    if (risultati_ != nullptr) risultati_->Text(box).assign(1, '0');
    letti_[box - 1] = 0;
  }

  std::optional<double> N(int box) const { return letti_[box - 1]; }

 private:
  const Locale& locale_;
  Risultati* risultati_;
  std::string scarto_;
  std::array<std::optional<double>, 24> letti_{};
};

// "Netto in busta" from the figures shown: gross, less the contributions,
// the net IRPEF and the non-deductible withholding, plus the non-taxable
// pay. The figures are whole cents and are added exactly in cents, then the
// whole euros are taken (the largest not above the sum), so that the net
// shown is the true balance of the figures shown. Beyond ten thousand
// billion euro, where a double no longer holds the cents, the figures are
// added as doubles.
std::optional<double> netto_da_cifre(const Riempimento& box, bool aggiunte) {
  // Under today's law the tax-free sum and the trattamento integrativo are
  // paid with the net, after the figures of 2007.
  constexpr int termini[] = {1, 2, 18, 17, 9, 20, 21, 22, 24};
  constexpr int segni[] = {1, -1, -1, -1, -1, -1, 1, 1, 1};
  const int quanti = aggiunte ? 9 : 7;
  std::int64_t somma = 0;
  bool in_centesimi = true;
  for (int i = 0; i < quanti; ++i) {
    if (!box.N(termini[i])) return std::nullopt;
    if (const auto c = centesimi(*box.N(termini[i]))) {
      somma += segni[i] * *c;
    } else {
      in_centesimi = false;
    }
  }
  if (in_centesimi) {
    // Floor division: -50 cents are -1 euro.
    const std::int64_t euro = somma / 100 - (somma % 100 < 0 ? 1 : 0);
    return static_cast<double>(euro);
  }
  double netto =
      *box.N(1) - *box.N(2) - *box.N(18) - *box.N(17) - *box.N(9) - *box.N(20) + *box.N(21);
  if (aggiunte) netto = netto + *box.N(22) + *box.N(24);
  return Int(netto);
}

// The worker's side in the order of the window, with the two figures
// derived from what it shows: the results window and the net-to-gross
// search both go through here, so the net the search settles on is the net
// the window shows.
void lato_lavoratore(const RecordCalcolo& r, Riempimento& box, bool aggiunte) {
  box.F(1, r.retribuzione_lorda);
  box.F(2, r.ritenuta_inps + r.contributo_aggiuntivo);
  box.F(18, r.altri_contributi_dip);
  box.F(17, r.ritenuta_inail);
  box.F(3, r.imponibile_fiscale);
  box.F(4, r.irpef_lorda);
  box.F(5, r.detrazione_dip + r.detrazione_dip_ulteriore);
  box.F(6, r.detrazione_coniuge + r.detrazione_coniuge_maggiorazione);
  box.F(7, r.detrazione_figli);
  box.F(8, r.detrazione_altri);
  box.F(20, r.trattenuta_non_deducibile);
  box.F(21, r.competenza_non_imponibile);
  if (aggiunte) {
    box.F(22, r.somma_esente);
    box.F(23, r.ulteriore_detrazione);
    box.F(24, r.trattamento_integrativo);
  }

  // Net IRPEF from the unrounded gross tax less the deductions as
  // displayed; never shown below zero. One rounding to cents, by the
  // format, at the end: the error of the subtractions is far below what the
  // format's fifteen digits can see.
  if (!aggiunte) {
    if (box.N(5) && box.N(6) && box.N(7) && box.N(8)) {
      box.F(9, r.irpef_lorda - *box.N(5) - *box.N(6) - *box.N(7) - *box.N(8));
    }
  } else if (box.N(5) && box.N(6) && box.N(7) && box.N(8) && box.N(23)) {
    // Today's further deduction last.
    box.F(9, r.irpef_lorda - *box.N(5) - *box.N(6) - *box.N(7) - *box.N(8) - *box.N(23));
  }
  if (!box.N(9) || *box.N(9) < 0) box.zero(9);

  if (const auto netto = netto_da_cifre(box, aggiunte)) box.F(10, *netto);
}

// The figures of the employer's side, in the order of their boxes.
constexpr double RecordCalcolo::*azienda[] = {&RecordCalcolo::retribuzione_lorda,
                                              &RecordCalcolo::inps_azienda,
                                              &RecordCalcolo::premio_inail,
                                              &RecordCalcolo::irap,
                                              &RecordCalcolo::tfr,
                                              &RecordCalcolo::altri_contributi_az,
                                              &RecordCalcolo::costo_lavoro};

}  // namespace

std::optional<double> netto_in_busta(const RecordCalcolo& record) {
  static const Locale italiano = Locale::italiano();
  Riempimento box(italiano, nullptr);
  // The three figures of today's law change nothing when they are 0.
  const bool aggiunte = record.somma_esente != 0 || record.ulteriore_detrazione != 0 ||
                        record.trattamento_integrativo != 0;
  lato_lavoratore(record, box, aggiunte);
  return box.N(10);
}

double netto_mostrato(const RecordCalcolo& record) {
  return netto_in_busta(record).value_or(std::numeric_limits<double>::quiet_NaN());
}

Risultati riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                           const Locale& locale, bool righe_attuali) {
  Risultati finestra;
  riempi_risultati(record, mensile, mensilita, locale, finestra, righe_attuali);
  return finestra;
}

bool cifre_mostrabili(const RecordCalcolo& r, bool mensile, std::string_view mensilita,
                      const Locale& locale) {
  const auto piccola = [](double v) { return std::fabs(v) < cifra_massima; };
  const double lavoratore[] = {r.retribuzione_lorda,
                               r.ritenuta_inps + r.contributo_aggiuntivo,
                               r.altri_contributi_dip,
                               r.ritenuta_inail,
                               r.imponibile_fiscale,
                               r.irpef_lorda,
                               r.detrazione_dip + r.detrazione_dip_ulteriore,
                               r.detrazione_coniuge + r.detrazione_coniuge_maggiorazione,
                               r.detrazione_figli,
                               r.detrazione_altri,
                               r.trattenuta_non_deducibile,
                               r.competenza_non_imponibile,
                               r.somma_esente,
                               r.ulteriore_detrazione,
                               r.trattamento_integrativo};
  for (const double v : lavoratore) {
    if (!piccola(v)) return false;
  }
  double scala = 1;
  if (mensile) {
    // A number of monthly payments that cannot be read leaves the
    // employer's side empty: nothing there to show.
    const auto M = converti_numero(mensilita, locale);
    if (!M) return true;
    scala = *M / 12;
  }
  for (const auto campo : azienda) {
    if (!piccola(r.*campo * scala)) return false;
  }
  return true;
}

namespace {

// Both sides into `box`: the worker's, then the employer's.
void riempi(const RecordCalcolo& r, bool mensile, std::string_view mensilita, const Locale& locale,
            Riempimento& box, bool righe_attuali) {
  lato_lavoratore(r, box, righe_attuali);

  // Employer's side; a month includes the accrual of the additional
  // monthly payments (value x M / 12).
  const int box_azienda[] = {11, 12, 13, 14, 15, 19, 16};
  if (mensile) {
    if (const auto M = converti_numero(mensilita, locale)) {
      for (int i = 0; i < 7; ++i) box.F(box_azienda[i], r.*azienda[i] * *M / 12);
    }
  } else {
    for (int i = 0; i < 7; ++i) box.F(box_azienda[i], r.*azienda[i]);
  }
}

}  // namespace

void riempi_risultati(const RecordCalcolo& r, bool mensile, std::string_view mensilita,
                      const Locale& locale, Risultati& finestra, bool righe_attuali) {
  Riempimento box(locale, &finestra);
  finestra.righe_attuali = righe_attuali;
  riempi(r, mensile, mensilita, locale, box, righe_attuali);
}

CifreMostrate cifre_mostrate(const RecordCalcolo& r, bool mensile, std::string_view mensilita,
                             const Locale& locale, bool righe_attuali) {
  Riempimento box(locale, nullptr);
  riempi(r, mensile, mensilita, locale, box, righe_attuali);
  CifreMostrate cifre;
  for (int n = 1; n <= 24; ++n) {
    if (const auto letto = box.N(n))
      cifre.centesimi[static_cast<std::size_t>(n - 1)] = centesimi(*letto);
  }
  return cifre;
}

}  // namespace zellora
