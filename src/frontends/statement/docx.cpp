#include "statement/docx.h"

#include "base/utf8.h"

#include <zip.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <utility>

namespace zellora {

namespace {

constexpr std::string_view sostituto = "\xEF\xBF\xBD";  // U+FFFD

bool ammesso_in_xml(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
}

constexpr std::string_view intestazione =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view ns_w = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

std::string proprieta_carattere(bool grassetto, int punti = punti_prospetto) {
  const std::string font = testo_xml(carattere_prospetto);
  const std::string mezzi_punti = std::to_string(punti * 2);
  std::string r = "<w:rPr><w:rFonts w:ascii=\"" + font + "\" w:hAnsi=\"" + font +
                  "\" w:eastAsia=\"" + font + "\" w:cs=\"" + font + "\"/>";
  if (grassetto) r += "<w:b/><w:bCs/>";
  r += "<w:sz w:val=\"" + mezzi_punti + "\"/><w:szCs w:val=\"" + mezzi_punti + "\"/></w:rPr>";
  return r;
}

const char* const tipo_contenuti =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "<Override PartName=\"/word/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
    "<Override PartName=\"/word/settings.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
    "<Override PartName=\"/docProps/core.xml\" "
    "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
    "</Types>";

const char* const relazioni_pacchetto =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
    "core-properties\" Target=\"docProps/core.xml\"/>"
    "</Relationships>";

const char* const relazioni_documento =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" "
    "Target=\"settings.xml\"/>"
    "</Relationships>";

std::string proprieta_documento() {
  return std::string(intestazione) +
         "<cp:coreProperties "
         "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>" +
         testo_xml(titolo_prospetto) + "</dc:title><dc:creator>Zellora</dc:creator>" +
         "<dc:language>it-IT</dc:language></cp:coreProperties>";
}

// Millimetres in twentieths of a point, as Word measures pages.
std::string twip(double mm) { return std::to_string(std::lround(mm * 1440 / 25.4)); }

struct ChiudiZip {
  void operator()(zip_t* z) const { zip_discard(z); }
};
struct LiberaSorgente {
  void operator()(zip_source_t* s) const { zip_source_free(s); }
};

[[noreturn]] void errore_zip(const char* cosa, zip_error_t* e) {
  throw std::runtime_error(std::string(cosa) + ": " + zip_error_strerror(e));
}

}  // namespace

std::string testo_xml(std::string_view testo) {
  std::string r;
  r.reserve(testo.size());
  while (!testo.empty()) {
    char32_t c = 0;
    const std::size_t n = sequenza_utf8(testo, c);
    if (n == 0 || !ammesso_in_xml(c)) {
      r += sostituto;
      testo.remove_prefix(n == 0 ? 1 : n);
      continue;
    }
    switch (c) {
      case '&':
        r += "&amp;";
        break;
      case '<':
        r += "&lt;";
        break;
      case '>':
        r += "&gt;";
        break;
      case '"':
        r += "&quot;";
        break;
      case '\'':
        r += "&apos;";
        break;
      default:
        r.append(testo.substr(0, n));
    }
    testo.remove_prefix(n);
  }
  return r;
}

namespace {

// A paragraph; `pagina_nuova`: from the top of a new page.
void paragrafo_xml(std::string& x, const Paragrafo& p, bool pagina_nuova = false) {
  x += "<w:p><w:pPr>";
  if (pagina_nuova) x += "<w:pageBreakBefore/>";
  if (p.allineamento == Allineamento::centro) x += "<w:jc w:val=\"center\"/>";
  if (p.allineamento == Allineamento::sinistra) x += "<w:jc w:val=\"left\"/>";
  if (p.allineamento == Allineamento::destra) x += "<w:jc w:val=\"right\"/>";
  x += proprieta_carattere(false, p.punti);
  x += "</w:pPr>";
  if (!p.testo.empty()) {
    x += "<w:r>" + proprieta_carattere(p.grassetto, p.punti) + "<w:t xml:space=\"preserve\">" +
         testo_xml(p.testo) + "</w:t></w:r>";
  }
  x += "</w:p>";
}

// The table of a section across the width of the page, its first column as
// wide as the rest leaves, the headings repeated on every page.
void tabella_xml(std::string& x, const TabellaProspetto& t) {
  const PaginaProspetto& pg = pagina_prospetto;
  const double larga = pg.larghezza - pg.sinistra - pg.destra;
  const std::size_t colonne = t.intestazioni.size();
  if (colonne == 0) return;
  const double altre = colonne > 1 ? larghezza_colonna_prospetto : 0;
  const double prima = larga - altre * static_cast<double>(colonne - 1);
  const auto larghezza = [&](std::size_t i) { return twip(i == 0 ? prima : altre); };
  x += "<w:tbl><w:tblPr><w:tblW w:w=\"" + twip(larga) +
       "\" w:type=\"dxa\"/><w:tblBorders>"
       "<w:top w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"
       "<w:bottom w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"
       "<w:insideH w:val=\"single\" w:sz=\"2\" w:space=\"0\" w:color=\"auto\"/>"
       "</w:tblBorders><w:tblLayout w:type=\"fixed\"/><w:tblCellMar>"
       "<w:left w:w=\"30\" w:type=\"dxa\"/><w:right w:w=\"30\" w:type=\"dxa\"/>"
       "</w:tblCellMar></w:tblPr><w:tblGrid>";
  for (std::size_t i = 0; i < colonne; ++i) x += "<w:gridCol w:w=\"" + larghezza(i) + "\"/>";
  x += "</w:tblGrid>";
  const auto riga = [&](const std::vector<std::string>& celle, bool grassetto, bool testata) {
    x += "<w:tr>";
    if (testata) x += "<w:trPr><w:tblHeader/></w:trPr>";
    for (std::size_t i = 0; i < colonne; ++i) {
      x += "<w:tc><w:tcPr><w:tcW w:w=\"" + larghezza(i) + "\" w:type=\"dxa\"/></w:tcPr>";
      paragrafo_xml(x, {i < celle.size() ? celle[i] : std::string(),
                        i == 0 ? Allineamento::sinistra : Allineamento::destra, grassetto,
                        testata ? punti_intestazioni_prospetto : punti_sezione_prospetto});
      x += "</w:tc>";
    }
    x += "</w:tr>";
  };
  riga(t.intestazioni, true, true);
  for (const RigaTabella& r : t.righe) riga(r.celle, r.grassetto, false);
  x += "</w:tbl>";
}

}  // namespace

std::string xml_documento(const Prospetto& prospetto) {
  std::string x(intestazione);
  x += "<w:document xmlns:w=\"";
  x += ns_w;
  x += "\"><w:body>";
  for (const Paragrafo& p : prospetto.paragrafi) paragrafo_xml(x, p);
  if (prospetto.sezione) {
    const SezioneProspetto& sezione = *prospetto.sezione;
    bool primo = true;
    for (const Paragrafo& p : sezione.prima) {
      paragrafo_xml(x, p, primo);
      primo = false;
    }
    tabella_xml(x, sezione.tabella);
    for (const Paragrafo& p : sezione.dopo) paragrafo_xml(x, p);
  }
  const PaginaProspetto& p = pagina_prospetto;
  x += "<w:sectPr><w:pgSz w:w=\"" + twip(p.larghezza) + "\" w:h=\"" + twip(p.altezza) +
       "\"/><w:pgMar w:top=\"" + twip(p.sopra) + "\" w:right=\"" + twip(p.destra) +
       "\" w:bottom=\"" + twip(p.sotto) + "\" w:left=\"" + twip(p.sinistra) +
       "\" w:header=\"708\" w:footer=\"708\" w:gutter=\"0\"/></w:sectPr>";
  x += "</w:body></w:document>";
  return x;
}

std::string xml_stili() {
  const std::string font = testo_xml(carattere_prospetto);
  const std::string mezzi_punti = std::to_string(punti_prospetto * 2);
  std::string x(intestazione);
  x += "<w:styles xmlns:w=\"";
  x += ns_w;
  x += "\"><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"" + font + "\" w:hAnsi=\"" +
       font + "\" w:eastAsia=\"" + font + "\" w:cs=\"" + font + "\"/><w:sz w:val=\"" + mezzi_punti +
       "\"/><w:szCs w:val=\"" + mezzi_punti +
       "\"/><w:lang w:val=\"it-IT\" w:eastAsia=\"it-IT\" w:bidi=\"ar-SA\"/></w:rPr>"
       "</w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after=\"0\" w:line=\"240\" "
       "w:lineRule=\"auto\"/></w:pPr></w:pPrDefault></w:docDefaults>"
       "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">"
       "<w:name w:val=\"Normal\"/><w:qFormat/></w:style>"
       "<w:style w:type=\"character\" w:default=\"1\" w:styleId=\"DefaultParagraphFont\">"
       "<w:name w:val=\"Default Paragraph Font\"/><w:uiPriority w:val=\"1\"/>"
       "<w:semiHidden/><w:unhideWhenUsed/></w:style>"
       "</w:styles>";
  return x;
}

// The document's settings as Word writes them for a new document: its own
// layout rules rather than an older version's (no compatibility mode), tab
// stops every 1.25 cm, Italian.
std::string xml_impostazioni() {
  std::string x(intestazione);
  x += "<w:settings xmlns:w=\"";
  x += ns_w;
  x += "\"><w:zoom w:percent=\"100\"/><w:defaultTabStop w:val=\"708\"/>"
       "<w:characterSpacingControl w:val=\"doNotCompress\"/><w:compat>"
       "<w:compatSetting w:name=\"compatibilityMode\" "
       "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"15\"/></w:compat>"
       "<w:themeFontLang w:val=\"it-IT\"/><w:decimalSymbol w:val=\",\"/>"
       "<w:listSeparator w:val=\";\"/></w:settings>";
  return x;
}

std::string documento_docx(const Prospetto& prospetto) {
  return pacchetto_zip({
      {"[Content_Types].xml", std::string(intestazione) + tipo_contenuti},
      {"_rels/.rels", std::string(intestazione) + relazioni_pacchetto},
      {"docProps/core.xml", proprieta_documento()},
      {"word/document.xml", xml_documento(prospetto)},
      {"word/styles.xml", xml_stili()},
      {"word/settings.xml", xml_impostazioni()},
      {"word/_rels/document.xml.rels", std::string(intestazione) + relazioni_documento},
  });
}

std::string pacchetto_zip(const std::vector<std::pair<std::string, std::string>>& parti,
                          bool mimetype) {
  zip_error_t errore;
  zip_error_init(&errore);
  std::unique_ptr<zip_source_t, LiberaSorgente> memoria(
      zip_source_buffer_create(nullptr, 0, 0, &errore));
  if (!memoria) errore_zip("zip buffer", &errore);
  std::unique_ptr<zip_t, ChiudiZip> archivio(
      zip_open_from_source(memoria.get(), ZIP_TRUNCATE, &errore));
  if (!archivio) errore_zip("zip open", &errore);
  zip_source_keep(memoria.get());  // the archive takes a reference of its own

  for (const auto& [nome, dati] : parti) {
    zip_source_t* sorgente = zip_source_buffer(archivio.get(), dati.data(), dati.size(), 0);
    if (sorgente == nullptr) errore_zip("zip source", zip_get_error(archivio.get()));
    const zip_int64_t indice =
        zip_file_add(archivio.get(), nome.c_str(), sorgente, ZIP_FL_ENC_UTF_8);
    if (indice < 0) {
      zip_source_free(sorgente);
      errore_zip(nome.c_str(), zip_get_error(archivio.get()));
    }
    if (mimetype && indice == 0 &&
        zip_set_file_compression(archivio.get(), zip_uint64_t(indice), ZIP_CM_STORE, 0) < 0) {
      errore_zip(nome.c_str(), zip_get_error(archivio.get()));
    }
  }
  if (zip_close(archivio.get()) < 0) errore_zip("zip close", zip_get_error(archivio.get()));
  archivio.release();  // closed

  zip_stat_t info;
  if (zip_source_stat(memoria.get(), &info) < 0 || (info.valid & ZIP_STAT_SIZE) == 0 ||
      zip_source_open(memoria.get()) < 0) {
    errore_zip("zip read", zip_source_error(memoria.get()));
  }
  std::string file(static_cast<std::size_t>(info.size), '\0');
  const zip_int64_t letti = zip_source_read(memoria.get(), file.data(), file.size());
  zip_source_close(memoria.get());
  if (letti < 0 || static_cast<zip_uint64_t>(letti) != info.size) {
    errore_zip("zip read", zip_source_error(memoria.get()));
  }
  return file;
}

}  // namespace zellora
