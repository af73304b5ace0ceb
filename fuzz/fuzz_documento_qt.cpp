// The statement as a PDF from arbitrary results texts (the same input as the
// Word document's target): the PDF must be a PDF. The OpenDocument file is
// checked with the Word document (fuzz_prospetto.cpp).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <QGuiApplication>

#include "statement/documento_qt.h"
#include "statement/prospetto.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  applicazione();
  const std::string_view testo(reinterpret_cast<const char*>(dati), n);
  bool mensile = false;
  const Risultati risultati = fuzz::risultati_da_righe(testo, mensile);
  const EsitoProspetto esito = componi_prospetto(risultati, mensile, Locale::italiano());
  if (!esito.prospetto) return 0;
  const Prospetto& p = *esito.prospetto;

  const std::string pdf = documento_pdf(p);
  ZELLORA_VERIFICA(pdf.starts_with("%PDF-"), "the PDF is not a PDF");

  return 0;
}
