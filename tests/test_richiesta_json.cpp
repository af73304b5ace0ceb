// The JSON request of the command line.
#include <gtest/gtest.h>

#include "app/richiesta_json.h"
#include "app/uscita.h"

using namespace zellora;
using nlohmann::json;

namespace {

Richiesta leggi(const char* testo) { return leggi_richiesta(json::parse(testo)); }

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
  EXPECT_EQ(j["record"].size(), 36u);
  for (const auto& c : campi_record()) {
    EXPECT_EQ(j["record"][std::string(c.nome)].get<double>(), m.record().*c.campo) << c.nome;
  }
  EXPECT_EQ(j["results"]["Text10"], "21.455,00");
  EXPECT_FALSE(j.contains("search"));
}
