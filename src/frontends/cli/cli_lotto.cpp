#include "cli/cli_lotto.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <system_error>

#include "base/citazione.h"
#include "base/file_atomico.h"
#include "cli/lotto.h"
#include "numbers/numeri.h"

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

// The format a file name's extension gives: .jsonl or .ndjson, .csv.
std::optional<FormatoLotto> formato_da_estensione(const std::string& file) {
  const std::string estensione = minuscolo(fs::path(file).extension().string());
  if (estensione == ".jsonl" || estensione == ".ndjson") return FormatoLotto::jsonl;
  if (estensione == ".csv") return FormatoLotto::csv;
  return std::nullopt;
}

int errore(const std::string& messaggio) {
  std::cerr << "zellora-cli batch: " << messaggio << "\n";
  return 2;
}

void barra(std::uint64_t letti, std::uint64_t totale) {
  const double parte = totale > 0 ? static_cast<double>(letti) / static_cast<double>(totale) : 1;
  const int pieni = static_cast<int>(parte * 30);
  std::fprintf(stderr, "\r[%-30.*s] %3d%%", pieni, "##############################",
               static_cast<int>(parte * 100));
  std::fflush(stderr);
}

}  // namespace

int esegui_comando_lotto(const ComandoLotto& r) {
  OpzioniLotto opzioni;
  opzioni.locale = r.locale;
  opzioni.regole = r.regole;
  opzioni.normative = r.normative;
  opzioni.thread = r.thread;
  opzioni.buste = r.buste;
  // "-" is standard output, as it is standard input for the input.
  const bool uscita_standard = r.uscita.empty() || r.uscita == "-";

  // The input's format from its extension, or else from its first
  // character; the results' from the extension of -o, or --format, or else
  // the input's.
  if (formato_da_estensione(r.ingresso) == FormatoLotto::jsonl) {
    opzioni.formato = FormatoLotto::jsonl;
  } else {
    opzioni.riconosci_formato = true;
  }
  const std::optional<FormatoLotto> uscita_estensione =
      uscita_standard ? std::nullopt : formato_da_estensione(r.uscita);
  if (!r.formato.empty()) {
    opzioni.formato_uscita = r.formato == "jsonl" ? FormatoLotto::jsonl : FormatoLotto::csv;
    if (uscita_estensione && uscita_estensione != opzioni.formato_uscita) {
      return errore("--format " + r.formato + " does not go with the extension of the output " +
                    citazione_file(r.uscita) + "; nothing was read or written");
    }
  } else {
    opzioni.formato_uscita = uscita_estensione;
  }

  // Writing the results over the staff file would lose it: the same file
  // under another name or through a link counts too.
  if (!uscita_standard && stesso_file(r.ingresso, r.uscita)) {
    return errore("the output " + citazione_file(r.uscita) + " is the input file " +
                  citazione_file(r.ingresso) + "; nothing was read or written");
  }

  Errore ragione;
  const std::unique_ptr<FileIngresso> in = FileIngresso::apri(r.ingresso, ragione);
  if (!in) return errore("cannot read " + citazione_file(r.ingresso) + ": " + ragione.ragione);
  std::error_code ec;
  const auto totale = fs::file_size(fs::path(r.ingresso), ec);
  if (ZELLORA_ISATTY(stderr) && !ec) {
    opzioni.avanzamento = [totale](std::uint64_t letti) { barra(letti, totale); };
  }

  // The results of a regular file go to a temporary file beside it, which
  // takes its name only when every row is written: a failed run leaves no
  // half file (see base/file_atomico.h).
  const std::string nome_uscita = uscita_standard ? "standard output" : citazione_file(r.uscita);
  const std::unique_ptr<ScritturaFile> uscita =
      uscita_standard ? ScritturaFile::uscita_standard()
                      : ScritturaFile::apri(fs::path(r.uscita), ragione);
  if (!uscita) return errore("cannot write " + nome_uscita + ": " + ragione.ragione);

  RiepilogoLotto riepilogo;
  try {
    riepilogo = esegui_lotto(in->flusso(), uscita->flusso(), opzioni);
  } catch (const ErroreLotto& e) {
    if (opzioni.avanzamento) std::fputc('\n', stderr);
    if (const auto& scrittura = uscita->errore_scrittura()) {
      return errore("cannot write " + nome_uscita + ": " + scrittura->ragione);
    }
    if (!in->errore().empty())
      return errore("cannot read " + nome_ingresso(*in) + ": " + in->errore());
    return errore(e.what());
  }
  if (opzioni.avanzamento) std::fputc('\n', stderr);
  if (!in->errore().empty())
    return errore("cannot read " + nome_ingresso(*in) + ": " + in->errore());
  if (!uscita->completa(ragione)) {
    return errore("cannot write " + nome_uscita + ": " + ragione.ragione);
  }

  std::cerr << testo_riepilogo(riepilogo, r.locale);
  // The totals are part of the result: a summary that did not reach the
  // operator is not a success.
  if (!std::cerr.flush() || std::fflush(stderr) != 0) return 2;
  return riepilogo.rifiutati == 0 ? 0 : 1;
}

bool stesso_file(const std::string& ingresso, const std::string& uscita) {
  if (uscita.empty() || uscita == "-") return false;
  // Standard input is the file the shell opened for it (`< staff.csv`),
  // where the system names it.
  fs::path letto(ingresso);
  std::error_code ec;
  if (ingresso.empty() || ingresso == "-") {
    letto = "/dev/stdin";
    if (!fs::exists(letto, ec)) return false;
  }
  return fs::equivalent(letto, fs::path(uscita), ec) && !fs::is_character_file(letto, ec);
}

std::string nome_ingresso(const FileIngresso& file) {
  return file.nome().empty() ? "standard input" : citazione_file(file.nome());
}

}  // namespace zellora
