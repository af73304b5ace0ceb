#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "rules/calcolo.h"
#include "rules/caricamento.h"
#include "rules/profilo.h"
#include "rules/tabella.h"

namespace zellora {
namespace {

std::string testo_2007() { return std::string(testo_regole_incluse("2007")); }

// The text of a built-in set with the first `da` replaced by `a` (the test
// fails when `da` is not there, so a row cannot silently stop testing
// anything).
std::string modificato(std::string_view da, std::string_view a, std::string_view nome = "2007") {
  std::string t(testo_regole_incluse(nome));
  const auto i = t.find(da);
  EXPECT_NE(i, std::string::npos) << da;
  if (i != std::string::npos) t.replace(i, da.size(), a);
  return t;
}

TEST(Regole, Il2007HaLeCifreDelCalcolo) {
  const RegoleCalcolo& r = regole_predefinite();
  EXPECT_EQ(&r, &regole_incluse("2007"));
  EXPECT_EQ(nomi_regole_incluse().front(), "2007");
  ASSERT_EQ(r.irpef_annua.n, 5u);
  EXPECT_EQ(r.irpef_annua.limiti[3], 75000);
  EXPECT_EQ(r.irpef_mensile.limiti[1], 2333.33);
  EXPECT_EQ(r.irpef_mensile.aliquote[4], 0.43);
  EXPECT_EQ(r.dipendente.fasce[0].variabile, 502);
  EXPECT_EQ(r.dipendente.fasce[1].fino_a, 55000);
  ASSERT_EQ(r.dipendente.ulteriori.n, 5u);
  EXPECT_EQ(r.dipendente.ulteriori.fasce[1].da, 24000.01);
  EXPECT_FALSE(r.dipendente.ulteriori.fasce[1].da_escluso);
  EXPECT_EQ(r.coniuge.maggiorazioni.fasce[4].a, 35200);
  EXPECT_EQ(r.figli.importo_dal_quarto, 1000);
  EXPECT_EQ(r.altri.importo, 750);
  EXPECT_EQ(r.contributo_aggiuntivo_percento, 1);
  EXPECT_EQ(r.maggiorazione_inail, 0.01);
  ASSERT_EQ(r.categorie.size(), 4u);
  EXPECT_EQ(r.categorie[3].settori[1].voce, "azienda -9 dip. 1\u00b0 anno di apprendistato");
  const Profilo& c1 = r.categorie[0].settori[1].profilo;
  EXPECT_EQ(c1.aliquota_inps_dip, 0.05666666);
  EXPECT_EQ(c1.aliquota_inps_az, 0.1133333);
  EXPECT_EQ(c1.soglia_contributo_aggiuntivo, 999999999);
  EXPECT_EQ(c1.minimale_inail, 13899.9);
  const Profilo& op = r.categorie[2].settori[6].profilo;
  EXPECT_EQ(op.aliquota_inps_az, 0.2693);
  EXPECT_EQ(op.aliquota_tfr, 0.069074);
  EXPECT_EQ(op.massimale_inps, 99999999);
  EXPECT_EQ(op.quota_inail_az, 3);
}

// The three built-in sets load; the current ones carry the figures of
// their year, the 2007 one none of the new parts.
TEST(Regole, LeRegoleIncluse) {
  const std::vector<std::string_view> nomi = {"2007", "2025", "2026"};
  EXPECT_EQ(nomi_regole_incluse(), nomi);
  const RegoleCalcolo& v = regole_predefinite();
  EXPECT_FALSE(v.cuneo.presente);
  EXPECT_FALSE(v.integrativo.presente);
  EXPECT_FALSE(v.ricerca_da_zero);
  EXPECT_EQ(v.elenco_comuni, 0);
  for (const std::string_view nome : {"2025", "2026"}) {
    SCOPED_TRACE(nome);
    const RegoleCalcolo& r = regole_incluse(nome);
    const bool nuovo = nome == "2026";
    EXPECT_TRUE(r.ricerca_da_zero);
    EXPECT_EQ(r.elenco_comuni, nuovo ? 2026 : 2025);
    ASSERT_EQ(r.irpef_annua.n, 3u);
    EXPECT_EQ(r.irpef_annua.limiti[1], 50000);
    EXPECT_EQ(r.irpef_mensile.limiti[1], 4166.67);
    EXPECT_EQ(r.irpef_annua.aliquote[1], nuovo ? 0.33 : 0.35);
    EXPECT_EQ(r.irpef_mensile.aliquote[1], nuovo ? 0.33 : 0.35);
    EXPECT_EQ(r.dipendente.importo_primo, 1955);
    ASSERT_EQ(r.dipendente.n, 2u);
    EXPECT_EQ(r.dipendente.fasce[0].variabile, 1190);
    ASSERT_EQ(r.dipendente.ulteriori.n, 1u);
    EXPECT_TRUE(r.dipendente.ulteriori.fasce[0].da_escluso);
    EXPECT_EQ(r.dipendente.ulteriori.fasce[0].importo, 65);
    EXPECT_EQ(r.coniuge.maggiorazioni.n, 5u);
    EXPECT_EQ(r.figli.forma, FormaBaseFigli::per_figlio);
    EXPECT_EQ(r.figli.importo, 950);
    EXPECT_EQ(r.figli.maggiorazione_minori, 0);
    ASSERT_TRUE(r.cuneo.presente);
    ASSERT_EQ(r.cuneo.n, 3u);
    EXPECT_EQ(r.cuneo.somma[1].aliquota, 0.053);
    EXPECT_EQ(r.cuneo.somma[2].fino_a, 20000);
    EXPECT_EQ(r.cuneo.fino_a, 40000);
    EXPECT_EQ(r.cuneo.categorie_escluse,
              std::vector<std::string>{"Collaborazioni Coordinate e Continuative"});
    ASSERT_TRUE(r.integrativo.presente);
    EXPECT_EQ(r.integrativo.riduzione, 75);
    EXPECT_EQ(r.integrativo.secondo_limite, 28000);
    // Collaborators, "Impiegato", "Operaio", "Dirigente", "Apprendista".
    ASSERT_EQ(r.categorie.size(), 5u);
    const Profilo& c0 = r.categorie[0].settori[0].profilo;
    EXPECT_EQ(c0.aliquota_inps_dip + c0.aliquota_inps_az, 0.3503);
    EXPECT_EQ(c0.massimale_inps, nuovo ? 122295 : 120607);
    EXPECT_EQ(r.categorie[0].settori[1].profilo.aliquota_inps_az, 0.16);
    EXPECT_EQ(r.categorie[1].settori[1].profilo.soglia_contributo_aggiuntivo,
              nuovo ? 56224 : 55448);
    EXPECT_EQ(r.categorie[4].settori[0].profilo.soglia_contributo_aggiuntivo,
              nuovo ? 56224 : 55448);
    // "Artigianato fino a 15 dipendenti", "Operaio": 26,93 + FSBA 0,45.
    EXPECT_EQ(r.categorie[2].settori[11].profilo.aliquota_inps_az, 0.2738);
  }
}

// Every number of the file is a figure with a reference, in the order of
// the file, with its value as written; the table shows every reference and
// every note.
TEST(Regole, FontiETabella) {
  const RegoleCalcolo& r = regole_predefinite();
  // Arrays of numbers count as one figure: the three IRPEF ones.
  std::size_t numeri = 0;
  for (const Fonte& f : r.fonti) {
    EXPECT_FALSE(f.riferimento.empty()) << f.chiave;
    EXPECT_EQ(f.aggiornato, f.nota.empty()) << f.chiave;
    if (f.valore.front() != '[') ++numeri;
  }
  std::size_t settori = 0;
  for (const Categoria& c : r.categorie) settori += c.settori.size();
  // Employee 3 + 2 bands x 3 + 5 bands x 3, spouse 6 + 5 x 3, children 5,
  // others 2, contributions 2, 4 profiles x 8, and 2 per sector.
  EXPECT_EQ(numeri, 9 + 15 + 6 + 15 + 5 + 2 + 2 + 32 + 2 * settori);
  EXPECT_EQ(r.fonti.front().chiave, "irpef.limiti_annui");
  EXPECT_EQ(r.fonti.front().valore, "[15000, 28000, 55000, 75000]");
  EXPECT_EQ(r.fonti[1].valore, "[1250, 2333.33, 4583.33, 6250]");
  EXPECT_EQ(r.fonti.back().chiave, "categoria[3].settori[3].inps_az");

  for (const std::string_view nome : nomi_regole_incluse()) {
    const RegoleCalcolo& n = regole_incluse(nome);
    const std::string t = tabella_regole(n);
    for (const Fonte& f : n.fonti) {
      EXPECT_FALSE(f.riferimento.empty()) << nome << " " << f.chiave;
      EXPECT_EQ(f.aggiornato, f.nota.empty()) << nome << " " << f.chiave;
      EXPECT_NE(t.find(f.valore), std::string::npos) << nome << " " << f.chiave;
      EXPECT_NE(t.find(f.riferimento.substr(0, 20)), std::string::npos) << f.riferimento;
      if (!f.aggiornato) {
        EXPECT_NE(t.find("non aggiornato: " + f.nota.substr(0, 20)), std::string::npos) << f.nota;
      }
    }
  }
  const std::string t = tabella_regole(r);
  EXPECT_NE(t.find("0.05666666"), std::string::npos);
  EXPECT_NE(t.find("da 24000.01  a 25000  importo 20"), std::string::npos);
  EXPECT_EQ(t.find("Ricerca del lordo"), std::string::npos);
  // The page's table: decimal commas, a list's items parted by semicolons.
  const std::string it = tabella_regole(r, ",");
  EXPECT_NE(it.find("0,05666666"), std::string::npos);
  EXPECT_NE(it.find("da 24000,01  a 25000  importo 20"), std::string::npos);
  EXPECT_NE(it.find("[1250; 2333,33; 4583,33; 6250]"), std::string::npos);
  EXPECT_NE(it.find("(0,23 = 23 %)"), std::string::npos);
  const std::string t26 = tabella_regole(regole_incluse("2026"));
  EXPECT_NE(t26.find("fino_a 20000  aliquota 0.048"), std::string::npos) << t26;
  EXPECT_NE(t26.find("[\"Collaborazioni Coordinate e Continuative\"]"), std::string::npos);
  EXPECT_NE(t26.find("Ricerca del lordo dal netto"), std::string::npos);
}

TEST(Regole, NomeSconosciuto) {
  try {
    (void)regole_incluse("1999");
    FAIL();
  } catch (const Eccezione& e) {
    EXPECT_EQ(e.errore().dove, "1999");
    EXPECT_NE(e.errore().ragione.find("known: 2007"), std::string::npos);
  }
  EXPECT_THROW((void)testo_regole_incluse(""), Eccezione);
}

// A broken file is refused with the key and the reason.
TEST(Regole, FileRotti) {
  struct Caso {
    std::string testo;
    std::string dove;
    std::string ragione;
  };
  const auto ripeti = [](std::string_view s, std::size_t n) {
    std::string r;
    for (std::size_t i = 0; i < n; ++i) r += s;
    return r;
  };
  const Caso casi[] = {
      {"a = [1,\n  2 x", "r.toml", "line 2, column 5"},
      // What no rule set needs is refused before the TOML reader, whose
      // recursion a deep nesting would overflow, sees it.
      {"x" + ripeti(".a", 35000) + " = 1", "r.toml", "line 1: keys, tables or values nested 35001"},
      {"[" + ripeti("a.", 49999) + "a]", "r.toml", "line 1: keys, tables or values nested 50000"},
      {"nome = \"x\"\n[[a.b]]\nc = 1\n[" + ripeti("a.", 16) + "a]", "r.toml",
       "line 4: keys, tables or values nested 17"},
      {"x = " + ripeti("[", 300) + ripeti("]", 300), "r.toml", "line 1: keys, tables or values"},
      {"x = { a.a.a.a.a.a.a.a = { a.a.a.a.a.a.a.a = 1 } }", "r.toml",
       "line 1: keys, tables or values nested 19"},
      {"x = [\n" + ripeti("1,\n", 4096) + "2]", "r.toml",
       "line 4097: an array of more than 4096 elements"},
      {ripeti("[[categoria]]\n", 4097), "r.toml", "line 4097: more than 4096 tables in arrays"},
      {testo_2007() + "\n#" + std::string(1 << 20, 'x'), "r.toml",
       "it holds more than 1 MiB (1048576 bytes), more than any rule set"},
      // A byte order mark, as some editors write, is not part of the text.
      {"\xEF\xBB\xBF" + testo_2007(), "", ""},
      // Texts and keys of the file never reach a message raw.
      {modificato("nome = \"2007\"", "nome = \"20\\u001b[5m26\\r\\nFAKE\""), "r.toml: nome",
       "a control character in the text \"20\\u001b[5m26\\r\\nFAKE\""},
      {modificato("nome = \"2007\"", "nome = \"" + std::string(61, 'x') + "\""), "r.toml: nome",
       "a name of 61 characters; at most 60"},
      {modificato("descrizione = \"", "descrizione = \"\\u202E"), "r.toml: descrizione",
       "a control character in the text \"\\u202e"},
      {modificato("descrizione = \"", "descrizione = \"\\u200B\\uFEFF"), "r.toml: descrizione",
       "a control character in the text \"\\u200b\\ufeff"},
      {modificato("forma = \"tre_fasce\"", "forma = \"tre\\u009b2J\""),
       "r.toml: detrazione_coniuge.forma", "a control character in the text \"tre\\u009b2J\""},
      {modificato("minimo = 690", "minimo = 690\n\"\\u001b[2J\" = 1"),
       "r.toml: detrazione_dipendente.\"\\u001b[2J\"", "unknown key"},
      {modificato("[profilo.apprendista]", "[profilo.\"a\\tb\"]"), "r.toml: profilo.\"a\\tb\"",
       "a control character in the text \"a\\tb\""},
      {modificato("minimo = 690", "minimo = 690\n" + std::string(100000, 'k') + " = 1"),
       "r.toml: detrazione_dipendente.\"" + std::string(60, 'k') + "\"... (100000 bytes)",
       "unknown key"},
      {modificato("fonti.limite =", "fonti.\"limite x\" ="),
       "r.toml: detrazione_figli.fonti.\"limite x\"", "no figure \"limite x\""},
      // No figure may make the calculation overflow: amounts up to a
      // thousand billion euro, limits the calculation divides by at least a
      // cent apart.
      {modificato("limite = 95000", "limite = 1e308"), "r.toml: detrazione_figli.limite",
       "amount 1e308 above 1000000000000"},
      {modificato("aumento_limite = 15000", "aumento_limite = 1000000000000.5"),
       "r.toml: detrazione_figli.aumento_limite", "above 1000000000000"},
      {modificato("limite = 95000", "limite = 0.001"), "r.toml: detrazione_figli.limite",
       "less than a cent apart"},
      {modificato("terzo_limite = 80000", "terzo_limite = 40000.001"),
       "r.toml: detrazione_coniuge.terzo_limite", "less than a cent apart"},
      // Beyond ASCII only in strings and comments, and UTF-8 there: the
      // reader must not meet the rest.
      {"nome = \"2007\"\nx = 1\xc2\xa0", "r.toml", "line 2: a character that is not ASCII"},
      {"# caff\xe8\nnome = \"2007\"", "r.toml", "line 1: a character that is not ASCII"},
      {"nome = \"\xff\"", "r.toml", "line 1: a character that is not ASCII"},
      {"", "r.toml: nome", "missing key"},
      {modificato("nome = \"2007\"\n", ""), "r.toml: nome", "missing key"},
      {modificato("importo_primo = 1840", "importo_primo = \"1840\""),
       "r.toml: detrazione_dipendente.importo_primo", "expected a number, found a string"},
      {modificato("minimo = 690", "minimo = 690\nminimmo = 690"),
       "r.toml: detrazione_dipendente.minimmo", "unknown key"},
      {modificato("0.38, 0.41", "-0.38, 0.41"), "r.toml: irpef.aliquote[2]",
       "negative rate -0.38 (line"},
      {modificato("0.38, 0.41", "1.38, 0.41"), "r.toml: irpef.aliquote[2]", "above 1"},
      {modificato("[15000, 28000", "[28000, 28000"), "r.toml: irpef.limiti_annui[1]",
       "not strictly increasing: 28000 after 28000"},
      {modificato("[0.23,", "[0.23, 0.5,"), "r.toml: irpef.limiti_annui", "4 limits for 6 rates"},
      {modificato("[0.23,", "[0.1, 0.1, 0.1, 0.1, 0.23,"), "r.toml: irpef.aliquote",
       "9 brackets, 1 to 8"},
      {modificato("fino_a = 55000", "fino_a = 15000"),
       "r.toml: detrazione_dipendente.fasce[1].fino_a", "not strictly increasing"},
      {modificato("da = 25000.01", "da = 24999"),
       "r.toml: detrazione_dipendente.ulteriori.fasce[2].da", "not strictly increasing"},
      {modificato("da = 25000.01", "oltre = 25000"), "", ""},
      {modificato("da = 29000,", "da = 29000, oltre = 1,"),
       "r.toml: detrazione_coniuge.maggiorazioni.fasce[0]", "either `da`"},
      {modificato("importo = 750", "importo = -750"), "r.toml: detrazione_altri.importo",
       "negative amount -750"},
      {modificato("terzo_limite = 80000", "terzo_limite = 40000"),
       "r.toml: detrazione_coniuge.terzo_limite", "not strictly increasing"},
      {modificato("forma = \"tre_fasce\"", "forma = \"due_fasce\""),
       "r.toml: detrazione_coniuge.forma", "unknown shape \"due_fasce\""},
      {modificato("aliquota_irap = 0.039", "aliquota_irap = 3.9"),
       "r.toml: profilo.dipendente.aliquota_irap", "above 1"},
      {modificato("quota_inail_dip = 1", "quota_inail_dip = 2"),
       "r.toml: profilo.collaboratore.quota_inail_az", "add up to 3"},
      {modificato("[detrazione_altri]\nfonte", "[detrazione_altri]\nx"),
       "r.toml: detrazione_altri.x", "unknown key"},
      {modificato("fonte = { riferimento = \"TUIR art. 12 c. 1 lett. d)\" }", ""),
       "r.toml: detrazione_altri.importo", "no legal reference"},
      {modificato("fonte = { riferimento = \"TUIR art. 12 c. 1 lett. d)\" }",
                  "fonte = { riferimento = \"TUIR art. 12 c. 1 lett. d)\", aggiornato = false }"),
       "r.toml: detrazione_altri.fonte.nota", "needs a note"},
      {modificato("fonti.limite =", "fonti.limitee ="), "r.toml: detrazione_figli.fonti.limitee",
       "no figure \"limitee\""},
      {modificato("nome = \"Operaio\"", "nome = \"Impiegato\""), "r.toml: categoria[2].nome",
       "given twice"},
      {modificato("Commercio -50dip\",  inps_dip = 0.0919, inps_az = 0.2898",
                  "Commercio +50dip\",  inps_dip = 0.0919, inps_az = 0.2898"),
       "r.toml: categoria[1].settori[1].voce", "given twice"},
      // An item of an earlier list names one sector, and is none of the list's.
      {modificato("voci_precedenti = [\"Settore previdenziale Commercio +50dip\"]",
                  "voci_precedenti = [\"Settore previdenziale Commercio -50dip\"]", "2026"),
       "r.toml: categoria[1].settori[6].voci_precedenti[0]", "given twice in this category"},
      {modificato("voci_precedenti = [\"Settore previdenziale Industria +50dip\"]",
                  "voci_precedenti = [\"Industria fino a 15 dipendenti\"]", "2026"),
       "r.toml: categoria[1].settori[2].voci_precedenti[0]", "given twice in this category"},
      {modificato("voci_precedenti = [\"Settore previdenziale Artigianato\"]",
                  "voci_precedenti = \"Settore previdenziale Artigianato\"", "2026"),
       "r.toml: categoria[1].settori[11].voci_precedenti", "expected an array"},
      {modificato("profilo = \"apprendista\"\n", "profilo = \"apprendisti\"\n"),
       "r.toml: categoria[3].profilo", "unknown profile \"apprendisti\""},
      {testo_2007() + "[[categoria]]\nnome = \"Vuota\"\nprofilo = \"dipendente\"\nsettori = []\n",
       "r.toml: categoria[4].settori", "category without sectors"},
      {modificato("minimale_inail = 0\nmassimale_inail = 0",
                  "minimale_inail = 1\nmassimale_inail = 0"),
       "r.toml: profilo.apprendista.massimale_inail", "below minimale_inail"},
      // The parts of current law, checked as the rest.
      {modificato("fino_a = 15000, aliquota", "fino_a = 8500, aliquota", "2025"),
       "r.toml: cuneo_fiscale.somma[1].fino_a", "not strictly increasing: 8500 after 8500"},
      {modificato("aliquota = 0.071", "aliquota = 7.1", "2025"),
       "r.toml: cuneo_fiscale.somma[0].aliquota", "above 1"},
      {modificato("aliquota = 0.071", "aliquota = 0.071, fino = 1", "2025"),
       "r.toml: cuneo_fiscale.somma[0].fino", "unknown key"},
      {modificato(
           "somma = [\n  { fino_a = 8500,  aliquota = 0.071 },\n  { fino_a = 15000, aliquota = "
           "0.053 },\n  { fino_a = 20000, aliquota = 0.048 },\n]",
           "somma = []", "2025"),
       "r.toml: cuneo_fiscale.somma", "no band"},
      {modificato("pieno_fino_a = 32000", "pieno_fino_a = 20000", "2025"),
       "r.toml: cuneo_fiscale.pieno_fino_a", "not strictly increasing"},
      {modificato("fino_a = 40000", "fino_a = 32000", "2025"), "r.toml: cuneo_fiscale.fino_a",
       "not strictly increasing"},
      {modificato("importo = 1000", "importo = -1000", "2025"), "r.toml: cuneo_fiscale.importo",
       "negative amount"},
      {modificato("[\"Collaborazioni Coordinate e Continuative\"]", "[\"Collaboratori\"]", "2025"),
       "r.toml: cuneo_fiscale.categorie_escluse[0]", "unknown category \"Collaboratori\""},
      {modificato("categorie_escluse = [", "categorie_escluse = [\"Operaio\", \"Operaio\", ",
                  "2025"),
       "r.toml: cuneo_fiscale.categorie_escluse[1]", "given twice"},
      {modificato("categorie_escluse = [", "categorie_escluse = [1, ", "2025"),
       "r.toml: cuneo_fiscale.categorie_escluse[0]", "expected a string, found a number"},
      {modificato("[trattamento_integrativo]\nfonte", "[trattamento_integrativo]\nx", "2026"),
       "r.toml: trattamento_integrativo.x", "unknown key"},
      {modificato("riduzione = 75", "riduzione = \"75\"", "2026"),
       "r.toml: trattamento_integrativo.riduzione", "expected a number, found a string"},
      {modificato("secondo_limite = 28000", "secondo_limite = 15000", "2026"),
       "r.toml: trattamento_integrativo.secondo_limite", "not strictly increasing"},
      {modificato("fonti.riduzione =", "fonti.riduzion =", "2026"),
       "r.toml: trattamento_integrativo.fonti.riduzion", "no figure \"riduzion\""},
      {modificato("\n[irpef]", "\nricerca_da_zero = 1\n[irpef]", "2026"), "r.toml: ricerca_da_zero",
       "expected true or false, found a number"},
      // The search starts at 0 where the net can exceed the gross, whatever
      // the file says: a search from the net would call such nets unreachable.
      {modificato("\n[irpef]", "\nricerca_da_zero = false\n[irpef]", "2026"),
       "r.toml: ricerca_da_zero", "the search must start at 0"},
      {modificato("\n[irpef]", "\nricerca_da_zero = true\n[irpef]", "2007"),
       "r.toml: ricerca_da_zero", "the search starts at the net"},
      // The monthly limits are the annual ones / 12: an older file that
      // writes them otherwise would tax a month on other brackets than the year.
      {modificato("aliquote = [0.23, 0.27",
                  "limiti_mensili = [1250, 2333.33, 4583.33, 6251]\naliquote = [0.23, 0.27"),
       "r.toml: irpef.limiti_mensili", "remove the key"},
      {modificato("rapportati_ai_giorni = false", "rapportati_ai_giorni = \"no\"", "2026"),
       "r.toml: detrazione_dipendente.ulteriori.rapportati_ai_giorni",
       "expected true or false, found a string"},
      {modificato(
           "fonti.aggiuntivo_entro_massimale =", "fonti.aggiuntivo_entro_massimal =", "2026"),
       "r.toml: contributi.aggiuntivo_entro_massimale", "no legal reference"},
      {modificato("[cuneo_fiscale]\n", "[[cuneo_fiscale]]\n", "2026"), "r.toml: cuneo_fiscale",
       "expected a table, found an array"},
      // The year of the list of the comuni: one the program has.
      {modificato("elenco_comuni = 2026", "elenco_comuni = 2027", "2026"), "r.toml: elenco_comuni",
       "non c'\u00e8 un elenco dei comuni del 2027 (elenchi: 2025, 2026)"},
      {modificato("elenco_comuni = 2026", "elenco_comuni = \"2026\"", "2026"),
       "r.toml: elenco_comuni", "deve essere l'anno di un elenco dei comuni (2025, 2026)"},
      {modificato("elenco_comuni = 2026", "elenco_comuni = 2026.0", "2026"),
       "r.toml: elenco_comuni", "deve essere l'anno di un elenco dei comuni"},
      {modificato("elenco_comuni = 2026", "elenco_comuni = 2025", "2026"), "", ""},
      {modificato("elenco_comuni = 2026", "", "2026"), "", ""},
  };
  for (const Caso& c : casi) {
    try {
      const RegoleCalcolo r = carica_regole(c.testo, "r.toml");
      EXPECT_EQ(c.dove, "") << "accepted: " << c.testo.substr(0, 60);
    } catch (const Eccezione& e) {
      EXPECT_EQ(e.errore().dove, c.dove) << e.what();
      EXPECT_NE(c.dove, "") << e.what();
      EXPECT_NE(e.errore().ragione.find(c.ragione), std::string::npos) << e.what();
    }
  }
}

// A rule set the loader takes cannot make the calculation overflow: every
// figure of a file, one at a time, at the largest value the loader accepts,
// still gives figures for a worker with every deduction, in both modes, at
// a usual gross and at a large one.
TEST(Regole, NessunaCifraAccettataFaTraboccareIlCalcolo) {
  std::istringstream righe{testo_2007()};
  std::string riga;
  std::size_t provate = 0;
  while (std::getline(righe, riga)) {
    const auto uguale = riga.find(" = ");
    if (uguale == std::string::npos || riga.find('#') < uguale) continue;
    const std::string valore =
        riga.substr(uguale + 3, riga.find_first_of(" #", uguale + 3) - uguale - 3);
    if (valore.empty() || !(std::isdigit(static_cast<unsigned char>(valore[0])))) continue;
    for (const std::string_view grande : {"1e308", "1000000000000", "5e-324", "1"}) {
      std::string t = testo_2007();
      t.replace(t.find(riga), riga.size(),
                riga.substr(0, uguale + 3) + std::string(grande) +
                    riga.substr(uguale + 3 + valore.size()));
      std::optional<RegoleCalcolo> regole;
      try {
        regole = carica_regole(t, "r.toml");
      } catch (const Eccezione&) {
        continue;  // out of order or a rate above 1: refused, nothing to calculate
      }
      ++provate;
      for (const bool mensile : {false, true}) {
        for (const double lordo : {30000.0, 1e9}) {
          RecordCalcolo record;
          ASSERT_TRUE(scrivi_profilo(record, *regole, 1, 1));
          InputCalcolo in;
          in.retribuzione = mensile ? lordo / 12 : lordo;
          in.tasso_inail = 10;
          in.irap = true;
          in.famiglia.coniuge_a_carico = true;
          in.famiglia.figli = 4;
          in.famiglia.figli_minori = 1;
          in.famiglia.quota_figli = 100;
          in.famiglia.altri = 2;
          in.famiglia.quota_altri = 100;
          const CalcoloSvolto svolto =
              mensile ? calcola_mese(record, in, *regole) : calcola_annuo(record, in, *regole);
          EXPECT_NE(svolto.rifiuto, Rifiuto::troppo_grandi) << riga << " -> " << grande;
        }
      }
    }
  }
  EXPECT_GT(provate, 40u);
}

}  // namespace
}  // namespace zellora
