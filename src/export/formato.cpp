#include "export/formato.h"

#include <string>

namespace zellora {

std::optional<Formato> formato_da_estensione(const std::filesystem::path& file) {
  // Compared in ASCII, whatever the platform's path characters are.
  const std::filesystem::path extension = file.extension();
  std::string e;
  for (const auto c : extension.native()) {
    if (c >= 'A' && c <= 'Z') {
      e += static_cast<char>(c - 'A' + 'a');
    } else {
      e += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
  }
  if (e == ".docx") return Formato::docx;
  if (e == ".odt") return Formato::odt;
  if (e == ".pdf") return Formato::pdf;
  return std::nullopt;
}

std::string_view nome_formato(Formato formato) {
  switch (formato) {
    case Formato::docx:
      return "DOCX";
    case Formato::odt:
      return "ODT";
    case Formato::pdf:
      return "PDF";
  }
  return "";
}

}  // namespace zellora
