#include "form/risultati.h"

namespace zellora {

std::string testo_cifra(const Cifra& cifra, const Locale& locale) {
  switch (cifra.forma) {
    case Forma::importo:
      return formato_F_centesimi(cifra.centesimi, locale);
    case Forma::zero:
      return "0";
    case Forma::vuota:
      break;
  }
  return {};
}

void Risultati::riempi(const CifreRisultato& nuove, const Locale& locale) {
  cifre = nuove;
  righe_attuali = nuove.attuali;
  righe_addizionali = nuove.addizionali;
  // Written from the last box back, each text ending where the next begins,
  // into room enough for all at the end of the buffer.
  const std::size_t spazio = caselle_risultato * spazio_F_centesimi(locale);
  if (testi_.size() < spazio) testi_.resize(spazio);
  char* const inizio = testi_.data();
  char* p = inizio + testi_.size();
  confini_[caselle_risultato] = testi_.size();
  for (std::size_t n = caselle_risultato; n > 0; --n) {
    const Cifra& c = nuove.caselle[n - 1];
    if (c.forma == Forma::importo) {
      p = scrivi_F_centesimi(p, c.centesimi, locale);
    } else if (c.forma == Forma::zero) {
      *--p = '0';
    }
    confini_[n - 1] = static_cast<std::size_t>(p - inizio);
  }
}

bool Risultati::operator==(const Risultati& altri) const {
  if (!(cifre == altri.cifre && normativa == altri.normativa &&
        righe_attuali == altri.righe_attuali && righe_addizionali == altri.righe_addizionali &&
        note == altri.note)) {
    return false;
  }
  for (int n = 1; n <= caselle_risultato; ++n) {
    if (Text(n) != altri.Text(n)) return false;
  }
  return true;
}

void Risultati::imposta_testo(int n, std::string_view testo) {
  std::array<std::string, caselle_risultato> testi;
  for (int k = 1; k <= caselle_risultato; ++k) testi[static_cast<std::size_t>(k - 1)] = Text(k);
  testi.at(static_cast<std::size_t>(n - 1)) = testo;
  testi_.clear();
  for (std::size_t k = 0; k < testi.size(); ++k) {
    confini_[k] = testi_.size();
    testi_ += testi[k];
  }
  confini_[caselle_risultato] = testi_.size();
}

CifreRisultato cifre_mostrate(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                              const Locale& locale, bool righe_attuali, bool addizionali) {
  return cifre_risultato(record, righe_attuali, mensile,
                         mensile ? converti_numero(mensilita, locale) : std::nullopt, addizionali);
}

Risultati riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                           const Locale& locale, bool righe_attuali) {
  Risultati finestra;
  riempi_risultati(record, mensile, mensilita, locale, finestra, righe_attuali);
  return finestra;
}

void riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                      const Locale& locale, Risultati& finestra, bool righe_attuali) {
  finestra.riempi(cifre_mostrate(record, mensile, mensilita, locale, righe_attuali), locale);
}

}  // namespace zellora
