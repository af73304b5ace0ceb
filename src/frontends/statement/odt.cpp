#include "statement/odt.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "statement/docx.h"

namespace zellora {

namespace {

// The OpenDocument text is written here rather than by Qt, whose writer
// gives the empty paragraphs no font and the document no page.

constexpr std::string_view xml_intestazione = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

constexpr std::string_view spazi_nomi_odt =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.2\"";

const std::string manifesto_odt =
    std::string(xml_intestazione) +
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
    "manifest:version=\"1.2\">"
    "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
    "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
    "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
    "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>"
    "<manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>"
    "</manifest:manifest>";

std::string millimetri(double mm) {
  char cifre[64];
  const auto [fine, ec] =
      std::to_chars(cifre, cifre + sizeof cifre, mm, std::chars_format::fixed, 2);
  std::string t = ec == std::errc() ? std::string(cifre, fine) : std::string("0");
  while (t.ends_with('0')) t.pop_back();
  if (t.ends_with('.')) t.pop_back();
  return t + "mm";
}

std::string font_odt() { return testo_xml(carattere_prospetto); }

std::string dichiarazione_font() {
  return "<office:font-face-decls><style:font-face style:name=\"" + font_odt() +
         "\" svg:font-family=\"&apos;" + font_odt() +
         "&apos;\" style:font-family-generic=\"roman\" style:font-pitch=\"variable\"/>"
         "</office:font-face-decls>";
}

// The font and size of the whole document, on every paragraph and run.
std::string proprieta_testo(bool grassetto, std::string_view altro = {}) {
  std::string x = "<style:text-properties style:font-name=\"" + font_odt() +
                  "\" fo:font-family=\"" + font_odt() + "\" fo:font-size=\"" +
                  std::to_string(punti_prospetto) + "pt\"";
  x += altro;
  if (grassetto) {
    x += " fo:font-weight=\"bold\" style:font-weight-asian=\"bold\" "
         "style:font-weight-complex=\"bold\"";
  }
  return x + "/>";
}

std::string meta_odt() {
  return std::string(xml_intestazione) + "<office:document-meta" + std::string(spazi_nomi_odt) +
         "><office:meta><meta:generator>Zellora</meta:generator><dc:title>" +
         testo_xml(titolo_prospetto) +
         "</dc:title><dc:language>it-IT</dc:language>"
         "</office:meta></office:document-meta>";
}

std::string stili_odt() {
  const PaginaProspetto& p = pagina_prospetto;
  return std::string(xml_intestazione) + "<office:document-styles" + std::string(spazi_nomi_odt) +
         ">" + dichiarazione_font() +
         "<office:styles><style:default-style style:family=\"paragraph\">"
         "<style:paragraph-properties fo:margin-top=\"0mm\" fo:margin-bottom=\"0mm\"/>" +
         proprieta_testo(false, " fo:language=\"it\" fo:country=\"IT\"") +
         "</style:default-style>"
         "<style:style style:name=\"Standard\" style:family=\"paragraph\" "
         "style:class=\"text\"/></office:styles>"
         "<office:automatic-styles><style:page-layout style:name=\"pagina\">"
         "<style:page-layout-properties fo:page-width=\"" +
         millimetri(p.larghezza) + "\" fo:page-height=\"" + millimetri(p.altezza) +
         "\" style:print-orientation=\"portrait\" fo:margin-top=\"" + millimetri(p.sopra) +
         "\" fo:margin-right=\"" + millimetri(p.destra) + "\" fo:margin-bottom=\"" +
         millimetri(p.sotto) + "\" fo:margin-left=\"" + millimetri(p.sinistra) +
         "\"/></style:page-layout></office:automatic-styles>"
         "<office:master-styles><style:master-page style:name=\"Standard\" "
         "style:page-layout-name=\"pagina\"/></office:master-styles>"
         "</office:document-styles>";
}

// A paragraph's text in OpenDocument markup: as testo_paragrafo shows it,
// blanks that would collapse kept as <text:s/>, tabs as <text:tab/>.
std::string testo_odt(std::string_view testo) {
  const std::string t = testo_paragrafo(testo);
  std::string x;
  std::size_t i = 0;
  while (i < t.size()) {
    if (t[i] == '\t') {
      x += "<text:tab/>";
      ++i;
      continue;
    }
    if (t[i] != ' ') {
      const std::size_t fine = std::min(t.find_first_of(" \t", i), t.size());
      x += testo_xml(std::string_view(t).substr(i, fine - i));
      i = fine;
      continue;
    }
    const std::size_t fine = std::min(t.find_first_not_of(' ', i), t.size());
    std::size_t n = fine - i;
    // One blank between words stays as it is; any other is spelt out.
    if (i > 0 && t[i - 1] != '\t' && fine < t.size() && t[fine] != '\t') {
      x += ' ';
      --n;
    }
    if (n == 1) x += "<text:s/>";
    if (n > 1) x += "<text:s text:c=\"" + std::to_string(n) + "\"/>";
    i = fine;
  }
  return x;
}

std::string contenuto_odt(const Prospetto& prospetto) {
  // One paragraph style per alignment; the first paragraph's also names the
  // page.
  auto nome_stile = [](Allineamento a, bool primo) {
    std::string n = a == Allineamento::centro     ? "Centro"
                    : a == Allineamento::sinistra ? "Sinistra"
                                                  : "Predefinito";
    return primo ? n + "Pagina" : n;
  };
  std::string stili;
  std::set<std::string> fatti;
  bool primo = true;
  for (const Paragrafo& p : prospetto.paragrafi) {
    const std::string nome = nome_stile(p.allineamento, primo);
    if (fatti.insert(nome).second) {
      stili += "<style:style style:name=\"" + nome +
               "\" style:family=\"paragraph\" style:parent-style-name=\"Standard\"";
      if (primo) stili += " style:master-page-name=\"Standard\"";
      stili += "><style:paragraph-properties";
      if (p.allineamento == Allineamento::centro) stili += " fo:text-align=\"center\"";
      if (p.allineamento == Allineamento::sinistra) stili += " fo:text-align=\"start\"";
      stili += "/>" + proprieta_testo(false) + "</style:style>";
    }
    primo = false;
  }
  for (const bool grassetto : {false, true}) {
    stili += std::string("<style:style style:name=\"") + (grassetto ? "Grassetto" : "Normale") +
             "\" style:family=\"text\">" + proprieta_testo(grassetto) + "</style:style>";
  }

  std::string x = std::string(xml_intestazione) + "<office:document-content" +
                  std::string(spazi_nomi_odt) + ">" + dichiarazione_font() +
                  "<office:automatic-styles>" + stili +
                  "</office:automatic-styles><office:body><office:text>";
  primo = true;
  for (const Paragrafo& p : prospetto.paragrafi) {
    x += "<text:p text:style-name=\"" + nome_stile(p.allineamento, primo) + "\"";
    primo = false;
    if (p.testo.empty()) {
      x += "/>";
      continue;
    }
    x += std::string("><text:span text:style-name=\"") + (p.grassetto ? "Grassetto" : "Normale") +
         "\">" + testo_odt(p.testo) + "</text:span></text:p>";
  }
  return x + "</office:text></office:body></office:document-content>";
}

}  // namespace

std::string testo_paragrafo(std::string_view testo) {
  if (testo.starts_with("\xEF\xBB\xBF")) testo.remove_prefix(3);
  std::string s;
  s.reserve(testo.size());
  while (!testo.empty()) {
    char32_t c = 0;
    const std::size_t n = sequenza_utf8(testo, c);
    testo.remove_prefix(n == 0 ? 1 : n);
    if (n == 0) {
      c = 0xFFFD;
    } else if (c == u'\n' || c == u'\r' || c == 0x0B || c == 0x0C || c == 0x2028 || c == 0x2029) {
      c = u' ';
    } else if ((c < 0x20 && c != u'\t') || c == 0xFFFE || c == 0xFFFF) {
      c = 0xFFFD;
    }
    aggiungi_utf8(s, c);
  }
  return s;
}

std::string documento_odt(const Prospetto& prospetto) {
  return pacchetto_zip(
      {
          {"mimetype", "application/vnd.oasis.opendocument.text"},
          {"META-INF/manifest.xml", manifesto_odt},
          {"meta.xml", meta_odt()},
          {"styles.xml", stili_odt()},
          {"content.xml", contenuto_odt(prospetto)},
      },
      true);
}

}  // namespace zellora
