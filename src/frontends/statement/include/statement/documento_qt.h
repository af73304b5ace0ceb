// The statement as an OpenDocument text (.odt) and as a PDF, laid out by Qt
// from the same value as the Word document: same paragraphs, alignment, bold,
// Times New Roman 12 pt, A4. Needs a QGuiApplication (fonts).
#pragma once

#include <QByteArray>
#include <filesystem>
#include <memory>
#include <string>

#include "statement/formato.h"
#include "statement/prospetto.h"

class QTextDocument;

namespace zellora {

// The statement as a Qt text document.
std::unique_ptr<QTextDocument> documento_testo(const Prospetto& prospetto);

// The whole file in each format. Throws std::runtime_error on failure.
QByteArray documento_odt(const Prospetto& prospetto);
QByteArray documento_pdf(const Prospetto& prospetto);

// Writes the statement as `file` in `formato`, replacing an existing file;
// on failure nothing is left and `errore` gives the reason.
bool scrivi_prospetto(const Prospetto& prospetto, Formato formato,
                      const std::filesystem::path& file, std::string& errore);

}  // namespace zellora
