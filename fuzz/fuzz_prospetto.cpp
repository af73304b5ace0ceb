// The statement and its Word document from arbitrary results texts: one line
// for the period ("1" for monthly), then the texts of boxes Text1 to Text21.
// The Word and OpenDocument files must always open and hold the statement,
// paragraph for paragraph, the Word one in Times New Roman 12 with the bold
// rows bold.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <string_view>

#include "lettura.h"
#include "statement/docx.h"
#include "statement/odt.h"
#include "statement/prospetto.h"
#include "verifiche.h"

using namespace zellora;

namespace {

bool utf8_pulito(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    if (n == 1 && c < 0x20) return false;  // control characters are replaced
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    if (n == 2 && c < 0xC2) return false;
    if (n == 3) {
      const auto c1 = static_cast<unsigned char>(s[i + 1]);
      if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0)) return false;
      const std::uint32_t cp = ((c & 0x0Fu) << 12) | ((c1 & 0x3Fu) << 6) |
                               (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
      if (cp == 0xFFFE || cp == 0xFFFF) return false;
    }
    if (n == 4) {
      const auto c1 = static_cast<unsigned char>(s[i + 1]);
      if ((c == 0xF0 && c1 < 0x90) || c > 0xF4 || (c == 0xF4 && c1 >= 0x90)) return false;
    }
    i += n;
  }
  return true;
}

// Plain ASCII compares exactly in every format.
bool testo_semplice(std::string_view s) {
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string_view testo(reinterpret_cast<const char*>(dati), n);
  bool mensile = false;
  const Risultati risultati = fuzz::risultati_da_righe(testo, mensile);
  const Locale locale = Locale::italiano();
  const EsitoProspetto esito = componi_prospetto(risultati, mensile, locale);
  if (!esito.prospetto) {
    ZELLORA_VERIFICA(mensile && !esito.errore.ragione.empty(),
                     "a statement refused without a reason");
    return 0;
  }
  const Prospetto& p = *esito.prospetto;
  const std::set<std::size_t> in_grassetto = {2, 5, 18, 21, 24, 30};
  for (std::size_t i = 0; i < p.paragrafi.size(); ++i) {
    ZELLORA_VERIFICA(p.paragrafi[i].grassetto == (in_grassetto.count(i + 1) == 1),
                     "bold on the wrong row");
  }
  ZELLORA_VERIFICA(p.paragrafi[4].testo == "Retribuzione Lorda:  " + std::string(risultati.Text(1)),
                   "row 5 is not the gross");
  const std::string costo = "Costo del Lavoro : " + std::string(risultati.Text(16));
  const std::string& riga_costo = p.paragrafi[29].testo;
  if (mensile) {
    ZELLORA_VERIFICA(riga_costo.rfind(costo + " (=annui euro ", 0) == 0 && riga_costo.back() == ')',
                     "the monthly cost of labour without its annual figure");
  } else {
    ZELLORA_VERIFICA(riga_costo == costo, "the annual cost of labour row is not the box text");
  }

  // The document, written and read back.
  static const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("zellora-fuzz-" + std::to_string(std::random_device{}()) + ".docx");
  {
    std::ofstream out(file, std::ios::binary);
    out << documento_docx(p);
  }
  const prova::DocumentoLetto letto = prova::leggi_docx(file);
  ZELLORA_VERIFICA(letto.errore_xml.empty(), "the document's XML does not parse");
  ZELLORA_VERIFICA(letto.paragrafi.size() == p.paragrafi.size(), "paragraphs lost or added");
  ZELLORA_VERIFICA(
      letto.caratteri == std::set<std::string>{"Times New Roman/24"} || letto.caratteri.empty(),
      "text outside Times New Roman 12");
  ZELLORA_VERIFICA(!letto.grassetto_parziale && !letto.segno_in_grassetto, "bold runs wrong");
  for (std::size_t i = 0; i < p.paragrafi.size(); ++i) {
    ZELLORA_VERIFICA(letto.paragrafi[i].grassetto == p.paragrafi[i].grassetto, "bold lost");
    if (utf8_pulito(p.paragrafi[i].testo)) {
      ZELLORA_VERIFICA(letto.paragrafi[i].testo == p.paragrafi[i].testo, "text changed");
    }
  }

  static const std::filesystem::path odt =
      std::filesystem::temp_directory_path() /
      ("zellora-fuzz-" + std::to_string(std::random_device{}()) + ".odt");
  {
    std::ofstream out(odt, std::ios::binary);
    out << documento_odt(p);
  }
  const prova::DocumentoLetto letto_odt = prova::leggi_odt(odt);
  ZELLORA_VERIFICA(letto_odt.errore_xml.empty(), "the ODT's XML does not parse");
  ZELLORA_VERIFICA(letto_odt.paragrafi.size() == p.paragrafi.size(),
                   "ODT paragraphs lost or added");
  for (std::size_t i = 0; i < p.paragrafi.size(); ++i) {
    ZELLORA_VERIFICA(letto_odt.paragrafi[i].grassetto == p.paragrafi[i].grassetto, "ODT bold lost");
    if (testo_semplice(p.paragrafi[i].testo)) {
      ZELLORA_VERIFICA(letto_odt.paragrafi[i].testo == p.paragrafi[i].testo, "ODT text changed");
    }
  }
  return 0;
}
