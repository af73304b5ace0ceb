#include "form/verifica.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "base/citazione.h"
#include "rules/comunali.h"
#include "rules/regionali.h"

namespace zellora {

namespace {

// The fifteen fields of the empty-field warning, in the order it checks them.
struct CampoControllato {
  std::string_view nome;
  std::string CampiForm1::*campo;
};
using F = CampiForm1;
constexpr std::array<CampoControllato, 15> campi_controllati = {{
    {"Text1", &F::Text1},
    {"Text2", &F::Text2},
    {"Text3", &F::Text3},
    {"Text4", &F::Text4},
    {"Text5", &F::Text5},
    {"Text6", &F::Text6},
    {"Text7", &F::Text7},
    {"Text9", &F::Text9},
    {"Text10", &F::Text10},
    {"Text11", &F::Text11},
    {"Text13", &F::Text13},
    {"Text14", &F::Text14},
    {"Text15", &F::Text15},
    {"Text19", &F::Text19},
    {"Text21", &F::Text21},
}};

}  // namespace

std::vector<std::string_view> elenco_campi_non_valorizzati(const CampiForm1& c) {
  std::vector<std::string_view> vuoti;
  for (const CampoControllato& k : campi_controllati) {
    if ((c.*k.campo).empty()) vuoti.push_back(k.nome);
  }
  return vuoti;
}

bool campi_non_valorizzati(const CampiForm1& c) {
  return std::any_of(campi_controllati.begin(), campi_controllati.end(),
                     [&c](const CampoControllato& k) { return (c.*k.campo).empty(); });
}

namespace {

// The message for a field that does not hold a number: "30.5" under a locale
// that writes "30,5" names the sign that would make it a number, with the
// text as it should be typed.
std::string non_un_numero(std::string_view nome, const std::string& testo, const Locale& locale) {
  std::string messaggio =
      "Il campo \"" + std::string(etichetta(nome)) + "\" non contiene un numero valido.";
  if (locale.decimale == "," && testo.find('.') != std::string::npos) {
    std::string corretto = testo;
    const auto punto = corretto.rfind('.');
    corretto.replace(punto, 1, locale.decimale);
    if (converti_numero(corretto, locale)) {
      messaggio += " Per i decimali si usa la virgola: " + citazione(corretto) + ".";
    }
  }
  return messaggio;
}

class Lettore {
 public:
  Lettore(const CampiForm1& campi, const Locale& locale) : campi_(campi), locale_(locale) {}

  // The number in the text field `campo`, named `nome`; a text that is not
  // a number is noted under the field's label.
  double numero(std::string CampiForm1::*campo, std::string_view nome, bool* letto = nullptr) {
    if (const auto v = converti_numero(campi_.*campo, locale_)) {
      if (letto != nullptr) *letto = true;
      return *v;
    }
    return non_numero(nome, campi_.*campo, letto);
  }

  // The share chosen in a drop-down list, needed when `serve` is true.
  double quota(const std::string& testo, bool serve, std::string_view destinatari) {
    if (!serve) return converti_numero(testo, locale_).value_or(0);
    if (const auto v = converti_numero(testo, locale_)) return *v;
    messaggi.push_back("Con \"" + std::string(destinatari) +
                       "\" diverso da 0 scegliere la percentuale \"%\" della detrazione (50 o "
                       "100).");
    valido = false;
    return 0;
  }

  std::vector<std::string> messaggi;
  bool valido = true;

 private:
  double non_numero(std::string_view nome, const std::string& testo, bool* letto) {
    messaggi.push_back(non_un_numero(nome, testo, locale_));
    valido = false;
    if (letto != nullptr) *letto = false;
    return 0;
  }

  const CampiForm1& campi_;
  const Locale& locale_;
};

}  // namespace

LetturaInput leggi_input(const CampiForm1& campi, const Locale& locale) {
  Lettore l(campi, locale);
  const bool mensile = !campi.Option1;
  InputCalcolo in;
  in.retribuzione = l.numero(&CampiForm1::Text1, "Text1");
  in.benefit = l.numero(&CampiForm1::Text13, "Text13");
  in.trattenuta = l.numero(&CampiForm1::Text19, "Text19");
  in.competenza = l.numero(&CampiForm1::Text21, "Text21");
  in.altri_dip = l.numero(&CampiForm1::Text14, "Text14");
  in.altri_az = l.numero(&CampiForm1::Text15, "Text15");
  in.tasso_inail = l.numero(&CampiForm1::Text11, "Text11");
  in.percentuale = campi.Option5;
  in.irap = campi.Check1;
  in.lordo_netto = campi.Option4;
  DatiFamiglia& f = in.famiglia;
  if (mensile) {
    in.mensilita = l.numero(&CampiForm1::Text7, "Text7");
  } else {
    f.giorni = l.numero(&CampiForm1::Text5, "Text5");
    f.mesi_coniuge = l.numero(&CampiForm1::Text2, "Text2");
    f.mesi_figli = l.numero(&CampiForm1::Text9, "Text9");
    f.mesi_altri = l.numero(&CampiForm1::Text10, "Text10");
  }
  bool figli_letti = false;
  f.figli = l.numero(&CampiForm1::Text4, "Text4", &figli_letti);
  bool minori_letti = false;
  f.figli_minori = l.numero(&CampiForm1::Text6, "Text6", &minori_letti);
  bool altri_letti = false;
  f.altri = l.numero(&CampiForm1::Text3, "Text3", &altri_letti);
  f.coniuge_a_carico = campi.Combo3 == "Si";

  // The counts of dependants are whole numbers of at most two digits, as the
  // form's fields have always taken them: more than any family reaches, and
  // the deductions they multiply stay within what a payslip can show.
  const auto conteggio = [](double n) {
    return n >= 0 && n <= massimo_a_carico && n == std::floor(n);
  };
  const bool figli_interi = figli_letti && conteggio(f.figli);
  if (figli_letti && !figli_interi) {
    l.messaggi.push_back(
        "Il campo \"Figli a carico\" deve contenere un numero intero di figli, da 0 a 99.");
    l.valido = false;
  }
  if (altri_letti && !conteggio(f.altri)) {
    l.messaggi.push_back(
        "Il campo \"Altri a carico\" deve contenere un numero intero di persone, da 0 a 99.");
    l.valido = false;
  }
  // The children under three are some of the children: a whole number from
  // 0 up to their count, never more children than there are.
  if (minori_letti && (f.figli_minori < 0 || f.figli_minori != std::floor(f.figli_minori) ||
                       (figli_interi && f.figli_minori > f.figli))) {
    l.messaggi.push_back(
        "Il campo \"di cui minori di 3 anni\" deve contenere un numero intero di figli, da 0 a "
        "quelli indicati in \"Figli a carico\".");
    l.valido = false;
  }
  f.quota_figli = l.quota(campi.Combo1, figli_interi && f.figli >= 1, "Figli a carico");
  f.quota_altri = l.quota(campi.Combo2, altri_letti && f.altri != 0, "Altri a carico");

  if (!in.lordo_netto && l.valido && Int(in.retribuzione) < 0) {
    l.messaggi.push_back(
        "Il netto da ottenere (\"Retribuzione / Compenso\") non pu\u00f2 essere negativo.");
    l.valido = false;
  }

  LetturaInput esito;
  esito.messaggi = std::move(l.messaggi);
  if (l.valido) esito.input = in;
  return esito;
}

}  // namespace zellora

namespace zellora {

namespace {

bool vuoto(std::string_view testo) {
  return testo.find_first_not_of(" \t") == std::string_view::npos;
}

std::string campo(std::string_view nome) { return "Il campo \"" + std::string(nome) + "\""; }

// The items of comuni, quoted, the first ten and how many more.
std::string voci(const std::vector<ComuneAddizionale>& comuni, bool con_regione = false) {
  constexpr std::size_t massimo = 10;
  std::string r;
  for (std::size_t i = 0; i < comuni.size() && i < massimo; ++i) {
    r += (i == 0 ? "" : ", ") + citazione(comuni[i].voce());
    if (con_regione) r += " \u00e8 in " + citazione(comuni[i].regione);
  }
  if (comuni.size() > massimo) {
    r += " e altri " + std::to_string(comuni.size() - massimo);
  }
  return r;
}

// The comune "Comune" names (`testo`) in the list of the rule set's year,
// one of the region chosen when there is one; none, with the message that
// says why, when the list does not hold it, holds several of that name or
// holds it in another region.
std::optional<ComuneAddizionale> leggi_comune(const std::string& testo, const RegoleCalcolo& regole,
                                              const RegolaRegionale* regione,
                                              std::vector<std::string>& messaggi) {
  using Esito = RicercaComune::Esito;
  const std::optional<int> anno = anno_delle_regole(regole);
  // The words of the refusals, made only for one.
  const auto normativa = [&regole] { return "della normativa " + citazione(regole.nome); };
  if (!anno) {
    messaggi.push_back(
        campo("Comune") + " non contiene un comune dell'elenco " + normativa() + ": " +
        citazione(testo) +
        ". La normativa non indica l'anno del suo elenco dei comuni (la chiave "
        "elenco_comuni del suo file); indicare l'aliquota in \"Addizionale comunale %\" e "
        "lasciare vuoto \"Comune\".");
    return std::nullopt;
  }
  const auto elenco = [&] { return "dell'elenco " + std::to_string(*anno) + " " + normativa(); };
  RicercaComune r =
      cerca_comune(*anno, testo, regione != nullptr ? std::string_view(regione->nome) : "");
  switch (r.esito) {
    case Esito::trovato:
      return std::move(r.comune);
    case Esito::ambiguo:
      messaggi.push_back(campo("Comune") + ": " + citazione(testo) +
                         " \u00e8 il nome di pi\u00f9 comuni " + elenco() + ": " +
                         voci(r.candidati) + "; indicarne uno con la sua provincia.");
      break;
    case Esito::inizio:
      messaggi.push_back(
          campo("Comune") + " non contiene un comune " + elenco() + ": " + citazione(testo) +
          " \u00e8 l'inizio del nome di " + voci(r.candidati) +
          (r.candidati.size() == 1 ? "; indicarlo per intero." : "; indicarne uno per intero."));
      break;
    case Esito::altra_regione:
      messaggi.push_back(campo("Comune") + ": " + citazione(testo) + " non \u00e8 un comune di " +
                         citazione(regione->nome) +
                         ", la regione scelta in \"Regione\": " + voci(r.candidati, true) + ".");
      break;
    case Esito::non_trovato:
      messaggi.push_back(
          campo("Comune") + " non contiene un comune " + elenco() +
          " (nome e provincia, come \"MILANO (MI)\"): " + citazione(testo) +
          (r.candidati.empty() ? "." : "; con quel nome: " + voci(r.candidati) + "."));
      break;
  }
  return std::nullopt;
}

}  // namespace

std::string lavoratore_mancante(const CampiForm1& campi) {
  if (vuoto(campi.List1)) {
    return std::string(
        "Scegliere la categoria del lavoratore e il settore previdenziale in "
        "\"Caratteristiche previdenziali\": senza, il calcolo non ha i contributi.");
  }
  return "Scegliere il settore previdenziale di " + citazione(campi.List1) +
         " in \"Caratteristiche previdenziali\": senza, il calcolo non ha i contributi.";
}

std::optional<int> anno_delle_regole(const RegoleCalcolo& regole) {
  if (regole.elenco_comuni == 0) return std::nullopt;
  return regole.elenco_comuni;
}

bool addizionali_chieste(const CampiForm1& c) {
  return !senza_regione(c.Combo5) || !vuoto(c.Text22) || !vuoto(c.Text23) || !vuoto(c.Text24) ||
         !vuoto(c.Text25);
}

bool addizionali_disponibili(const RegoleCalcolo& regole) {
  if (!regole_attuali(regole)) return false;
  const auto& regioni = regole.addizionale_regionale;
  if (std::any_of(regioni.begin(), regioni.end(), [](const auto& r) { return r.offerta; })) {
    return true;
  }
  const std::optional<int> anno = anno_delle_regole(regole);
  return anno && !voci_comuni(*anno).empty();
}

bool lavoratore_dipendente(const CampiForm1& c, const RegoleCalcolo& regole) {
  const auto& escluse = regole.cuneo.categorie_escluse;
  return std::find(escluse.begin(), escluse.end(), c.List1) == escluse.end();
}

std::vector<std::string> note_comune(const ComuneAddizionale& comune, bool dipendente,
                                     const Locale& locale) {
  constexpr std::size_t lunghezza_testo = 400;
  std::vector<std::string> note;
  const std::string inizio = "Addizionale comunale di " + citazione(comune.voce()) + ": ";
  const auto euro = [&locale](double importo) { return formato_F(importo, locale).value_or("?"); };
  // How to type the rule when the worker meets the exemption's condition:
  // one rate on the whole base, nothing up to its threshold, which is the
  // comune's rule exactly when it has one rate; with bands, only that
  // nothing is due.
  std::string digitare;
  if (comune.regola.n == 1) {
    digitare =
        " Se il lavoratore ne ha i requisiti: con una soglia del reddito imponibile, "
        "indicare " +
        formato_generale(comune.regola.scaglioni[0].aliquota, locale).value_or("?") +
        " in \"Addizionale comunale %\" e la soglia in \"Esenzione fino a\"; senza, 0 in "
        "\"Addizionale comunale %\". I due campi prendono il posto delle cifre del comune.";
  } else {
    digitare =
        " Se il lavoratore ne ha i requisiti e il suo reddito imponibile \u00e8 entro la soglia "
        "che l'esenzione pone (se ne pone una), l'addizionale non \u00e8 dovuta: indicare 0 in "
        "\"Addizionale comunale %\".";
  }
  for (const EsenzioneComunale& e : comune.esenzioni) {
    const std::string testo = citazione(e.testo, lunghezza_testo);
    switch (e.lettura) {
      case LetturaEsenzione::reddito:
        note.push_back(inizio + "esenzione applicata come soglia del reddito imponibile di " +
                       euro(e.fino_a) +
                       " (fino alla soglia nulla \u00e8 dovuto, oltre l'aliquota "
                       "si applica all'intero reddito): " +
                       testo + ".");
        break;
      case LetturaEsenzione::lavoro:
        if (e.applicata(dipendente)) {
          note.push_back(
              inizio + "esenzione applicata come soglia di " + euro(e.fino_a) + " del reddito " +
              (dipendente ? "di lavoro dipendente" : "assimilato a quello di lavoro dipendente") +
              ", considerato l'unico reddito del lavoratore: " + testo + ".");
        } else {
          note.push_back(inizio + "esenzione non applicata, riguarda " +
                         (dipendente ? "i redditi assimilati a quello di lavoro dipendente, non "
                                       "un lavoratore dipendente"
                                     : "i lavoratori dipendenti, non le collaborazioni") +
                         ": " + testo + ".");
        }
        break;
      case LetturaEsenzione::altri:
        note.push_back(inizio + "esenzione non applicata, riguarda redditi diversi da " +
                       (dipendente ? "quello di lavoro dipendente"
                                   : "quello assimilato al lavoro dipendente") +
                       ": " + testo + ".");
        break;
      case LetturaEsenzione::condizione:
        note.push_back(inizio +
                       "esenzione non applicata, dipende da requisiti che il calcolo non conosce "
                       "e che considera non soddisfatti: " +
                       testo + "." + digitare);
        break;
      case LetturaEsenzione::non_letta:
        note.push_back(inizio +
                       "esenzione non applicata, la sua soglia non si legge come un solo "
                       "importo: " +
                       testo + "." + digitare);
        break;
    }
  }
  if (!comune.letture.empty()) {
    note.push_back(inizio + "delibera letta cos\u00ec: " + std::string(comune.letture) + ".");
  }
  return note;
}

std::vector<std::string> leggi_addizionali(const CampiForm1& c, const RegoleCalcolo& regole,
                                           const Locale& locale, InputCalcolo& in,
                                           std::vector<std::string>* note) {
  std::vector<std::string> messaggi;
  if (note != nullptr) note->clear();
  in.regione = nullptr;
  in.regione_digitata.reset();
  in.comune.reset();
  if (!addizionali_chieste(c)) return messaggi;
  if (!addizionali_disponibili(regole)) {
    std::string nomi;
    const auto nomina = [&nomi](bool dato, std::string_view nome) {
      if (dato) nomi += (nomi.empty() ? "\"" : ", \"") + std::string(nome) + "\"";
    };
    nomina(!senza_regione(c.Combo5), "Regione");
    nomina(!vuoto(c.Text22), "Comune");
    nomina(!vuoto(c.Text23), "Addizionale comunale %");
    nomina(!vuoto(c.Text24), "Esenzione fino a");
    nomina(!vuoto(c.Text25), "Addizionale regionale %");
    messaggi.push_back("Le addizionali regionale e comunale non sono previste dalla normativa " +
                       citazione(regole.nome) + ": lasciare vuoti i campi " + nomi +
                       " (\"Regione\": \"Nessuna\") o scegliere una normativa che le ha (2025, "
                       "2026).");
    return messaggi;
  }
  // The region chosen, offered or not: a comune must be one of its own. A
  // rate typed in "Addizionale regionale %" takes the place of its table,
  // and of a table the rule set does not have.
  const bool regionale_digitata = !vuoto(c.Text25);
  const RegolaRegionale* regione = nullptr;
  if (!senza_regione(c.Combo5)) {
    const RegolaRegionale* r = regione = regola_regionale(regole, c.Combo5);
    if (r == nullptr) {
      messaggi.push_back(campo("Regione") + " non contiene una regione della normativa " +
                         regole.nome + ": " + citazione(c.Combo5) + ".");
    } else if (!r->offerta && !regionale_digitata) {
      std::string nota = nota_regione(regole, r->nome);
      nota[0] = 'n';  // "Nessuna tabella ..." after the field
      messaggi.push_back(campo("Regione") + ": " + nota);
    } else if (r->offerta) {
      in.regione = r;
    }
  }
  if (regionale_digitata) {
    const std::optional<double> aliquota = converti_numero(c.Text25, locale);
    if (!aliquota) {
      messaggi.push_back(non_un_numero("Text25", c.Text25, locale));
    } else if (!std::isfinite(*aliquota) || *aliquota < 0 || *aliquota > 100) {
      messaggi.push_back(campo("Addizionale regionale %") +
                         " deve contenere un'aliquota in percento da 0 a 100, non " +
                         citazione(c.Text25) + ".");
    } else {
      in.regione_digitata = regola_regionale_digitata(*aliquota);
    }
  }
  const bool digitata = !vuoto(c.Text23);
  if (!vuoto(c.Text22)) {
    if (const std::optional<ComuneAddizionale> comune =
            leggi_comune(c.Text22, regole, regione, messaggi)) {
      if (!comune->offerto() && !digitata) {
        messaggi.push_back(campo("Comune") + ": le aliquote di " + citazione(comune->voce()) +
                           " non sono note (" + std::string(comune->motivo) +
                           "): indicare l'aliquota in \"Addizionale comunale %\" e l'eventuale "
                           "soglia di esenzione in \"Esenzione fino a\".");
      } else if (!digitata) {
        const bool dipendente = lavoratore_dipendente(c, regole);
        in.comune = comune->regola_per(dipendente);
        if (note != nullptr) *note = note_comune(*comune, dipendente, locale);
      }
    }
  }
  if (digitata || !vuoto(c.Text24)) {
    if (!digitata) {
      messaggi.push_back(campo("Esenzione fino a") +
                         " vale solo con \"Addizionale comunale %\": indicare anche "
                         "l'aliquota o lasciarlo vuoto.");
      return messaggi;
    }
    const std::optional<double> aliquota = converti_numero(c.Text23, locale);
    const std::optional<double> esenzione =
        vuoto(c.Text24) ? std::optional<double>(0) : converti_numero(c.Text24, locale);
    bool valida = true;
    // A text that is not a number is named as in every other field.
    if (!aliquota) {
      messaggi.push_back(non_un_numero("Text23", c.Text23, locale));
      valida = false;
    } else if (!std::isfinite(*aliquota) || *aliquota < 0 || *aliquota > 100) {
      messaggi.push_back(campo("Addizionale comunale %") +
                         " deve contenere un'aliquota in percento da 0 a 100, non " +
                         citazione(c.Text23) + ".");
      valida = false;
    }
    if (!esenzione) {
      messaggi.push_back(non_un_numero("Text24", c.Text24, locale));
      valida = false;
    } else if (!std::isfinite(*esenzione) || *esenzione < 0) {
      messaggi.push_back(campo("Esenzione fino a") +
                         " deve contenere un importo di 0 o pi\u00f9, non " + citazione(c.Text24) +
                         ".");
      valida = false;
    }
    if (valida) in.comune = regola_comunale_digitata(*aliquota, *esenzione);
  }
  return messaggi;
}

std::vector<std::string> voci_regione(const RegoleCalcolo& regole) {
  std::vector<std::string> voci = {std::string(nessuna_regione)};
  if (!addizionali_disponibili(regole)) return voci;
  for (const RegolaRegionale& r : regole.addizionale_regionale) voci.push_back(r.nome);
  std::sort(voci.begin() + 1, voci.end());
  return voci;
}

std::string nota_regione(const RegoleCalcolo& regole, std::string_view regione) {
  const RegolaRegionale* r = senza_regione(regione) ? nullptr : regola_regionale(regole, regione);
  if (r == nullptr) return {};
  if (r->offerta) {
    if (!detrazione_figli_non_applicata(*r)) return {};
    return "Le detrazioni di " + citazione(r->nome) +
           " per i figli a carico non sono sottratte dall'addizionale: contano i figli di ogni "
           "et\u00e0 e la loro disabilit\u00e0, che il modulo non chiede.";
  }
  return "Nessuna tabella di " + citazione(r->nome) + " nella normativa " + regole.nome + " (" +
         r->motivo +
         "): indicare l'aliquota in \"Addizionale regionale %\", unica su tutto l'imponibile.";
}

LetturaInput input_del_calcolo(const CampiForm1& campi, const RegoleCalcolo& regole,
                               const Locale& locale, bool note) {
  LetturaInput lettura = leggi_input(campi, locale);
  InputCalcolo addizionali;
  std::vector<std::string> non_lette =
      leggi_addizionali(campi, regole, locale, addizionali, note ? &lettura.note : nullptr);
  if (!non_lette.empty()) {
    lettura.input.reset();
    for (auto& m : non_lette) lettura.messaggi.push_back(std::move(m));
  }
  if (!lettura.input) return lettura;
  lettura.input->regione = addizionali.regione;
  lettura.input->regione_digitata = std::move(addizionali.regione_digitata);
  lettura.input->comune = addizionali.comune;
  lettura.input->cuneo = lavoratore_dipendente(campi, regole);
  return lettura;
}

}  // namespace zellora
