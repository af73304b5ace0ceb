// The JSON request of the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/citazione.h"
#include "cli/richiesta_json.h"
#include "cli/uscita.h"

using namespace zellora;
using nlohmann::json;

namespace {

Richiesta leggi(const std::string& testo) { return leggi_richiesta_json(testo); }

}  // namespace

TEST(RichiestaJson, MissingKeysKeepTheFormsInitialValues) {
  const Richiesta r = leggi("{}");
  EXPECT_EQ(r.campi, CampiForm1{});
}

TEST(RichiestaJson, ReadsControlsByName) {
  const Richiesta r = leggi(R"({"Text1":"1.500,50","Option2":true,"Option3":true,
      "Option6":true,"Check1":true,"Combo1":"50","Combo3":"Si","List1":"Apprendista",
      "List2":"azienda +9 dip.","profile":{"aliquota_irap":0.05}})");
  EXPECT_EQ(r.campi.Text1, "1.500,50");
  EXPECT_TRUE(r.campi.Option2);
  EXPECT_FALSE(r.campi.Option1);
  EXPECT_TRUE(r.campi.Option3);
  EXPECT_FALSE(r.campi.Option4);
  EXPECT_TRUE(r.campi.Option6);
  EXPECT_FALSE(r.campi.Option5);
  EXPECT_TRUE(r.campi.Check1);
  ASSERT_EQ(r.profilo.size(), 1u);

  Motore m;
  applica_profilo(m, r);
  EXPECT_EQ(m.record().aliquota_inps_dip, 0.0584);
  EXPECT_EQ(m.record().aliquota_irap, 0.05);  // set after the sector choice
}

TEST(RichiestaJson, UsageErrors) {
  for (const char* testo : {
           R"([])",
           R"({"Text99":"1"})",
           R"({"text1":"1"})",
           R"({"Text1":30000})",
           R"({"Option2":"si"})",
           R"({"Option1":true,"Option2":true})",
           R"({"Combo1":"75"})",
           R"({"Combo3":"si"})",
           R"({"List1":"Dirigente"})",
           R"({"List2":"azienda +9 dip."})",
           R"({"List1":"Impiegato","List2":"azienda +9 dip."})",
           R"({"profile":{"aliquota":1}})",
           R"({"profile":{"aliquota_tfr":"0,1"}})",
           R"({"payslips":["to_month","9"]})",
           R"({"payslips":{"month":"9"}})",
           R"({"payslips":{"to_month":9}})",
           // A key given twice: neither value may be taken silently.
           R"({"Text1":"30000","Text1":"40000"})",
           R"({"profile":{"aliquota_tfr":0.1,"aliquota_tfr":0.2}})",
       }) {
    EXPECT_THROW(leggi(testo), ErroreRichiesta) << testo;
  }
}

TEST(RichiestaJson, TextsAreTakenWhole) {
  EXPECT_EQ(leggi(R"({"Text4":"2,5"})").campi.Text4, "2,5");
  EXPECT_EQ(leggi(R"({"Text1":" 1.500,50 "})").campi.Text1, " 1.500,50 ");
  EXPECT_NO_THROW(leggi(R"({"Option1":false,"Option2":true})"));
}

TEST(UscitaJson, RecordReadsBackBitForBit) {
  Motore m;
  Richiesta r = leggi(
      R"({"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"})");
  applica_profilo(m, r);
  const auto esito = m.verifica_campi(r.campi);
  const json j = json::parse(uscita_json(esito, m));
  EXPECT_EQ(j["status"], "ok");
  EXPECT_EQ(j["record"].size(), numero_campi_2007);  // the rules of 2007
  for (std::size_t n = 0; n < numero_campi_2007; ++n) {
    const CampoRecord& c = campi_record()[n];
    EXPECT_EQ(j["record"][std::string(c.nome)].get<double>(), m.record().*c.campo) << c.nome;
  }
  EXPECT_EQ(j["results"]["Text10"], "21.455,00");
  EXPECT_FALSE(j.contains("search"));
}

// A value shown back in a message: quoted, unable to drive a terminal, cut.
TEST(Citazione, EscapesAndCuts) {
  const std::string lungo(200, 'x');
  const std::pair<std::string, std::string> casi[] = {
      {"Impiegato", "\"Impiegato\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"\x1b[2J\n\t\r", "\"\\u001b[2J\\n\\t\\r\""},
      {"\x7f", "\"\\u007f\""},
      {"\xc2\x9b"
       "31m",
       "\"\\u009b31m\""},  // C1 control character
      // Characters that turn or hide the text around them: the direction
      // marks, embeddings, overrides and isolates, the invisible ones.
      {"MILANO\u202e (MI)", "\"MILANO\\u202e (MI)\""},
      {"\u200b\u200c\u200d\u200e\u200f", "\"\\u200b\\u200c\\u200d\\u200e\\u200f\""},
      {"\u202a\u202b\u202c\u202d", "\"\\u202a\\u202b\\u202c\\u202d\""},
      {"\u2066\u2067\u2068\u2069\u061c", "\"\\u2066\\u2067\\u2068\\u2069\\u061c\""},
      {"\ufeff\u2060\u2028\u2029", "\"\\ufeff\\u2060\\u2028\\u2029\""},
      // Their neighbours are shown as they are.
      {"\u200a\u2010\u2065\u206a\u202f", "\"\u200a\u2010\u2065\u206a\u202f\""},
      {"\xff\xc3", "\"\\xff\\xc3\""},           // not UTF-8, a cut sequence
      {"\xed\xa0\x80", "\"\\xed\\xa0\\x80\""},  // a surrogate
      {"s\xc3\xac \xe2\x82\xac", "\"s\xc3\xac \xe2\x82\xac\""},
      {lungo, "\"" + std::string(60, 'x') + "\"... (200 bytes)"},
      {std::string(59, 'x') + "\xc3\xa8\xc3\xa8",
       "\"" + std::string(59, 'x') + "\xc3\xa8\"... (63 bytes)"},
  };
  for (const auto& [valore, atteso] : casi) EXPECT_EQ(citazione(valore), atteso) << valore;
  // A file name is shown whole, or the user cannot find the file.
  const std::string percorso = "/" + std::string(300, 'd') + "/prospetto.docx";
  EXPECT_EQ(citazione_file(percorso), "\"" + percorso + "\"");
}

TEST(UscitaJson, StringsAreValidUtf8) {
  const std::pair<std::string, std::string> casi[] = {
      {"21.455,00", "\"21.455,00\""},
      {"a\"b\\", "\"a\\\"b\\\\\""},
      {"\x1b\n\x7f", "\"\\u001b\\u000a\x7f\""},
      {"non \xc3\xa8 \xf0\x9f\x98\x80", "\"non \xc3\xa8 \xf0\x9f\x98\x80\""},
      {"\xff"
       "a\xc3",
       "\"\xef\xbf\xbd"
       "a\xef\xbf\xbd\""},
      {"\xed\xa0\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\""},
      {"\xc0\xaf", "\"\xef\xbf\xbd\xef\xbf\xbd\""},  // overlong
  };
  for (const auto& [testo, atteso] : casi) {
    std::string out;
    aggiungi_stringa_json(out, testo);
    EXPECT_EQ(out, atteso);
    EXPECT_TRUE(json::accept(out)) << out;
  }
}

// Messages that show a value of the request show it quoted and cut.
TEST(RichiestaJson, MessagesQuoteValues) {
  const std::string lungo(100000, 'x');
  const std::string richieste[] = {
      R"({"List1":"\u001b[2J"})",       R"({"\u001b[2J":"1"})",
      R"({"Combo3":"\u009b31m"})",      R"({"List1":"Impiegato","List2":"\u001b[2J"})",
      R"({"profile":{"\u001b[2J":1}})", "{\"List1\":\"" + lungo + "\"}",
      "{\"" + lungo + "\":true}",
  };
  for (const auto& r : richieste) {
    try {
      leggi(r.c_str());
      ADD_FAILURE() << r;
    } catch (const ErroreRichiesta& e) {
      const std::string m = e.what();
      EXPECT_EQ(m.find('\x1b'), std::string::npos) << m;
      EXPECT_EQ(m.find("\xc2\x9b"), std::string::npos) << m;
      EXPECT_LT(m.size(), 400u) << m;
    }
  }
  // JSON that cannot be read: the reader's message quotes the input raw.
  for (const std::string& testo :
       {std::string("{\"a\":\"\xff\x1b"), "{\"a\":1" + std::string(100000, '0'),
        "{\"a\":\"" + lungo + "\x01\"}"}) {
    try {
      const json j = json::parse(testo);
      ADD_FAILURE() << j;
    } catch (const json::exception& e) {
      const std::string m = messaggio_json(e);
      EXPECT_TRUE(json::accept(json(m).dump())) << m;
      EXPECT_EQ(m.find('\x1b'), std::string::npos) << m;
      EXPECT_LT(m.size(), 400u) << m;
    }
  }
}

TEST(RichiestaJson, ProfileFiguresAreFinite) {
  for (const double v : {NAN, INFINITY, -INFINITY}) {
    json r = {{"profile", {{"aliquota_irap", v}}}};
    EXPECT_THROW(leggi_richiesta(r), ErroreRichiesta) << v;
  }
  EXPECT_THROW(leggi(R"({"profile":{"aliquota_irap":1e400}})"), json::exception);
}
