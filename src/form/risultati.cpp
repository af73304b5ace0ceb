#include "form/risultati.h"

namespace zellora {

void testo_cifra(const Cifra& cifra, const Locale& locale, std::string& testo) {
  switch (cifra.forma) {
    case Forma::importo:
      formato_F_centesimi_in(cifra.centesimi, locale, testo);
      return;
    case Forma::zero:
      testo.assign(1, '0');
      return;
    case Forma::vuota:
      testo.clear();
      return;
  }
}

void riempi_risultati(const CifreRisultato& cifre, const Locale& locale, Risultati& finestra) {
  finestra.righe_attuali = cifre.attuali;
  for (std::size_t n = 0; n < finestra.testi.size(); ++n) {
    testo_cifra(cifre.caselle[n], locale, finestra.testi[n]);
  }
  finestra.cifre = cifre;
}

CifreRisultato cifre_mostrate(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                              const Locale& locale, bool righe_attuali) {
  return cifre_risultato(record, righe_attuali, mensile,
                         mensile ? converti_numero(mensilita, locale) : std::nullopt);
}

Risultati riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                           const Locale& locale, bool righe_attuali) {
  Risultati finestra;
  riempi_risultati(record, mensile, mensilita, locale, finestra, righe_attuali);
  return finestra;
}

void riempi_risultati(const RecordCalcolo& record, bool mensile, std::string_view mensilita,
                      const Locale& locale, Risultati& finestra, bool righe_attuali) {
  riempi_risultati(cifre_mostrate(record, mensile, mensilita, locale, righe_attuali), locale,
                   finestra);
}

}  // namespace zellora
