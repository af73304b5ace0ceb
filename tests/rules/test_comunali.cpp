#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "rules/comunali.h"
#include "rules/regionali.h"

namespace zellora {
namespace {

// How many comuni of each list the check refuses or cannot know: a change of
// the lists or of the check shows here first, and in docs/normativa.md.
TEST(Comunali, QuantiNeOffreOgniElenco) {
  struct Caso {
    int anno;
    std::size_t offerti, scartati, sconosciuti;
    // The comuni offered whose deliberation has an exemption worded otherwise
    // read as each LetturaEsenzione (reddito, lavoro, altri, condizione,
    // non_letta), and those with amounts or bands read otherwise.
    std::array<std::size_t, 5> esenzioni;
    std::size_t letture;
  };
  const Caso casi[] = {
      {2025, 7888, 3, 5, {12, 61, 37, 22, 0}, 15},
      {2026, 7886, 7, 4, {17, 58, 35, 21, 1}, 14},
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
    std::array<std::size_t, 5> esenzioni{};
    std::size_t letture = 0;
    for (const std::string& voce : voci_comuni(c.anno)) {
      const auto x = comune_per_voce(c.anno, voce);
      std::array<bool, 5> viste{};
      for (const EsenzioneComunale& e : x->esenzioni) {
        viste[static_cast<std::size_t>(e.lettura)] = true;
      }
      for (std::size_t i = 0; i < viste.size(); ++i) esenzioni[i] += viste[i] ? 1 : 0;
      letture += x->letture.empty() ? 0 : 1;
    }
    EXPECT_EQ(esenzioni, c.esenzioni);
    EXPECT_EQ(letture, c.letture);
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
    bool dipendente = true;  // an employee, or a collaborator
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
      // Exemptions worded otherwise. A650 BARDOLINO 2025: ",4;Aliquota
      // unica", "Esenzione per redditi fino a 28.000,00 euro" (any income),
      // "Esenzione per famiglie ... aventi fiscalmente a carico tre o più
      // figli" (not known: left out).
      {2025, "BARDOLINO (VR)", 28000, 0, "row"},
      {2025, "BARDOLINO (VR)", 28000.01, 112.00004, "row"},
      // D613 FIRENZUOLA 2025: ",7", "Esenzione per lavoratori dipendenti e
      // pensionati con un reddito imponibile ai fini IRPEF pari o inferiori a
      // euro 10.000,00": an employee's, not a collaborator's.
      {2025, "FIRENZUOLA (FI)", 10000, 0, "row"},
      {2025, "FIRENZUOLA (FI)", 10000.01, 70.00007, "row"},
      {2025, "FIRENZUOLA (FI)", 10000, 70, "row", false},
      // G722 PIZZO 2025: ",8", exemptions "per redditi da pensione fino a
      // euro 8.500,00" (left out), "per redditi assimilati al lavoro
      // dipendente fino a euro 5.500,00" (a collaborator's), "per redditi da
      // lavoro dipendente fino a euro 8.000,00" (an employee's).
      {2025, "PIZZO (VV)", 8000, 0, "row"},
      {2025, "PIZZO (VV)", 8000.01, 64.00008, "row"},
      {2025, "PIZZO (VV)", 8000, 64, "row", false},
      {2025, "PIZZO (VV)", 5500, 0, "row", false},
      // H026 PREGNANA MILANESE 2025: ",8", "Esenzione per redditi imponibili
      // fino a 15000.00 euro per i dichiaranti inseriti in nuclei familiari il
      // cui ISEE sia inferiore a 9360.00 euro": a condition not known, left out.
      {2025, "PREGNANA MILANESE (MI)", 15000, 120, "row"},
      // G535 PIACENZA, its 2025 row continued in 2026: 0,69 up to 15.000,00,
      // ,7 up to 28.000,00, ,79 up to 50.000,00, ,8 above; "Esenzione per
      // soggetti con reddito imponibile determinato ai fini IRPEF < o = euro
      // 15.000,00" and one by ISEE (left out).
      {2026, "PIACENZA (PC)", 15000, 0, "row of 2025"},
      {2026, "PIACENZA (PC)", 20000, 103.5 + 35, "row of 2025"},
      // Bands with a gap. I501 SCANNO 2026: 0,55 "da €0 a €15.000,00", ,6 "Da
      // € 15.001 a 28.000,00", ,65 "oltre € 28.001 e fino a € 50.000", ,8
      // above; exemption 10.000,00. E751 LURANO 2025: ,6 up to 15.000,00, ,65
      // "DA EURO 15.000,1 fino a EURO 28000,00", ...
      {2026, "SCANNO (AQ)", 10000, 0, "row"},
      {2026, "SCANNO (AQ)", 30000, 82.5 + 78 + 13, "row"},
      {2025, "LURANO (BG)", 20000, 90 + 32.5, "row"},
      // Amounts written otherwise. D921 GARGALLO 2025: ,5 "fino a euro
      // 15.000,", ,6 up to 28.000,00, exemption 10.000,00. E426 LAMA MOCOGNO
      // 2025: 0,45 up to 15.000, ,6 "fino a euro 28.000,000", ,7 up to
      // 50.000,00.
      {2025, "GARGALLO (NO)", 20000, 75 + 30, "row"},
      {2025, "LAMA MOCOGNO (MO)", 30000, 67.5 + 78 + 14, "row"},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(std::to_string(c.anno) + " " + c.voce + " " + std::to_string(c.base) + " (" +
                 c.fonte + ")");
    const auto comune = comune_per_voce(c.anno, c.voce);
    ASSERT_TRUE(comune.has_value());
    EXPECT_TRUE(comune->offerto());
    EXPECT_NEAR(addizionale_comunale(c.base, comune->regola_per(c.dipendente)), c.atteso, 1e-9);
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
      {2026, "LEGNANO (MI)", false, "LEGNANO (MI)", StatoComunale::scartata,
       "testo dello scaglione non letto: \"Applicabile a scaglione dio reddito fino a 15.000\""},
      {2025, "LEGNANO (MI)", false, "LEGNANO (MI)", StatoComunale::deliberata, "Delibera n. "},
      {2026, "VARCO SABINO (RI)", false, "VARCO SABINO (RI)", StatoComunale::sconosciuta,
       "nessuna delibera per il 2026, e per il 2025: la delibera n. 4 del 18/04/2025 non si "
       "applica al 2025"},
      {2025, "CAPITIGNANO (AQ)", false, "CAPITIGNANO (AQ)", StatoComunale::sconosciuta,
       "non si applica al 2025"},
      {2026, "M439", true, "CASTEGNERO NANTO (VI)", StatoComunale::sconosciuta,
       "non \u00e8 nell'elenco del 2025"},
      {2025, "M439", true, nullptr, StatoComunale::sconosciuta, ""},
      {2025, "VALLECROSIA (IM)", false, "VALLECROSIA (IM)", StatoComunale::deliberata, ""},
      {2026, "VALLECROSIA (IM)", false, nullptr, StatoComunale::sconosciuta, ""},
      {2026, "VALLECROSIA AL MARE (IM)", false, "VALLECROSIA AL MARE (IM)",
       StatoComunale::deliberata, "Delibera n. 72 del 17/12/2025"},
      {2025, "MILANO", false, nullptr, StatoComunale::sconosciuta, ""},
      {2007, "MILANO (MI)", false, nullptr, StatoComunale::sconosciuta, ""},
      // As people write them: an accented letter for the list's apostrophe,
      // a typographic apostrophe, other case, blanks, hyphens.
      {2026, "FORL\u00cc (FC)", false, "FORLI' (FC)", StatoComunale::prorogata, ""},
      {2026, "Forl\u00ec(fc)", false, "FORLI' (FC)", StatoComunale::prorogata, ""},
      {2026, "  forli'  ( FC ) ", false, "FORLI' (FC)", StatoComunale::prorogata, ""},
      {2026, "Forli (FC)", false, "FORLI' (FC)", StatoComunale::prorogata, ""},
      {2026, "CANT\u00d9 (CO)", false, "CANTU' (CO)", StatoComunale::deliberata, ""},
      {2026, "Cant\u00f9 (CO)", false, "CANTU' (CO)", StatoComunale::deliberata, ""},
      {2026, "Sant\u2019Agata di Militello (ME)", false, "SANT'AGATA DI MILITELLO (ME)",
       StatoComunale::prorogata, ""},
      {2026, "sant' agata di militello (me)", false, "SANT'AGATA DI MILITELLO (ME)",
       StatoComunale::prorogata, ""},
      {2026, "Bellaria Igea Marina (RN)", false, "BELLARIA-IGEA MARINA (RN)",
       StatoComunale::prorogata, ""},
      {2026, "bellaria\u2013igea-marina (rn)", false, "BELLARIA-IGEA MARINA (RN)",
       StatoComunale::prorogata, ""},
      {2026, "Termeno sulla strada del vino (BZ)", false, "TERMENO SULLA STRADA DEL VINO. (BZ)",
       StatoComunale::prorogata, ""},
      {2026, "Sant Agata di Militello", false, nullptr, StatoComunale::sconosciuta, ""},
      {2026, "FORLI' (FO)", false, nullptr, StatoComunale::sconosciuta, ""},
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

// The key names are compared by: what people write and what the list
// writes become the same text.
TEST(Comunali, LaChiaveDelNome) {
  const std::pair<const char*, const char*> casi[] = {
      {"FORLI'", "FORLI"},
      {"Forl\u00ec", "FORLI"},
      {"FORL\u00cc (FC)", "FORLI (FC)"},
      {"forl\u00ec(fc)", "FORLI (FC)"},
      {"forl\u00ec ( fc )", "FORLI (FC)"},
      {"SANT'AGATA DI MILITELLO", "SANT AGATA DI MILITELLO"},
      {"Sant\u2019Agata di Militello", "SANT AGATA DI MILITELLO"},
      {"Sant\u2018Agata  di\tMilitello", "SANT AGATA DI MILITELLO"},
      {"Sant\u02bcAgata di Militello", "SANT AGATA DI MILITELLO"},
      {"ALA' DEI SARDI", "ALA DEI SARDI"},
      {"Al\u00e0 dei Sardi", "ALA DEI SARDI"},
      {"BELLARIA-IGEA MARINA", "BELLARIA IGEA MARINA"},
      {"Bellaria \u2013 Igea Marina", "BELLARIA IGEA MARINA"},
      {"TERMENO SULLA STRADA DEL VINO.", "TERMENO SULLA STRADA DEL VINO"},
      {"SALORNO SULLA STRADA DEL VINO .SALURN AN DER",
       "SALORNO SULLA STRADA DEL VINO SALURN AN DER"},
      {"\u00c0\u00c8\u00c9\u00cc\u00d2\u00d9\u00e0\u00e8\u00e9\u00ec\u00f2\u00f9\u00e7\u00f1",
       "AEEIOUAEEIOUCN"},
      {"  '-. ", ""},
      {"Cefal\u00f9\u00a0", "CEFALU"},
      {"\xff\xfe", "\xff\xfe"},                   // not UTF-8: kept as it is
      {"\u0141\u00f3d\u017a", "\u0141OD\u017a"},  // beyond Latin-1: kept
  };
  for (const auto& [testo, chiave] : casi) {
    EXPECT_EQ(chiave_comune(testo), chiave) << testo;
  }
}

// A comune as a user means it, with the region chosen or none: found, a name
// several comuni have, the beginning of names, a comune of another region.
TEST(Comunali, CercaUnComune) {
  using Esito = RicercaComune::Esito;
  struct Caso {
    int anno;
    const char* testo;
    const char* regione;
    Esito esito;
    std::vector<std::string> voci;  // the comune found, or the candidates
  };
  const Caso casi[] = {
      {2026, "Milano", "", Esito::trovato, {"MILANO (MI)"}},
      {2026, "Forl\u00ec", "", Esito::trovato, {"FORLI' (FC)"}},
      {2026, "Forl\u00ec", "Emilia-Romagna", Esito::trovato, {"FORLI' (FC)"}},
      {2026, "Castro", "", Esito::ambiguo, {"CASTRO (BG)", "CASTRO (LE)"}},
      {2026, "castro ", "Lombardia", Esito::trovato, {"CASTRO (BG)"}},
      {2026, "Castro", "Puglia", Esito::trovato, {"CASTRO (LE)"}},
      {2026, "Castro", "Lazio", Esito::altra_regione, {"CASTRO (BG)", "CASTRO (LE)"}},
      {2026, "CASTRO (LE)", "Lombardia", Esito::altra_regione, {"CASTRO (LE)"}},
      {2026, "Reggio", "", Esito::inizio, {"REGGIO CALABRIA (RC)", "REGGIO EMILIA (RE)"}},
      {2026, "Reggio", "Calabria", Esito::inizio, {"REGGIO CALABRIA (RC)"}},
      {2026, "Reggio (RE)", "", Esito::inizio, {"REGGIO EMILIA (RE)"}},
      {2026, "Reggio", "Lazio", Esito::inizio, {"REGGIO CALABRIA (RC)", "REGGIO EMILIA (RE)"}},
      {2026, "ROMA (RM)", "Lombardia", Esito::altra_regione, {"ROMA (RM)"}},
      {2026, "Roma", "Lombardia", Esito::altra_regione, {"ROMA (RM)"}},
      {2026, "ROMA (RM)", "Lazio", Esito::trovato, {"ROMA (RM)"}},
      {2026, "Trento", "Provincia autonoma di Trento", Esito::trovato, {"TRENTO (TN)"}},
      {2026, "Trento", "Provincia autonoma di Bolzano", Esito::altra_regione, {"TRENTO (TN)"}},
      {2026, "Bolzano", "Provincia autonoma di Bolzano", Esito::trovato, {"BOLZANO (BZ)"}},
      {2025, "Cagliari", "Sardegna", Esito::trovato, {"CAGLIARI (CA)"}},
      {2026, "MILANO (RM)", "", Esito::non_trovato, {"MILANO (MI)"}},
      {2026, "Milanoo", "", Esito::non_trovato, {}},
      {2026, "'", "", Esito::non_trovato, {}},
      {2007, "Milano", "", Esito::non_trovato, {}},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(std::to_string(c.anno) + " \"" + c.testo + "\" " + c.regione);
    const RicercaComune r = cerca_comune(c.anno, c.testo, c.regione);
    EXPECT_EQ(r.esito, c.esito);
    std::vector<std::string> voci;
    if (r.comune) voci.push_back(r.comune->voce());
    for (const ComuneAddizionale& x : r.candidati) voci.push_back(x.voce());
    EXPECT_EQ(voci, c.voci);
    EXPECT_EQ(r.comune.has_value(), c.esito == Esito::trovato);
  }
}

// Every province of the Ministry's lists is in the table of provinces, in
// a region or autonomous province by the name the rule sets give it; every
// comune has its region; and each item of a list is found as itself.
TEST(Comunali, OgniProvinciaHaLaSuaRegione) {
  std::set<std::string> sigle;
  for (const char* file : {"comunali-2025.csv", "comunali-2026.csv"}) {
    std::ifstream in(std::string(ZELLORA_DATI_COMUNALI) + "/" + file);
    ASSERT_TRUE(in) << file;
    std::string riga;
    std::getline(in, riga);  // the header
    while (std::getline(in, riga)) {
      std::istringstream campi(riga);
      std::string codice, nome, sigla;
      std::getline(campi, codice, ';');
      std::getline(campi, nome, ';');
      std::getline(campi, sigla, ';');
      sigle.insert(sigla);
    }
  }
  EXPECT_EQ(sigle.size(), 107u);
  const auto& regioni = nomi_regioni();
  std::set<std::string> coperte;
  for (const std::string& sigla : sigle) {
    const std::string_view regione = regione_della_provincia(sigla);
    EXPECT_NE(std::find(regioni.begin(), regioni.end(), regione), regioni.end())
        << sigla << ": \"" << regione << "\"";
    coperte.emplace(regione);
  }
  // The table holds those provinces only, and every region has some.
  EXPECT_EQ(sigle_province(), std::vector<std::string>(sigle.begin(), sigle.end()));
  EXPECT_EQ(coperte.size(), regioni.size());
  EXPECT_EQ(regione_della_provincia("RM"), "Lazio");
  EXPECT_EQ(regione_della_provincia("TN"), "Provincia autonoma di Trento");
  EXPECT_EQ(regione_della_provincia("BZ"), "Provincia autonoma di Bolzano");
  EXPECT_EQ(regione_della_provincia("SU"), "Sardegna");
  EXPECT_EQ(regione_della_provincia("AO"), "Valle d'Aosta");
  EXPECT_EQ(regione_della_provincia("FC"), "Emilia-Romagna");
  EXPECT_EQ(regione_della_provincia("XX"), "");
  EXPECT_EQ(regione_della_provincia(""), "");
  for (const int anno : anni_addizionale_comunale()) {
    SCOPED_TRACE(anno);
    for (const std::string& voce : voci_comuni(anno)) {
      const auto c = comune_per_voce(anno, voce);
      ASSERT_TRUE(c.has_value()) << voce;
      EXPECT_EQ(c->voce(), voce);
      EXPECT_FALSE(c->regione.empty()) << voce;
    }
    for (const ComuneAddizionale& x : comuni_non_offerti(anno)) {
      EXPECT_EQ(comune_per_voce(anno, x.voce())->codice, x.codice);
    }
    // A region's comuni are those of its provinces, and all of them.
    std::size_t tutti = 0;
    for (const std::string& regione : regioni) {
      for (const std::string& voce : voci_comuni(anno, regione)) {
        EXPECT_EQ(comune_per_voce(anno, voce)->regione, regione) << voce;
        ++tutti;
      }
    }
    EXPECT_EQ(tutti, voci_comuni(anno).size());
  }
  EXPECT_EQ(voci_comuni(2026, "Valle d'Aosta").size(), 74u);
  EXPECT_TRUE(voci_comuni(2026, "Nessuna").empty());
}

}  // namespace
}  // namespace zellora
