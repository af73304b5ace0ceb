// Shared by the export tests: results texts to export, the statement they
// must give, and readers that take a written document back apart.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../cartella_prova.h"
#include "form/risultati.h"
#include "statement/prospetto.h"

namespace zellora::prova {

// Every box holds a different figure, so a label paired with the wrong box
// shows; "Costo del Lavoro" (`Text16`) holds `costo`.
Risultati risultati_prova(const std::string& costo = "2.345,67");

// The statement those texts must give, with row 29 as given.
std::vector<Paragrafo> prospetto_atteso(const std::string& riga29);

// A document read back: its paragraphs, and the font of every piece of text.
struct DocumentoLetto {
  std::vector<Paragrafo> paragrafi;
  std::set<std::string> caratteri;  // "family/size" of every run
  bool grassetto_parziale = false;  // a paragraph whose text is only partly bold
  bool segno_in_grassetto = false;  // a bold paragraph mark
  std::string errore_xml;           // empty when the XML parsed
  // "family/size" of each paragraph's own mark, empty paragraphs included,
  // the size in points ("Times New Roman/12pt").
  std::vector<std::string> caratteri_paragrafi;
  PaginaProspetto pagina{0, 0, 0, 0, 0, 0};  // in millimetres, as read
  std::vector<std::size_t> pagine_nuove;     // the paragraphs that start a page
};

// The same page, to a tenth of a millimetre.
bool stessa_pagina(const PaginaProspetto& a, const PaginaProspetto& b);

// One member of a zip archive; throws when the archive or member is missing.
std::string voce_zip(const std::filesystem::path& archivio, const std::string& nome);

DocumentoLetto leggi_docx(const std::filesystem::path& file);
DocumentoLetto leggi_odt(const std::filesystem::path& file);

}  // namespace zellora::prova
