// The statement as a PDF, laid out by Qt from the same value as the Word
// document: same paragraphs, alignment, bold, Times New Roman 12 pt, A4.
// Needs a QGuiApplication (fonts).
#pragma once

#include <memory>
#include <string>

#include "statement/prospetto.h"

class QTextDocument;

namespace zellora {

// The statement as a Qt text document.
std::unique_ptr<QTextDocument> documento_testo(const Prospetto& prospetto);

// The whole PDF file, the ScrittorePdf of statement/formato.h. Throws
// std::runtime_error on failure.
std::string documento_pdf(const Prospetto& prospetto);

}  // namespace zellora
