// The statement as an OpenDocument text (.odt), from the same value as the
// Word document: same paragraphs, alignment, bold, Times New Roman 12 pt, A4.
#pragma once

#include <string>
#include <string_view>

#include "statement/prospetto.h"

namespace zellora {

// A paragraph's text as the OpenDocument and PDF statements show it, as
// UTF-8. A line break would split the paragraph in two, so it shows as a
// blank, as in the Word document; other control characters, which the
// OpenDocument XML cannot carry, and broken UTF-8 (each byte that does not
// start a valid sequence) show as U+FFFD. A byte-order mark that opens the
// text is dropped.
std::string testo_paragrafo(std::string_view testo);

// The whole .odt file. Throws std::runtime_error if the archive cannot be made.
std::string documento_odt(const Prospetto& prospetto);

}  // namespace zellora
