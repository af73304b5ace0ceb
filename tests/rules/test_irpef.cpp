// The bracket tax, annual and monthly tables.
#include <gtest/gtest.h>

#include "rules/caricamento.h"
#include "rules/irpef.h"

using namespace zellora;

TEST(Irpef, AnnualTable) {
  EXPECT_EQ(imposta_scaglioni(15000, regole_predefinite().irpef_annua), 3450);
  EXPECT_DOUBLE_EQ(imposta_scaglioni(15001, regole_predefinite().irpef_annua), 3450.27);
  EXPECT_DOUBLE_EQ(imposta_scaglioni(27243, regole_predefinite().irpef_annua), 6755.61);
  EXPECT_DOUBLE_EQ(imposta_scaglioni(60000, regole_predefinite().irpef_annua), 19270);
  EXPECT_DOUBLE_EQ(imposta_scaglioni(100000, regole_predefinite().irpef_annua), 36170);
  EXPECT_EQ(imposta_scaglioni(0, regole_predefinite().irpef_annua), 0);
  EXPECT_EQ(imposta_scaglioni(-1000, regole_predefinite().irpef_annua), -230);
}

TEST(Irpef, LastBitFollowsTheOrderOfAdditions) {
  // 13000 x 0.27 is 3510.0000000000005 in double precision, and it is
  // added after the marginal part.
  const double F2 = (28000.0 - 15000.0) * 0.27;
  EXPECT_EQ(F2, 3510.0000000000005);
  EXPECT_EQ(imposta_scaglioni(30000, regole_predefinite().irpef_annua),
            ((30000.0 - 28000) * 0.38 + F2) + 3450);
  EXPECT_EQ(imposta_scaglioni(80000, regole_predefinite().irpef_annua),
            ((((80000.0 - 75000) * 0.43 + 8200) + 10260) + F2) + 3450);
  EXPECT_EQ(imposta_scaglioni(27841.1, regole_predefinite().irpef_annua), 6917.0969999999998);
}

TEST(Irpef, MonthlyTable) {
  EXPECT_EQ(imposta_scaglioni(1250, regole_predefinite().irpef_mensile), 287.5);
  EXPECT_DOUBLE_EQ(imposta_scaglioni(2000, regole_predefinite().irpef_mensile), 490);
  EXPECT_DOUBLE_EQ(imposta_scaglioni(5000, regole_predefinite().irpef_mensile), 1605.8338);
  EXPECT_EQ(imposta_scaglioni(2270.25, regole_predefinite().irpef_mensile), 562.96749999999997);
  // 2333.33 is the top of the second bracket; 2333.34 is in the third.
  EXPECT_DOUBLE_EQ(imposta_scaglioni(2333.33, regole_predefinite().irpef_mensile),
                   287.5 + 1083.33 * 0.27);
  EXPECT_DOUBLE_EQ(imposta_scaglioni(2333.34, regole_predefinite().irpef_mensile),
                   ((2333.34 - 2333.33) * 0.38 + 292.4991) + 287.5);
}
