// The document formats of the statement, chosen by the file's extension, and
// the writer of each.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/errore.h"
#include "statement/prospetto.h"

namespace zellora {

enum class Formato { docx, odt, pdf };

// ".docx", ".odt" or ".pdf", in any case; nothing for any other extension.
std::optional<Formato> formato_da_estensione(const std::filesystem::path& file);

// True for a name that is only an extension (".docx", "folder/.PDF"): a
// hidden file with no extension to the system, and no name to the user.
bool solo_estensione(const std::filesystem::path& file);

std::string_view nome_formato(Formato formato);

// The whole PDF file of a statement. Laying a PDF out needs Qt, so it comes
// from the Qt part of the export (statement/documento_qt.h); a build without
// Qt has none. Throws std::runtime_error on failure.
using ScrittorePdf = std::function<std::string(const Prospetto&)>;

// Writes the statement as `file` in `formato` (the Word and OpenDocument
// files here, the PDF through `pdf`), replacing an existing file; on failure
// nothing is left and the error, whose `dove` is the file, is returned.
std::optional<Errore> scrivi_prospetto(const Prospetto& prospetto, Formato formato,
                                       const std::filesystem::path& file,
                                       const ScrittorePdf& pdf = {});

}  // namespace zellora
