// zellora-cli: the headless front end. Reads one request (the input form as
// JSON), makes the calculation the form would make and prints the outcome.
//
// With --export FILE it also writes the statement of that calculation as a
// document, in the format of the file's extension (.docx, .odt or .pdf; a
// build without Qt has no PDF). With --chart FILE it draws the charts of that
// calculation as one image, SVG or PNG by the extension (a build without Qt
// Charts has none).
//
// `zellora-cli batch IN [-o OUT]` calculates a whole staff instead: one
// worker per row of a CSV or JSON Lines file (see cli_lotto.h).
//
// Exit status: 0 when the calculation ran (also when the net wanted cannot
// be reached exactly), 1 when the input was refused (no document is written),
// 2 for a usage or JSON error (an unknown export extension included, found
// before anything is calculated), a request file that is a folder or cannot
// be read, or results that cannot be written to standard output (a full
// disk, a closed stream), 3 when the calculation ran but the statement could
// not be written. No input ends the program without a message.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "base/citazione.h"
#include "base/file_atomico.h"
#include "base/lettura.h"
#include "cli/cli_lotto.h"
#include "cli/opzioni_buste.h"
#include "cli/richiesta_json.h"
#include "cli/uscita.h"
#include "cli/uscita_buste.h"
#include "form/buste_paga.h"
#include "form/grafici.h"
#include "form/motore.h"
#include "form/normative.h"
#include "numbers/numeri.h"
#include "rules/caricamento.h"
#include "rules/tabella.h"
#include "statement/crea.h"
#include "statement/formato.h"
#include "statement/prospetto.h"

#if ZELLORA_PDF
#include <QByteArray>
#include <QGuiApplication>

#include "statement/documento_qt.h"
#endif

#if ZELLORA_GRAFICI
#include <QApplication>
#include <QByteArray>

#include "charts/grafici_qt.h"
#endif

#ifdef _WIN32
#include <io.h>
#define ZELLORA_ISATTY(f) _isatty(_fileno(f))
#else
#include <fcntl.h>
#include <unistd.h>
#define ZELLORA_ISATTY(f) isatty(fileno(f))
#endif

namespace {

int errore_uso(const std::string& messaggio) {
  std::cerr << "zellora-cli: " << messaggio << "\n";
  return 2;
}

#if ZELLORA_PDF || ZELLORA_GRAFICI
// Qt's notes about the desktop session (no runtime folder and the like) are
// not the operator's business; its errors still show. A platform that
// cannot start (QT_QPA_PLATFORM naming one without its display) ends the run
// with one line and the status of a file not written, rather than Qt's
// abort: the results are already printed.
void messaggio_qt(QtMsgType tipo, const QMessageLogContext&, const QString& testo) {
  if (tipo == QtCriticalMsg || tipo == QtFatalMsg) {
    std::cerr << "zellora-cli: " << testo.section(QLatin1Char('\n'), 0, 0).toStdString() << "\n";
  }
  if (tipo == QtFatalMsg) {
    std::cerr << "zellora-cli: nothing was drawn (without QT_QPA_PLATFORM the program draws "
                 "offscreen)\n";
    std::cerr.flush();
    std::_Exit(3);
  }
}
#endif

// Writes the statement of the calculation just made. Returns the exit status.
int esporta(const std::string& file, zellora::Formato formato, const zellora::Motore& motore,
            bool mensile, const zellora::EsitoBuste* buste = nullptr) {
  // The statement lists the request's inputs and the day it is written.
  std::optional<zellora::CalcoloProspetto> calcolo;
  if (motore.campi_calcolo()) {
    calcolo = zellora::CalcoloProspetto{*motore.campi_calcolo(),
                                        zellora::data_prospetto(std::chrono::system_clock::now())};
  }
  zellora::EsitoProspetto prospetto = zellora::componi_prospetto(
      motore.risultati(), mensile, motore.locale(), calcolo ? &*calcolo : nullptr);
  if (!prospetto.prospetto) {
    std::cerr << "zellora-cli: statement not written to " << zellora::citazione_file(file) << ": "
              << prospetto.errore.testo() << "\n";
    return 3;
  }
  if (buste != nullptr)
    prospetto.prospetto->sezione = zellora::sezione_buste(*buste, motore.locale());
  zellora::ScrittorePdf pdf;
#if ZELLORA_PDF
  // Qt lays out the PDF; it needs an application object, which works without
  // a display on the offscreen platform.
  std::optional<QGuiApplication> qt;
  static int argc_qt = 1;
  static char nome_qt[] = "zellora-cli";
  static char* argv_qt[] = {nome_qt, nullptr};
  if (formato == zellora::Formato::pdf) {
    qInstallMessageHandler(messaggio_qt);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    qt.emplace(argc_qt, argv_qt);
    pdf = zellora::documento_pdf;
  }
#endif
  if (const std::optional<zellora::Errore> errore = zellora::scrivi_prospetto(
          *prospetto.prospetto, formato, std::filesystem::path(file), pdf)) {
    std::cerr << "zellora-cli: cannot write the statement to " << zellora::citazione_file(file)
              << ": " << errore->ragione << "\n";
    return 3;
  }
  return 0;
}

// The extension of a chart image: "svg" or "png", or nothing.
std::optional<std::string> estensione_grafico(const std::string& file) {
  const std::filesystem::path percorso(file);
  if (!percorso.has_stem()) return std::nullopt;
  std::string estensione = percorso.extension().string();
  for (char& c : estensione) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (estensione == ".svg" || estensione == ".png") return estensione.substr(1);
  return std::nullopt;
}

// Draws the charts of the calculation just made. Returns the exit status.
int scrivi_grafici(const std::string& file, const zellora::Motore& motore) {
#if ZELLORA_GRAFICI
  const std::optional<zellora::DatiGrafici> dati = zellora::dati_grafici(motore);
  if (!dati) {
    std::cerr << "zellora-cli: charts not written to " << zellora::citazione_file(file)
              << ": no calculation\n";
    return 3;
  }
  // Qt Charts draws on widgets; they need an application object, which
  // works without a display on the offscreen platform.
  qInstallMessageHandler(messaggio_qt);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  }
  static int argc_qt = 1;
  static char nome_qt[] = "zellora-cli";
  static char* argv_qt[] = {nome_qt, nullptr};
  QApplication qt(argc_qt, argv_qt);
  QString errore;
  if (!zellora::scrivi_immagine_grafici(*dati, motore.locale(), zellora::netto_voluto(motore),
                                        QString::fromStdString(file), errore)) {
    std::cerr << "zellora-cli: cannot write the charts to " << zellora::citazione_file(file) << ": "
              << errore.toStdString() << "\n";
    return 3;
  }
  return 0;
#else
  (void)motore;
  return errore_uso("cannot write the charts to " + zellora::citazione_file(file) +
                    ": charts need the build with Qt Charts");
#endif
}

// A standard stream that was closed when the program started (`>&-`) gets
// /dev/null opened the wrong way round, so that using it fails with "Bad file
// descriptor" instead of the next file opened taking its number and the
// results going into, say, the batch output.
void occupa_flussi_chiusi() {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int nuovo = ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
    if (nuovo >= 0 && nuovo != fd) {
      ::dup2(nuovo, fd);
      ::close(nuovo);
    }
  }
#endif
}

// `curve`: the worker of the request must be calculated first; a refusal
// prints its messages on standard error.
int stampa_curva(const zellora::EsitoCalcolo& esito, const zellora::Motore& motore,
                 const zellora::OpzioniCurva& opzioni) {
  if (esito.stato == zellora::Stato::rifiutato) {
    for (const auto& messaggio : esito.messaggi) std::cerr << "zellora-cli: " << messaggio << "\n";
    return 1;
  }
  const zellora::Curva curva = zellora::curva(motore, opzioni);
  if (!curva.errore.empty()) return errore_uso("cannot make the curve: " + curva.errore);
  std::string csv = "gross,net,marginal_rate,cost_of_labour\n";
  const auto numero = [&csv](double v) { zellora::aggiungi_numero_decimale(csv, v); };
  for (const zellora::PuntoCurva& p : curva.punti) {
    numero(p.lordo);
    csv += ',';
    numero(p.netto);
    csv += ',';
    // Six decimals: the rate is a ratio of cents, its last binary digits
    // are noise.
    if (std::isfinite(p.aliquota_marginale)) {
      char testo[64];
      const double r = std::round(p.aliquota_marginale * 1e6) / 1e6;
      // to_chars: a '.' whatever the locale.
      const auto fine =
          std::to_chars(testo, testo + sizeof testo, r == 0 ? 0.0 : r, std::chars_format::fixed, 6);
      csv.append(testo, fine.ptr);
    }
    csv += ',';
    numero(p.costo_lavoro);
    csv += '\n';
  }
  const std::unique_ptr<zellora::ScritturaFile> out = zellora::ScritturaFile::uscita_standard();
  out->flusso() << csv;
  zellora::Errore ragione;
  if (!out->completa(ragione)) {
    return errore_uso("cannot write the curve to standard output: " + ragione.ragione);
  }
  return 0;
}

// `payslips`: the year of the worker of the request. A refusal exits with
// 1, its messages in the output (on standard error for CSV). With
// `formato_export`, the statement with the year is written to `file_export`.
int stampa_buste(zellora::Motore& motore, const zellora::CampiForm1& campi,
                 const zellora::OpzioniBuste& opzioni, const std::string& formato,
                 const std::string& errore_scelte,
                 const std::optional<zellora::Formato>& formato_export,
                 const std::string& file_export) {
  // The request's choices of the year are checked as the form's fields:
  // a refusal naming the field.
  zellora::EsitoBuste esito;
  if (errore_scelte.empty()) {
    esito = zellora::buste_paga(motore, campi, opzioni);
  } else {
    esito.esito.stato = zellora::Stato::rifiutato;
    esito.esito.messaggi.push_back(errore_scelte);
  }
  const std::string& normativa = motore.regole().nome;
  std::string testo;
  if (formato == "csv") {
    for (const auto& messaggio : esito.esito.messaggi) {
      std::cerr << "zellora-cli: " << messaggio << "\n";
    }
    if (!esito.anno) return 1;
    testo = zellora::uscita_buste_csv(esito, ',');
  } else if (formato == "text") {
    testo = zellora::uscita_buste_testo(esito, normativa, motore.locale());
  } else {
    testo = zellora::uscita_buste_json(esito, normativa);
  }
  const std::unique_ptr<zellora::ScritturaFile> out = zellora::ScritturaFile::uscita_standard();
  out->flusso() << testo;
  zellora::Errore ragione;
  if (!out->completa(ragione)) {
    return errore_uso("cannot write the payslips to standard output: " + ragione.ragione);
  }
  if (!esito.anno) return 1;
  if (formato_export) return esporta(file_export, *formato_export, motore, campi.Option2, &esito);
  return 0;
}

int principale(int argc, char** argv) {
  CLI::App app{
      "Zellora: gross-to-net and net-to-gross payroll estimate for one worker.\n"
      "Reads a JSON object whose keys are the input form's control names."};
  std::string file_input;
  std::string nome_locale;
  std::string formato;
  std::string file_export;
  const std::string aiuto_locale =
      "regional settings for numbers, e.g. it_IT, en_US (default: the environment's; C means "
      "Italian); given on both sides of `batch` or more than once, the last one counts";
  const std::string aiuto_input =
      "JSON request file (default: standard input); at most 1 MiB. Not a file that the run "
      "writes";
  std::vector<std::pair<CLI::Option*, const std::string*>> nomi;  // each must not be empty
  nomi.emplace_back(app.add_option("--input", file_input, aiuto_input), &file_input);
  nomi.emplace_back(app.add_option("--locale", nome_locale, aiuto_locale)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &nome_locale);
  app.add_option("--format", formato, "json or text (default: json unless stdout is a terminal)")
      ->check(CLI::IsMember({"json", "text"}));
  nomi.emplace_back(
      app.add_option("--export", file_export,
                     "also write the statement to this file; the format follows the extension: "
                     ".docx, .odt or .pdf. An existing file is replaced whole and keeps its "
                     "permissions; a symbolic link is followed and kept; a FIFO or a device is "
                     "written directly; an input of the run (request, rule set) is refused"),
      &file_export);
  std::string file_grafico;
  nomi.emplace_back(
      app.add_option("--chart", file_grafico,
                     "also draw the charts of the calculation (where the gross goes, the cost of "
                     "labour, the net and the marginal rate against the gross) as one image; "
                     ".svg or .png. Written as --export writes the statement"),
      &file_grafico);
  std::string file_regole;
  const std::string aiuto_regole =
      "calculate with the rule set of this TOML file instead of the built-in \"2007\" (see "
      "`zellora-cli rules 2007` for its layout); at most 1 MiB, checked before anything is "
      "calculated; a request or row whose Combo4 names another rule set is refused";
  nomi.emplace_back(app.add_option("--rules", file_regole, aiuto_regole)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &file_regole);
  zellora::ComandoLotto lotto;
  std::string nome_locale_lotto;
  std::string file_regole_lotto;
  CLI::App* comando_lotto = app.add_subcommand(
      "batch",
      "calculate a whole staff: one worker per row of a CSV file (a header row of control "
      "names; comma or semicolon separated) or of a JSON Lines file");
  nomi.emplace_back(comando_lotto
                        ->add_option("IN", lotto.ingresso,
                                     "the CSV or JSON Lines file (- for standard input): JSON "
                                     "Lines when it ends in .jsonl or .ndjson or its first "
                                     "character is '{', CSV otherwise")
                        ->required(),
                    &lotto.ingresso);
  nomi.emplace_back(
      comando_lotto->add_option(
          "-o,--output", lotto.uscita,
          "write the results here (default, or -: standard output). A regular file appears only "
          "when complete and keeps the permissions of the file it replaces; a symbolic link is "
          "followed and kept; a FIFO or a device such as /dev/null is written directly; an input "
          "of the run (the sheet, the rule set) is refused"),
      &lotto.uscita);
  comando_lotto
      ->add_option("--format", lotto.formato,
                   "the results as csv or jsonl (default: by the extension of -o, .jsonl or "
                   ".ndjson for JSON Lines, .csv for CSV; otherwise the input's format)")
      ->check(CLI::IsMember({"csv", "jsonl"}));
  comando_lotto->add_option("--threads", lotto.thread, "threads (default: one per core)");
  comando_lotto->add_flag(
      "--payslips", lotto.buste,
      "each worker's year of payslips, as `payslips` works it out, instead of the calculation: "
      "the year's choices in the columns payslips.payments, payslips.to_month ... (the options "
      "of `payslips` without their dashes, '-' as '_', typed as the form's fields), or in a "
      "line's \"payslips\" object; one result row per line of the year (the worker's row, "
      "status and messages, month, kind and the columns of `payslips --format csv`), or per "
      "worker in JSON Lines");
  nomi.emplace_back(comando_lotto->add_option("--locale", nome_locale_lotto, aiuto_locale)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &nome_locale_lotto);
  nomi.emplace_back(comando_lotto->add_option("--rules", file_regole_lotto, aiuto_regole)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &file_regole_lotto);
  zellora::OpzioniCurva opzioni_curva;
  std::string nome_locale_curva;
  std::string file_regole_curva;
  CLI::App* comando_curva = app.add_subcommand(
      "curve",
      "print, as CSV, the net and the cost of labour of the worker of the request for grosses "
      "from --from to --to by --step, with the same inputs, mode and rule set (gross to net): "
      "gross,net,marginal_rate,cost_of_labour");
  comando_curva->add_option("--from", opzioni_curva.da, "first gross (default 0)");
  comando_curva->add_option(
      "--to", opzioni_curva.a,
      "last gross (default: twice the worker's gross, at least 100000 a year or 8000 a month)");
  comando_curva->add_option("--step", opzioni_curva.passo,
                            "step between grosses (default: the whole euros that give about "
                            "1000 points)");
  nomi.emplace_back(comando_curva->add_option("--input", file_input, aiuto_input), &file_input);
  nomi.emplace_back(comando_curva->add_option("--locale", nome_locale_curva, aiuto_locale)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &nome_locale_curva);
  nomi.emplace_back(comando_curva->add_option("--rules", file_regole_curva, aiuto_regole)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &file_regole_curva);
  zellora::ArgomentiBuste argomenti_buste;
  std::string nome_locale_buste;
  std::string file_regole_buste;
  std::string formato_buste;
  CLI::App* comando_buste = app.add_subcommand(
      "payslips",
      "print the year of payslips of the worker of the request, month by month as a payroll "
      "office works them out: the thirteenth and fourteenth as payslips of their own, the "
      "adjustment in December or in the month of termination, last year's surcharges in "
      "instalments, and the year reconciled with the annual calculation. The monthly gross is "
      "Text1 in \"Mensile\", Text1 divided by the payments in \"Annuo\"");
  zellora::aggiungi_opzioni_buste(*comando_buste, argomenti_buste);
  comando_buste
      ->add_option("--format", formato_buste,
                   "json, csv or text (default: json unless stdout is a terminal)")
      ->check(CLI::IsMember({"json", "csv", "text"}));
  nomi.emplace_back(comando_buste->add_option("--input", file_input, aiuto_input), &file_input);
  nomi.emplace_back(comando_buste->add_option("--export", file_export,
                                              "also write the statement of the calculation with "
                                              "the year as --export before the subcommand would "
                                              "write the statement alone"),
                    &file_export);
  nomi.emplace_back(comando_buste->add_option("--locale", nome_locale_buste, aiuto_locale)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &nome_locale_buste);
  nomi.emplace_back(comando_buste->add_option("--rules", file_regole_buste, aiuto_regole)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &file_regole_buste);
  std::string nome_regole;
  CLI::App* comando_regole = app.add_subcommand(
      "rules",
      "without NAME, list the rule sets: those built in, then the files NAME.toml of "
      "~/.local/share/zellora/regole and the other data folders; with NAME, print that rule "
      "set as a table "
      "with the legal reference of every figure (figures marked \"!\" are not updated); "
      "with --rules FILE, check and print that file");
  comando_regole->add_option("NAME", nome_regole,
                             "a rule set, built in (e.g. 2007) or a file of the data folders");
  std::string file_regole_tabella;
  nomi.emplace_back(comando_regole->add_option("--rules", file_regole_tabella, aiuto_regole)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                    &file_regole_tabella);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    const int stato = app.exit(e);
    if (!std::cout.flush()) return errore_uso("cannot write the help to standard output");
    return stato;
  } catch (const CLI::ParseError& e) {
    // The parser's message names the argument as it was given.
    return errore_uso(zellora::messaggio_esterno(e.what()));
  }

  // An empty name would silently mean standard input, standard output, the
  // environment's locale or the built-in rules.
  for (const auto& [opzione, valore] : nomi) {
    if (opzione->count() > 0 && valore->empty()) {
      const std::string nome = opzione->get_name();
      const bool ingresso = nome == "--input" || nome == "IN" || nome == "--rules";
      return errore_uso(nome + " was given an empty name" +
                        (ingresso             ? " (- is standard input)"
                         : nome == "--output" ? " (- is standard output)"
                                              : ""));
    }
  }
  if (!nome_locale_lotto.empty()) nome_locale = nome_locale_lotto;
  if (!file_regole_lotto.empty()) file_regole = file_regole_lotto;
  if (!file_regole_tabella.empty()) file_regole = file_regole_tabella;
  if (!nome_locale_curva.empty()) nome_locale = nome_locale_curva;
  if (!file_regole_curva.empty()) file_regole = file_regole_curva;
  if (!nome_locale_buste.empty()) nome_locale = nome_locale_buste;
  if (!file_regole_buste.empty()) file_regole = file_regole_buste;
  if (*comando_buste) {
    const std::string errore = zellora::completa_opzioni_buste(argomenti_buste);
    if (!errore.empty()) return errore_uso(errore);
  }
  if (*comando_regole && !nome_regole.empty() && !file_regole.empty()) {
    return errore_uso("rules: give a built-in NAME or --rules FILE, not both");
  }

  // No file the run writes may be one it reads, by any name; standard input
  // can be read only once.
  {
    std::vector<std::pair<std::string, std::string>> ingressi;  // what, file
    if (*comando_lotto) {
      ingressi.emplace_back("input file", lotto.ingresso);
    } else if (!*comando_regole) {
      ingressi.emplace_back("request file", file_input);
    }
    if (!file_regole.empty()) ingressi.emplace_back("rule set", file_regole);
    std::vector<std::pair<std::string, std::string>> uscite;
    if (app.count("--export") > 0 || comando_buste->count("--export") > 0) {
      uscite.emplace_back("statement", file_export);
    }
    if (app.count("--chart") > 0) uscite.emplace_back("charts", file_grafico);
    if (*comando_lotto && lotto.uscita != "-" && !lotto.uscita.empty()) {
      uscite.emplace_back("results", lotto.uscita);
    }
    const auto standard = [](const std::string& f) { return f.empty() || f == "-"; };
    for (std::size_t i = 0; i < ingressi.size(); ++i) {
      for (std::size_t j = i + 1; j < ingressi.size(); ++j) {
        if (standard(ingressi[i].second) && standard(ingressi[j].second)) {
          return errore_uso("the " + ingressi[i].first + " and the " + ingressi[j].first +
                            " cannot both be read from standard input");
        }
      }
    }
    for (const auto& [cosa_uscita, uscita] : uscite) {
      for (const auto& [cosa, ingresso] : ingressi) {
        if (zellora::stesso_file(ingresso, uscita)) {
          return errore_uso("cannot write the " + cosa_uscita + " to " +
                            zellora::citazione_file(uscita) + ": it is the " + cosa + " " +
                            (standard(ingresso) ? std::string("on standard input")
                                                : zellora::citazione_file(ingresso)) +
                            "; nothing was read or written");
        }
      }
    }
    if (uscite.size() == 2 && zellora::stesso_file(uscite[0].second, uscite[1].second)) {
      return errore_uso("the statement " + zellora::citazione_file(file_export) +
                        " and the charts " + zellora::citazione_file(file_grafico) +
                        " are the same file; nothing was read or written");
    }
  }

  // The rule set: a file of the user's, checked whole before anything else,
  // or the built-in one.
  std::optional<zellora::RegoleCalcolo> regole_utente;
  if (!file_regole.empty()) {
    zellora::Errore ragione_regole;
    const std::optional<std::string> testo_regole =
        zellora::leggi_file(file_regole, zellora::limite_regole, ragione_regole);
    if (!testo_regole) {
      return errore_uso("cannot read the rule set " + zellora::citazione_file(file_regole) + ": " +
                        ragione_regole.ragione);
    }
    try {
      regole_utente = zellora::carica_regole(*testo_regole, zellora::citazione_file(file_regole));
    } catch (const zellora::Eccezione& e) {
      return errore_uso("the rule set cannot be used: " + std::string(e.what()));
    }
    regole_utente->file = file_regole;
  }
  const zellora::RegoleCalcolo& regole =
      regole_utente ? *regole_utente : zellora::regole_predefinite();
  // The rule sets that "Combo4" and `rules NAME` may name: the built-in
  // ones, then the user's files of the data folders. A file that cannot be
  // used stops nothing: it is an error only when asked for. With --rules
  // "Combo4" can only name the rule set given, and the folders are not read.
  zellora::ElencoNormative normative;
  if (!regole_utente || *comando_regole) {
    normative.aggiungi_cartelle(zellora::cartelle_regole_utente());
  }

  if (*comando_regole) {
    std::string testo_uscita;
    if (nome_regole.empty() && !regole_utente) {
      for (const std::string& nome : normative.nomi()) {
        const zellora::VoceNormativa& voce = *normative.trova(nome);
        testo_uscita += nome + "  " + normative.regole(nome).descrizione;
        if (!voce.file.empty()) testo_uscita += "  (" + zellora::citazione_file(voce.file) + ")";
        testo_uscita += "\n";
      }
      for (const zellora::Errore& avviso : normative.avvisi()) {
        std::cerr << "zellora-cli: warning: " << avviso.testo() << "\n";
      }
    } else {
      try {
        testo_uscita =
            zellora::tabella_regole(nome_regole.empty() ? regole : normative.regole(nome_regole));
      } catch (const zellora::Eccezione& e) {
        // The name as typed, quoted; a file of the user's named with its reason.
        return errore_uso(e.errore().testo());
      }
    }
    const std::unique_ptr<zellora::ScritturaFile> out = zellora::ScritturaFile::uscita_standard();
    out->flusso() << testo_uscita;
    zellora::Errore ragione_uscita;
    if (!out->completa(ragione_uscita)) {
      return errore_uso("cannot write to standard output: " + ragione_uscita.ragione);
    }
    return 0;
  }
  zellora::Locale locale;
  if (!nome_locale.empty()) {
    const auto l = zellora::locale_da_nome(nome_locale);
    if (!l) {
      return errore_uso("unknown locale " + zellora::citazione(nome_locale) +
                        ": it is not installed here (`locale -a` lists the installed ones)");
    }
    locale = *l;
  } else {
    const zellora::LocaleAmbiente ambiente = zellora::locale_di_sistema();
    if (!ambiente.installato) {
      std::cerr << "zellora-cli: the locale " << zellora::citazione(ambiente.nome) << " of "
                << ambiente.variabile
                << " is not installed here; numbers are read and written the Italian way\n";
    }
    locale = ambiente.locale;
  }
  if (*comando_lotto) {
    // Options of the one-worker run would be silently ignored.
    for (const char* opzione : {"--input", "--export", "--format", "--chart"}) {
      if (app.count(opzione) > 0) {
        return errore_uso(std::string(opzione) +
                          " before `batch` belongs to the one-worker run; give the batch's "
                          "options after `batch`");
      }
    }
    lotto.locale = locale;
    lotto.regole = regole_utente ? &*regole_utente : nullptr;
    lotto.normative = &normative;
    return zellora::esegui_comando_lotto(lotto);
  }
  if (*comando_curva || *comando_buste) {
    for (const char* opzione : {"--export", "--format", "--chart"}) {
      if (app.count(opzione) > 0) {
        return errore_uso(std::string(opzione) + " does not go with `" +
                          (*comando_curva ? "curve" : "payslips") + "`" +
                          (*comando_buste && std::string(opzione) == "--format"
                               ? " before it; give it after `payslips`"
                               : ""));
      }
    }
  }
  if (formato.empty()) formato = ZELLORA_ISATTY(stdout) ? "text" : "json";
  std::optional<zellora::Formato> formato_export;
  if (!file_export.empty() || app.count("--export") > 0 || comando_buste->count("--export") > 0) {
    const std::filesystem::path percorso(file_export);
    formato_export = zellora::formato_da_estensione(percorso);
    if (!formato_export) {
      return errore_uso("cannot export to " + zellora::citazione_file(file_export) + ": " +
                        (zellora::solo_estensione(percorso)
                             ? "the file name has nothing before the extension"
                             : "the file name must end in .docx, .odt or .pdf"));
    }
#if !ZELLORA_PDF
    if (*formato_export == zellora::Formato::pdf) {
      return errore_uso("cannot export to " + zellora::citazione_file(file_export) +
                        ": PDF export needs the build with Qt");
    }
#endif
  }

  if (app.count("--chart") > 0) {
    if (!estensione_grafico(file_grafico)) {
      return errore_uso("cannot write the charts to " + zellora::citazione_file(file_grafico) +
                        ": the file name must end in .svg or .png");
    }
#if !ZELLORA_GRAFICI
    return errore_uso("cannot write the charts to " + zellora::citazione_file(file_grafico) +
                      ": charts need the build with Qt Charts");
#endif
  }

  zellora::Errore ragione;
  const std::optional<std::string> testo =
      zellora::leggi_file(file_input, zellora::limite_richiesta, ragione);
  if (!testo) {
    const bool standard = file_input.empty() || file_input == "-";
    return errore_uso(
        "cannot read " +
        (standard ? std::string("standard input") : zellora::citazione_file(file_input)) + ": " +
        ragione.ragione);
  }

  zellora::Richiesta richiesta;
  try {
    richiesta = zellora::leggi_richiesta_json(*testo, regole_utente ? &*regole_utente : nullptr,
                                              &normative);
  } catch (const nlohmann::json::exception& e) {
    return errore_uso("invalid JSON: " + zellora::messaggio_json(e));
  } catch (const zellora::ErroreRichiesta& e) {
    return errore_uso(e.what());
  }

  zellora::Motore motore(locale, *richiesta.regole);
  motore.offri_normative(normative);
  zellora::applica_profilo(motore, richiesta);
  if (*comando_buste) {
    // The year's choices come from the request ("payslips") or from the
    // command line, not from both.
    const bool nella_richiesta = std::find(richiesta.buste_date.begin(), richiesta.buste_date.end(),
                                           true) != richiesta.buste_date.end();
    std::string errore_scelte;
    if (nella_richiesta) {
      if (zellora::scelte_buste_date(*comando_buste)) {
        return errore_uso(
            "payslips: the request gives the year's choices (\"payslips\"): give them there or "
            "as options, not both");
      }
      errore_scelte = zellora::leggi_campi_buste(richiesta.buste, locale, argomenti_buste.opzioni);
    }
    return stampa_buste(
        motore, richiesta.campi, argomenti_buste.opzioni,
        formato_buste.empty() ? (ZELLORA_ISATTY(stdout) ? "text" : "json") : formato_buste,
        errore_scelte, formato_export, file_export);
  }
  const zellora::EsitoCalcolo esito = motore.verifica_campi(richiesta.campi);
  if (*comando_curva) return stampa_curva(esito, motore, opzioni_curva);
  {
    const std::unique_ptr<zellora::ScritturaFile> out = zellora::ScritturaFile::uscita_standard();
    out->flusso() << (formato == "json"
                          ? zellora::uscita_json(esito, motore)
                          : zellora::uscita_testo(esito, motore, richiesta.campi.Option2));
    if (!out->completa(ragione)) {
      return errore_uso("cannot write the results to standard output: " + ragione.ragione);
    }
  }
  if (esito.stato == zellora::Stato::rifiutato) return 1;
  if (formato_export) {
    const int stato = esporta(file_export, *formato_export, motore, richiesta.campi.Option2);
    if (stato != 0) return stato;
  }
  if (app.count("--chart") > 0) return scrivi_grafici(file_grafico, motore);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  occupa_flussi_chiusi();
  zellora::proteggi_scritture();
  // No input may end the program without a message.
  try {
    return principale(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "zellora-cli: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "zellora-cli: unexpected error\n";
  }
  return 2;
}
