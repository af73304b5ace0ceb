// Worker categories, sectors and the profile a sector choice writes.
#include <gtest/gtest.h>

#include "form/motore.h"
#include "rules/caricamento.h"
#include "rules/profilo.h"

using namespace zellora;

TEST(Profilo, ListsInFormOrder) {
  ASSERT_EQ(categorie_lavoratore(regole_predefinite()).size(), 4u);
  EXPECT_EQ(categorie_lavoratore(regole_predefinite())[0],
            "Collaborazioni Coordinate e Continuative");
  EXPECT_EQ(voci_settore(regole_predefinite(), 0).size(), 2u);
  EXPECT_EQ(voci_settore(regole_predefinite(), 1).size(), 7u);
  EXPECT_EQ(voci_settore(regole_predefinite(), 2)[6], "Settore previdenziale Artigianato");
  EXPECT_EQ(voci_settore(regole_predefinite(), 3)[1],
            "azienda -9 dip. 1\u00b0 anno di apprendistato");
  EXPECT_TRUE(voci_settore(regole_predefinite(), -1).empty());
  EXPECT_TRUE(voci_settore(regole_predefinite(), 4).empty());
}

TEST(Profilo, EmployeeAndWorkerRatesDiffer) {
  Motore m;
  ASSERT_TRUE(m.scegli_settore("Operaio", "Settore previdenziale Industria +50dip"));
  EXPECT_EQ(m.record().aliquota_inps_dip, 0.0949);
  EXPECT_EQ(m.record().aliquota_inps_az, 0.3208);
  ASSERT_TRUE(m.scegli_settore("Impiegato", "Settore previdenziale Industria +50dip"));
  EXPECT_EQ(m.record().aliquota_inps_az, 0.2986);
  EXPECT_EQ(m.record().massimale_inps, 99999999);
  EXPECT_EQ(m.record().soglia_contributo_aggiuntivo, 42111);
  EXPECT_EQ(m.record().aliquota_tfr, 0.069074);
  EXPECT_EQ(m.record().quota_inail_az, 3);
}

TEST(Profilo, Apprentices) {
  RecordCalcolo a;
  RecordCalcolo b;
  ASSERT_TRUE(scrivi_profilo(a, regole_predefinite(), 3, 0));
  ASSERT_TRUE(scrivi_profilo(b, regole_predefinite(), 3, 3));
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.aliquota_inps_dip, 0.0584);
  EXPECT_EQ(a.aliquota_inps_az, 0.1);
  EXPECT_EQ(a.massimale_inail, 0);
  EXPECT_EQ(a.aliquota_irap, 0);
  EXPECT_EQ(a.aliquota_tfr, 0.074074);
}

TEST(Profilo, CollaboratorsWithExactDigits) {
  RecordCalcolo r;
  ASSERT_TRUE(scrivi_profilo(r, regole_predefinite(), 0, 1));
  EXPECT_EQ(r.aliquota_inps_dip, 0.05666666);
  EXPECT_EQ(r.aliquota_inps_az, 0.1133333);
  EXPECT_EQ(r.massimale_inps, 91595);
  EXPECT_EQ(r.soglia_contributo_aggiuntivo, 999999999);
  EXPECT_EQ(r.minimale_inail, 13899.9);
  EXPECT_EQ(r.massimale_inail, 25814.1);
  EXPECT_EQ(r.aliquota_tfr, 0);
  EXPECT_EQ(r.aliquota_irap, 0.039);
  EXPECT_EQ(r.quota_inail_dip, 1);
  EXPECT_EQ(r.quota_inail_az, 2);
  ASSERT_TRUE(scrivi_profilo(r, regole_predefinite(), 0, 0));
  EXPECT_EQ(r.soglia_contributo_aggiuntivo, 99999999);
}

TEST(Profilo, PairsThatDoNotExistWriteNothing) {
  RecordCalcolo r;
  scrivi_profilo(r, regole_predefinite(), 1, 1);
  const RecordCalcolo prima = r;
  EXPECT_FALSE(scrivi_profilo(r, regole_predefinite(), 0, 2));
  EXPECT_FALSE(scrivi_profilo(r, regole_predefinite(), 3, 4));
  EXPECT_FALSE(scrivi_profilo(r, regole_predefinite(), 1, 7));
  EXPECT_FALSE(scrivi_profilo(r, regole_predefinite(), -1, 0));
  EXPECT_FALSE(scrivi_profilo(r, regole_predefinite(), 1, -1));
  EXPECT_EQ(r, prima);
  Motore m;
  EXPECT_FALSE(m.scegli_settore("Apprendista", "Settore previdenziale Artigianato"));
  EXPECT_EQ(m.record(), RecordCalcolo{});
}
