// A whole staff in one run: CSV and JSON Lines in and out.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/citazione.h"
#include "cli/lotto.h"
#include "cli/richiesta_json.h"
#include "cli/uscita_buste.h"
#include "form/buste_paga.h"
#include "form/motore.h"
#include "form/normative.h"
#include "rules/caricamento.h"

using namespace zellora;

namespace {

struct Uscita {
  RiepilogoLotto riepilogo;
  std::string testo;
};

Uscita lotto(const std::string& ingresso, FormatoLotto formato = FormatoLotto::csv,
             unsigned thread = 0, const Locale& locale = Locale::italiano(),
             const ElencoNormative& normative = ElencoNormative::incluse()) {
  std::istringstream in(ingresso);
  std::ostringstream out;
  OpzioniLotto opzioni;
  opzioni.normative = &normative;
  opzioni.formato = formato;
  opzioni.thread = thread;
  opzioni.locale = locale;
  Uscita u;
  u.riepilogo = esegui_lotto(in, out, opzioni);
  u.testo = out.str();
  return u;
}

std::vector<std::string> righe(const std::string& testo) {
  std::vector<std::string> r;
  std::istringstream in(testo);
  for (std::string riga; std::getline(in, riga);) r.push_back(riga);
  return r;
}

std::vector<std::string> celle(const std::string& riga, char separatore) {
  std::vector<std::string> c(1);
  bool virgolette = false;
  for (std::size_t i = 0; i < riga.size(); ++i) {
    const char ch = riga[i];
    if (virgolette) {
      if (ch == '"' && i + 1 < riga.size() && riga[i + 1] == '"') {
        c.back() += '"';
        ++i;
      } else if (ch == '"') {
        virgolette = false;
      } else {
        c.back() += ch;
      }
    } else if (ch == '"') {
      virgolette = true;
    } else if (ch == separatore) {
      c.emplace_back();
    } else {
      c.back() += ch;
    }
  }
  return c;
}

const std::string tipico = "Impiegato;Settore previdenziale Commercio -50dip;30000";

}  // namespace

TEST(Lotto, OneResultRowPerWorkerInInputOrder) {
  const Uscita u = lotto("List1;List2;Text1\n" + tipico + "\n" +
                         "Operaio;Settore previdenziale Artigianato;25000\n");
  const auto r = righe(u.testo);
  ASSERT_EQ(r.size(), 3u);
  const auto intestazione = celle(r[0], ';');
  ASSERT_EQ(intestazione.size(), 3u + 21 + numero_campi_2007 + 1);
  EXPECT_EQ(intestazione[0], "row");
  EXPECT_EQ(intestazione[3], "Form2.Text1");
  EXPECT_EQ(intestazione[23], "Form2.Text21");
  EXPECT_EQ(intestazione[24], "irpef_lorda");
  // The rule set of each row comes last, after the columns as they always
  // were.
  EXPECT_EQ(intestazione[intestazione.size() - 2], "competenza_non_imponibile");
  EXPECT_EQ(intestazione.back(), "rules");
  const auto prima = celle(r[1], ';');
  EXPECT_EQ(prima.back(), "2007");
  EXPECT_EQ(prima[0], "2");  // the header is row 1
  EXPECT_EQ(prima[1], "ok");
  EXPECT_EQ(prima[3 + 9], "21.455,00");  // Form2.Text10
  EXPECT_EQ(prima[24 + 3], "27243");     // imponibile_fiscale
  EXPECT_EQ(celle(r[2], ';')[0], "3");
  EXPECT_EQ(u.riepilogo.lavoratori, 2u);
  EXPECT_EQ(u.riepilogo.rifiutati, 0u);
}

TEST(Lotto, SameFiguresAsOneCalculation) {
  const Uscita u = lotto(
      "List1,List2,Text1,Option2,Option3,Combo3,Text4,Combo1,Text14,Check1,profile.aliquota_irap\n"
      "Operaio,Settore previdenziale Industria +50dip,1800,true,true,Si,2,50,\"1,5\",1,\"0,05\"\n");
  const auto r = celle(righe(u.testo)[1], ',');
  Motore m;
  const Richiesta richiesta = leggi_richiesta(nlohmann::json::parse(
      R"({"List1":"Operaio","List2":"Settore previdenziale Industria +50dip","Text1":"1800",
          "Option2":true,"Option3":true,"Combo3":"Si","Text4":"2","Combo1":"50","Text14":"1,5",
          "Check1":true,"profile":{"aliquota_irap":0.05}})"));
  applica_profilo(m, richiesta);
  m.verifica_campi(richiesta.campi);
  for (int n = 1; n <= 21; ++n)
    EXPECT_EQ(r[static_cast<std::size_t>(2 + n)], m.risultati().Text(n));
  std::size_t i = 24;
  for (std::size_t n = 0; n < numero_campi_2007; ++n) {
    const CampoRecord& c = campi_record()[n];
    EXPECT_EQ(std::stod(r[i++]), m.record().*c.campo) << c.nome;
  }
}

TEST(Lotto, BadRowsAreReportedAndTheRestIsCalculated) {
  const Uscita u =
      lotto("List1;List2;Text1;Option2;Text4\n" + tipico + ";;\n" +
            "Impiegato;Settore previdenziale Commercio -50dip;abc;;\n" + "Dirigente;;30000;;\n" +
            tipico + ";forse;\n" + tipico + "\n" + tipico + ";;2\n" + tipico + ";;\n");
  const auto r = righe(u.testo);
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(celle(r[1], ';')[1], "ok");
  EXPECT_EQ(celle(r[2], ';')[1], "refused");
  EXPECT_NE(celle(r[2], ';')[2].find("Retribuzione / Compenso"), std::string::npos);
  EXPECT_EQ(celle(r[2], ';')[3], "");  // no figures for a refused row
  EXPECT_EQ(celle(r[3], ';')[1], "invalid");
  EXPECT_EQ(celle(r[4], ';')[1], "invalid");  // "forse" is not true or false
  EXPECT_EQ(celle(r[5], ';')[1], "invalid");  // too few cells
  EXPECT_EQ(celle(r[6], ';')[1], "refused");  // children without a share
  EXPECT_EQ(celle(r[7], ';')[1], "ok");
  EXPECT_EQ(u.riepilogo.lavoratori, 7u);
  EXPECT_EQ(u.riepilogo.rifiutati, 5u);
  ASSERT_EQ(u.riepilogo.scartate.size(), 5u);
  EXPECT_EQ(u.riepilogo.scartate[0].riga, 3u);
  EXPECT_EQ(u.riepilogo.scartate[4].riga, 7u);
  EXPECT_EQ(u.riepilogo.totale_netto, 2 * 21455.0);
  EXPECT_EQ(u.riepilogo.totale_costo, 2 * 40766.22);
}

TEST(Lotto, SpreadsheetDetails) {
  // A byte-order mark, Windows line ends, quoted cells with the separator,
  // quotes and a line break, blank lines, blanks around header names.
  const Uscita u = lotto(
      "\xEF\xBB\xBF List1 ,List2,Text1,Text19\r\n"
      "Impiegato,Settore previdenziale Commercio -50dip,\"30.000,00\",\"1\"\"0\"\r\n"
      "\r\n"
      "Impiegato,Settore previdenziale Commercio -50dip,\"30000\",\"a\nb\"\r\n"
      "Impiegato,Settore previdenziale Commercio -50dip,\"30.000,00\",0\r\n");
  const auto r = righe(u.testo);
  EXPECT_EQ(u.riepilogo.lavoratori, 3u);
  ASSERT_EQ(u.riepilogo.scartate.size(), 2u);
  EXPECT_EQ(u.riepilogo.scartate[0].riga, 2u);  // the text 1"0 is not a number
  EXPECT_NE(u.riepilogo.scartate[0].messaggi.find("Trattenuta non deducibile"), std::string::npos);
  EXPECT_EQ(u.riepilogo.scartate[1].riga, 4u);  // the blank line still counts
  const auto ultima = celle(r.back(), ',');
  EXPECT_EQ(ultima[0], "5");
  EXPECT_EQ(ultima[1], "ok");
  EXPECT_EQ(ultima[3], "30.000,00");            // quoted in the output, read back whole
  EXPECT_EQ(celle(r[1], ',')[2].front(), 'I');  // "Il campo ""Trattenuta..."" ..."
}

TEST(Lotto, ManyThreadsGiveTheSameOutput) {
  std::string ingresso = "List1;List2;Text1;Option3;Option2\n";
  for (int i = 0; i < 40000; ++i) {
    ingresso += tipico.substr(0, tipico.rfind(';')) + ";" + std::to_string(900 + i % 5000) + ";" +
                (i % 3 == 0 ? "1" : "") + ";" + (i % 4 == 0 ? "1" : "") + "\n";
  }
  const Uscita uno = lotto(ingresso, FormatoLotto::csv, 1);
  const Uscita tre = lotto(ingresso, FormatoLotto::csv, 3);
  EXPECT_EQ(uno.testo, tre.testo);
  EXPECT_EQ(uno.riepilogo.totale_netto, tre.riepilogo.totale_netto);
  EXPECT_EQ(uno.riepilogo.lavoratori, 40000u);
}

TEST(Lotto, HeaderErrorsStopEverything) {
  EXPECT_THROW(lotto(""), ErroreLotto);
  EXPECT_THROW(lotto("Text1;Txt2\n1;2\n"), ErroreLotto);
  EXPECT_THROW(lotto("Text1;Text1\n1;2\n"), ErroreLotto);
  EXPECT_THROW(lotto("aliquota_irap\n1\n"), ErroreLotto);  // profile figures need "profile."
  EXPECT_NO_THROW(lotto("Text1\n"));
}

TEST(Lotto, EachRowIsCheckedUnderItsOwnRuleSetWhateverTheColumnOrder) {
  // A rule set of the user's whose apprentices are called otherwise: a
  // category that the other rule sets do not have.
  const std::filesystem::path cartella =
      std::filesystem::temp_directory_path() / "zellora-lotto-normativa";
  std::filesystem::create_directories(cartella);
  std::string testo(testo_regole_incluse("2026"));
  testo.replace(testo.find("nome = \"2026\""), 13, "nome = \"2027\"");
  testo.replace(testo.find("nome = \"Apprendista\""), 20, "nome = \"Tirocinante\"");
  std::ofstream(cartella / "2027.toml", std::ios::binary) << testo;
  ElencoNormative normative;
  normative.aggiungi_cartelle({cartella});
  std::filesystem::remove_all(cartella);

  const struct {
    const char* intestazione;
    const char* riga;
    const char* stato;
  } casi[] = {
      {"Combo4;List1;List2;Text1", "2027;Tirocinante;azienda +9 dip.;20000", "ok"},
      {"List1;List2;Text1;Combo4", "Tirocinante;azienda +9 dip.;20000;2027", "ok"},
      {"List2;Text1;List1;Combo4", "azienda +9 dip.;20000;Tirocinante;2027", "ok"},
      {"List1;List2;Text1;Combo4", "Tirocinante;azienda +9 dip.;20000;2026", "invalid"},
      {"List1;List2;Text1;Combo4", "Apprendista;azienda +9 dip.;20000;2027", "invalid"},
      {"List1;List2;Text1;Combo4", "Apprendista;azienda +9 dip.;20000;", "ok"},
  };
  std::string primo;
  for (const auto& c : casi) {
    const Uscita u = lotto(std::string(c.intestazione) + "\n" + c.riga + "\n", FormatoLotto::csv, 1,
                           Locale::italiano(), normative);
    const auto r = righe(u.testo);
    ASSERT_EQ(r.size(), 2u) << c.riga;
    const auto uscita = celle(r[1], ';');
    EXPECT_EQ(uscita[1], c.stato) << c.intestazione << " " << c.riga << ": " << uscita[2];
    if (std::string(c.stato) == "ok" && std::string(c.riga).find("2027") != std::string::npos) {
      // The same figures in whatever order the columns come.
      const std::string cifre = r[1].substr(r[1].find(';', r[1].find(';') + 1));
      if (primo.empty()) primo = cifre;
      EXPECT_EQ(cifre, primo) << c.intestazione;
    }
  }
}

TEST(Lotto, JsonLinesInAndOut) {
  const Uscita u = lotto(
      R"({"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"})"
      "\n\n{\"Text1\":\n"
      R"({"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"1500",)"
      R"("Option3":true,"Text14":"100"})"
      "\n",
      FormatoLotto::jsonl);
  const auto r = righe(u.testo);
  ASSERT_EQ(r.size(), 3u);
  const auto prima = nlohmann::json::parse(r[0]);
  EXPECT_EQ(prima["row"], 1);
  EXPECT_EQ(prima["status"], "ok");
  EXPECT_EQ(prima["results"]["Text10"], "21.455,00");
  EXPECT_EQ(prima["record"]["irpef_lorda"].get<double>(), 6755.610000000001);
  const auto seconda = nlohmann::json::parse(r[1]);
  EXPECT_EQ(seconda["row"], 3);
  EXPECT_EQ(seconda["status"], "invalid");
  EXPECT_FALSE(seconda.contains("record"));
  const auto terza = nlohmann::json::parse(r[2]);
  EXPECT_EQ(terza["status"], "unreachable");
  EXPECT_EQ(terza["messages"].size(), 1u);
  EXPECT_EQ(u.riepilogo.irraggiungibili, 1u);

  // Windows line ends: a blank line is still blank.
  const Uscita w = lotto("{\"Text1\":\"1\"}\r\n\r\n{\"Text1\":\"2\"}\r\n", FormatoLotto::jsonl);
  EXPECT_EQ(w.riepilogo.lavoratori, 2u);
  EXPECT_EQ(nlohmann::json::parse(righe(w.testo).at(1))["row"], 3);
}

namespace {

// The value of the record figure `nome` in a CSV result row.
std::string figura(const std::vector<std::string>& riga, std::string_view nome) {
  std::size_t i = 24;
  for (const auto& c : campi_record()) {
    if (c.nome == nome) return riga.at(i);
    ++i;
  }
  return "?";
}

bool utf8_valido(const std::string& testo) {
  try {
    (void)nlohmann::json(testo).dump();
    return true;
  } catch (const nlohmann::json::exception&) {
    return false;
  }
}

// A character a message never shows as it is (a line end apart), or a byte
// that is not UTF-8.
bool con_controlli(const std::string& testo) {
  for (std::size_t i = 0; i < testo.size();) {
    char32_t c = 0;
    const std::size_t n = sequenza_utf8(std::string_view(testo).substr(i), c);
    if (n == 0 || (c != '\n' && carattere_di_controllo(c))) return true;
    i += n;
  }
  return false;
}

}  // namespace

TEST(Lotto, ProfileCellsAreNumbersOfTheLocale) {
  const Locale inglese{".", ","};
  struct Caso {
    std::string cella;
    Locale locale;
    double letto;  // NAN: the row is refused naming the column
  };
  const Caso casi[] = {
      {"0,05", Locale::italiano(), 0.05},
      {"103.055", Locale::italiano(), 103055},
      {" 1.234.567,5 ", Locale::italiano(), 1234567.5},
      {"103.055", inglese, 103.055},
      {"1,000.5", inglese, 1000.5},
      {"nan", Locale::italiano(), NAN},
      {"inf", Locale::italiano(), NAN},
      {"-infinity", inglese, NAN},
      {"1e-3", inglese, NAN},
      {"5%", Locale::italiano(), NAN},
      {std::string(400, '9'), Locale::italiano(), NAN},  // beyond a double
  };
  for (const auto& caso : casi) {
    const Uscita u =
        lotto("List1;List2;Text1;profile.massimale_inps\n" + tipico + ";" + caso.cella + "\n",
              FormatoLotto::csv, 0, caso.locale);
    const auto r = celle(righe(u.testo).at(1), ';');
    if (std::isnan(caso.letto)) {
      EXPECT_EQ(r[1], "invalid") << caso.cella;
      EXPECT_EQ(r[2].rfind("profile.massimale_inps must be a number, not \"", 0), 0u) << r[2];
      EXPECT_LT(r[2].size(), 200u);
    } else {
      EXPECT_EQ(r[1], "ok") << caso.cella << ": " << r[2];
      EXPECT_EQ(std::stod(figura(r, "massimale_inps")), caso.letto) << caso.cella;
    }
  }
}

TEST(Lotto, SheetShapes) {
  // One column: no separator in the header. Without a category and a
  // sector every row is refused, saying what to choose.
  Uscita u = lotto("Text1\n1.500,50\n\n2000\n");
  EXPECT_EQ(u.riepilogo.lavoratori, 2u);
  EXPECT_EQ(u.riepilogo.rifiutati, 2u);
  auto r = righe(u.testo);
  EXPECT_EQ(celle(r.at(1), ';').at(2).rfind("Scegliere la categoria del lavoratore", 0), 0u);
  EXPECT_EQ(celle(r.at(2), ';').at(0), "4");

  // Columns without a name, at the end or in between: their cells must be
  // empty and may be missing at the end of a row.
  u = lotto("List1;List2;;Text1;;\n" +
            std::string("Impiegato;Settore previdenziale Commercio -50dip;;") + "30000;;\n" +
            "Impiegato;Settore previdenziale Commercio -50dip;;30000\n" +
            "Impiegato;Settore previdenziale Commercio -50dip;;30000;;x\n" +
            "Impiegato;Settore previdenziale Commercio -50dip;1;30000\n" +
            "Impiegato;Settore previdenziale Commercio -50dip;\n");
  r = righe(u.testo);
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(celle(r[1], ';')[1], "ok");
  EXPECT_EQ(celle(r[2], ';')[1], "ok");
  EXPECT_EQ(celle(r[3], ';')[2], "cell 6 is filled, but its column has no name in the header");
  EXPECT_EQ(celle(r[4], ';')[2], "cell 3 is filled, but its column has no name in the header");
  EXPECT_EQ(celle(r[5], ';')[2], "the row has 3 cells, the header 6");  // Text1 missing
  EXPECT_THROW(lotto(";;\n;;\n"), ErroreLotto);

  // Line ends of the old Macintosh (CR alone), also mixed with others: a CR
  // ends the row, and never joins the digits on either side into a number.
  const std::string chi = "Impiegato,Settore previdenziale Commercio -50dip,";
  u = lotto("List1,List2,Text1,Text4\r" + chi + "30000,0\r\n" + chi + "40000\r" + chi + "5;0,0\n");
  r = righe(u.testo);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(celle(r[1], ',')[3], "30.000,00");
  EXPECT_EQ(celle(r[2], ',')[2], "the row has 3 cells, the header 4");
  EXPECT_EQ(celle(r[3], ',')[1], "refused");  // "5;0" is not 50
}

TEST(Lotto, UnclosedQuoteStopsTheRunNamingWhereItOpens) {
  const std::string chiuso = "Impiegato;Settore previdenziale Commercio -50dip;\"30\n000\"\n";
  for (const auto& [ingresso, dove] : std::vector<std::pair<std::string, std::string>>{
           {"List1;List2;Text1\n" + tipico + "\n\"" + tipico + "\n" + tipico + "\n",
            "row 3, cell 1: the quote that opens the cell on line 3 "},
           {"List1;List2;Text1\n" + chiuso + tipico + ";\"30000\n",
            "row 3, cell 4: the quote that opens the cell on line 4 "},
           {"List1;List2;Text1\n" + chiuso + chiuso + tipico.substr(0, 10) + "\"x",
            "row 4, cell 2: the quote that opens the cell on line 6 "},
       }) {
    try {
      lotto(ingresso);
      ADD_FAILURE() << ingresso;
    } catch (const ErroreLotto& e) {
      EXPECT_NE(std::string(e.what()).find(dove), std::string::npos) << e.what();
    }
  }
}

TEST(Lotto, OversizedRowsAreRefusedAndTheRestIsCalculated) {
  const std::string larga = "30000" + std::string(1000000, ';');
  const std::string lunga(limite_cella + 1, '7');
  const std::string ingresso = "List1;List2;Text1\n" + tipico + "\n" + larga + "\n" + tipico +
                               "\n" + "Impiegato;;" + lunga + "\n" + "Impiegato;;\"" + lunga +
                               "\"\n" + tipico + "\n";
  const Uscita u = lotto(ingresso);
  const auto r = righe(u.testo);
  ASSERT_EQ(r.size(), 7u);
  EXPECT_EQ(celle(r[2], ';')[2], "the row has 1000001 cells, the header 3");
  EXPECT_EQ(celle(r[4], ';')[2], "Text1 holds more than 1048576 bytes, more than a cell may hold");
  EXPECT_EQ(celle(r[5], ';')[2], celle(r[4], ';')[2]);
  for (const std::size_t ok : {1, 3, 6}) EXPECT_EQ(celle(r[ok], ';')[1], "ok") << ok;
  EXPECT_EQ(u.riepilogo.lavoratori, 6u);

  const Uscita j = lotto("{\"Text1\":\"" + lunga + "\"}\n{\"Text1\":\"1\"}\n", FormatoLotto::jsonl);
  const auto jr = righe(j.testo);
  ASSERT_EQ(jr.size(), 2u);
  EXPECT_EQ(nlohmann::json::parse(jr[0])["messages"][0],
            "the line holds more than 1048576 bytes, more than a row may hold");
  EXPECT_EQ(nlohmann::json::parse(jr[1])["row"], 2);
}

TEST(Lotto, OnlyTheFirstRefusedRowsAreKept) {
  std::string ingresso = "List1;Text1\n";
  for (int i = 0; i < 50; ++i) ingresso += "Dirigente;1\n";
  const Uscita u = lotto(ingresso);
  EXPECT_EQ(u.riepilogo.rifiutati, 50u);
  ASSERT_EQ(u.riepilogo.scartate.size(), scartate_conservate);
  EXPECT_EQ(u.riepilogo.scartate.back().riga, 1 + scartate_conservate);
  EXPECT_EQ(righe(u.testo).size(), 51u);
}

// Whatever the input holds, the output is valid UTF-8 and echoes no control
// character; a long value is cut.
TEST(Lotto, EchoedValuesAreEscapedAndCut) {
  const std::string brutti[] = {"\x1b[2J",
                                "\xff\xfe",
                                "a\tb\x7f",
                                "\xc2\x9b"
                                "31m",
                                "MILANO\u202e (MI)",
                                "\u2067\u200b\ufeff",
                                std::string(100000, 'x') + "\x1b"};
  for (const auto& v : brutti) {
    const Uscita csv = lotto("List1;Option1;profile.massimale_inps;List2\n" + v + ";;;\n;" + v +
                             ";;\n;;" + v + ";\nImpiegato;;;" + v + "\n");
    for (const auto& riga : righe(csv.testo)) {
      EXPECT_TRUE(utf8_valido(riga));
      EXPECT_FALSE(con_controlli(riga));
      EXPECT_LT(riga.size(), 2000u);
    }
    for (const auto& s : csv.riepilogo.scartate) EXPECT_FALSE(con_controlli(s.messaggi));
    EXPECT_EQ(csv.riepilogo.rifiutati, 4u);

    const std::string jsonl = "{\"List1\":\"" + v + "\"}\n{\"" + v + "\":\"1\"}\n" +
                              R"({"List1":"Impiegato","List2":")" + v + "\"}\n";
    const Uscita j = lotto(jsonl, FormatoLotto::jsonl);
    const auto jr = righe(j.testo);
    ASSERT_EQ(jr.size(), 3u);
    for (const auto& riga : jr) {
      EXPECT_TRUE(nlohmann::json::accept(riga)) << riga;
      EXPECT_FALSE(con_controlli(riga));
      EXPECT_LT(riga.size(), 2000u);
    }
  }
}

// The page shows every message in Italian: the rows the batch cannot take,
// the sheets it refuses and the summary (the command line's stay English).
TEST(Lotto, ThePageGetsEveryMessageInItalian) {
  const auto messaggio = [](const std::string& ingresso, FormatoLotto formato, Lingua lingua) {
    std::istringstream in(ingresso);
    std::ostringstream out;
    OpzioniLotto opzioni;
    opzioni.formato = formato;
    opzioni.lingua = lingua;
    try {
      const RiepilogoLotto r = esegui_lotto(in, out, opzioni);
      EXPECT_EQ(r.scartate.size(), 1u) << ingresso;
      return r.scartate.empty() ? std::string() : r.scartate[0].messaggi;
    } catch (const ErroreLotto& e) {
      return e.testo(lingua);
    }
  };
  const FormatoLotto csv = FormatoLotto::csv;
  const FormatoLotto jsonl = FormatoLotto::jsonl;
  struct Caso {
    std::string ingresso;
    FormatoLotto formato;
    std::string atteso;  // the Italian message, or its beginning
  };
  const Caso casi[] = {
      {"List1\nDirigente\n", csv, "List1 deve essere una delle voci \""},
      {"Option2\nforse\n", csv,
       "Option2 deve essere vero o falso (true o false, 1 o 0, s\u00ec o no), non \"forse\""},
      {"profile.massimale_inps\nx\n", csv,
       "profile.massimale_inps deve essere un numero, non \"x\""},
      {"Text1;Text4\n1\n", csv, "la riga ha 1 cella, l'intestazione 2"},
      {"Text1;;Text4\n1;2;3\n", csv,
       "la cella 2 non \u00e8 vuota, ma la sua colonna non ha un nome nell'intestazione"},
      {"Text1\n" + std::string(limite_cella + 1, '7') + "\n", csv,
       "Text1 contiene pi\u00f9 di 1048576 byte, pi\u00f9 di quanti ne possa contenere una cella"},
      {"List2\nx\n", csv, "List2 richiede una categoria in List1"},
      {"List1;List2\nImpiegato;x\n", csv, "List2 deve essere una delle voci di \"Impiegato\": "},
      {"Combo4\n1999\n", csv,
       "Combo4 deve essere una delle normative \"2007\", \"2025\", \"2026\", non \"1999\""},
      {"Option1;Option2\ntrue;true\n", csv,
       "Option1 e Option2 sono una sola scelta: esattamente una delle due \u00e8 true"},
      {"Combo1\n75\n", csv,
       "Combo1 deve essere una delle voci \"50\", \"100\" o \"\" (nessuna scelta), non \"75\""},
      {"Text23\n1\n", csv,
       "Text23 \u00e8 \"1\", ma la normativa \"2007\" non ha le addizionali regionale e comunale; "
       "togliere Text23 o scegliere una normativa che le ha (2025, 2026)"},
      {"Combo4;Combo5\n2026;Atlantide\n", csv, "Combo5 deve essere una delle voci \"Nessuna\", "},
      {"{\"Text1\": 5}\n", jsonl, "Text1 deve essere un testo (come digitato)"},
      {"{\"Option1\": 1}\n", jsonl, "Option1 deve essere true o false"},
      {"{\"Check1\": \"x\"}\n", jsonl, "Check1 deve essere true o false"},
      {"{\"x\": \"1\"}\n", jsonl, "chiave sconosciuta \"x\": non \u00e8 un controllo del modulo"},
      {"{\"a\": 1, \"a\": 2}\n", jsonl, "la chiave \"a\" compare due volte"},
      {"[1]\n", jsonl, "la richiesta deve essere un oggetto JSON"},
      {"{\"Text1\": \"5\", nope\n", jsonl, "JSON non valido: errore di sintassi al byte 17"},
      {"{\"profile\": 1}\n", jsonl, "profile deve essere un oggetto"},
      {"{\"profile\": {\"aliquota_irap\": \"x\"}}\n", jsonl,
       "profile.aliquota_irap deve essere un numero"},
      {"{\"profile\": {\"nessuna\": 1}}\n", jsonl, "profile non ha una cifra di nome \"nessuna\""},
      {"{\"profile\": {\"aliquota_irap\": 1e999}}\n", jsonl, "JSON non valido"},
      {"{\"Text1\": \"" + std::string(limite_cella, '7') + "\"}\n", jsonl,
       "la linea contiene pi\u00f9 di 1048576 byte, pi\u00f9 di quanti ne possa contenere una "
       "riga"},
      // A sheet that cannot be taken at all.
      {"", csv, "il file non ha una riga d'intestazione con i nomi dei controlli"},
      {"Text1;Txt2\n", csv,
       "colonna sconosciuta \"Txt2\": non \u00e8 un controllo del modulo (n\u00e9 profile.NOME)"},
      {"Text1;Text1\n", csv, "la colonna \"Text1\" compare due volte"},
      {"Text1;payslips.to_month\n", csv,
       "la colonna \"payslips.to_month\" \u00e8 una scelta delle buste paga dell'anno"},
      {"List1;Text1\nImpiegato;\"1\n", csv,
       "riga 2, cella 2: le virgolette che aprono la cella alla linea 2 non si chiudono mai"},
  };
  for (const Caso& c : casi) {
    const std::string italiano = messaggio(c.ingresso, c.formato, Lingua::italiano);
    const std::string inglese = messaggio(c.ingresso, c.formato, Lingua::inglese);
    EXPECT_EQ(italiano.substr(0, c.atteso.size()), c.atteso) << c.ingresso.substr(0, 80);
    EXPECT_NE(italiano, inglese);
    for (const char* parola : {" must ", "unknown", " not ", "the ", " holds ", "invalid"}) {
      EXPECT_EQ(italiano.find(parola), std::string::npos) << italiano;
    }
  }

  // The summary: the rows kept with their status in words, the counts.
  std::string ingresso =
      "List1;List2;Text1;Text4\n" + tipico + ";0\n" + tipico + ";1\n" + "Dirigente;;1;0\n";
  for (int i = 0; i < 25; ++i) ingresso += "Dirigente;;1;0\n";
  std::istringstream in(ingresso);
  std::ostringstream out;
  OpzioniLotto opzioni;
  opzioni.lingua = Lingua::italiano;
  const RiepilogoLotto r = esegui_lotto(in, out, opzioni);
  const std::string testo = testo_riepilogo(r, Locale::italiano(), Lingua::italiano);
  EXPECT_EQ(testo.substr(0, 47), "riga 3: rifiutata: Con \"Figli a carico\" diverso");
  EXPECT_NE(testo.find("\nriga 4: non valida: List1 deve essere una delle voci "),
            std::string::npos);
  const std::string fine =
      "... e altre 7 righe non calcolate (vedere la colonna status)\n"
      "lavoratori: 28, non calcolati: 27, netto irraggiungibile: 0\n"
      "totale \"Netto in busta\": 21.455,00\n"
      "totale \"Costo del Lavoro\": 40.766,22\n";
  EXPECT_EQ(testo.substr(testo.size() - std::min(testo.size(), fine.size())), fine);
  // The command line's stays English.
  EXPECT_NE(testo_riepilogo(r, Locale::italiano()).find("\nworkers: 28, refused: 27,"),
            std::string::npos);
}

namespace {

Uscita lotto_buste(const std::string& ingresso, FormatoLotto formato = FormatoLotto::csv,
                   const ElencoNormative& normative = ElencoNormative::incluse()) {
  std::istringstream in(ingresso);
  std::ostringstream out;
  OpzioniLotto opzioni;
  opzioni.formato = formato;
  opzioni.normative = &normative;
  opzioni.buste = true;
  Uscita u;
  u.riepilogo = esegui_lotto(in, out, opzioni);
  u.testo = out.str();
  return u;
}

// The year of a worker of 2026 as `zellora-cli payslips` works it out.
EsitoBuste anno_2026(const std::string& lordo, bool milano, const OpzioniBuste& scelte) {
  CampiForm1 campi;
  campi.Combo4 = "2026";
  campi.List1 = "Impiegato";
  campi.List2 = "Terziario e commercio fino a 5 dipendenti";
  campi.Text1 = lordo;
  if (milano) {
    campi.Combo5 = "Lombardia";
    campi.Text22 = "MILANO (MI)";
  }
  Motore motore(Locale::italiano(), regole_incluse("2026"));
  motore.scegli_settore(campi.List1, campi.List2);
  return buste_paga(motore, campi, scelte);
}

}  // namespace

// A sheet of years of payslips: each worker's lines as `payslips` gives
// them, with the choices of its own cells; a worker without a year is one
// row with its messages.
TEST(Lotto, YearsOfPayslips) {
  const std::string chi = "2026;Impiegato;Terziario e commercio fino a 5 dipendenti;";
  const Uscita u = lotto_buste(
      "Combo4;List1;List2;payslips.to_month;Text1;Combo5;Text22;payslips.deductions\n" + chi +
      ";30000;Lombardia;MILANO (MI);\n" + chi + "9;30000;Lombardia;MILANO (MI);twelfths\n" + chi +
      "13;30000;;;\n" + "2026;Capo;;;30000;;;\n" + chi + ";24000;;;\n");
  OpzioniBuste cessato;
  cessato.ultimo_mese = 9;
  cessato.quota = QuotaDetrazioni::dodicesimi;
  const struct {
    std::string riga;
    EsitoBuste anno;
  } attesi[] = {
      {"2", anno_2026("30000", true, {})},
      {"3", anno_2026("30000", true, cessato)},
      {"6", anno_2026("24000", false, {})},
  };
  // The rows of each worker, by its row number; every row has every cell.
  const auto r = righe(u.testo);
  ASSERT_GT(r.size(), 1u);
  EXPECT_EQ(r[0].substr(0, 44), "row;status;messages;month;kind;gross;benefit");
  std::map<std::string, std::vector<std::vector<std::string>>> lavoratori;
  for (std::size_t i = 1; i < r.size(); ++i) {
    auto c = celle(r[i], ';');
    EXPECT_EQ(c.size(), 6 + colonne_buste_dati) << r[i];
    lavoratori[c[0]].push_back(std::move(c));
  }
  double netto = 0;
  std::uint64_t buste = 0;
  for (const auto& a : attesi) {
    const auto linee = righe(uscita_buste_csv(a.anno, ';'));  // the header, the lines, the totals
    const auto& scritte = lavoratori[a.riga];
    ASSERT_EQ(scritte.size() + 2, linee.size()) << a.riga;
    for (std::size_t k = 0; k < scritte.size(); ++k) {
      EXPECT_EQ(scritte[k][1], "ok");
      std::string cifre;
      for (std::size_t n = 3; n + 1 < scritte[k].size(); ++n) cifre += scritte[k][n] + ";";
      EXPECT_EQ(cifre + scritte[k].back(), linee[k + 1] + ";2026") << a.riga;
    }
    buste += a.anno.anno->buste.size();
    netto += static_cast<double>(a.anno.anno->totale.netto) / 100;
  }
  const auto& rifiutato = lavoratori["4"];
  ASSERT_EQ(rifiutato.size(), 1u);
  EXPECT_EQ(rifiutato[0][1], "refused");
  EXPECT_EQ(rifiutato[0][2].rfind("Il campo \"Al mese\" contiene \"13\"", 0), 0u);
  EXPECT_EQ(rifiutato[0][3] + rifiutato[0][4] + rifiutato[0][5], "");
  const auto& non_valido = lavoratori["5"];
  ASSERT_EQ(non_valido.size(), 1u);
  EXPECT_EQ(non_valido[0][1], "invalid");
  EXPECT_EQ(non_valido[0][2].rfind("List1 must be one of", 0), 0u);
  EXPECT_EQ(u.riepilogo.lavoratori, 5u);
  EXPECT_EQ(u.riepilogo.rifiutati, 2u);
  EXPECT_EQ(u.riepilogo.buste, buste);
  EXPECT_NEAR(u.riepilogo.totale_netto, netto, 1e-6);
  EXPECT_EQ(testo_riepilogo(u.riepilogo, Locale::italiano()).find("Costo del Lavoro"),
            std::string::npos);

  // JSON Lines: one object per worker, the year as `payslips --format json`
  // gives it, with its row first and its rule set last.
  const Uscita j = lotto_buste(
      R"j({"Combo4":"2026","List1":"Impiegato","List2":"Terziario e commercio fino a 5 dipendenti",)j"
      R"j("Text1":"30000","Combo5":"Lombardia","Text22":"MILANO (MI)",)j"
      R"j("payslips":{"deductions":"twelfths","to_month":"9"}})j"
      "\n"
      R"({"Combo4":"2026","payslips":{"to_month":"0"}})"
      "\n",
      FormatoLotto::jsonl);
  const auto jr = righe(j.testo);
  ASSERT_EQ(jr.size(), 2u);
  auto prima = nlohmann::json::parse(jr[0]);
  EXPECT_EQ(prima["row"], 1);
  EXPECT_EQ(jr[0].substr(jr[0].size() - 16), ",\"rules\":\"2026\"}");
  prima.erase("row");
  EXPECT_EQ(prima, nlohmann::json::parse(uscita_buste_json(attesi[1].anno, "2026")));
  const auto seconda = nlohmann::json::parse(jr[1]);
  EXPECT_EQ(seconda["status"], "refused");
  EXPECT_FALSE(seconda.contains("payslips"));

  EXPECT_THROW(lotto_buste("Text1;payslips.month\n1;2\n"), ErroreLotto);
  EXPECT_THROW(lotto_buste("payslips.payments;payslips.payments\n13;14\n"), ErroreLotto);
}

// Last year's surcharges follow last year's rule set wherever the run finds
// it: a user's rule set of 2028 withholds in 2028 those worked out under the
// user's 2027.
TEST(Lotto, PayslipsTakeLastYearsRuleSetFromTheRunsList) {
  const std::filesystem::path cartella =
      std::filesystem::temp_directory_path() / "zellora-lotto-buste-normative";
  std::filesystem::create_directories(cartella);
  const std::string testo(testo_regole_incluse("2026"));
  for (const char* anno : {"2027", "2028"}) {
    std::string copia = testo;
    copia.replace(copia.find("nome = \"2026\""), 13, std::string("nome = \"") + anno + "\"");
    std::ofstream(cartella / (std::string(anno) + ".toml"), std::ios::binary) << copia;
  }
  ElencoNormative normative;
  normative.aggiungi_cartelle({cartella});
  std::filesystem::remove_all(cartella);
  const Uscita u = lotto_buste(
      "Combo4;List1;List2;Text1;Combo5;Text22\n2028;Impiegato;Terziario e commercio fino a 5 "
      "dipendenti;30000;Lombardia;MILANO (MI)\n",
      FormatoLotto::csv, normative);
  const auto r = righe(u.testo);
  ASSERT_GT(r.size(), 1u);
  const auto gennaio = celle(r[1], ';');
  EXPECT_EQ(gennaio[1], "ok");
  EXPECT_EQ(gennaio[2], "");  // no note that last year's surcharges are not known
  EXPECT_EQ(gennaio[3] + " " + gennaio[4], "1 ordinaria");
  EXPECT_NE(gennaio[5 + colonna_buste("regional_surcharge_instalment")], "0.00");
  EXPECT_EQ(gennaio.back(), "2028");
}
