// A year of payslips: the adjustment closes the year to the annual
// calculation, the months of work, a raise, last year's surcharges in
// instalments; random workers of every rule set, in both choices of the
// payroll office. The published figures are the cases of
// tests/casi/buste_pubblicati.json.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "form/buste_paga.h"
#include "form/testi_buste.h"
#include "rules/buste.h"
#include "rules/caricamento.h"

using namespace zellora;

namespace {

struct Scenario {
  const char* nome;
  const char* normativa;
  int lordo_min, lordo_max;  // monthly gross, euro
  int mensilita;
  int primo, ultimo;
  int aumento_da;  // a raise from this month; 0 none
  bool addizionali;
  bool senza_inps;  // taxable = gross: the year checked against the form's annual calculation
  bool altre_voci;  // a benefit, a deduction from the net and a non-taxable pay
};

// clang-format off
const Scenario scenari[] = {
    {"year2007",          "2007",  600, 9000, 13, 1, 12, 0, false, false, false},
    {"year2025",          "2025",  600, 9000, 14, 1, 12, 0, true,  false, false},
    {"year2026",          "2026",  600, 9000, 13, 1, 12, 0, true,  false, false},
    {"hiredInMarch",      "2026",  900, 4000, 14, 3, 12, 0, true,  false, false},
    {"leftInSeptember",   "2026",  900, 4000, 14, 1,  9, 0, true,  false, true},
    {"raiseInJuly",       "2026",  900, 4000, 13, 1, 12, 7, true,  false, false},
    {"lowPay",            "2026",  300,  900, 13, 1, 12, 0, true,  false, false},
    {"asTheAnnualPass",   "2026",  600, 6000, 12, 1, 12, 0, false, true,  false},
    {"asTheAnnualPass2025","2025", 600, 6000, 12, 1, 12, 7, false, true,  false},
    {"otherItems2026",    "2026",  900, 5000, 14, 1, 12, 0, true,  false, true},
    {"otherItems2007",    "2007",  900, 5000, 13, 1, 12, 0, false, false, true},
};
// clang-format on

struct Lavoratore {
  CampiForm1 campi;
  OpzioniBuste opzioni;
};

Lavoratore casuale(const Scenario& s, std::mt19937& caso, QuotaDetrazioni q, Proiezione p) {
  Lavoratore l;
  l.campi.Combo4 = s.normativa;
  l.campi.List1 = "Impiegato";
  l.campi.List2 = "Settore previdenziale Commercio -50dip";
  l.campi.Option1 = false;
  l.campi.Option2 = true;
  l.campi.Text7 = std::to_string(s.mensilita);
  l.campi.Text1 =
      std::to_string(std::uniform_int_distribution<int>(s.lordo_min, s.lordo_max)(caso));
  if (std::uniform_int_distribution<int>(0, 2)(caso) == 0) {
    l.campi.Combo3 = "Si";
  } else {
    l.campi.Combo3 = "No";
  }
  const int figli = std::uniform_int_distribution<int>(0, 3)(caso);
  l.campi.Text4 = std::to_string(figli);
  if (figli > 0) l.campi.Combo1 = "100";
  if (s.addizionali) {
    l.campi.Combo5 = "Lombardia";
    l.campi.Text22 = "Milano";
  }
  if (s.altre_voci) {
    l.campi.Text13 = std::to_string(std::uniform_int_distribution<int>(0, 400)(caso));
    l.campi.Text19 = std::to_string(std::uniform_int_distribution<int>(0, 150)(caso));
    l.campi.Text21 = std::to_string(std::uniform_int_distribution<int>(0, 150)(caso));
  }
  l.opzioni.primo_mese = s.primo;
  l.opzioni.ultimo_mese = s.ultimo;
  l.opzioni.quota = q;
  l.opzioni.proiezione = p;
  if (s.aumento_da > 0) {
    l.opzioni.variazioni.emplace_back(s.aumento_da, std::stoi(l.campi.Text1) + 300);
  }
  return l;
}

EsitoBuste anno_di(const Scenario& s, const Lavoratore& l) {
  Motore motore(Locale::italiano(), regole_incluse(s.normativa));
  EXPECT_TRUE(motore.scegli_settore(l.campi.List1, l.campi.List2));
  if (s.senza_inps) {
    motore.record().aliquota_inps_dip = 0;
    motore.record().soglia_contributo_aggiuntivo = 1e9;
  }
  return buste_paga(motore, l.campi, l.opzioni);
}

// "Irpef netta" and the cuneo of the form's annual calculation of a gross
// of `lordo` euro and `giorni` days, for a worker whose taxable income is
// the gross.
RecordCalcolo annuo_del_modulo(const Scenario& s, const Lavoratore& l, std::int64_t lordo,
                               int giorni) {
  Motore motore(Locale::italiano(), regole_incluse(s.normativa));
  EXPECT_TRUE(motore.scegli_settore(l.campi.List1, l.campi.List2));
  motore.record().aliquota_inps_dip = 0;
  motore.record().soglia_contributo_aggiuntivo = 1e9;
  CampiForm1 campi = l.campi;
  campi.Option1 = true;
  campi.Option2 = false;
  campi.Text1 = std::to_string(lordo);
  campi.Text5 = std::to_string(giorni);
  EXPECT_EQ(motore.verifica_campi(campi).stato, Stato::ok);
  return motore.record();
}

std::int64_t in_centesimi(const std::string& testo) {
  std::int64_t c = 0;
  bool negativo = false;
  for (char ch : testo) {
    if (ch == '-') negativo = true;
    if (ch >= '0' && ch <= '9') c = c * 10 + (ch - '0');
  }
  return negativo ? -c : c;
}

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.nome; }

class Buste : public testing::TestWithParam<Scenario> {};

TEST_P(Buste, TheAdjustmentClosesTheYear) {
  const Scenario& s = GetParam();
  std::mt19937 caso(27);
  for (const QuotaDetrazioni q : {QuotaDetrazioni::giorni, QuotaDetrazioni::dodicesimi}) {
    for (const Proiezione p : {Proiezione::mensilita, Proiezione::progressiva}) {
      for (int n = 0; n < 12; ++n) {
        const Lavoratore l = casuale(s, caso, q, p);
        SCOPED_TRACE(l.campi.Text1 + " " + l.campi.Text4 + " " + l.campi.Combo3 + " " +
                     std::to_string(static_cast<int>(q)) + std::to_string(static_cast<int>(p)));
        const EsitoBuste e = anno_di(s, l);
        ASSERT_EQ(e.esito.stato, Stato::ok);
        ASSERT_TRUE(e.anno);
        const AnnoBuste& a = *e.anno;

        // The months of work: one ordinary payslip each, the adjustment
        // last in the last month, the year's days.
        int ordinarie = 0;
        for (const BustaPaga& b : a.buste) ordinarie += b.tipo == TipoBusta::ordinaria ? 1 : 0;
        EXPECT_EQ(ordinarie, s.ultimo - s.primo + 1);
        EXPECT_EQ(a.buste.back().tipo, TipoBusta::conguaglio);
        EXPECT_EQ(a.buste.back().mese, s.ultimo);
        EXPECT_EQ(a.giorni, giorni_mesi(s.primo, s.ultimo));
        EXPECT_EQ(a.buste.front().mese, s.primo);

        // The IRPEF withheld over the year, with what is left to next year's
        // recovery of the further deduction, is the year's; so are the
        // tax-free sum and the trattamento integrativo.
        std::int64_t ulteriore_mesi = 0;
        std::int64_t somma_mesi = 0;
        std::int64_t integrativo_mesi = 0;
        for (const BustaPaga& b : a.buste) {
          if (b.tipo == TipoBusta::conguaglio) continue;
          ulteriore_mesi += b.ulteriore_detrazione;
          somma_mesi += b.somma_esente;
          integrativo_mesi += b.trattamento_integrativo;
        }
        const std::int64_t ulteriore_in_piu =
            std::max<std::int64_t>(0, ulteriore_mesi - a.ulteriore_detrazione_annua);
        const std::int64_t somma_in_piu =
            std::max<std::int64_t>(0, somma_mesi - a.somma_esente_annua);
        const std::int64_t integrativo_in_piu =
            std::max<std::int64_t>(0, integrativo_mesi - a.integrativo_annuo);
        const bool rinviato_cuneo = a.recupero_cuneo.importo > 0;
        EXPECT_EQ(a.totale.irpef_netta + (rinviato_cuneo ? ulteriore_in_piu : 0),
                  a.irpef_netta_annua);
        EXPECT_EQ(a.totale.somma_esente - (rinviato_cuneo ? somma_in_piu : 0),
                  a.somma_esente_annua);
        EXPECT_EQ(a.totale.trattamento_integrativo -
                      (a.recupero_integrativo.importo > 0 ? integrativo_in_piu : 0),
                  a.integrativo_annuo);
        // Left to next year only above 60 euro, never at termination.
        if (rinviato_cuneo) {
          EXPECT_EQ(a.recupero_cuneo.importo, ulteriore_in_piu + somma_in_piu);
          EXPECT_GT(a.recupero_cuneo.importo, 6000);
          EXPECT_EQ(a.recupero_cuneo.rate, 10);
          EXPECT_EQ(s.ultimo, 12);
        }
        if (a.recupero_integrativo.importo > 0) {
          EXPECT_EQ(a.recupero_integrativo.rate, 8);
        }
        // The 1 % closes to the year's.
        EXPECT_EQ(a.totale.aggiuntivo, a.aggiuntivo_annuo);

        // The year's figures are the form's annual calculation of the year's
        // taxable income, for the days of work.
        if (s.senza_inps && a.totale.lordo % 100 == 0) {
          const RecordCalcolo r = annuo_del_modulo(s, l, a.totale.lordo / 100, a.giorni);
          const CifreRisultato c = cifre_risultato(r, true, false, std::nullopt);
          EXPECT_EQ(a.totale.imponibile, a.totale.lordo);
          EXPECT_EQ(a.irpef_netta_annua, c.centesimi(9).value_or(-1));
          EXPECT_EQ(a.somma_esente_annua, c.centesimi(22).value_or(-1));
          EXPECT_EQ(a.ulteriore_detrazione_annua, c.centesimi(23).value_or(-1));
          EXPECT_EQ(a.integrativo_annuo, c.centesimi(24).value_or(-1));
        }

        // Each payslip's net is its figures' balance; the benefit is taxed,
        // not paid; the other two are the form's month on each ordinary
        // payslip.
        const BustaPaga& t = a.totale;
        for (const BustaPaga& b : a.buste) {
          EXPECT_EQ(b.netto, b.lordo - b.inps - b.aggiuntivo - b.altri - b.inail - b.irpef_netta +
                                 b.somma_esente + b.trattamento_integrativo - b.regionale -
                                 b.comunale_saldo - b.comunale_acconto - b.trattenuta +
                                 b.competenza);
          const bool ordinaria = b.tipo == TipoBusta::ordinaria;
          EXPECT_EQ(b.benefit, ordinaria ? in_centesimi(l.campi.Text13) * 100 : 0);
          EXPECT_EQ(b.trattenuta, ordinaria ? in_centesimi(l.campi.Text19) * 100 : 0);
          EXPECT_EQ(b.competenza, ordinaria ? in_centesimi(l.campi.Text21) * 100 : 0);
        }
        EXPECT_EQ(t.imponibile, t.lordo + t.benefit - t.inps - t.aggiuntivo - t.altri - t.inail);
        // The net of the year is the annual calculation's but for the
        // lines of the reconciliation.
        EXPECT_EQ(
            t.netto,
            a.netto_calcolo - (a.lordo_calcolo - t.lordo) +
                (a.contributi_calcolo - (t.inps + t.aggiuntivo + t.altri + t.inail)) +
                (a.irpef_netta_calcolo - t.irpef_netta) +
                (t.somma_esente + t.trattamento_integrativo - a.cuneo_calcolo) +
                (a.addizionali_calcolo - (t.regionale + t.comunale_saldo + t.comunale_acconto)));

        // A raise: the months before at the old gross, from its month the new.
        for (const BustaPaga& b : a.buste) {
          if (b.tipo != TipoBusta::ordinaria) continue;
          const std::int64_t atteso = in_centesimi(l.campi.Text1) * 100 +
                                      (s.aumento_da > 0 && b.mese >= s.aumento_da ? 30000 : 0);
          EXPECT_EQ(b.lordo, atteso) << b.mese;
        }

        // Last year's surcharges: withheld whole from a worker in service
        // since last year, in instalments January to November or the rest at
        // termination with this year's; nothing from a new hire or where
        // last year's IRPEF was not due; nothing in December.
        const AnnoPrecedente& pr = e.dati.precedente;
        std::int64_t regionale = 0;
        std::int64_t saldo = 0;
        std::int64_t acconto = 0;
        for (const BustaPaga& b : a.buste) {
          regionale += b.regionale;
          saldo += b.comunale_saldo;
          acconto += b.comunale_acconto;
          if (b.tipo == TipoBusta::ordinaria && (b.mese == 12 || b.mese < 3)) {
            EXPECT_EQ(b.comunale_acconto, 0);
          }
          if (b.tipo != TipoBusta::ordinaria && b.tipo != TipoBusta::conguaglio) {
            EXPECT_EQ(b.regionale + b.comunale_saldo + b.comunale_acconto, 0);
          }
        }
        const bool in_servizio = s.primo == 1 && pr.noto;
        const std::int64_t saldo_precedente =
            std::max<std::int64_t>(0, pr.comunale - pr.acconto_pagato);
        if (s.ultimo == 12) {
          EXPECT_EQ(regionale, in_servizio ? pr.regionale : 0);
          EXPECT_EQ(saldo, in_servizio ? saldo_precedente : 0);
          EXPECT_EQ(acconto, in_servizio ? pr.acconto : 0);
        } else {
          EXPECT_EQ(regionale, (in_servizio ? pr.regionale : 0) + a.regionale_annua);
          EXPECT_EQ(saldo, (in_servizio ? saldo_precedente : 0) +
                               std::max<std::int64_t>(0, a.comunale_annua - acconto));
        }
        // Last year's rule set where the program has it ("2025" for
        // "2026"; none for "2025").
        if (s.addizionali && s.primo == 1) {
          EXPECT_EQ(pr.noto, std::string(s.normativa) == "2026");
          EXPECT_EQ(e.normativa_precedente, std::string(s.normativa) == "2026" ? "2025" : "");
        }
        // Zero IRPEF last year (the same worker): no surcharge at all.
        if (pr.noto && pr.regionale == 0 && pr.comunale == 0) {
          EXPECT_EQ(acconto, 0);
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Buste, Buste, testing::ValuesIn(scenari),
                         [](const testing::TestParamInfo<Scenario>& i) { return i.param.nome; });

// The worker of the low pay scenario pays no IRPEF: last year neither, so no
// surcharge is withheld though a region and a comune are asked for.
TEST(Buste, ZeroIrpefPaysNoSurchargeInstalment) {
  for (const char* lordo : {"400", "700"}) {
    Lavoratore l;
    l.campi.Combo4 = "2026";
    l.campi.List1 = "Impiegato";
    l.campi.List2 = "Settore previdenziale Commercio -50dip";
    l.campi.Option1 = false;
    l.campi.Option2 = true;
    l.campi.Text7 = "13";
    l.campi.Text1 = lordo;
    l.campi.Combo5 = "Lombardia";
    l.campi.Text22 = "Milano";
    const EsitoBuste e = anno_di(scenari[2], l);
    ASSERT_TRUE(e.anno);
    EXPECT_TRUE(e.dati.precedente.noto);
    EXPECT_EQ(e.anno->irpef_netta_annua, 0);
    EXPECT_EQ(
        e.anno->totale.regionale + e.anno->totale.comunale_saldo + e.anno->totale.comunale_acconto,
        0);
    EXPECT_EQ(e.anno->regionale_annua + e.anno->comunale_annua + e.anno->acconto_prossimo, 0);
  }
}

// Last year's surcharges given: 11 instalments that add up to them (the last
// takes the cents left), the advance in 9 from March.
TEST(Buste, InstalmentsAddUpToLastYearsAmounts) {
  Lavoratore l;
  l.campi.Combo4 = "2026";
  l.campi.List1 = "Impiegato";
  l.campi.List2 = "Settore previdenziale Commercio -50dip";
  l.campi.Text1 = "30000";
  l.campi.Combo5 = "Lombardia";
  l.campi.Text22 = "Milano";
  l.opzioni.regionale_precedente = 375.24;
  l.opzioni.comunale_precedente = 216.58;
  l.opzioni.acconto_pagato = 60.01;
  l.opzioni.acconto = 70.03;
  const EsitoBuste e = anno_di(scenari[2], l);
  ASSERT_TRUE(e.anno);
  const AnnoBuste& a = *e.anno;
  EXPECT_EQ(a.totale.regionale, 37524);
  EXPECT_EQ(a.totale.comunale_saldo, 21658 - 6001);
  EXPECT_EQ(a.totale.comunale_acconto, 7003);
  EXPECT_EQ(a.buste[0].regionale, 3411);         // 375,24 / 11 = 34,1127
  EXPECT_EQ(a.buste[10].regionale, 3414);        // November: the cents left
  EXPECT_EQ(a.buste[2].comunale_acconto, 778);   // March: 70,03 / 9 = 7,781
  EXPECT_EQ(a.buste[10].comunale_acconto, 779);  // November
  EXPECT_EQ(a.buste[1].comunale_acconto, 0);     // February
}

// The thirteenth month and an ordinary month of a 2.000 gross under the law
// of 2022 (Leggioggi, 30/12/2022: 427,55 and 230,61), with the figures of
// 2022 injected into a rule set: brackets 23/25/35/43 % to 15.000, 28.000,
// 50.000 (L. 234/2021 art. 1 c. 2), the employee deduction 1.880 / 1.910 +
// 1.190 x (28.000 - R) / 13.000 / 1.910 x (50.000 - R) / 22.000 with 65 euro
// from 25.000 to 35.000 (c. 2 lett. c), INPS 9,49 %.
TEST(Buste, ThirteenthAndOrdinaryMonthOf2022) {
  RegoleCalcolo r = regole_incluse("2007");
  r.irpef_annua = {};
  r.irpef_annua.n = 4;
  r.irpef_annua.limiti = {15000, 28000, 50000};
  r.irpef_annua.aliquote = {0.23, 0.25, 0.35, 0.43};
  r.irpef_mensile = r.irpef_annua;
  r.irpef_mensile.limiti = {1250, 2333.33, 4166.67};
  RegoleDetrazioneDipendente& d = r.dipendente;
  d.primo_limite = 15000;
  d.importo_primo = 1880;
  d.minimo = 690;
  d.n = 2;
  d.fasce[0] = {28000, 1910, 1190};
  d.fasce[1] = {50000, 0, 1910};
  d.quattro_decimali = true;
  d.ulteriori = {};
  d.ulteriori.n = 1;
  d.ulteriori.fasce[0] = {25000, true, 35000, 65};
  RecordCalcolo profilo;
  profilo.aliquota_inps_dip = 0.0949;
  profilo.massimale_inps = 99999999;
  profilo.soglia_contributo_aggiuntivo = 48279;
  profilo.massimale_inail = 99999999;
  InputCalcolo in;
  DatiBuste dati;
  dati.lordo_mensile = 200000;
  dati.mensilita = 13;
  const AnnoBuste a = anno_buste(in, profilo, r, dati);
  const BustaPaga& gennaio = a.buste[0];
  EXPECT_EQ(gennaio.inps, 18980);
  EXPECT_EQ(gennaio.imponibile, 181020);
  EXPECT_EQ(gennaio.irpef_lorda, 42755);
  // 1.810,20 x 13 = 23.532,60: 1.910 + 1.190 x 0,3436 = 2.318,88, x 31 / 365
  // = 196,946, cut to 196,94.
  EXPECT_DOUBLE_EQ(gennaio.reddito_previsto, 23532.6);
  EXPECT_EQ(gennaio.detrazione_dip, 19694);
  EXPECT_EQ(gennaio.irpef_netta, 23061);
  const BustaPaga& tredicesima = a.buste[12];
  ASSERT_EQ(tredicesima.tipo, TipoBusta::tredicesima);
  EXPECT_EQ(tredicesima.irpef_netta, 42755);
  EXPECT_EQ(tredicesima.detrazione_dip, 0);
  EXPECT_EQ(tredicesima.netto, 200000 - 18980 - 42755);  // 1.382,65
  EXPECT_EQ(gennaio.netto, 200000 - 18980 - 23061);      // 1.579,59
  // In twelfths: 2.318,88 / 12 = 193,24.
  dati.quota = QuotaDetrazioni::dodicesimi;
  EXPECT_EQ(anno_buste(in, profilo, r, dati).buste[0].detrazione_dip, 19324);
}

}  // namespace

// The year's choices typed as a form's fields: each refusal names its field;
// the sound ones are read as typed, the user's decimal sign included.
TEST(Buste, ChoicesAreCheckedAsFields) {
  struct Riga {
    std::string_view chiave, testo;
    const char* errore;  // a part of the message; nullptr: read
  };
  for (const Riga& r : std::initializer_list<Riga>{
           {"payments", "15", "\"Mensilit\u00e0 dell'anno\""},
           {"payments", "13,0", "\"Mensilit\u00e0 dell'anno\""},
           {"fourteenth_in", "8", "\"Mese della quattordicesima\""},
           {"from_month", "0", "\"Dal mese\""},
           {"to_month", "12 ", nullptr},
           {"gross_from", "7:2.200,50 10:2300", nullptr},
           {"gross_from", "7:2200.5", "\"Lordo mensile dal mese\" contiene \"7:2200.5\""},
           {"gross_from", "13:2000", "\"Lordo mensile dal mese\""},
           {"gross_from", "7:-100", "\"Lordo mensile dal mese\""},
           {"extra", "12:-800;1:600", nullptr},
           {"extra", "12", "\"Importi una tantum\""},
           {"deductions", "dodicesimi", "\"Detrazioni del mese\""},
           {"projection", "year-to-date", nullptr},
           {"previous_taxable", "-1", "\"Imponibile dell'anno precedente\""},
           {"advance", "80,5", nullptr},
       }) {
    CampiBuste campi;
    campi.*campo_buste(r.chiave)->testo = std::string(r.testo);
    OpzioniBuste o;
    const std::string errore = leggi_campi_buste(campi, Locale::italiano(), o);
    if (r.errore == nullptr) {
      EXPECT_EQ(errore, "") << r.chiave;
    } else {
      EXPECT_NE(errore.find(r.errore), std::string::npos) << r.chiave << ": " << errore;
    }
  }
  CampiBuste campi;
  campi.variazioni = "7:2.200,50 10:2300";
  campi.una_tantum = "12:-800";
  campi.primo_mese = "3";
  campi.ultimo_mese = "2";
  OpzioniBuste o;
  EXPECT_NE(leggi_campi_buste(campi, Locale::italiano(), o).find("\"Dal mese\" \u00e8 dopo"),
            std::string::npos);
  campi.ultimo_mese = "";
  ASSERT_EQ(leggi_campi_buste(campi, Locale::italiano(), o), "");
  EXPECT_EQ(o.variazioni, (std::vector<std::pair<int, double>>{{7, 2200.5}, {10, 2300}}));
  EXPECT_EQ(o.una_tantum, (std::vector<std::pair<int, double>>{{12, -800}}));
  EXPECT_EQ(o.primo_mese, 3);
  EXPECT_EQ(o.ultimo_mese, 12);
}
