#include "statement/formato.h"

#include <stdexcept>
#include <string>

#include "base/file_atomico.h"
#include "numbers/numeri.h"
#include "statement/docx.h"
#include "statement/odt.h"

namespace zellora {

namespace {

// Compared in ASCII, whatever the platform's path characters are: any other
// character shows as '?'.
std::string minuscolo_ascii(const std::filesystem::path& parte) {
  std::string e;
  for (const auto c : parte.native()) e += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  return minuscolo(e);
}

}  // namespace

std::optional<Formato> formato_da_estensione(const std::filesystem::path& file) {
  const std::string e = minuscolo_ascii(file.extension());
  if (e == ".docx") return Formato::docx;
  if (e == ".odt") return Formato::odt;
  if (e == ".pdf") return Formato::pdf;
  return std::nullopt;
}

bool solo_estensione(const std::filesystem::path& file) {
  const std::string nome = minuscolo_ascii(file.filename());
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

std::optional<Errore> scrivi_prospetto(const Prospetto& prospetto, Formato formato,
                                       const std::filesystem::path& file, const ScrittorePdf& pdf) {
  std::string dati;
  try {
    switch (formato) {
      case Formato::docx:
        dati = documento_docx(prospetto);
        break;
      case Formato::odt:
        dati = documento_odt(prospetto);
        break;
      case Formato::pdf:
        if (!pdf) throw std::runtime_error("PDF export needs the build with Qt");
        dati = pdf(prospetto);
        break;
    }
  } catch (const std::runtime_error& e) {
    return Errore{testo_percorso(file), e.what()};
  }
  return scrivi_file(file, dati);
}

}  // namespace zellora
