// The four deductions, annual and monthly.
#include <gtest/gtest.h>

#include "rules/caricamento.h"
#include "rules/detrazioni.h"

using namespace zellora;

namespace {

RecordCalcolo reddito(double annuo_fiscale, double annuo_equivalente = 0) {
  RecordCalcolo r;
  r.imponibile_fiscale = annuo_fiscale;
  r.imponibile_annuo = annuo_equivalente;
  return r;
}

DatiFamiglia giorni(double g) {
  DatiFamiglia f;
  f.giorni = g;
  return f;
}

double dip(double r, double g = 365) {
  RecordCalcolo rec = reddito(r);
  detrazioni_dip_annua(rec, giorni(g), regole_predefinite().dipendente);
  return rec.detrazione_dip;
}

double dip_ulteriore(double r, double g = 365) {
  RecordCalcolo rec = reddito(r);
  detrazioni_dip_annua(rec, giorni(g), regole_predefinite().dipendente);
  return rec.detrazione_dip_ulteriore;
}

}  // namespace

TEST(DetrazioneDipendente, AnnualBands) {
  EXPECT_EQ(dip(8000), 1840);
  EXPECT_EQ(dip(8000, 100), 690);  // 504.10... raised to the floor
  EXPECT_EQ(dip(5000, 0), 690);
  EXPECT_NEAR(dip(10000), 1696.5714285714, 1e-9);
  EXPECT_DOUBLE_EQ(dip(15000), 1338);
  EXPECT_NEAR(dip(15000.01), 1337.99966, 1e-5);
  EXPECT_DOUBLE_EQ(dip(20000), 1170.75);
  EXPECT_DOUBLE_EQ(dip(23500), 1053.675);
  EXPECT_EQ(dip(55000), 0);
  EXPECT_EQ(dip(55000.01), 0);
  EXPECT_EQ(dip(20000, -10), 0);  // negative days: raised to 0
}

TEST(DetrazioneDipendente, AdditionalAmountBands) {
  EXPECT_EQ(dip_ulteriore(20000), 0);
  EXPECT_EQ(dip_ulteriore(23500), 10);
  EXPECT_EQ(dip_ulteriore(24000), 10);
  EXPECT_EQ(dip_ulteriore(24000.01), 20);
  EXPECT_EQ(dip_ulteriore(24000.005), 0);  // the gap between bands
  EXPECT_EQ(dip_ulteriore(27700), 40);
  EXPECT_EQ(dip_ulteriore(28000), 25);
  EXPECT_EQ(dip_ulteriore(28000.01), 0);
  EXPECT_DOUBLE_EQ(dip_ulteriore(25500, 73), 30.0 * 73 / 365);
}

TEST(DetrazioneDipendente, Monthly) {
  RecordCalcolo r = reddito(999999, 5000);
  detrazioni_dip_mensile(r, regole_predefinite().dipendente);
  EXPECT_EQ(r.detrazione_dip, (1840.0 / 365) * 31);
  EXPECT_NEAR(r.detrazione_dip, 156.2739726, 1e-7);
  r.imponibile_annuo = 20000;
  detrazioni_dip_mensile(r, regole_predefinite().dipendente);
  EXPECT_NEAR(r.detrazione_dip, 99.4335616, 1e-7);
  r.imponibile_annuo = 27800;
  detrazioni_dip_mensile(r, regole_predefinite().dipendente);
  EXPECT_EQ(r.detrazione_dip_ulteriore, 775.0 / 365);
}

namespace {

RecordCalcolo coniuge(double r, double m, bool si = true) {
  RecordCalcolo rec = reddito(r);
  DatiFamiglia f;
  f.coniuge_a_carico = si;
  f.mesi_coniuge = m;
  detrazioni_coniuge_annua(rec, f, regole_predefinite().coniuge);
  return rec;
}

}  // namespace

TEST(DetrazioneConiuge, NoSpouseMeansZero) {
  RecordCalcolo r = reddito(10000);
  r.detrazione_coniuge = 50;
  r.detrazione_coniuge_maggiorazione = 5;
  detrazioni_coniuge_annua(r, DatiFamiglia{}, regole_predefinite().coniuge);
  EXPECT_EQ(r.detrazione_coniuge, 0);
  EXPECT_EQ(r.detrazione_coniuge_maggiorazione, 0);
}

TEST(DetrazioneConiuge, AnnualBands) {
  EXPECT_EQ(coniuge(0, 12).detrazione_coniuge, 800);
  EXPECT_DOUBLE_EQ(coniuge(12000, 12).detrazione_coniuge, 712);
  EXPECT_DOUBLE_EQ(coniuge(15000, 12).detrazione_coniuge, 690);
  EXPECT_EQ(coniuge(30000, 12).detrazione_coniuge, 690);
  EXPECT_EQ(coniuge(30000, 12).detrazione_coniuge_maggiorazione, 20);
  EXPECT_DOUBLE_EQ(coniuge(29100, 7).detrazione_coniuge_maggiorazione, 70.0 / 12);
  EXPECT_DOUBLE_EQ(coniuge(60000, 6).detrazione_coniuge, 172.5);
  EXPECT_EQ(coniuge(80000, 12).detrazione_coniuge, 0);
  EXPECT_EQ(coniuge(80000.01, 12).detrazione_coniuge, 0);
  EXPECT_EQ(coniuge(20000, -3).detrazione_coniuge, 0);
}

TEST(DetrazioneConiuge, AdditionalBandEdges) {
  EXPECT_EQ(coniuge(29200, 12).detrazione_coniuge_maggiorazione, 10);
  EXPECT_EQ(coniuge(29200.01, 12).detrazione_coniuge_maggiorazione, 20);
  EXPECT_EQ(coniuge(29200.005, 12).detrazione_coniuge_maggiorazione, 0);
  EXPECT_EQ(coniuge(35000, 12).detrazione_coniuge_maggiorazione, 30);
  EXPECT_EQ(coniuge(35100, 12).detrazione_coniuge_maggiorazione, 20);
  EXPECT_EQ(coniuge(35200, 12).detrazione_coniuge_maggiorazione, 10);
  EXPECT_EQ(coniuge(35200.01, 12).detrazione_coniuge_maggiorazione, 0);
}

TEST(DetrazioneConiuge, Monthly) {
  RecordCalcolo r = reddito(0, 12000);
  DatiFamiglia f;
  f.coniuge_a_carico = true;
  f.mesi_coniuge = 1;  // not read in a month
  detrazioni_coniuge_mensile(r, f, regole_predefinite().coniuge);
  EXPECT_NEAR(r.detrazione_coniuge, 59.333333, 1e-6);
  r.imponibile_annuo = 30000;
  detrazioni_coniuge_mensile(r, f, regole_predefinite().coniuge);
  EXPECT_EQ(r.detrazione_coniuge, 57.5);
  EXPECT_EQ(r.detrazione_coniuge_maggiorazione, 20.0 / 12);
}

namespace {

double figli(double r, double n, double minori, double p, double m) {
  RecordCalcolo rec = reddito(r);
  DatiFamiglia f;
  f.figli = n;
  f.figli_minori = minori;
  f.quota_figli = p;
  f.mesi_figli = m;
  detrazioni_figli_annua(rec, f, regole_predefinite().figli);
  return rec.detrazione_figli;
}

}  // namespace

TEST(DetrazioneFigli, AnnualRows) {
  EXPECT_EQ(figli(30000, 0, 2, 100, 12), 0);
  EXPECT_NEAR(figli(30000, 1, 0, 100, 12), 547.368421, 1e-6);
  EXPECT_NEAR(figli(30000, 2, 1, 50, 12), 618.181818, 1e-6);
  EXPECT_NEAR(figli(40000, 3, 2, 100, 6), 884, 0.005);
  EXPECT_NEAR(figli(30000, 4, 0, 100, 12), 3142.857142, 1e-6);
  EXPECT_NEAR(figli(30000, 5, 0, 100, 12), 4032.258064, 1e-6);
  EXPECT_EQ(figli(95000, 1, 0, 100, 12), 0);
  EXPECT_EQ(figli(120000, 1, 0, 100, 12), 0);  // past the limit: raised to 0
}

TEST(DetrazioneFigli, UnderThreeIncrease) {
  RecordCalcolo r = reddito(30000);
  DatiFamiglia f;
  f.figli = 1;
  f.figli_minori = 3;  // more than the children: still added
  f.quota_figli = 100;
  f.mesi_figli = 12;
  detrazioni_figli_annua(r, f, regole_predefinite().figli);
  EXPECT_EQ(r.maggiorazione_figli_minori, 300);
  EXPECT_DOUBLE_EQ(r.detrazione_figli, 1100 * (65000.0 / 95000));
  f.figli_minori = -1;
  detrazioni_figli_annua(r, f, regole_predefinite().figli);
  EXPECT_EQ(r.maggiorazione_figli_minori, 0);  // raised to 0 after use
  EXPECT_DOUBLE_EQ(r.detrazione_figli, 700 * (65000.0 / 95000));
}

TEST(DetrazioneFigli, Monthly) {
  RecordCalcolo r = reddito(0, 30000);
  DatiFamiglia f;
  f.figli = 1;
  f.quota_figli = 100;
  f.mesi_figli = 1;  // not read in a month
  detrazioni_figli_mensile(r, f, regole_predefinite().figli);
  EXPECT_NEAR(r.detrazione_figli, 45.614035, 1e-6);
}

namespace {

double altri(double r, double n, double p, double m) {
  RecordCalcolo rec = reddito(r);
  DatiFamiglia f;
  f.altri = n;
  f.quota_altri = p;
  f.mesi_altri = m;
  detrazioni_altri_annua(rec, f, regole_predefinite().altri);
  return rec.detrazione_altri;
}

}  // namespace

TEST(DetrazioneAltri, Annual) {
  EXPECT_EQ(altri(30000, 0, 100, 12), 0);
  EXPECT_EQ(altri(30000, 1, 100, 12), 468.75);
  EXPECT_EQ(altri(40000, 2, 50, 6), 187.5);
  EXPECT_EQ(altri(0, 3, 100, 12), 2250);
  EXPECT_EQ(altri(80000, 1, 100, 12), 0);
  EXPECT_EQ(altri(90000, 1, 100, 12), 0);
  EXPECT_EQ(altri(30000, -1, 100, 12), 0);
}

TEST(DetrazioneAltri, Monthly) {
  RecordCalcolo r = reddito(0, 30000);
  DatiFamiglia f;
  f.altri = 1;
  f.quota_altri = 100;
  f.mesi_altri = 3;  // not read in a month
  detrazioni_altri_mensile(r, f, regole_predefinite().altri);
  EXPECT_EQ(r.detrazione_altri, 39.0625);
}
