// The document formats of the statement, chosen by the file's extension.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace zellora {

enum class Formato { docx, odt, pdf };

// ".docx", ".odt" or ".pdf", in any case; nothing for any other extension.
std::optional<Formato> formato_da_estensione(const std::filesystem::path& file);

// True for a name that is only an extension (".docx", "folder/.PDF"): a
// hidden file with no extension to the system, and no name to the user.
bool solo_estensione(const std::filesystem::path& file);

std::string_view nome_formato(Formato formato);

}  // namespace zellora
