// The calculate command: empty-field warning, refusals, then the run.
#include <gtest/gtest.h>

#include <algorithm>

#include "form/motore.h"
#include "form/verifica.h"

using namespace zellora;

namespace {

Motore motore_tipico() {
  Motore m;
  m.scegli_settore("Impiegato", "Settore previdenziale Commercio -50dip");
  return m;
}

CampiForm1 richiesta_tipica() {
  CampiForm1 c;
  c.List1 = "Impiegato";
  c.List2 = "Settore previdenziale Commercio -50dip";
  c.Text1 = "30000";
  return c;
}

bool contiene(const std::vector<std::string>& messaggi, const std::string& parte) {
  return std::any_of(messaggi.begin(), messaggi.end(),
                     [&](const std::string& m) { return m.find(parte) != std::string::npos; });
}

}  // namespace

TEST(Verifica, TypicalRequestRuns) {
  Motore m = motore_tipico();
  const auto esito = m.verifica_campi(richiesta_tipica());
  EXPECT_EQ(esito.stato, Stato::ok);
  EXPECT_TRUE(esito.messaggi.empty());
  EXPECT_EQ(m.risultati().Text(1), "30.000,00");
  EXPECT_EQ(m.risultati().Text(10), "21.455,00");
  EXPECT_EQ(m.risultati().Text(16), "40.766,22");
}

// The form's initial values pass the checks once a worker is chosen; until
// a category and its sector are, there are no figures (a net without
// contributions would look right for no worker), and the message says what
// to choose. A refusal leaves the figures as they were.
TEST(Verifica, NoFiguresWithoutAWorker) {
  const struct {
    const char* categoria;
    const char* settore;
    const char* messaggio;  // empty: calculated
  } casi[] = {
      {"", "",
       "Scegliere la categoria del lavoratore e il settore previdenziale in "
       "\"Caratteristiche previdenziali\": senza, il calcolo non ha i contributi."},
      {"Impiegato", "",
       "Scegliere il settore previdenziale di \"Impiegato\" in "
       "\"Caratteristiche previdenziali\": senza, il calcolo non ha i contributi."},
      {"Impiegato", "Settore previdenziale Commercio -50dip", ""},
  };
  for (const auto& caso : casi) {
    Motore m;
    CampiForm1 c;
    c.List1 = caso.categoria;
    c.List2 = caso.settore;
    if (*caso.settore != '\0') {
      ASSERT_TRUE(m.scegli_settore(c.List1, c.List2));
    }
    const RecordCalcolo prima = m.record();
    const auto esito = m.verifica_campi(c);
    if (*caso.messaggio == '\0') {
      EXPECT_EQ(esito.stato, Stato::ok) << caso.categoria;
      continue;
    }
    EXPECT_EQ(esito.stato, Stato::rifiutato) << caso.categoria;
    ASSERT_EQ(esito.messaggi.size(), 1u);
    EXPECT_EQ(esito.messaggi[0], caso.messaggio);
    EXPECT_EQ(m.record(), prima);
    EXPECT_FALSE(m.campi_calcolo().has_value());
  }
}

TEST(Verifica, EveryCheckedFieldEmptyGivesTheWarning) {
  const std::string_view controllati[] = {"Text1",  "Text2",  "Text3",  "Text4",  "Text5",
                                          "Text6",  "Text7",  "Text9",  "Text10", "Text11",
                                          "Text13", "Text14", "Text15", "Text19", "Text21"};
  for (const auto nome : controllati) {
    for (bool mensile : {false, true}) {
      Motore m = motore_tipico();
      CampiForm1 c = richiesta_tipica();
      c.Option1 = !mensile;
      c.Option2 = mensile;
      c.*(campo_testo(nome)->campo) = "";
      const RecordCalcolo prima = m.record();
      const auto esito = m.verifica_campi(c);
      EXPECT_EQ(esito.stato, Stato::rifiutato) << nome;
      EXPECT_TRUE(esito.campi_vuoti);
      ASSERT_EQ(esito.messaggi.size(), 1u);
      EXPECT_EQ(esito.messaggi[0],
                "Attenzione ci sono dei campi non valorizzati, se non necessari ai fini del "
                "conteggio mettere 0");
      EXPECT_EQ(m.record(), prima);
    }
  }
  // The cents fields are not checked.
  Motore m = motore_tipico();
  CampiForm1 c = richiesta_tipica();
  c.Text8 = "";
  EXPECT_EQ(m.verifica_campi(c).stato, Stato::ok);
}

TEST(Verifica, TextsThatAreNotNumbersAreNamedByTheirLabels) {
  Motore m = motore_tipico();
  CampiForm1 c = richiesta_tipica();
  c.Text19 = "dieci";
  c.Text9 = " ";
  c.Text14 = "1%";
  const auto esito = m.verifica_campi(c);
  EXPECT_EQ(esito.stato, Stato::rifiutato);
  EXPECT_FALSE(esito.campi_vuoti);
  EXPECT_EQ(esito.messaggi.size(), 3u);
  EXPECT_TRUE(contiene(esito.messaggi, "\"Trattenuta non deducibile\""));
  EXPECT_TRUE(contiene(esito.messaggi, "\"N.mesi figli carico\""));
  EXPECT_TRUE(contiene(esito.messaggi, "A carico Dipendente"));
}

TEST(Verifica, EachModeChecksOnlyWhatItReads) {
  CampiForm1 c = richiesta_tipica();
  c.Text7 = "xx";  // read only in monthly mode
  Motore annuo = motore_tipico();
  EXPECT_EQ(annuo.verifica_campi(c).stato, Stato::ok);
  c.Option1 = false;
  c.Option2 = true;
  Motore mensile = motore_tipico();
  const auto esito = mensile.verifica_campi(c);
  EXPECT_EQ(esito.stato, Stato::rifiutato);
  EXPECT_TRUE(contiene(esito.messaggi, "\"Numero mensilit\u00e0 retribuite\""));

  c.Text7 = "14";
  c.Text5 = "abc";
  c.Text2 = "a";
  c.Text10 = "b";
  EXPECT_EQ(mensile.verifica_campi(c).stato, Stato::ok);
  c.Option1 = true;
  c.Option2 = false;
  EXPECT_EQ(annuo.verifica_campi(c).messaggi.size(), 3u);
}

TEST(Verifica, ChildrenCountMustBeWholeAndNotNegative) {
  struct Caso {
    const char* figli;
    const char* minori;  // of whom under three
    const char* campo;   // the field named in the refusal
  };
  const Caso casi[] = {
      {"2,5", "0", "\"Figli a carico\""},          {"-1", "0", "\"Figli a carico\""},
      {"2", "0,5", "\"di cui minori di 3 anni\""}, {"2", "-1", "\"di cui minori di 3 anni\""},
      {"1", "2", "\"di cui minori di 3 anni\""},  // more under three than children
      {"0", "1", "\"di cui minori di 3 anni\""},
  };
  for (const auto& caso : casi) {
    Motore m = motore_tipico();
    CampiForm1 c = richiesta_tipica();
    c.Text4 = caso.figli;
    c.Text6 = caso.minori;
    c.Combo1 = "100";
    const auto esito = m.verifica_campi(c);
    EXPECT_EQ(esito.stato, Stato::rifiutato) << caso.figli << " " << caso.minori;
    EXPECT_TRUE(contiene(esito.messaggi, caso.campo)) << caso.figli << " " << caso.minori;
  }
  Motore m = motore_tipico();
  CampiForm1 c = richiesta_tipica();
  c.Text4 = "2";
  c.Text6 = "2";
  c.Combo1 = "100";
  EXPECT_EQ(m.verifica_campi(c).stato, Stato::ok);
}

TEST(Verifica, SharesMustBeChosenForDependants) {
  Motore m = motore_tipico();
  CampiForm1 c = richiesta_tipica();
  c.Text4 = "1";
  c.Text3 = "2";
  auto esito = m.verifica_campi(c);
  EXPECT_EQ(esito.stato, Stato::rifiutato);
  EXPECT_EQ(esito.messaggi.size(), 2u);
  EXPECT_TRUE(contiene(esito.messaggi, "\"Figli a carico\""));
  EXPECT_TRUE(contiene(esito.messaggi, "\"Altri a carico\""));
  c.Combo1 = "50";
  c.Combo2 = "100";
  esito = m.verifica_campi(c);
  EXPECT_EQ(esito.stato, Stato::ok);
  EXPECT_GT(m.record().detrazione_figli, 0);
  EXPECT_GT(m.record().detrazione_altri, 0);
  // No dependants: no share needed.
  c = richiesta_tipica();
  EXPECT_EQ(m.verifica_campi(c).stato, Stato::ok);
}

TEST(Verifica, ARefusalKeepsTheEarlierFiguresAndTexts) {
  // Each row changes the typical request so that it is refused, with the
  // message it must give.
  struct Caso {
    const char* campo;
    const char* testo;
    bool netto;
    bool mensile;
    const char* messaggio;
  };
  const Caso casi[] = {
      {"Text13", "mille", false, false, "non contiene un numero valido"},
      // A point where the comma is meant: the message shows the number as
      // it should be typed.
      {"Text14", "30.5", false, false, "Per i decimali si usa la virgola: \"30,5\"."},
      {"Text1", "1.234.5", false, false, "Per i decimali si usa la virgola: \"1.234,5\"."},
      // Results too large to show to the cent: every figure, the net too,
      // would show another number than the calculation's.
      {"Text1", "999999999999", false, false, "troppo grandi per essere mostrati al centesimo"},
      {"Text1", "999999999999999", true, false, "troppo grandi per essere mostrati al centesimo"},
      {"Text21", "2000000000000", false, true, "troppo grandi per essere mostrati al centesimo"},
      {"Text7", "1000000000000", false, true, "troppo grandi per essere mostrati al centesimo"},
  };
  for (const Caso& caso : casi) {
    SCOPED_TRACE(std::string(caso.campo) + " = " + caso.testo);
    Motore m = motore_tipico();
    m.verifica_campi(richiesta_tipica());
    const RecordCalcolo record = m.record();
    const Risultati testi = m.risultati();
    CampiForm1 c = richiesta_tipica();
    c.Text1 = "40000";
    c.Option3 = caso.netto;
    c.Option4 = !caso.netto;
    c.Option1 = !caso.mensile;
    c.Option2 = caso.mensile;
    c.*(campo_testo(caso.campo)->campo) = caso.testo;
    const auto esito = m.verifica_campi(c);
    EXPECT_EQ(esito.stato, Stato::rifiutato);
    EXPECT_TRUE(contiene(esito.messaggi, caso.messaggio));
    EXPECT_EQ(m.record(), record);
    EXPECT_EQ(m.risultati(), testi);
  }
}

// A point where the comma is meant, in any field that holds a number (the
// surcharges' too, which are read apart): the message names the field and
// shows the number as it should be typed, never a range the number is in.
TEST(Verifica, APointForTheCommaIsNamedInEveryNumberField) {
  for (const CampoTesto& campo : campi_testo()) {
    // "Comune" is a name; the cents fields are not read.
    if (campo.nome == "Text22" || campo.etichetta.find("(centesimi)") != std::string::npos) {
      continue;
    }
    SCOPED_TRACE(std::string(campo.nome));
    const std::string atteso = "Il campo \"" + std::string(campo.etichetta) +
                               "\" non contiene un numero valido. Per i decimali si usa la "
                               "virgola: \"15000,5\".";
    bool nominato = false;
    for (const bool mensile : {false, true}) {
      Motore m = motore_tipico();
      m.usa_normativa("2026");
      CampiForm1 c = richiesta_tipica();
      c.Combo4 = "2026";
      c.Option1 = !mensile;
      c.Option2 = mensile;
      if (campo.nome == "Text24") c.Text23 = "0,8";  // the threshold goes with a rate
      c.*(campo.campo) = "15000.5";
      const auto esito = m.verifica_campi(c);
      for (const std::string& messaggio : esito.messaggi) {
        nominato = nominato || messaggio == atteso;
        EXPECT_EQ(messaggio.find("non \"15000.5\""), std::string::npos) << messaggio;
      }
    }
    EXPECT_TRUE(nominato);
  }
}

TEST(Verifica, ANegativeNetWantedIsRefused) {
  Motore m = motore_tipico();
  CampiForm1 c = richiesta_tipica();
  c.Option4 = false;
  c.Option3 = true;
  c.Text1 = "-10";
  const auto esito = m.verifica_campi(c);
  EXPECT_EQ(esito.stato, Stato::rifiutato);
  EXPECT_TRUE(contiene(esito.messaggi, "negativo"));
}

TEST(Verifica, SpouseOnlyForSi) {
  Motore m = motore_tipico();
  CampiForm1 c = richiesta_tipica();
  c.Combo3 = "Si";
  m.verifica_campi(c);
  EXPECT_EQ(m.record().detrazione_coniuge, 690);
  c.Combo3 = "No";
  m.verifica_campi(c);
  EXPECT_EQ(m.record().detrazione_coniuge, 0);
}
