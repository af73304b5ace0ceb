#include "lettura.h"

#include <zip.h>

#include <QString>
#include <QXmlStreamReader>
#include <cmath>
#include <map>
#include <random>
#include <stdexcept>

namespace zellora::prova {

namespace fs = std::filesystem;

Risultati risultati_prova(const std::string& costo) {
  Risultati r;
  for (int n = 1; n <= 21; ++n) {
    r.imposta_testo(n, std::to_string(n) + ".000," + std::to_string(10 + n));
  }
  r.imposta_testo(16, costo);
  return r;
}

std::vector<Paragrafo> prospetto_atteso(const std::string& riga29) {
  const auto c = Allineamento::centro;
  const auto s = Allineamento::sinistra;
  const Paragrafo v{"", s, false};
  return {
      {"", Allineamento::predefinito, false},
      {"PROSPETTO ZELLORA", c, true},
      {"", c, false},
      v,
      {"Retribuzione Lorda:  1.000,11", s, true},
      {"Ritenuta Inps : 2.000,12", s, false},
      {"Ritenuta Altri Contributi : 18.000,28", s, false},
      {"Ritenuta Inail : 17.000,27", s, false},
      {"Imponibile Fiscale : 3.000,13", s, false},
      {"Irpef : 4.000,14", s, false},
      {"Detrazione Lavoro dipendente : 5.000,15", s, false},
      {"Detrazione Coniuge : 6.000,16", s, false},
      {"Detrazione Figli : 7.000,17", s, false},
      {"Detrazione Altri Familiari : 8.000,18", s, false},
      {"Irpef netta : 9.000,19", s, false},
      {"Altre Trattenute Non Deducibili: 20.000,30", s, false},
      {"Altre Competenze Non Imponibili : 21.000,31", s, false},
      {"Retribuzione Netta : 10.000,20", s, true},
      v,
      v,
      {"COSTO DEL LAVORO", c, true},
      v,
      v,
      {"Retribuzione (comprese mensilit\u00e0 aggiuntive) 11.000,21", s, true},
      {"Contributi Inps c/azienda :  12.000,22", s, false},
      {"Altri contributi c/azienda 19.000,29", s, false},
      {"Premio Inail : 13.000,23", s, false},
      {"Irap : 14.000,24", s, false},
      {"Trattamento Fine Rapporto : 15.000,25", s, false},
      {riga29, s, true},
      v,
      v,
      v,
      {"Condizioni di utilizzo :", s, false},
      {"Non si risponde dei danni derivanti all'azienda da vizi originari o sopravvenuti del "
       "software n\u00e8 di danni diretti od indiretti, comunque subiti dall'azienda, o da terzi, "
       "in dipendenza dall'uso o dal mancato uso del software stesso. Non si garantisce la "
       "correttezza dei conteggi, dei software, dei documenti, n\u00e8 l'aggiornamento costante "
       "degli stessi.",
       s, false},
  };
}

std::string voce_zip(const fs::path& archivio, const std::string& nome) {
  int errore = 0;
  zip_t* z = zip_open(archivio.c_str(), ZIP_RDONLY, &errore);
  if (z == nullptr) throw std::runtime_error("not a zip: " + archivio.string());
  zip_stat_t st;
  zip_file_t* f = zip_stat(z, nome.c_str(), 0, &st) == 0 ? zip_fopen(z, nome.c_str(), 0) : nullptr;
  std::string dati(f != nullptr ? st.size : 0, '\0');
  const bool letto = f != nullptr && zip_fread(f, dati.data(), st.size) == (zip_int64_t)st.size;
  if (f != nullptr) zip_fclose(f);
  zip_discard(z);
  if (!letto) throw std::runtime_error("no " + nome + " in " + archivio.string());
  return dati;
}

namespace {

// Adds a run of text to the last paragraph.
void aggiungi(DocumentoLetto& d, bool& visto_grassetto, bool& visto_normale, const QString& testo,
              bool grassetto, const std::string& carattere) {
  if (testo.isEmpty()) return;
  d.paragrafi.back().testo += testo.toStdString();
  d.caratteri.insert(carattere);
  (grassetto ? visto_grassetto : visto_normale) = true;
  d.paragrafi.back().grassetto = visto_grassetto;
  if (visto_grassetto && visto_normale) d.grassetto_parziale = true;
}

bool attivo(const QXmlStreamReader& x) {
  const auto v = x.attributes().value(QStringLiteral("w:val"));
  return v.isEmpty() || (v != u"0" && v != u"false");
}

}  // namespace

DocumentoLetto leggi_docx(const fs::path& file) {
  DocumentoLetto d;
  QXmlStreamReader x(QByteArray::fromStdString(voce_zip(file, "word/document.xml")));
  bool in_ppr = false, grassetto = false, visto_g = false, visto_n = false;
  std::string font, misura;
  QString testo;
  while (!x.atEnd()) {
    x.readNext();
    const auto n = x.name();
    if (x.isStartElement()) {
      if (n == u"p") {
        d.paragrafi.push_back({"", Allineamento::predefinito, false});
        visto_g = visto_n = false;
      } else if (n == u"pPr") {
        in_ppr = true;
      } else if (n == u"pageBreakBefore" && attivo(x)) {
        d.pagine_nuove.push_back(d.paragrafi.size() - 1);
      } else if (n == u"jc") {
        const auto v = x.attributes().value(QStringLiteral("w:val"));
        d.paragrafi.back().allineamento =
            v == u"center" ? Allineamento::centro : Allineamento::sinistra;
      } else if (n == u"r") {
        grassetto = false, font = misura = "", testo.clear();
      } else if (n == u"b") {
        if (in_ppr && attivo(x)) d.segno_in_grassetto = true;
        if (!in_ppr) grassetto = attivo(x);
      } else if (n == u"rFonts" && in_ppr) {
        d.caratteri_paragrafi.push_back(
            x.attributes().value(QStringLiteral("w:ascii")).toString().toStdString());
      } else if (n == u"sz" && in_ppr && !d.caratteri_paragrafi.empty()) {
        const int mezzi = x.attributes().value(QStringLiteral("w:val")).toInt();
        d.caratteri_paragrafi.back() += "/" + std::to_string(mezzi / 2) + "pt";
      } else if (n == u"pgSz" || n == u"pgMar") {
        auto mm = [&](const char* nome) {
          return x.attributes().value(QString::fromLatin1(nome)).toDouble() * 25.4 / 1440;
        };
        if (n == u"pgSz") {
          d.pagina.larghezza = mm("w:w"), d.pagina.altezza = mm("w:h");
        } else {
          d.pagina.sopra = mm("w:top"), d.pagina.destra = mm("w:right");
          d.pagina.sotto = mm("w:bottom"), d.pagina.sinistra = mm("w:left");
        }
      } else if (n == u"rFonts" && !in_ppr) {
        font = x.attributes().value(QStringLiteral("w:ascii")).toString().toStdString();
      } else if (n == u"sz" && !in_ppr) {
        misura = x.attributes().value(QStringLiteral("w:val")).toString().toStdString();
      } else if (n == u"t") {
        testo += x.readElementText();
      }
    } else if (x.isEndElement()) {
      if (n == u"pPr") in_ppr = false;
      if (n == u"r") aggiungi(d, visto_g, visto_n, testo, grassetto, font + "/" + misura);
    }
  }
  if (x.hasError()) d.errore_xml = x.errorString().toStdString();
  return d;
}

bool stessa_pagina(const PaginaProspetto& a, const PaginaProspetto& b) {
  const double da[] = {a.larghezza, a.altezza, a.sopra, a.destra, a.sotto, a.sinistra};
  const double db[] = {b.larghezza, b.altezza, b.sopra, b.destra, b.sotto, b.sinistra};
  for (int i = 0; i < 6; ++i) {
    if (std::abs(da[i] - db[i]) > 0.1) return false;
  }
  return true;
}

namespace {

// An OpenDocument length ("2.5cm", "25mm", "1in", "72pt") in millimetres.
double millimetri(QStringView v) {
  static const std::map<QString, double> unita = {
      {"mm", 1}, {"cm", 10}, {"in", 25.4}, {"pt", 25.4 / 72}};
  for (const auto& [nome, fattore] : unita) {
    if (v.endsWith(nome)) return v.chopped(2).toDouble() * fattore;
  }
  return -1;
}

// The page of the first page layout of styles.xml.
PaginaProspetto pagina_odt(const fs::path& file) {
  PaginaProspetto p{0, 0, 0, 0, 0, 0};
  QXmlStreamReader x(QByteArray::fromStdString(voce_zip(file, "styles.xml")));
  while (!x.atEnd()) {
    x.readNext();
    if (!x.isStartElement() || x.name() != u"page-layout-properties") continue;
    const auto a = x.attributes();
    auto mm = [&](const char* nome) { return millimetri(a.value(QString::fromLatin1(nome))); };
    p = {mm("fo:page-width"),   mm("fo:page-height"),   mm("fo:margin-top"),
         mm("fo:margin-right"), mm("fo:margin-bottom"), mm("fo:margin-left")};
    break;
  }
  return p;
}

}  // namespace

DocumentoLetto leggi_odt(const fs::path& file) {
  struct Stile {
    QString allineamento, peso, famiglia, misura;
    bool pagina_nuova = false;
  };
  std::map<QString, Stile> stili;
  DocumentoLetto d;
  QXmlStreamReader x(QByteArray::fromStdString(voce_zip(file, "content.xml")));
  QString stile_corrente, span;
  bool visto_g = false, visto_n = false;
  auto testo = [&](const QString& t) {
    const Stile& s = stili[span];
    aggiungi(d, visto_g, visto_n, t, s.peso == u"bold",
             (s.famiglia + "/" + s.misura).toStdString());
  };
  while (!x.atEnd()) {
    x.readNext();
    const auto n = x.name();
    const auto a = x.attributes();
    if (x.isStartElement()) {
      if (n == u"style") {
        stile_corrente = a.value(QStringLiteral("style:name")).toString();
      } else if (n == u"paragraph-properties") {
        stili[stile_corrente].allineamento = a.value(QStringLiteral("fo:text-align")).toString();
        stili[stile_corrente].pagina_nuova = a.value(QStringLiteral("fo:break-before")) == u"page";
      } else if (n == u"text-properties") {
        Stile& s = stili[stile_corrente];
        s.peso = a.value(QStringLiteral("fo:font-weight")).toString();
        s.famiglia = a.value(QStringLiteral("fo:font-family")).toString();
        s.misura = a.value(QStringLiteral("fo:font-size")).toString();
      } else if (n == u"p") {
        const Stile& proprio = stili[a.value(QStringLiteral("text:style-name")).toString()];
        d.caratteri_paragrafi.push_back((proprio.famiglia + "/" + proprio.misura).toStdString());
        if (proprio.pagina_nuova) d.pagine_nuove.push_back(d.paragrafi.size());
        const QString al = proprio.allineamento;
        d.paragrafi.push_back({"",
                               al.isEmpty()      ? Allineamento::predefinito
                               : al == u"center" ? Allineamento::centro
                                                 : Allineamento::sinistra,
                               false});
        visto_g = visto_n = false;
        span.clear();
      } else if (n == u"span") {
        span = a.value(QStringLiteral("text:style-name")).toString();
      } else if (n == u"tab") {
        testo(QStringLiteral("\t"));
      } else if (n == u"s") {
        const auto c = a.value(QStringLiteral("text:c"));
        testo(QString(c.isEmpty() ? 1 : c.toInt(), QLatin1Char(' ')));
      }
    } else if (x.isEndElement() && n == u"span") {
      span.clear();
    } else if (x.isCharacters() && !d.paragrafi.empty() && !x.isWhitespace()) {
      testo(x.text().toString());
    } else if (x.isCharacters() && !d.paragrafi.empty() && !span.isEmpty()) {
      testo(x.text().toString());  // blanks inside a span are text
    }
  }
  if (x.hasError()) d.errore_xml = x.errorString().toStdString();
  d.pagina = pagina_odt(file);
  return d;
}

}  // namespace zellora::prova
