// The statement as a Word document (Office Open XML, .docx): the smallest
// package that Word and LibreOffice open without complaint, A4, every run in
// Times New Roman 12 pt.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "statement/prospetto.h"

namespace zellora {

// Text for an XML element or attribute: markup characters escaped, and
// anything that XML 1.0 cannot carry (control characters, broken UTF-8)
// replaced by U+FFFD, so that the document always parses.
std::string testo_xml(std::string_view testo);

// The parts of the package, by name, as they go into the zip.
std::string xml_documento(const Prospetto& prospetto);  // word/document.xml
std::string xml_stili();                                // word/styles.xml
std::string xml_impostazioni();                         // word/settings.xml

// A zip package from its parts, by name, in this order. With `mimetype`
// (an OpenDocument file) the first part is stored uncompressed, as that
// format wants. Throws std::runtime_error if the archive cannot be made.
std::string pacchetto_zip(const std::vector<std::pair<std::string, std::string>>& parti,
                          bool mimetype = false);

// The whole .docx file. Throws std::runtime_error if the archive cannot be made.
std::string documento_docx(const Prospetto& prospetto);

}  // namespace zellora
