#include "statement/formato.h"

#include <string>

namespace zellora {

namespace {

// Compared in ASCII, whatever the platform's path characters are.
std::string minuscolo(const std::filesystem::path& parte) {
  std::string e;
  for (const auto c : parte.native()) {
    if (c >= 'A' && c <= 'Z') {
      e += static_cast<char>(c - 'A' + 'a');
    } else {
      e += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
  }
  return e;
}

}  // namespace

std::optional<Formato> formato_da_estensione(const std::filesystem::path& file) {
  const std::string e = minuscolo(file.extension());
  if (e == ".docx") return Formato::docx;
  if (e == ".odt") return Formato::odt;
  if (e == ".pdf") return Formato::pdf;
  return std::nullopt;
}

bool solo_estensione(const std::filesystem::path& file) {
  const std::string nome = minuscolo(file.filename());
  return nome == ".docx" || nome == ".odt" || nome == ".pdf";
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
