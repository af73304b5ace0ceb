// The document formats of the statement, chosen by the file's extension.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace zellora {

enum class Formato { docx, odt, pdf };

// ".docx", ".odt" or ".pdf", in any case; nothing for any other extension.
std::optional<Formato> formato_da_estensione(const std::filesystem::path& file);

std::string_view nome_formato(Formato formato);

}  // namespace zellora
