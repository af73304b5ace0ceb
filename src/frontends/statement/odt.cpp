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
std::string proprieta_testo(bool grassetto, std::string_view altro = {},
                            int punti = punti_prospetto) {
  std::string x = "<style:text-properties style:font-name=\"" + font_odt() +
                  "\" fo:font-family=\"" + font_odt() + "\" fo:font-size=\"" +
                  std::to_string(punti) + "pt\"";
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

// The styles and the markup of the section of a statement: its paragraphs
// in styles of their size (the first from a new page), its table with a
// column style for the first column and one for the others.
void sezione_odt(const SezioneProspetto& sezione, std::string& stili, std::string& x) {
  std::set<std::string> fatti;
  const auto stile = [&](const Paragrafo& p, bool pagina_nuova) {
    std::string nome = std::string("Sezione") +
                       (p.allineamento == Allineamento::centro   ? "Centro"
                        : p.allineamento == Allineamento::destra ? "Destra"
                                                                 : "Sinistra") +
                       std::to_string(p.punti) + (pagina_nuova ? "Pagina" : "");
    if (fatti.insert(nome).second) {
      stili += "<style:style style:name=\"" + nome +
               "\" style:family=\"paragraph\" style:parent-style-name=\"Standard\">"
               "<style:paragraph-properties fo:text-align=\"" +
               (p.allineamento == Allineamento::centro   ? "center"
                : p.allineamento == Allineamento::destra ? "end"
                                                         : "start") +
               "\"" + (pagina_nuova ? " fo:break-before=\"page\"" : "") + "/>" +
               proprieta_testo(false, {}, p.punti) + "</style:style>";
    }
    return nome;
  };
  const auto paragrafo = [&](const Paragrafo& p, bool pagina_nuova = false) {
    x += "<text:p text:style-name=\"" + stile(p, pagina_nuova) + "\"";
    if (p.testo.empty()) {
      x += "/>";
      return;
    }
    x += "><text:span text:style-name=\"" + std::string(p.grassetto ? "Grassetto" : "Normale") +
         std::to_string(p.punti) + "\">" + testo_odt(p.testo) + "</text:span></text:p>";
  };
  std::set<int> misure;
  for (const auto* parte : {&sezione.prima, &sezione.dopo}) {
    for (const Paragrafo& p : *parte) misure.insert(p.punti);
  }
  misure.insert(punti_sezione_prospetto);
  misure.insert(punti_intestazioni_prospetto);
  for (const int punti : misure) {
    for (const bool grassetto : {false, true}) {
      stili += std::string("<style:style style:name=\"") + (grassetto ? "Grassetto" : "Normale") +
               std::to_string(punti) + "\" style:family=\"text\">" +
               proprieta_testo(grassetto, {}, punti) + "</style:style>";
    }
  }
  bool primo = true;
  for (const Paragrafo& p : sezione.prima) {
    paragrafo(p, primo);
    primo = false;
  }
  const TabellaProspetto& t = sezione.tabella;
  const std::size_t colonne = t.intestazioni.size();
  if (colonne > 0) {
    const PaginaProspetto& pg = pagina_prospetto;
    const double larga = pg.larghezza - pg.sinistra - pg.destra;
    const double prima = larga - larghezza_colonna_prospetto * static_cast<double>(colonne - 1);
    stili +=
        "<style:style style:name=\"Tabella\" style:family=\"table\">"
        "<style:table-properties style:width=\"" +
        millimetri(larga) +
        "\" table:align=\"left\"/></style:style>"
        "<style:style style:name=\"TabellaPrima\" style:family=\"table-column\">"
        "<style:table-column-properties style:column-width=\"" +
        millimetri(prima) +
        "\"/></style:style>"
        "<style:style style:name=\"TabellaAltre\" style:family=\"table-column\">"
        "<style:table-column-properties style:column-width=\"" +
        millimetri(larghezza_colonna_prospetto) +
        "\"/></style:style>"
        "<style:style style:name=\"Cella\" style:family=\"table-cell\">"
        "<style:table-cell-properties fo:padding=\"0.5mm\" fo:border-top=\"none\" "
        "fo:border-left=\"none\" fo:border-right=\"none\" "
        "fo:border-bottom=\"0.05pt solid #000000\"/></style:style>";
    x += "<table:table table:name=\"Tabella1\" table:style-name=\"Tabella\">"
         "<table:table-column table:style-name=\"TabellaPrima\"/>";
    if (colonne > 1) {
      x += "<table:table-column table:style-name=\"TabellaAltre\" "
           "table:number-columns-repeated=\"" +
           std::to_string(colonne - 1) + "\"/>";
    }
    const auto riga = [&](const std::vector<std::string>& celle, bool grassetto, int punti) {
      x += "<table:table-row>";
      for (std::size_t i = 0; i < colonne; ++i) {
        x += "<table:table-cell table:style-name=\"Cella\" office:value-type=\"string\">";
        paragrafo({i < celle.size() ? celle[i] : std::string(),
                   i == 0 ? Allineamento::sinistra : Allineamento::destra, grassetto, punti});
        x += "</table:table-cell>";
      }
      x += "</table:table-row>";
    };
    x += "<table:table-header-rows>";
    riga(t.intestazioni, true, punti_intestazioni_prospetto);
    x += "</table:table-header-rows>";
    for (const RigaTabella& r : t.righe) riga(r.celle, r.grassetto, punti_sezione_prospetto);
    x += "</table:table>";
  }
  for (const Paragrafo& p : sezione.dopo) paragrafo(p);
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

  // The section, written apart: its styles join the others.
  std::string sezione;
  if (prospetto.sezione) sezione_odt(*prospetto.sezione, stili, sezione);
  std::string x =
      std::string(xml_intestazione) + "<office:document-content" + std::string(spazi_nomi_odt) +
      (prospetto.sezione ? " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                         : "") +
      ">" + dichiarazione_font() + "<office:automatic-styles>" + stili +
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
  return x + sezione + "</office:text></office:body></office:document-content>";
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
