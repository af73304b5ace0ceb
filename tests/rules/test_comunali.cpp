#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules/comunali.h"

namespace zellora {
namespace {

// How many comuni of each list the check refuses or cannot know: a change of
// the lists or of the check shows here first, and in docs/normativa.md.
TEST(Comunali, QuantiNeOffreOgniElenco) {
  struct Caso {
    int anno;
    std::size_t offerti, scartati, sconosciuti;
  };
  const Caso casi[] = {
      {2025, 7766, 125, 5},
      {2026, 7765, 128, 4},
  };
  EXPECT_EQ(anni_addizionale_comunale(), (std::vector<int>{2025, 2026}));
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.anno);
    EXPECT_EQ(voci_comuni(c.anno).size(), c.offerti);
    std::size_t scartati = 0, sconosciuti = 0;
    for (const ComuneAddizionale& x : comuni_non_offerti(c.anno)) {
      EXPECT_FALSE(x.offerto());
      EXPECT_FALSE(x.motivo.empty()) << x.voce();
      EXPECT_EQ(voci_comuni(c.anno).end(),
                std::find(voci_comuni(c.anno).begin(), voci_comuni(c.anno).end(), x.voce()));
      (x.stato == StatoComunale::scartata ? scartati : sconosciuti) += 1;
    }
    EXPECT_EQ(scartati, c.scartati);
    EXPECT_EQ(sconosciuti, c.sconosciuti);
  }
  EXPECT_TRUE(voci_comuni(2007).empty());
  EXPECT_TRUE(stato_elenco_comunale(2007).empty());
  EXPECT_EQ(stato_elenco_comunale(2026), "22/08/2026");
}

// The year's surcharge of comuni computed by hand from their rows of the
// lists (the row is quoted in each case), and amounts published by others.
TEST(Comunali, LAddizionaleDellAnno) {
  struct Caso {
    int anno;
    const char* voce;
    double base;
    double atteso;
    const char* fonte;
  };
  const Caso casi[] = {
      // A008 ABBATEGGIO 2025: "0,5;Aliquota unica", no exemption.
      {2025, "ABBATEGGIO (PE)", 20000, 100, "row"},
      {2025, "ABBATEGGIO (PE)", 0.01, 0.00005, "row"},
      // A001 ABANO TERME 2025: "Esenzione per redditi imponibili fino a euro
      // 12.000,00", ",8;Aliquota unica": nothing at or below, all above.
      {2025, "ABANO TERME (PD)", 11999.99, 0, "row"},
      {2025, "ABANO TERME (PD)", 12000, 0, "row"},
      {2025, "ABANO TERME (PD)", 12000.01, 96.00008, "row"},
      // A005 ABBADIA LARIANA 2025: exemption 15.000,00; ,76 up to 28.000,00;
      // ,77 from 28.000,01 to 50.000,00; ,8 above 50.000,00.
      {2025, "ABBADIA LARIANA (LC)", 15000, 0, "row"},
      {2025, "ABBADIA LARIANA (LC)", 15000.01, 114.000076, "row"},
      {2025, "ABBADIA LARIANA (LC)", 28000, 212.8, "row"},
      {2025, "ABBADIA LARIANA (LC)", 40000, 212.8 + 92.4, "row"},
      {2025, "ABBADIA LARIANA (LC)", 60000, 212.8 + 169.4 + 80, "row"},
      // M316 MAPPANO 2026: exemption "16.999,99", ",8;Aliquota unica".
      {2026, "MAPPANO (TO)", 16999.99, 0, "row"},
      {2026, "MAPPANO (TO)", 17000, 136, "row"},
      // F205 MILANO is "0*" in 2026: its 2025 row continues (exemption
      // 23.000,00, ,8 on the whole income).
      {2026, "MILANO (MI)", 23000, 0, "row of 2025"},
      {2026, "MILANO (MI)", 30000, 240, "row of 2025"},
      // B097 BOVA 2026: "ATTO OLTRE TERMINE - ALIQUOTE INAPPLICABILI PER IL
      // 2026" with 0,8: the 2025 row's 0,5 continues.
      {2026, "BOVA (RC)", 20000, 100, "row of 2025"},
      // L378 TRENTO is "0*" in both lists: the surcharge is not instituted.
      {2025, "TRENTO (TN)", 50000, 0, "row"},
      {2026, "TRENTO (TN)", 50000, 0, "row"},
      // A952 BOLZANO 2025: "NON APPLICA", 0 on the whole income.
      {2025, "BOLZANO (BZ)", 50000, 0, "row"},
      // Torino (delibera n. 195 del 29/03/2022: 0,8 % up to 28.000, 1,1 % up
      // to 50.000, 1,2 % above, exemption 11.790): "con un imponibile di 50
      // mila euro ... pagherà un balzello di 466 euro", Corriere della Sera
      // Torino, 27/02/2022, https://torino.corriere.it/cronaca/22_febbraio_27/
      // rincari-irpef-novita-imu-ecco-181-mila-torinesi-che-pagheranno-piu-tasse-
      // f598801e-9801-11ec-97aa-535db4de4386.shtml
      {2025, "TORINO (TO)", 50000, 466, "Corriere Torino 27/02/2022"},
      {2026, "TORINO (TO)", 50000, 466, "Corriere Torino 27/02/2022"},
      {2025, "TORINO (TO)", 11790, 0, "row"},
      // "Un lavoratore residente a Roma con un reddito annuo lordo di 30.000
      // euro pagherà un'addizionale comunale totale di 270 euro all'anno";
      // "Un lavoratore a Milano con un reddito annuo lordo di 50.000 euro ...
      // pagherà un'addizionale di 400 euro all'anno", scuolalink.it, March
      // 2025, https://scuolalink.it/stipendi-e-pensioni-statali-marzo-2025-
      // piu-bassi-per-laddizionale-comunale-irpef-tabella-aliquote/
      {2025, "ROMA (RM)", 30000, 270, "scuolalink.it 03/2025"},
      {2025, "MILANO (MI)", 50000, 400, "scuolalink.it 03/2025"},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(std::to_string(c.anno) + " " + c.voce + " " + std::to_string(c.base) + " (" +
                 c.fonte + ")");
    const auto comune = comune_per_voce(c.anno, c.voce);
    ASSERT_TRUE(comune.has_value());
    EXPECT_TRUE(comune->offerto());
    EXPECT_NEAR(addizionale_comunale(c.base, comune->regola), c.atteso, 1e-9);
  }
}

// A rule the user types: one rate on the whole base, nothing up to the
// threshold; nothing on a base of zero or less.
TEST(Comunali, LaRegolaDigitata) {
  struct Caso {
    double aliquota, esenzione, base, atteso;
  };
  const Caso casi[] = {
      {0.8, 10000, 10000, 0}, {0.8, 10000, 10000.01, 80.00008},
      {0.8, 0, 1000, 8},      {0.8, 0, 0, 0},
      {0.8, 0, -500, 0},      {1.2, 0, 50000, 600},
      {0, 0, 50000, 0},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(std::to_string(c.aliquota) + " " + std::to_string(c.esenzione) + " " +
                 std::to_string(c.base));
    EXPECT_NEAR(addizionale_comunale(c.base, regola_comunale_digitata(c.aliquota, c.esenzione)),
                c.atteso, 1e-9);
  }
}

// The lookups: by the item of the list (spaces and case aside) and by the
// cadastral code, the state, the reason of a comune not offered, and the
// legal reference.
TEST(Comunali, LaRicercaDiUnComune) {
  struct Caso {
    int anno;
    const char* cerca;
    bool per_codice;
    const char* voce;  // nullptr: not found
    StatoComunale stato;
    const char* nel_riferimento;  // part of the reference, or of the reason
  };
  const Caso casi[] = {
      {2025, "MILANO (MI)", false, "MILANO (MI)", StatoComunale::deliberata,
       "Delibera n. 46 del 28/09/2020, pubblicata il 20/12/2025 (elenco MEF 2025)"},
      {2026, "  milano (mi) ", false, "MILANO (MI)", StatoComunale::prorogata,
       "(elenco MEF 2025), prorogata al 2026 (L. 296/2006 art. 1 c. 169)"},
      {2026, "f205", true, "MILANO (MI)", StatoComunale::prorogata, "Delibera n. 46"},
      {2026, "BOVA (RC)", false, "BOVA (RC)", StatoComunale::prorogata,
       "Delibera n. 05 del 28/03/2025"},
      {2026, "TRENTO (TN)", false, "TRENTO (TN)", StatoComunale::non_istituita,
       "Addizionale non istituita (elenco MEF 2025: \"0*\"; nessuna delibera per il 2026)"},
      {2025, "LEGNANO (MI)", false, "LEGNANO (MI)", StatoComunale::scartata,
       "has no lower limit after another band"},
      {2025, "CAPITIGNANO (AQ)", false, "CAPITIGNANO (AQ)", StatoComunale::sconosciuta,
       "is inapplicable for 2025"},
      {2026, "M439", true, "CASTEGNERO NANTO (VI)", StatoComunale::sconosciuta,
       "not in the list of 2025"},
      {2025, "M439", true, nullptr, StatoComunale::sconosciuta, ""},
      {2025, "VALLECROSIA (IM)", false, "VALLECROSIA (IM)", StatoComunale::deliberata, ""},
      {2026, "VALLECROSIA (IM)", false, nullptr, StatoComunale::sconosciuta, ""},
      {2026, "VALLECROSIA AL MARE (IM)", false, "VALLECROSIA AL MARE (IM)",
       StatoComunale::deliberata, "Delibera n. 72 del 17/12/2025"},
      {2025, "MILANO", false, nullptr, StatoComunale::sconosciuta, ""},
      {2007, "MILANO (MI)", false, nullptr, StatoComunale::sconosciuta, ""},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(std::to_string(c.anno) + " \"" + c.cerca + "\"");
    const auto x =
        c.per_codice ? comune_per_codice(c.anno, c.cerca) : comune_per_voce(c.anno, c.cerca);
    if (c.voce == nullptr) {
      EXPECT_FALSE(x.has_value());
      continue;
    }
    ASSERT_TRUE(x.has_value());
    EXPECT_EQ(x->voce(), c.voce);
    EXPECT_EQ(x->stato, c.stato);
    const std::string testo = x->offerto() ? x->riferimento() : std::string(x->motivo);
    EXPECT_NE(testo.find(c.nel_riferimento), std::string::npos) << testo;
    const auto& voci = voci_comuni(c.anno);
    EXPECT_EQ(std::binary_search(voci.begin(), voci.end(), x->voce()), x->offerto());
  }
}

}  // namespace
}  // namespace zellora
