// The figures of the charts: the two splits of the figures shown and the
// curve of the net against the gross.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "esempi.h"
#include "form/grafici.h"
#include "form/motore.h"
#include "rules/caricamento.h"

using namespace zellora;

namespace {

const char* const commercio = "Settore previdenziale Commercio -50dip";

struct Caso {
  const char* normativa;
  const char* categoria;
  bool mensile;
  bool netto_lordo;
  const char* importo;
  const char* competenza;  // Text21, non-taxable pay
  const char* trattenuta;  // Text19, non-deductible withholding
  const char* altri_dip;   // Text14, other contributions (percent)
  const char* inail;       // Text11, per thousand
  bool irap;
  const char* figli;
  const char* regione = "Nessuna";  // Combo5
  const char* comune = "";          // Text22
};

CampiForm1 campi_di(const Caso& c) {
  CampiForm1 f;
  f.Combo4 = c.normativa;
  f.List1 = c.categoria;
  f.List2 = std::string(c.categoria).starts_with("Collaborazioni")
                ? "Non Iscritto ad altre forme di previdenza"
                : commercio;
  f.Option1 = !c.mensile;
  f.Option2 = c.mensile;
  f.Option4 = !c.netto_lordo;
  f.Option3 = c.netto_lordo;
  f.Text1 = c.importo;
  f.Text21 = c.competenza;
  f.Text19 = c.trattenuta;
  f.Text14 = c.altri_dip;
  f.Text15 = c.altri_dip;
  f.Text11 = c.inail;
  f.Check1 = c.irap;
  f.Text4 = c.figli;
  if (std::string(c.figli) != "0") f.Combo1 = "100";
  f.Combo5 = c.regione;
  f.Text22 = c.comune;
  return f;
}

Motore calcolato(const CampiForm1& campi) {
  Motore m(Locale::italiano(), regole_incluse(campi.Combo4));
  EXPECT_TRUE(m.scegli_settore(campi.List1, campi.List2));
  EXPECT_NE(m.verifica_campi(campi).stato, Stato::rifiutato);
  return m;
}

std::int64_t cent(const Motore& m, int box) {
  return prova::centesimi_del_testo(m.risultati().Text(box)).value_or(-999999);
}

std::int64_t somma(const std::vector<Quota>& parti) {
  return std::accumulate(parti.begin(), parti.end(), std::int64_t{0},
                         [](std::int64_t s, const Quota& q) { return s + q.centesimi; });
}

const Caso casi[] = {
    {"2007", "Impiegato", false, false, "30000", "0", "0", "0", "0", false, "0"},
    {"2007", "Operaio", false, false, "47123,45", "1.234,56", "300", "1,5", "12", true, "2"},
    {"2007", "Impiegato", true, false, "2500", "150", "20", "0", "7", true, "0"},
    {"2007", "Impiegato", true, true, "1500", "0", "0", "0", "0", false, "1"},
    {"2007", "Impiegato", false, true, "20000", "500", "0", "2", "5", false, "0"},
    {"2007", "Collaborazioni Coordinate e Continuative", false, false, "0", "0", "0", "0", "0",
     false, "0"},
    {"2026", "Impiegato", false, false, "18000", "0", "0", "0", "0", false, "0"},
    {"2026", "Impiegato", false, false, "12500", "700", "100", "0", "3", true, "1"},
    {"2026", "Operaio", true, false, "1900,33", "60", "0", "0,5", "0", false, "0"},
    {"2026", "Impiegato", true, true, "1400", "0", "0", "0", "0", true, "0"},
    {"2026", "Impiegato", false, true, "35000", "0", "0", "0", "0", false, "2"},
    {"2026", "Impiegato", false, false, "35000", "0", "0", "0", "0", false, "0", "Lombardia",
     "MILANO (MI)"},
    {"2025", "Operaio", true, true, "1800", "0", "0", "0", "0", false, "1", "Lazio", "ROMA (RM)"},
};

}  // namespace

// The gross and the additions are exactly where they go and the rounding,
// in cents; every part is the figure the window shows under its label, the
// net part the window's net; the cost of labour is its parts and a cent or
// two of rounding.
TEST(Grafici, SplitsAreTheWindowsFigures) {
  for (const Caso& c : casi) {
    SCOPED_TRACE(std::string(c.normativa) + " " + c.categoria + " " + c.importo +
                 (c.mensile ? " mensile" : " annuo") + (c.netto_lordo ? " netto" : " lordo"));
    const Motore m = calcolato(campi_di(c));
    const auto dati = dati_grafici(m, {0.0, 1000.0, 500.0});
    ASSERT_TRUE(dati && dati->lavoratore && dati->azienda);
    EXPECT_EQ(dati->normativa, c.normativa);
    EXPECT_EQ(dati->mensile, c.mensile);

    const Ripartizione& l = *dati->lavoratore;
    EXPECT_EQ(l.totale, cent(m, 1));
    EXPECT_EQ(l.totale + somma(l.aggiunte), somma(l.parti) + l.arrotondamento);
    EXPECT_EQ(l.parti.back().voce, voce_netto);
    EXPECT_EQ(l.parti.back().centesimi, cent(m, 10));
    EXPECT_EQ(l.aggiunte[0].centesimi, cent(m, 21));
    EXPECT_EQ(l.aggiunte.size(), std::string(c.normativa) == "2007" ? 1u : 3u);
    EXPECT_TRUE(l.arrotondamento >= 0 && l.arrotondamento < 100) << l.arrotondamento;
    if (l.totale + somma(l.aggiunte) != 0) {
      double percento = 0;
      for (const auto& q : l.parti) percento += q.percentuale;
      EXPECT_NEAR(percento, 100, 1.0);
    }

    const Ripartizione& a = *dati->azienda;
    EXPECT_EQ(a.totale, cent(m, 16));
    EXPECT_EQ(somma(a.parti) + a.arrotondamento, a.totale);
    EXPECT_EQ(a.parti.front().centesimi, cent(m, 11));
    EXPECT_LE(std::llabs(a.arrotondamento), 3);

    // A label means the figure the window shows under it (in a month the
    // employer's pay includes the accrual: "Retribuzione **", not the
    // worker's "Retribuzione"), and the parts come in the window's order.
    for (const auto* quote : {&l.parti, &l.aggiunte, &a.parti}) {
      std::size_t prima = 0;
      for (const Quota& q : *quote) {
        const std::size_t n = riga(q.id);
        ASSERT_LT(n, std::size(righe_risultato)) << q.voce;
        EXPECT_EQ(righe_risultato[n].etichetta, q.voce);
        EXPECT_EQ(q.centesimi, cent(m, righe_risultato[n].casella)) << q.voce;
        EXPECT_GE(n, prima) << q.voce;
        prima = n;
      }
    }
  }
}

// The cliffs of the curve are where one euro more of gross moves the net by
// a jump, each told by two calculations a euro apart and the row that
// moves: the trattamento integrativo of 2026 stops above 15,000 of income,
// and 2007 has none.
TEST(Grafici, CliffsAreOneEuroApart) {
  for (const Caso& c : {casi[0], casi[7]}) {
    SCOPED_TRACE(c.normativa);
    const CampiForm1 campi = campi_di(c);
    const Motore m = calcolato(campi);
    const Curva curva = zellora::curva(m);
    ASSERT_TRUE(curva.errore.empty()) << curva.errore;
    if (std::string(c.normativa) == "2007") {
      EXPECT_TRUE(curva.salti.empty());
      continue;
    }
    ASSERT_FALSE(curva.salti.empty());
    bool integrativo = false;
    for (const Salto& s : curva.salti) {
      SCOPED_TRACE(s.lordo);
      EXPECT_EQ(s.passo, 1);
      const auto netto = [&](double lordo) {
        Motore uno = m;
        CampiForm1 g = campi;
        g.Text1 = *formato_F(lordo, prova::it());
        EXPECT_EQ(uno.verifica_campi(g).stato, Stato::ok);
        return cent(uno, 10);
      };
      // The net shown moves with the balance, to the euro.
      EXPECT_NEAR(static_cast<double>(netto(s.lordo + 1) - netto(s.lordo)),
                  static_cast<double>(s.variazione), 100);
      EXPECT_TRUE(s.variazione < -100 || s.variazione > 200) << s.variazione;
      // The text gives the row's own change, with its sign: a row taken off
      // the net that rises lowers it.
      const auto riga = std::find_if(std::begin(righe_risultato), std::end(righe_risultato),
                                     [&](const RigaRisultato& r) { return r.etichetta == s.voce; });
      ASSERT_NE(riga, std::end(righe_risultato)) << s.voce;
      EXPECT_EQ(riga->segno * s.variazione_riga, s.variazione_voce);
      const std::string testo = testo_salto(s, prova::it());
      EXPECT_NE(testo.find(std::string(s.voce) + (s.variazione_riga >= 0 ? " +" : " -")),
                std::string::npos)
          << testo;
      if (s.voce == "Trattamento integrativo" && s.variazione < 0) {
        integrativo = true;
        EXPECT_LT(s.variazione_voce, -10000);
      }
    }
    EXPECT_TRUE(integrativo);
  }
}

// Every point is what one calculation from gross to net at that gross
// shows, with the same inputs and rule set.
TEST(Grafici, PointsAreSingleCalculations) {
  for (const Caso& c : casi) {
    SCOPED_TRACE(std::string(c.normativa) + " " + c.importo);
    const CampiForm1 campi = campi_di(c);
    const Motore m = calcolato(campi);
    const Curva curva = zellora::curva(m);
    ASSERT_TRUE(curva.errore.empty()) << curva.errore;
    const double lordo = m.record().retribuzione_lorda;
    EXPECT_EQ(curva.a, std::max(2 * lordo, c.mensile ? 8000.0 : 100000.0));
    ASSERT_GE(curva.punti.size(), 900u);
    ASSERT_LE(curva.punti.size(), 1002u);
    EXPECT_EQ(curva.punti.front().lordo, 0);
    EXPECT_LE(curva.punti.back().lordo, curva.a);
    const std::size_t n = curva.punti.size();
    for (const std::size_t i : {std::size_t{0}, n / 7, n / 3, n / 2, n - 1}) {
      const PuntoCurva& p = curva.punti[i];
      Motore uno = m;
      CampiForm1 g = campi;
      g.Option4 = true;
      g.Option3 = false;
      g.Text1 = *formato_F(p.lordo, prova::it());
      ASSERT_EQ(uno.verifica_campi(g).stato, Stato::ok) << p.lordo;
      EXPECT_EQ(std::llround(p.netto * 100), cent(uno, 10)) << p.lordo;
      EXPECT_EQ(std::llround(p.costo_lavoro * 100), cent(uno, 16)) << p.lordo;
    }
  }
}

// The marginal rate steps up where the taxable income crosses the 27 % to
// 38 % bracket of 2007 (about 30,834 of gross after 9.19 % INPS), and by
// 1 % less the tax saved on it where the additional INPS contribution
// starts (42,111).
TEST(Grafici, MarginalRateJumpsAtBracketAndAdditionalContribution) {
  const Motore m = calcolato(campi_di(casi[0]));
  const auto aliquota = [&m](double lordo) {
    const Curva c = curva(m, {lordo, lordo + 100, 100.0});
    EXPECT_TRUE(c.errore.empty());
    return c.punti.at(0).aliquota_marginale;
  };
  EXPECT_NEAR(aliquota(0), 0.0919, 1e-9);  // below every threshold: only INPS
  EXPECT_NEAR(aliquota(32000) - aliquota(29500), (0.38 - 0.27) * (1 - 0.0919), 0.002);
  EXPECT_NEAR(aliquota(43000) - aliquota(41000), 0.01 * (1 - 0.38 - 1338.0 / 40000), 0.0005);
  // Between the thresholds the rate is flat to the noise of cents.
  EXPECT_NEAR(aliquota(35000), aliquota(38000), 0.0005);
}

// A curve the options cannot make says why and computes nothing.
TEST(Grafici, CurveOptionsOutsideTheLimits) {
  EXPECT_FALSE(curva(Motore{}).errore.empty());  // no calculation yet
  const Motore m = calcolato(campi_di(casi[0]));
  const OpzioniCurva rifiutate[] = {
      {-1.0, 100.0, 1.0}, {100.0, 100.0, 1.0}, {0.0, 100.0, 0.0},
      {0.0, 100.0, -5.0}, {0.0, 1e9, 1.0},     {0.0, std::nan(""), 1.0},
  };
  for (const auto& o : rifiutate) {
    const Curva c = curva(m, o);
    EXPECT_FALSE(c.errore.empty());
    EXPECT_TRUE(c.punti.empty());
  }
  EXPECT_EQ(curva(m, {0.0, 1000.0, 300.0}).punti.size(), 4u);  // 0, 300, 600, 900
  // A range beyond the grosses whose figures can be shown is refused before
  // a point is given; the default range of a worker near them stops short.
  for (const OpzioniCurva& o : {OpzioniCurva{1e15, 2e15, 1e14}, OpzioniCurva{0.0, 1e308, 1e302},
                                OpzioniCurva{0.0, 2e12, 1e10}}) {
    const Curva c = curva(m, o);
    EXPECT_NE(c.errore.find("the calculation cannot serve a gross of"), std::string::npos);
    EXPECT_TRUE(c.punti.empty());
  }
  CampiForm1 grande = campi_di(casi[0]);
  grande.Text1 = "500000000000";
  const Curva vicina = curva(calcolato(grande));
  EXPECT_EQ(vicina.errore, "");
  ASSERT_GT(vicina.punti.size(), 500u);
  EXPECT_LT(vicina.punti.back().lordo, 1e12);
  for (const PuntoCurva& p : vicina.punti) ASSERT_TRUE(std::isfinite(p.netto)) << p.lordo;
  // Grosses in whole cents, the end included when a step reaches it.
  const Curva fine = curva(m, {0.0, 1.0, 0.1});
  ASSERT_EQ(fine.punti.size(), 11u);
  EXPECT_EQ(fine.punti[3].lordo, 0.3);
  EXPECT_EQ(fine.punti[10].lordo, 1.0);
}
