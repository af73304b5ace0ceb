// The statement as OpenDocument text and PDF from arbitrary results texts
// (the same input as the Word document's target): the ODT must read back as
// the statement, paragraph for paragraph; the PDF must be a PDF.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QGuiApplication>

#include "statement/documento_qt.h"
#include "statement/prospetto.h"
#include "lettura.h"
#include "verifiche.h"

using namespace zellora;

namespace {

// Qt lays the documents out with fonts: it needs an application, made once.
void applicazione() {
  static int argc = 1;
  static char nome[] = "fuzz_documento_qt";
  static char* argv[] = {nome, nullptr};
  static QGuiApplication* app = [] {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QGuiApplication(argc, argv);
  }();
  (void)app;
}

bool testo_semplice(std::string_view s) {
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F) return false;  // plain ASCII compares exactly
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  applicazione();
  const std::string_view testo(reinterpret_cast<const char*>(dati), n);
  bool mensile = false;
  const Risultati risultati = fuzz::risultati_da_righe(testo, mensile);
  const EsitoProspetto esito = componi_prospetto(risultati, mensile, Locale::italiano());
  if (!esito.prospetto) return 0;
  const Prospetto& p = *esito.prospetto;

  const QByteArray pdf = documento_pdf(p);
  ZELLORA_VERIFICA(pdf.startsWith("%PDF-"), "the PDF is not a PDF");

  static const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("zellora-fuzz-" + std::to_string(std::random_device{}()) + ".odt");
  {
    const QByteArray odt = documento_odt(p);
    std::ofstream out(file, std::ios::binary);
    out.write(odt.constData(), odt.size());
  }
  const prova::DocumentoLetto letto = prova::leggi_odt(file);
  ZELLORA_VERIFICA(letto.errore_xml.empty(), "the ODT's XML does not parse");
  ZELLORA_VERIFICA(letto.paragrafi.size() == p.paragrafi.size(), "paragraphs lost or added");
  for (std::size_t i = 0; i < p.paragrafi.size(); ++i) {
    ZELLORA_VERIFICA(letto.paragrafi[i].grassetto == p.paragrafi[i].grassetto, "bold lost");
    if (testo_semplice(p.paragrafi[i].testo)) {
      ZELLORA_VERIFICA(letto.paragrafi[i].testo == p.paragrafi[i].testo, "text changed");
    }
  }
  return 0;
}
