// zellora-cli: the headless front end. Reads one request (the input form as
// JSON), makes the calculation the form would make and prints the outcome.
//
// Exit status: 0 when the calculation ran (also when the net wanted cannot
// be reached exactly), 1 when the input was refused, 2 for a usage or JSON
// error.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "app/richiesta_json.h"
#include "app/uscita.h"
#include "engine/motore.h"
#include "engine/numeri.h"

#ifdef _WIN32
#include <io.h>
#define ZELLORA_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define ZELLORA_ISATTY(f) isatty(fileno(f))
#endif

namespace {

int errore_uso(const std::string& messaggio) {
  std::cerr << "zellora-cli: " << messaggio << "\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Zellora: gross-to-net and net-to-gross payroll estimate for one worker.\n"
      "Reads a JSON object whose keys are the input form's control names."};
  std::string file_input;
  std::string nome_locale;
  std::string formato;
  app.add_option("--input", file_input, "JSON request file (default: standard input)");
  app.add_option("--locale", nome_locale,
                 "regional settings for numbers, e.g. it_IT, en_US (default: the "
                 "environment's; C means Italian)");
  app.add_option("--format", formato, "json or text (default: json unless stdout is a terminal)")
      ->check(CLI::IsMember({"json", "text"}));
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return errore_uso(e.what());
  }

  zellora::Locale locale = zellora::locale_di_sistema();
  if (!nome_locale.empty()) {
    const auto l = zellora::locale_da_nome(nome_locale);
    if (!l) return errore_uso("unknown locale \"" + nome_locale + "\"");
    locale = *l;
  }
  if (formato.empty()) formato = ZELLORA_ISATTY(stdout) ? "text" : "json";

  std::string testo;
  if (file_input.empty() || file_input == "-") {
    testo.assign(std::istreambuf_iterator<char>(std::cin), {});
  } else {
    std::ifstream in(file_input, std::ios::binary);
    if (!in) return errore_uso("cannot read \"" + file_input + "\"");
    testo.assign(std::istreambuf_iterator<char>(in), {});
  }

  zellora::Richiesta richiesta;
  try {
    richiesta = zellora::leggi_richiesta(nlohmann::json::parse(testo));
  } catch (const nlohmann::json::exception& e) {
    return errore_uso(std::string("invalid JSON: ") + e.what());
  } catch (const zellora::ErroreRichiesta& e) {
    return errore_uso(e.what());
  }

  zellora::Motore motore(locale);
  zellora::applica_profilo(motore, richiesta);
  const zellora::EsitoCalcolo esito = motore.verifica_campi(richiesta.campi);
  if (formato == "json") {
    std::cout << zellora::uscita_json(esito, motore);
  } else {
    std::cout << zellora::uscita_testo(esito, motore, richiesta.campi.Option2);
  }
  return esito.stato == zellora::Stato::rifiutato ? 1 : 0;
}
