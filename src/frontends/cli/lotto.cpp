#include "cli/lotto.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>

#include <nlohmann/json.hpp>

#include "base/citazione.h"
#include "cli/richiesta.h"
#include "cli/richiesta_json.h"
#include "cli/uscita.h"
#include "cli/uscita_buste.h"
#include "form/buste_paga.h"
#include "form/motore.h"
#include "form/verifica.h"
#include "numbers/numeri.h"

namespace zellora {

namespace {

constexpr std::size_t righe_per_blocco = 16384;
constexpr std::uint64_t byte_per_blocco = std::uint64_t{8} << 20;

ErroreLotto senza_intestazione() {
  return ErroreLotto("the input has no header row of control names",
                     "il file non ha una riga d'intestazione con i nomi dei controlli");
}

// ---------------------------------------------------------------- reading

// What a record held beyond the cells kept.
struct FormaRecord {
  static constexpr std::size_t nessuna = static_cast<std::size_t>(-1);
  std::uint64_t celle = 0;             // cells in the record, also those not kept
  std::size_t troppo_lunga = nessuna;  // where the first cell over limite_cella is kept
  std::size_t senza_nome = nessuna;    // the first filled cell of a column with no name
  bool vuota = false;                  // a blank line
};

// Reads the records of a CSV text: cells separated by one sign, quoted with
// double quotes when they hold the sign, a quote or a line break. What it
// keeps is bounded: at most the header's width of cells per record, each of
// at most limite_cella bytes; the rest of a record is only counted.
class LettoreCsv {
 public:
  explicit LettoreCsv(std::istream& in) : in_(in) {}

  // No separator: every record is one cell.
  static constexpr int nessun_separatore = 256;

  // The separator of the first line: ';' if it holds one, otherwise ',' if
  // it holds one, otherwise none (a sheet of one column). Looks at most at
  // the first MiB of the line; the line is read again as a record.
  int trova_separatore() {
    bool virgola = false;
    for (std::size_t i = pos_; i - pos_ < (std::size_t{1} << 20); ++i) {
      if (i == buffer_.size() && !riempi()) break;
      const char c = buffer_[i];
      if (c == '\n' || c == '\r' || c == ';') {
        return c == ';' ? ';' : (virgola ? ',' : nessun_separatore);
      }
      virgola = virgola || c == ',';
    }
    return virgola ? ',' : nessun_separatore;
  }

  void separatore(int s) { separatore_ = s; }

  // Where the cells of each record are kept: the cell of column i in
  // `celle[posto[i]]`; a column with posto[i] == nessun_posto is only checked
  // to be empty, and cells past the end of `posto` are only counted.
  static constexpr std::size_t nessun_posto = static_cast<std::size_t>(-1);
  void colonne(std::vector<std::size_t> posto, std::size_t posti) {
    posto_ = std::move(posto);
    posti_ = posti;
  }

  // The first character of the input that is not blank, after a BOM; 0 when
  // the first MiB holds none. Nothing is taken from the input.
  char primo_carattere() {
    for (std::size_t i = pos_; i - pos_ < (std::size_t{1} << 20); ++i) {
      if (i == buffer_.size() && !riempi()) break;
      if (i == pos_ && buffer_.compare(pos_, 3, "\xEF\xBB\xBF") == 0) {
        i += 2;
        continue;
      }
      const char c = buffer_[i];
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return c;
    }
    return 0;
  }

  // The most bytes a record (a CSV row, a line of JSON Lines) may take: one
  // past it cannot be the row of a sheet, and the rest of the input cannot
  // be split into rows; what such a record is called, in English and in
  // Italian.
  void limite_record(std::uint64_t byte, std::string cosa, std::string cosa_italiano) {
    limite_record_ = byte;
    cosa_record_ = std::move(cosa);
    cosa_record_italiano_ = std::move(cosa_italiano);
  }

  // The next record, or false at the end of the input. Skips a leading BOM.
  // Throws ErroreLotto for a quoted cell that is never closed and for a
  // record longer than its limit.
  bool record(std::vector<std::string>& celle, FormaRecord& forma) {
    if (!disponibile()) return false;
    if (inizio_ && buffer_.compare(pos_, 3, "\xEF\xBB\xBF") == 0) {
      pos_ += 3;
      letti_ += 3;
    }
    inizio_ = false;
    ++righe_;
    inizio_record_ = letti_;
    forma = FormaRecord{};
    if (!posto_.empty()) {
      celle.resize(posti_);
      for (auto& c : celle) c.clear();
    }
    std::size_t n = 0;            // cells begun
    std::uint64_t lunghezza = 0;  // bytes of the current cell
    std::string* corrente = nullptr;
    std::size_t posto = nessun_posto;  // where the current cell is kept
    auto nuova_cella = [&] {
      const std::size_t k = n++;
      lunghezza = 0;
      corrente = nullptr;
      if (posto_.empty()) {
        posto = k < massimo_celle_ ? k : nessun_posto;
        if (posto != nessun_posto) {
          if (k == celle.size()) celle.emplace_back();
          celle[k].clear();
        }
      } else {
        posto = k < posto_.size() ? posto_[k] : nessun_posto;
      }
      if (posto != nessun_posto) corrente = &celle[posto];
    };
    auto chiudi_cella = [&] {
      const std::size_t k = n - 1;
      if (lunghezza > 0 && k < posto_.size() && posto_[k] == nessun_posto &&
          forma.senza_nome == FormaRecord::nessuna) {
        forma.senza_nome = k;
      }
    };
    auto aggiungi = [&](const char* da, const char* a) {
      const auto k = static_cast<std::size_t>(a - da);
      lunghezza += k;
      if (corrente == nullptr) return;
      if (corrente->size() + k > limite_cella) {
        if (forma.troppo_lunga == FormaRecord::nessuna) forma.troppo_lunga = posto;
        std::string().swap(*corrente);
        corrente = nullptr;
        return;
      }
      corrente->append(da, a);
    };
    nuova_cella();
    bool virgolette = false;
    bool tra_virgolette = false;
    std::uint64_t riga_virgolette = 0;
    while (true) {
      troppo_lungo();
      if (!disponibile()) {
        if (virgolette) {
          throw ErroreLotto(
              Errore{"row " + std::to_string(righe_) + ", cell " + std::to_string(n),
                     "the quote that opens the cell on line " + std::to_string(riga_virgolette) +
                         " is never closed, so the rest of the input cannot be split into "
                         "rows (a quote inside a cell is written twice: \"\")"},
              "riga " + std::to_string(righe_) + ", cella " + std::to_string(n) +
                  ": le virgolette che aprono la cella alla linea " +
                  std::to_string(riga_virgolette) +
                  " non si chiudono mai, e il resto del file non si pu\u00f2 dividere in righe "
                  "(le virgolette dentro una cella si scrivono due volte: \"\")");
        }
        break;
      }
      const char* inizio = buffer_.data() + pos_;
      const char* fine = buffer_.data() + buffer_.size();
      if (virgolette) {
        // Quoted text up to the next quote, in one piece.
        const auto* q = static_cast<const char*>(std::memchr(inizio, '"', fine - inizio));
        const char* p = q != nullptr ? q : fine;
        linea_ += static_cast<std::uint64_t>(std::count(inizio, p, '\n'));
        aggiungi(inizio, p);
        avanza(p - inizio);
        if (p == fine) continue;
        avanza(1);
        if (disponibile() && buffer_[pos_] == '"') {
          static constexpr char virgoletta = '"';
          aggiungi(&virgoletta, &virgoletta + 1);
          avanza(1);
        } else {
          virgolette = false;
        }
        continue;
      }
      // Plain text up to the next sign that matters, in one piece.
      const char* p = inizio;
      while (p < fine && *p != separatore_ && *p != '\n' && *p != '"' && *p != '\r') ++p;
      aggiungi(inizio, p);
      avanza(p - inizio);
      if (p == fine) continue;
      const char c = *p;
      avanza(1);
      if (c == '"' && lunghezza == 0 && !tra_virgolette) {
        virgolette = true;
        tra_virgolette = true;
        riga_virgolette = linea_;
      } else if (c == separatore_) {
        chiudi_cella();
        nuova_cella();
        tra_virgolette = false;
      } else if (c == '\n') {
        ++linea_;
        break;
      } else if (c == '\r') {
        // A line end of Windows (CR LF) or of the old Macintosh (CR alone):
        // a CR is never part of an unquoted cell, where it would join the
        // digits on either side of it into another number.
        if (disponibile() && buffer_[pos_] == '\n') avanza(1);
        ++linea_;
        break;
      } else {
        aggiungi(p, p + 1);
      }
    }
    chiudi_cella();
    forma.celle = n;
    forma.vuota = n == 1 && lunghezza == 0;
    if (posto_.empty()) celle.resize(std::min(n, massimo_celle_));
    return true;
  }

  // The next line as it is, without its line break, or false at the end of
  // the input; a line longer than limite_cella is not kept (`lunga` true).
  bool linea(std::string& testo, bool& lunga) {
    testo.clear();
    lunga = false;
    if (!disponibile()) return false;
    ++righe_;
    inizio_record_ = letti_;
    while (disponibile()) {
      troppo_lungo();
      const char* inizio = buffer_.data() + pos_;
      const char* fine = buffer_.data() + buffer_.size();
      const auto* q = static_cast<const char*>(std::memchr(inizio, '\n', fine - inizio));
      const char* p = q != nullptr ? q : fine;
      if (!lunga && testo.size() + static_cast<std::size_t>(p - inizio) > limite_cella) {
        lunga = true;
        std::string().swap(testo);
      }
      if (!lunga) testo.append(inizio, p);
      avanza(p - inizio);
      if (p != fine) {
        avanza(1);
        break;
      }
    }
    if (!testo.empty() && testo.back() == '\r') testo.pop_back();  // a Windows line end
    return true;
  }

  // The most cells a record is read into when no columns are set.
  void massimo_celle(std::size_t n) { massimo_celle_ = n; }

  std::uint64_t letti() const { return letti_; }

 private:
  bool disponibile() { return pos_ < buffer_.size() || riempi(); }

  void troppo_lungo() const {
    if (letti_ - inizio_record_ <= limite_record_) return;
    throw ErroreLotto(
        Errore{"row " + std::to_string(righe_),
               "more than " + std::to_string(limite_record_ >> 20) + " MiB without the end of " +
                   cosa_record_ + ": the input is not a sheet of workers"},
        "riga " + std::to_string(righe_) + ": pi\u00f9 di " + std::to_string(limite_record_ >> 20) +
            " MiB senza la fine di " + cosa_record_italiano_ +
            ": il file non \u00e8 un foglio di lavoratori");
  }

  void avanza(std::ptrdiff_t n) {
    pos_ += static_cast<std::size_t>(n);
    letti_ += static_cast<std::uint64_t>(n);
  }

  bool riempi() {
    if (pos_ > 0) {
      buffer_.erase(0, pos_);
      pos_ = 0;
    }
    std::array<char, 1 << 16> blocco;
    in_.read(blocco.data(), blocco.size());
    const auto n = static_cast<std::size_t>(in_.gcount());
    buffer_.append(blocco.data(), n);
    return n > 0;
  }

  std::istream& in_;
  std::string buffer_;
  std::size_t pos_ = 0;
  std::uint64_t letti_ = 0;
  std::uint64_t righe_ = 0;  // records read, as rows of the spreadsheet
  std::uint64_t linea_ = 1;  // line of the text at the reading point
  int separatore_ = ',';
  std::vector<std::size_t> posto_;
  std::size_t posti_ = 0;
  std::size_t massimo_celle_ = 0;
  bool inizio_ = true;
  std::uint64_t inizio_record_ = 0;
  std::uint64_t limite_record_ = UINT64_MAX;
  std::string cosa_record_;
  std::string cosa_record_italiano_;
};

// How a column of the spreadsheet sets the request.
struct Colonna {
  std::string nome;          // the control or profile figure; empty: no name
  std::string intestazione;  // as the header names it ("profile.NAME")
  TipoChiave tipo = TipoChiave::sconosciuta;
  std::string CampiForm1::*testo = nullptr;  // a text field, set directly
  const CampoBuste* busta = nullptr;         // a choice of the year ("payslips.KEY")
};

// The most cells a header may have; a spreadsheet's empty columns are taken,
// but not without end. The header row, names and separators, takes at most
// limite_intestazione bytes.
constexpr std::size_t celle_intestazione = 65536;

std::string_view senza_spazi(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The columns of the header. A column without a name (a spreadsheet's empty
// column, a separator at the end of the header) is taken; its cells must be
// empty. The choices of a year of payslips ("payslips.KEY") only in a run of
// years (`buste`).
std::vector<Colonna> colonne_da_intestazione(const std::vector<std::string>& intestazione,
                                             bool buste) {
  std::vector<Colonna> colonne;
  bool con_nome = false;
  for (const auto& grezzo : intestazione) {
    Colonna c;
    c.intestazione = std::string(senza_spazi(grezzo));
    if (c.intestazione.empty()) {
      colonne.push_back(std::move(c));
      continue;
    }
    const std::string_view nome = c.intestazione;
    if (nome.rfind("payslips.", 0) == 0) {
      c.nome = std::string(nome.substr(9));
      c.busta = campo_buste(c.nome);
      if (c.busta == nullptr) {
        throw ErroreLotto(
            "unknown column " + citazione(nome) + ": not a choice of the year of payslips",
            "colonna sconosciuta " + citazione(nome) +
                ": non \u00e8 una scelta delle buste paga dell'anno");
      }
      if (!buste) {
        throw ErroreLotto("column " + citazione(nome) +
                              " is a choice of the year of payslips: it goes with `batch "
                              "--payslips`",
                          "la colonna " + citazione(nome) +
                              " \u00e8 una scelta delle buste paga dell'anno: vale solo per "
                              "le buste paga");
      }
      c.tipo = TipoChiave::testo;
    } else if (nome.rfind("profile.", 0) == 0) {
      c.tipo = tipo_chiave(nome.substr(8)) == TipoChiave::profilo ? TipoChiave::profilo
                                                                  : TipoChiave::sconosciuta;
      c.nome = std::string(nome.substr(8));
    } else {
      c.nome = c.intestazione;
      c.tipo = tipo_chiave(nome);
      if (c.tipo == TipoChiave::profilo) c.tipo = TipoChiave::sconosciuta;  // needs "profile."
    }
    // Text fields are set directly; the lists and drop-downs go through the
    // request rules, which check their items.
    if (const CampoTesto* t = campo_testo(c.nome)) c.testo = t->campo;
    if (c.tipo == TipoChiave::sconosciuta) {
      throw ErroreLotto("unknown column " + citazione(nome) +
                            ": not a control of the input form (nor profile.NAME)",
                        "colonna sconosciuta " + citazione(nome) +
                            ": non \u00e8 un controllo del modulo (n\u00e9 profile.NOME)");
    }
    for (const auto& prima : colonne) {
      if (prima.nome == c.nome && prima.tipo == c.tipo && prima.busta == c.busta) {
        throw ErroreLotto("column " + citazione(nome) + " appears twice",
                          "la colonna " + citazione(nome) + " compare due volte");
      }
    }
    con_nome = true;
    colonne.push_back(std::move(c));
  }
  if (!con_nome) throw senza_intestazione();
  return colonne;
}

bool booleano_da_cella(std::string_view cella, const std::string& colonna) {
  const std::string v = minuscolo(senza_spazi(cella));
  if (v == "true" || v == "1" || v == "vero" || v == "si" || v == "s\u00ec") return true;
  if (v == "false" || v == "0" || v == "falso" || v == "no") return false;
  throw ErroreRichiesta(colonna + " must be true or false, not " + citazione(cella),
                        colonna +
                            " deve essere vero o falso (true o false, 1 o 0, s\u00ec o no), " +
                            "non " + citazione(cella));
}

// A profile figure, read as every other number of the sheet (the locale's
// decimal and grouping signs); only finite numbers.
double numero_da_cella(std::string_view cella, const std::string& colonna, const Locale& locale) {
  const std::optional<double> numero = converti_numero(cella, locale);
  if (!numero || !std::isfinite(*numero)) {
    throw ErroreRichiesta(colonna + " must be a number, not " + citazione(cella),
                          colonna + " deve essere un numero, non " + citazione(cella));
  }
  return *numero;
}

// The columns of the sheet that name a control or a profile figure, in the
// order of the header; a row keeps its cells in the same order.
struct Intestazione {
  std::vector<Colonna> colonne;
  std::size_t larghezza = 0;    // cells of the header, with those without a name
  std::size_t ultima = 0;       // position in the header of the last named column
  bool attuali = false;         // the output has the columns of today's law
  bool addizionali = false;     // and those of the surcharges: the sheet has their columns
  bool normativa_dopo = false;  // a "Combo4" column comes after "List1"
};

// One worker waiting to be calculated, as read.
struct Riga {
  std::uint64_t numero = 0;
  std::vector<std::string> celle;  // CSV
  FormaRecord forma;               // CSV: what the record held beyond its cells
  std::string json;                // JSON Lines
  bool lunga = false;              // JSON Lines: the line was too long to keep
};

// ---------------------------------------------------------------- writing

// A cell of the output, quoted when needed; bytes that are not UTF-8 as
// U+FFFD, so that the file is valid UTF-8 whatever the input held.
void cella_csv(std::string& out, std::string_view testo, char separatore) {
  // Plain ASCII without a sign that needs quotes, the common case: as it is.
  const auto speciale = [separatore](char c) {
    return c == separatore || c == '"' || c == '\n' || c == '\r' ||
           static_cast<unsigned char>(c) >= 0x80;
  };
  if (std::none_of(testo.begin(), testo.end(), speciale)) {
    out += testo;
    return;
  }
  std::string valido;
  if (std::any_of(testo.begin(), testo.end(),
                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    aggiungi_utf8_valido(valido, testo);
    testo = valido;
  }
  if (std::none_of(testo.begin(), testo.end(), [separatore](char c) {
        return c == separatore || c == '"' || c == '\n' || c == '\r';
      })) {
    out += testo;
    return;
  }
  out += '"';
  for (char c : testo) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// Under the rules of 2007 the columns are those of the original: the 21
// texts and the first 36 figures; a sheet that can hold today's law (a
// "Combo4" column, or --rules with such a rule set) has all of them.
std::string intestazione_csv(char s, bool attuali, bool addizionali) {
  std::string h = "row";
  h += s;
  h += "status";
  h += s;
  h += "messages";
  for (int n = 1; n <= caselle_mostrate(attuali, addizionali); ++n) {
    h += s;
    h += "Form2.Text" + std::to_string(n);
  }
  const auto& campi = campi_record();
  for (std::size_t i = 0; i < campi_elencati(attuali, addizionali); ++i) {
    h += s;
    h += campi[i].nome;
  }
  h += s;
  h += "rules";
  h += '\n';
  return h;
}

// A run of years of payslips: the worker's row, status and messages, a line
// of the year as `zellora-cli payslips --format csv` writes it, the rule set.
std::string intestazione_buste_csv(char s) {
  std::string h = "row";
  h += s;
  h += "status";
  h += s;
  h += "messages";
  h += s;
  aggiungi_intestazione_buste_csv(h, s);
  h += s;
  h += "rules";
  h += '\n';
  return h;
}

constexpr std::string_view stato_non_valida = "invalid";

// The outcome of one row, for the summary.
struct EsitoRiga {
  std::string_view stato;  // "ok", "unreachable", "refused" or "invalid"
  std::string messaggi;    // joined, for the report of a bad row
  std::optional<double> netto;
  std::optional<double> costo;
  std::uint64_t buste = 0;  // the lines of the year written (none without a year)
};

std::string unisci(const std::vector<std::string>& messaggi) {
  std::string s;
  for (const auto& m : messaggi) {
    if (!s.empty()) s += " | ";
    s += m;
  }
  return s;
}

// A worker's object of JSON Lines: its row, status and messages first, the
// rule set last.
void apri_oggetto_json(std::string& out, const Riga& riga, const EsitoRiga& esito,
                       const std::vector<std::string>& messaggi) {
  out += "{\"row\":" + std::to_string(riga.numero) + ",\"status\":\"";
  out += esito.stato;
  out += "\",\"messages\":[";
  for (std::size_t i = 0; i < messaggi.size(); ++i) {
    if (i > 0) out += ',';
    aggiungi_stringa_json(out, messaggi[i]);
  }
  out += ']';
}

void chiudi_oggetto_json(std::string& out, const RegoleCalcolo* regole) {
  out += ",\"rules\":";
  if (regole != nullptr) {
    aggiungi_stringa_json(out, regole->nome);
  } else {
    out += "null";
  }
  out += "}\n";
}

// `regole`: the rule set of the row; nothing for a row whose rule set is
// not known (an invalid row without --rules).
void scrivi_riga(std::string& out, const Riga& riga, const EsitoRiga& esito,
                 const std::vector<std::string>& messaggi, const Motore* motore,
                 const RegoleCalcolo* regole, FormatoLotto formato, char s, bool attuali,
                 bool addizionali) {
  if (formato == FormatoLotto::csv) {
    out += std::to_string(riga.numero);
    out += s;
    out += esito.stato;
    out += s;
    cella_csv(out, esito.messaggi, s);
    const int caselle = caselle_mostrate(attuali, addizionali);
    const std::size_t numeri = campi_elencati(attuali, addizionali);
    if (motore == nullptr) {
      out.append(static_cast<std::size_t>(caselle) + numeri, s);
    } else {
      const Risultati& risultati = motore->risultati();
      for (int n = 1; n <= caselle; ++n) {
        out += s;
        cella_csv(out, risultati.Text(n), s);
      }
      // The figures written in place, then added to the row at once.
      const auto& campi = campi_record();
      const RecordCalcolo& record = motore->record();
      std::array<char, numero_campi_record*(spazio_numero_decimale + 1)> cifre;
      char* p = cifre.data();
      for (std::size_t i = 0; i < numeri; ++i) {
        *p++ = s;
        p = scrivi_numero_decimale(p, record.*campi[i].campo);
      }
      out.append(cifre.data(), p);
    }
    out += s;
    if (regole != nullptr) cella_csv(out, regole->nome, s);
    out += '\n';
    return;
  }
  apri_oggetto_json(out, riga, esito, messaggi);
  if (motore != nullptr) {
    constexpr StileJson una_riga{"", ""};
    out += ",\"results\":";
    aggiungi_risultati_json(out, motore->risultati(), una_riga);
    out += ",\"record\":";
    aggiungi_record_json(out, motore->record(), una_riga, regole_attuali(motore->regole()),
                         motore->risultati().righe_addizionali);
  }
  chiudi_oggetto_json(out, regole);
}

// A worker of a run of years: each line of the year, or one row without
// figures when there is no year (`anno` null). `messaggi` are the form's;
// the notes of the year follow them in the CSV's messages.
void scrivi_buste(std::string& out, const Riga& riga, const EsitoRiga& esito,
                  const std::vector<std::string>& messaggi, const EsitoBuste* anno,
                  const RegoleCalcolo* regole, FormatoLotto formato, char s) {
  if (formato == FormatoLotto::csv) {
    std::string inizio = std::to_string(riga.numero);
    inizio += s;
    inizio += esito.stato;
    inizio += s;
    std::string testo = esito.messaggi;
    if (anno != nullptr) {
      for (const std::string& nota : anno->note) testo += (testo.empty() ? "" : " | ") + nota;
    }
    cella_csv(inizio, testo, s);
    inizio += s;
    std::string fine(1, s);
    if (regole != nullptr) cella_csv(fine, regole->nome, s);
    fine += '\n';
    if (anno == nullptr || !anno->anno) {
      out += inizio;
      out.append(colonne_buste_dati + 1, s);  // the month, the kind and the figures
      out += fine;
      return;
    }
    for (const BustaPaga& b : anno->anno->buste) {
      out += inizio;
      aggiungi_busta_csv(out, b, s);
      out += fine;
    }
    return;
  }
  apri_oggetto_json(out, riga, esito, messaggi);
  if (anno != nullptr) aggiungi_anno_json(out, *anno);
  chiudi_oggetto_json(out, regole);
}

// ---------------------------------------------------------------- one row

// The formats of the run: what the rows are read as and written as.
struct Formati {
  FormatoLotto ingresso = FormatoLotto::csv;
  FormatoLotto uscita = FormatoLotto::csv;
};

// The year of payslips of a worker read whole, as `zellora-cli payslips`
// works it out: the year's choices checked as the form's fields first.
EsitoRiga calcola_buste(const Riga& riga, Richiesta& richiesta, const OpzioniLotto& opzioni,
                        Formati formati, std::string& uscita, char separatore) {
  EsitoRiga esito;
  Motore motore(opzioni.locale, *richiesta.regole);
  motore.offri_normative(*opzioni.normative);
  applica_profilo(motore, richiesta);
  OpzioniBuste scelte;
  std::string errore;
  if (std::find(richiesta.buste_date.begin(), richiesta.buste_date.end(), true) !=
      richiesta.buste_date.end()) {
    errore = leggi_campi_buste(richiesta.buste, opzioni.locale, scelte);
  }
  EsitoBuste anno;
  if (errore.empty()) {
    anno = buste_paga(motore, richiesta.campi, scelte);
  } else {
    anno.esito.stato = Stato::rifiutato;
    anno.esito.messaggi.push_back(std::move(errore));
  }
  esito.stato = nome_stato(anno.esito.stato);
  esito.messaggi = unisci(anno.esito.messaggi);
  if (anno.anno) {
    esito.netto = static_cast<double>(anno.anno->totale.netto) / 100.0;
    esito.buste = anno.anno->buste.size();
  }
  scrivi_buste(uscita, riga, esito, anno.esito.messaggi, &anno, richiesta.regole, formati.uscita,
               separatore);
  return esito;
}

EsitoRiga calcola_riga(Riga& riga, const Intestazione& intestazione, const OpzioniLotto& opzioni,
                       Formati formati, std::string& uscita, char separatore) {
  EsitoRiga esito;
  std::vector<std::string> messaggi;
  Richiesta richiesta;
  if (opzioni.regole != nullptr) {
    richiesta.regole = opzioni.regole;
    richiesta.regole_fissate = true;
  }
  richiesta.normative = opzioni.normative;
  richiesta.normativa_in_arrivo = intestazione.normativa_dopo;
  bool valida = true;
  try {
    if (formati.ingresso == FormatoLotto::jsonl) {
      if (riga.lunga) {
        throw ErroreRichiesta("the line holds more than " + std::to_string(limite_cella) +
                                  " bytes, more than a row may hold",
                              "la linea contiene pi\u00f9 di " + std::to_string(limite_cella) +
                                  " byte, pi\u00f9 di quanti ne possa contenere una riga");
      }
      richiesta = leggi_richiesta_json(riga.json, opzioni.regole, opzioni.normative);
    } else {
      const FormaRecord& forma = riga.forma;
      const std::vector<Colonna>& colonne = intestazione.colonne;
      // Cells missing at the end are fine under columns without a name.
      if (forma.celle > intestazione.larghezza || forma.celle <= intestazione.ultima) {
        throw ErroreRichiesta("the row has " + std::to_string(forma.celle) + " cells, the header " +
                                  std::to_string(intestazione.larghezza),
                              "la riga ha " + std::to_string(forma.celle) +
                                  (forma.celle == 1 ? " cella" : " celle") + ", l'intestazione " +
                                  std::to_string(intestazione.larghezza));
      }
      if (forma.troppo_lunga != FormaRecord::nessuna) {
        const std::string& colonna = colonne[forma.troppo_lunga].intestazione;
        throw ErroreRichiesta(colonna + " holds more than " + std::to_string(limite_cella) +
                                  " bytes, more than a cell may hold",
                              colonna + " contiene pi\u00f9 di " + std::to_string(limite_cella) +
                                  " byte, pi\u00f9 di quanti ne possa contenere una cella");
      }
      if (forma.senza_nome != FormaRecord::nessuna) {
        const std::string cella = std::to_string(forma.senza_nome + 1);
        throw ErroreRichiesta(
            "cell " + cella + " is filled, but its column has no name in the header",
            "la cella " + cella +
                " non \u00e8 vuota, ma la sua colonna non ha un nome "
                "nell'intestazione");
      }
      for (std::size_t i = 0; i < colonne.size(); ++i) {
        std::string& cella = riga.celle[i];  // taken: the row is not read again
        if (cella.empty()) continue;         // the form's initial value
        const Colonna& c = colonne[i];
        if (c.busta != nullptr) {
          richiesta.buste.*(c.busta->testo) = std::move(cella);
          richiesta.buste_date[static_cast<std::size_t>(c.busta - campi_buste.data())] = true;
          continue;
        }
        switch (c.tipo) {
          case TipoChiave::testo:
            if (c.testo != nullptr) {
              richiesta.campi.*(c.testo) = std::move(cella);
            } else {
              imposta_testo(richiesta, c.nome, std::move(cella));
            }
            break;
          case TipoChiave::booleano:
            imposta_booleano(richiesta, c.nome, booleano_da_cella(cella, c.nome));
            break;
          case TipoChiave::profilo:
            imposta_profilo(richiesta, c.nome,
                            numero_da_cella(cella, c.intestazione, opzioni.locale));
            break;
          case TipoChiave::sconosciuta:
            break;
        }
      }
      completa_richiesta(richiesta);
    }
  } catch (const ErroreRichiesta& e) {
    messaggi.emplace_back(e.testo(opzioni.lingua));
    valida = false;
  } catch (const nlohmann::json::exception& e) {
    messaggi.emplace_back(json_non_valido(e, opzioni.lingua));
    valida = false;
  }
  if (!valida) {
    esito.stato = stato_non_valida;
    esito.messaggi = unisci(messaggi);
    if (opzioni.buste) {
      scrivi_buste(uscita, riga, esito, messaggi, nullptr, opzioni.regole, formati.uscita,
                   separatore);
    } else {
      scrivi_riga(uscita, riga, esito, messaggi, nullptr, opzioni.regole, formati.uscita,
                  separatore, intestazione.attuali, intestazione.addizionali);
    }
    return esito;
  }
  if (opzioni.buste) return calcola_buste(riga, richiesta, opzioni, formati, uscita, separatore);

  // A sheet's results have the surcharges' columns only when its header
  // has theirs: a row that asks for them elsewhere would show a net without
  // the amounts it subtracts.
  if (formati.uscita == FormatoLotto::csv && !intestazione.addizionali &&
      addizionali_chieste(richiesta.campi) && addizionali_disponibili(*richiesta.regole)) {
    esito.stato = stato_non_valida;
    messaggi.emplace_back(
        opzioni.lingua == Lingua::italiano
            ? "la riga chiede l'addizionale regionale o comunale, ma i risultati non hanno le "
              "loro colonne: dare un foglio la cui intestazione ha Combo5, Text22, Text23, "
              "Text24 o Text25, o un foglio JSON Lines"
            : "the row asks for the regional or municipal surcharge, but the results have no "
              "columns for them: give the input as a sheet whose header has Combo5, Text22, "
              "Text23, Text24 or Text25, or write the results as JSON Lines");
    esito.messaggi = unisci(messaggi);
    scrivi_riga(uscita, riga, esito, messaggi, nullptr, richiesta.regole, formati.uscita,
                separatore, intestazione.attuali, intestazione.addizionali);
    return esito;
  }
  Motore motore(opzioni.locale, *richiesta.regole);
  applica_profilo(motore, richiesta);
  const EsitoCalcolo calcolo = motore.verifica_campi(std::move(richiesta.campi));
  esito.stato = nome_stato(calcolo.stato);
  esito.messaggi = unisci(calcolo.messaggi);
  const bool calcolata = calcolo.stato != Stato::rifiutato;
  if (calcolata) {
    // The net and the cost of labour as shown, for the totals.
    const CifreRisultato& cifre = motore.risultati().cifre;
    const auto euro = [&cifre](Genere genere) -> std::optional<double> {
      const auto c = cifre.centesimi(righe_risultato[riga_del_genere(genere)].casella);
      if (!c) return std::nullopt;
      return static_cast<double>(*c) / 100.0;
    };
    esito.netto = euro(Genere::netto);
    esito.costo = euro(Genere::totale);
  }
  scrivi_riga(uscita, riga, esito, calcolo.messaggi, calcolata ? &motore : nullptr,
              richiesta.regole, formati.uscita, separatore, intestazione.attuali,
              intestazione.addizionali);
  return esito;
}

}  // namespace

std::string testo_riepilogo(const RiepilogoLotto& r, const Locale& locale, Lingua lingua) {
  const bool italiano = lingua == Lingua::italiano;
  std::string t;
  for (const RigaScartata& s : r.scartate) {
    // The status as the results' column writes it, in words in Italian.
    const std::string stato = !italiano                     ? s.stato
                              : s.stato == stato_non_valida ? "non valida"
                                                            : "rifiutata";
    t += (italiano ? "riga " : "row ") + std::to_string(s.riga) + ": " + stato + ": " + s.messaggi +
         "\n";
  }
  const std::string altre = std::to_string(r.rifiutati - r.scartate.size());
  if (r.rifiutati > r.scartate.size()) {
    t += italiano ? "... e altre " + altre + " righe non calcolate (vedere la colonna status)\n"
                  : "... and " + altre + " more rows not calculated (see the status column)\n";
  }
  const std::string lavoratori = std::to_string(r.lavoratori);
  const std::string rifiutati = std::to_string(r.rifiutati);
  const std::string irraggiungibili = std::to_string(r.irraggiungibili);
  if (r.buste_paga) {
    // A year of payslips has no cost of labour, and no net to reach.
    const std::string buste = std::to_string(r.buste);
    t += italiano ? "lavoratori: " + lavoratori + ", non calcolati: " + rifiutati +
                        ", righe dell'anno: " + buste + "\n"
                  : "workers: " + lavoratori + ", refused: " + rifiutati +
                        ", lines of the year: " + buste + "\n";
    t += (italiano ? "totale" : "total") + std::string(" \"Netto in busta\": ") +
         formato_F(r.totale_netto, locale).value_or("?") + "\n";
    return t;
  }
  t += italiano ? "lavoratori: " + lavoratori + ", non calcolati: " + rifiutati +
                      ", netto irraggiungibile: " + irraggiungibili + "\n"
                : "workers: " + lavoratori + ", refused: " + rifiutati +
                      ", unreachable: " + irraggiungibili + "\n";
  const std::string totale = italiano ? "totale" : "total";
  t += totale + " \"Netto in busta\": " + formato_F(r.totale_netto, locale).value_or("?") + "\n";
  t += totale + " \"Costo del Lavoro\": " + formato_F(r.totale_costo, locale).value_or("?") + "\n";
  return t;
}

RiepilogoLotto esegui_lotto(std::istream& in, std::ostream& out, const OpzioniLotto& opzioni) {
  RiepilogoLotto riepilogo;
  riepilogo.buste_paga = opzioni.buste;
  LettoreCsv csv(in);
  Formati formati;
  formati.ingresso = opzioni.formato;
  if (opzioni.riconosci_formato) {
    formati.ingresso = csv.primo_carattere() == '{' ? FormatoLotto::jsonl : FormatoLotto::csv;
  }
  formati.uscita = opzioni.formato_uscita.value_or(formati.ingresso);
  // Without a header of its own, the results are written with the
  // separator its locale's spreadsheets use, and with the columns of every
  // rule set a row may name.
  char separatore = opzioni.locale.decimale == "," ? ';' : ',';
  Intestazione intestazione;
  intestazione.attuali = opzioni.regole == nullptr || regole_attuali(*opzioni.regole);
  std::uint64_t numero = 0;

  if (formati.ingresso == FormatoLotto::csv) {
    csv.limite_record(limite_intestazione, "the header row", "la riga d'intestazione");
    const int trovato = csv.trova_separatore();
    csv.separatore(trovato);
    // A sheet of one column is written back with the separator its locale's
    // spreadsheets use.
    separatore = trovato != LettoreCsv::nessun_separatore ? static_cast<char>(trovato)
                 : opzioni.locale.decimale == ","         ? ';'
                                                          : ',';
    std::vector<std::string> celle_intestazione_lette;
    FormaRecord forma;
    csv.massimo_celle(celle_intestazione);
    if (!csv.record(celle_intestazione_lette, forma) || forma.vuota) {
      throw senza_intestazione();
    }
    if (forma.celle > celle_intestazione) {
      throw ErroreLotto("the header has " + std::to_string(forma.celle) + " cells, more than " +
                            std::to_string(celle_intestazione),
                        "l'intestazione ha " + std::to_string(forma.celle) +
                            " celle, pi\u00f9 di " + std::to_string(celle_intestazione));
    }
    if (forma.troppo_lunga != FormaRecord::nessuna) {
      const std::string cella = std::to_string(forma.troppo_lunga + 1);
      throw ErroreLotto("cell " + cella + " of the header holds more than " +
                            std::to_string(limite_cella) + " bytes: not a control name",
                        "la cella " + cella + " dell'intestazione contiene pi\u00f9 di " +
                            std::to_string(limite_cella) +
                            " byte: non \u00e8 il nome di un controllo");
    }
    // Only the cells of named columns are kept, in the order of the header.
    std::vector<std::size_t> posto;
    for (auto& c : colonne_da_intestazione(celle_intestazione_lette, opzioni.buste)) {
      if (c.nome.empty()) {
        posto.push_back(LettoreCsv::nessun_posto);
        continue;
      }
      intestazione.ultima = posto.size();
      posto.push_back(intestazione.colonne.size());
      intestazione.colonne.push_back(std::move(c));
    }
    intestazione.larghezza = posto.size();
    const auto colonna = [&](std::string_view nome) {
      return std::find_if(intestazione.colonne.begin(), intestazione.colonne.end(),
                          [&](const Colonna& c) { return c.nome == nome; });
    };
    intestazione.normativa_dopo =
        colonna("Combo4") > colonna("List1") && colonna("Combo4") != intestazione.colonne.end();
    intestazione.attuali =
        opzioni.regole != nullptr
            ? regole_attuali(*opzioni.regole)
            : std::any_of(intestazione.colonne.begin(), intestazione.colonne.end(),
                          [](const Colonna& c) { return c.nome == "Combo4"; });
    intestazione.addizionali =
        intestazione.attuali &&
        std::any_of(intestazione.colonne.begin(), intestazione.colonne.end(), [](const Colonna& c) {
          return c.nome == "Combo5" || c.nome == "Text22" || c.nome == "Text23" ||
                 c.nome == "Text24" || c.nome == "Text25";
        });
    csv.colonne(std::move(posto), intestazione.colonne.size());
    numero = 1;
  }
  const bool righe_csv = formati.ingresso == FormatoLotto::csv;
  csv.limite_record(limite_riga, righe_csv ? "a row" : "a line",
                    righe_csv ? "una riga" : "una linea");
  if (formati.uscita == FormatoLotto::csv) {
    out << (opzioni.buste
                ? intestazione_buste_csv(separatore)
                : intestazione_csv(separatore, intestazione.attuali, intestazione.addizionali));
  }

  // One calculating thread per core, and one more for the time this thread,
  // reading and writing, leaves a core waiting on the disk.
  const unsigned thread =
      opzioni.thread != 0 ? opzioni.thread : std::max(1u, std::thread::hardware_concurrency()) + 1;

  // Rows go through in blocks: while the cores calculate one block, this
  // thread writes the block before it and reads the block after it. A year
  // of payslips writes some fifteen rows for a worker: its blocks are
  // smaller, so that the results waiting in memory stay as bounded.
  const std::size_t per_blocco = opzioni.buste ? righe_per_blocco / 16 : righe_per_blocco;
  struct Blocco {
    explicit Blocco(std::size_t righe_blocco) : righe(righe_blocco), esiti(righe_blocco) {}
    std::vector<Riga> righe;
    std::vector<std::string> parti;  // the result rows of each slice, in order
    std::vector<EsitoRiga> esiti;
    std::size_t n = 0;
    std::uint64_t letti = 0;  // bytes of input read up to its end
  };
  bool finito = false;
  auto leggi = [&](Blocco& b) {
    b.n = 0;
    // A block also ends after byte_per_blocco bytes of input, so that the
    // rows waiting in memory stay bounded whatever their size.
    const std::uint64_t inizio = csv.letti();
    while (!finito && b.n < per_blocco && csv.letti() - inizio < byte_per_blocco) {
      Riga& r = b.righe[b.n];
      if (formati.ingresso == FormatoLotto::csv) {
        if (!csv.record(r.celle, r.forma)) {
          finito = true;
          break;
        }
        ++numero;
        if (r.forma.vuota) continue;  // a blank line
      } else {
        if (!csv.linea(r.json, r.lunga)) {
          finito = true;
          break;
        }
        ++numero;
        if (!r.lunga && senza_spazi(r.json).empty()) continue;
      }
      r.numero = numero;
      ++b.n;
    }
    b.letti = csv.letti();
    return b.n > 0;
  };
  // Each core takes the next slice of rows as soon as it is free, so that a
  // core slowed by the reading and writing never holds the others up.
  const std::size_t righe_per_fetta = opzioni.buste ? 16 : 256;
  auto calcola = [&](Blocco& b) {
    const std::size_t fette = (b.n + righe_per_fetta - 1) / righe_per_fetta;
    b.parti.resize(fette);
    std::atomic<std::size_t> prossima{0};
    auto lavora = [&] {
      for (std::size_t f = prossima++; f < fette; f = prossima++) {
        std::string& uscita = b.parti[f];
        uscita.clear();
        const std::size_t fine = std::min(b.n, (f + 1) * righe_per_fetta);
        for (std::size_t i = f * righe_per_fetta; i < fine; ++i) {
          b.esiti[i] = calcola_riga(b.righe[i], intestazione, opzioni, formati, uscita, separatore);
        }
      }
    };
    std::vector<std::thread> lavoratori;
    for (unsigned t = 1; t < std::min<std::size_t>(thread, fette); ++t) {
      lavoratori.emplace_back(lavora);
    }
    lavora();
    for (auto& t : lavoratori) t.join();
  };
  auto scrivi = [&](const Blocco& b) {
    for (const auto& parte : b.parti)
      out.write(parte.data(), static_cast<std::streamsize>(parte.size()));
    for (std::size_t i = 0; i < b.n; ++i) {
      const EsitoRiga& e = b.esiti[i];
      ++riepilogo.lavoratori;
      riepilogo.buste += e.buste;
      if (e.stato == "refused" || e.stato == "invalid") {
        ++riepilogo.rifiutati;
        if (riepilogo.scartate.size() < scartate_conservate) {
          riepilogo.scartate.push_back({b.righe[i].numero, std::string(e.stato), e.messaggi});
        }
        continue;
      }
      if (e.stato == "unreachable") ++riepilogo.irraggiungibili;
      if (e.netto) riepilogo.totale_netto += *e.netto;
      if (e.costo) riepilogo.totale_costo += *e.costo;
    }
    if (!out)
      throw ErroreLotto("the results cannot be written", "i risultati non si possono scrivere");
    if (opzioni.avanzamento) opzioni.avanzamento(b.letti);
  };

  std::array<Blocco, 3> blocchi = {Blocco(per_blocco), Blocco(per_blocco), Blocco(per_blocco)};
  Blocco* da_calcolare = &blocchi[0];
  Blocco* da_scrivere = &blocchi[1];
  Blocco* da_leggere = &blocchi[2];
  bool altro = leggi(*da_calcolare);
  bool in_attesa = false;  // da_scrivere holds a calculated block
  while (altro) {
    std::thread calcolo([&] { calcola(*da_calcolare); });
    try {
      if (in_attesa) scrivi(*da_scrivere);
      altro = leggi(*da_leggere);
    } catch (...) {
      calcolo.join();
      throw;
    }
    calcolo.join();
    std::swap(da_scrivere, da_calcolare);
    std::swap(da_calcolare, da_leggere);
    in_attesa = true;
  }
  if (in_attesa) scrivi(*da_scrivere);
  out.flush();
  if (!out)
    throw ErroreLotto("the results cannot be written", "i risultati non si possono scrivere");
  return riepilogo;
}

}  // namespace zellora
