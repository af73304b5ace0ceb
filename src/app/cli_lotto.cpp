#include "app/cli_lotto.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <system_error>

#include "app/lotto.h"

#ifdef _WIN32
#include <io.h>
#define ZELLORA_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define ZELLORA_ISATTY(f) isatty(fileno(f))
#endif

namespace zellora {

namespace {

namespace fs = std::filesystem;

int errore(const std::string& messaggio) {
  std::cerr << "zellora-cli batch: " << messaggio << "\n";
  return 2;
}

std::string minuscolo(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

void barra(std::uint64_t letti, std::uint64_t totale) {
  const double parte = totale > 0 ? static_cast<double>(letti) / static_cast<double>(totale) : 1;
  const int pieni = static_cast<int>(parte * 30);
  std::fprintf(stderr, "\r[%-30.*s] %3d%%", pieni, "##############################",
               static_cast<int>(parte * 100));
  std::fflush(stderr);
}

}  // namespace

int esegui_batch(const RichiestaBatch& r) {
  OpzioniLotto opzioni;
  opzioni.locale = r.locale;
  opzioni.thread = r.thread;
  const std::string estensione = minuscolo(fs::path(r.ingresso).extension().string());
  const std::string formato =
      !r.formato.empty() ? r.formato
                         : (estensione == ".jsonl" || estensione == ".ndjson" ? "jsonl" : "csv");
  opzioni.formato = formato == "jsonl" ? FormatoLotto::jsonl : FormatoLotto::csv;

  std::ifstream in(fs::path(r.ingresso), std::ios::binary);
  if (!in) return errore("cannot read \"" + r.ingresso + "\"");
  std::error_code ec;
  const auto totale = fs::file_size(fs::path(r.ingresso), ec);
  if (ZELLORA_ISATTY(stderr) && !ec) {
    opzioni.avanzamento = [totale](std::uint64_t letti) { barra(letti, totale); };
  }

  // The results go to a temporary file beside the output, which takes its
  // name only when every row is written: a failed run leaves no half file.
  fs::path temporaneo;
  std::ofstream file;
  if (!r.uscita.empty()) {
    const fs::path destinazione(r.uscita);
    std::string nome = destinazione.filename().string();
    nome.insert(0, 1, '.');
    nome += ".tmp";
    nome += std::to_string(std::random_device{}());
    temporaneo = destinazione;
    temporaneo.replace_filename(nome);
    file.open(temporaneo, std::ios::binary | std::ios::trunc);
    if (!file) return errore("cannot write \"" + r.uscita + "\"");
  }
  std::ostream& out = r.uscita.empty() ? std::cout : file;

  RiepilogoLotto riepilogo;
  try {
    riepilogo = esegui_lotto(in, out, opzioni);
  } catch (const ErroreLotto& e) {
    if (!temporaneo.empty()) {
      file.close();
      fs::remove(temporaneo, ec);
    }
    if (opzioni.avanzamento) std::fputc('\n', stderr);
    return errore(e.what());
  }
  if (opzioni.avanzamento) std::fputc('\n', stderr);
  if (!temporaneo.empty()) {
    file.close();
    fs::rename(temporaneo, fs::path(r.uscita), ec);
    if (!file || ec) {
      fs::remove(temporaneo, ec);
      return errore("cannot write \"" + r.uscita + "\"");
    }
  }

  constexpr std::size_t mostrate = 20;
  for (std::size_t i = 0; i < riepilogo.scartate.size() && i < mostrate; ++i) {
    const auto& s = riepilogo.scartate[i];
    std::cerr << "row " << s.riga << ": " << s.stato << ": " << s.messaggi << "\n";
  }
  const std::uint64_t elencate =
      riepilogo.scartate.size() < mostrate ? riepilogo.scartate.size() : mostrate;
  if (riepilogo.rifiutati > elencate) {
    std::cerr << "... and " << riepilogo.rifiutati - elencate
              << " more rows not calculated (see the status column)\n";
  }
  std::cerr << "workers: " << riepilogo.lavoratori << ", refused: " << riepilogo.rifiutati
            << ", unreachable: " << riepilogo.irraggiungibili << "\n"
            << "total \"Netto in busta\": "
            << formato_F(riepilogo.totale_netto, r.locale).value_or("?") << "\n"
            << "total \"Costo del Lavoro\": "
            << formato_F(riepilogo.totale_costo, r.locale).value_or("?") << "\n";
  return riepilogo.rifiutati == 0 ? 0 : 1;
}

}  // namespace zellora
