#include "form/motore.h"

#include <algorithm>
#include <utility>

#include "base/citazione.h"
#include "form/verifica.h"
#include "rules/profilo.h"

namespace zellora {

bool Motore::scegli_settore(std::string_view categoria, std::string_view settore) {
  const int c = indice_di(categorie_lavoratore(*regole_), categoria);
  const SettoreTrovato s = trova_settore(*regole_, c, settore);
  settore_scelto_ = scrivi_profilo(record_, *regole_, c, s.indice);
  nota_settore_.clear();
  // An item of an earlier list: the results say which of today's sectors
  // stands for it (named whole: the loader took it as printable text).
  if (settore_scelto_ && s.precedente) {
    nota_settore_ = "Il settore " + citazione(settore) +
                    " non \u00e8 pi\u00f9 tra quelli della normativa " + regole_->nome +
                    ": il calcolo segue \"" +
                    regole_->categorie[static_cast<std::size_t>(c)]
                        .settori[static_cast<std::size_t>(s.indice)]
                        .voce +
                    "\".";
  }
  return settore_scelto_;
}

EsitoCalcolo Motore::verifica_campi(const CampiForm1& campi) { return verifica(campi, nullptr); }

EsitoCalcolo Motore::verifica_campi(CampiForm1&& campi) { return verifica(campi, &campi); }

EsitoCalcolo Motore::verifica(const CampiForm1& campi, CampiForm1* da_tenere) {
  EsitoCalcolo esito;
  if (campi_non_valorizzati(campi)) {
    esito.stato = Stato::rifiutato;
    esito.campi_vuoti = true;
    esito.messaggi.emplace_back(messaggio_campi_vuoti);
    return esito;
  }
  LetturaInput lettura = input_del_calcolo(campi, *regole_, locale_);
  // Without a category and a sector the calculation has no contributions:
  // a net that would look right for no worker at all.
  const std::optional<std::string> lavoratore =
      settore_scelto_ ? std::nullopt : std::optional(lavoratore_mancante(campi));
  if (!lettura.input || lavoratore) {
    esito.stato = Stato::rifiutato;
    if (lavoratore) esito.messaggi.push_back(*lavoratore);
    for (std::string& m : lettura.messaggi) esito.messaggi.push_back(std::move(m));
    return esito;
  }
  const RecordCalcolo prima = record_;
  esito = campi.Option1 ? calcola_irpef_annua(record_, *lettura.input, locale_, *regole_)
                        : calcola_mensile(record_, *lettura.input, locale_, *regole_);
  if (esito.stato == Stato::rifiutato) return esito;
  // How the comune's deliberation was read: told with the figures.
  for (const std::string& n : lettura.note) esito.messaggi.push_back(n);
  // The window's employer panel is monthly when "Mensile" is selected, by
  // the number of monthly payments typed (already read for a monthly
  // calculation).
  std::optional<double> mensilita;
  if (campi.Option2) {
    mensilita = campi.Option1 ? converti_numero(campi.Text7, locale_)
                              : std::optional(lettura.input->mensilita);
  }
  const CifreRisultato cifre = cifre_risultato(record_, regole_attuali(*regole_), campi.Option2,
                                               mensilita, addizionali_chieste(campi));
  // Figures too large to show to the cent would show other numbers than
  // the calculation's, and a net that is not their balance.
  if (!cifre.mostrabili) {
    record_ = prima;
    EsitoCalcolo rifiuto;
    rifiuto.stato = Stato::rifiutato;
    rifiuto.messaggi.emplace_back(messaggio_cifre_troppo_grandi);
    return rifiuto;
  }
  risultati_.riempi(cifre, locale_);
  // What is said of an item of an earlier sector list, after the comune's
  // notes: in the messages and, with them, in the statement.
  if (!nota_settore_.empty()) {
    esito.messaggi.push_back(nota_settore_);
    lettura.note.push_back(nota_settore_);
  }
  risultati_.note = std::move(lettura.note);
  if (risultati_.normativa != regole_->nome) risultati_.normativa = regole_->nome;
  if (da_tenere != nullptr) {
    campi_calcolo_ = std::move(*da_tenere);
  } else {
    campi_calcolo_ = campi;
  }
  input_calcolo_ = std::move(lettura.input);
  return esito;
}

}  // namespace zellora
