#include "engine/risultati.h"

#include <optional>

namespace zellora {

namespace {

// The boxes being filled, with the number each text reads back as.
class Riempimento {
 public:
  // Clears every box of `finestra`, keeping the storage of its texts.
  Riempimento(const Locale& locale, Risultati& finestra) : locale_(locale), risultati_(finestra) {
    for (auto& testo : risultati_.testi) testo.clear();
  }

  void F(int box, double valore) {
    double letto = 0;
    // A figure that cannot be formatted leaves the box with the empty text.
    if (formato_F_in(valore, locale_, risultati_.testi[box - 1], &letto)) letti_[box - 1] = letto;
  }

  void testo(int box, std::string testo) {
    risultati_.Text(box) = std::move(testo);
    letti_[box - 1] = converti_numero(risultati_.Text(box), locale_);
  }

  std::optional<double> N(int box) const { return letti_[box - 1]; }

 private:
  const Locale& locale_;
  Risultati& risultati_;
  std::array<std::optional<double>, 21> letti_{};
};

}  // namespace

Risultati riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                           const Locale& locale) {
  Risultati finestra;
  riempi_risultati(record, mensile, mensilita, locale, finestra);
  return finestra;
}

void riempi_risultati(const RecordCalcolo& r, bool mensile, std::string_view mensilita,
                      const Locale& locale, Risultati& finestra) {
  Riempimento box(locale, finestra);

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

  // Net IRPEF from the deductions as displayed; never shown below zero.
  if (box.N(5) && box.N(6) && box.N(7) && box.N(8)) {
    box.F(9, r.irpef_lorda - *box.N(5) - *box.N(6) - *box.N(7) - *box.N(8));
  }
  if (!box.N(9) || *box.N(9) < 0) box.testo(9, "0");

  // Net pay from the figures as displayed, in whole euros.
  if (box.N(1) && box.N(2) && box.N(18) && box.N(17) && box.N(9) && box.N(20) && box.N(21)) {
    box.F(10, Int(*box.N(1) - *box.N(2) - *box.N(18) - *box.N(17) - *box.N(9) - *box.N(20) +
                  *box.N(21)));
  }

  // Employer's side; a month includes the accrual of the additional
  // monthly payments (value x M / 12).
  const double RecordCalcolo::*azienda[] = {&RecordCalcolo::retribuzione_lorda,
                                            &RecordCalcolo::inps_azienda,
                                            &RecordCalcolo::premio_inail,
                                            &RecordCalcolo::irap,
                                            &RecordCalcolo::tfr,
                                            &RecordCalcolo::altri_contributi_az,
                                            &RecordCalcolo::costo_lavoro};
  const int box_azienda[] = {11, 12, 13, 14, 15, 19, 16};
  if (mensile) {
    if (const auto M = converti_numero(mensilita, locale)) {
      for (int i = 0; i < 7; ++i) box.F(box_azienda[i], r.*azienda[i] * *M / 12);
    }
  } else {
    for (int i = 0; i < 7; ++i) box.F(box_azienda[i], r.*azienda[i]);
  }
}

}  // namespace zellora
