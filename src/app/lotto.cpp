#include "app/lotto.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <optional>
#include <string_view>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/richiesta.h"
#include "app/richiesta_json.h"
#include "app/uscita.h"
#include "engine/motore.h"

namespace zellora {

namespace {

constexpr std::size_t righe_per_blocco = 16384;

// ---------------------------------------------------------------- reading

// Reads the records of a CSV text: cells separated by one sign, quoted with
// double quotes when they hold the sign, a quote or a line break.
class LettoreCsv {
 public:
  explicit LettoreCsv(std::istream& in) : in_(in) {}

  void separatore(char s) { separatore_ = s; }

  // The first line, raw, to find the separator; it is read again as a record.
  std::string prima_riga() {
    std::string riga;
    std::size_t i = pos_;
    while (true) {
      if (i == buffer_.size() && !riempi()) break;
      if (i >= buffer_.size()) break;
      if (buffer_[i] == '\n') break;
      riga += buffer_[i++];
    }
    return riga;
  }

  // The next record, or false at the end of the input. Skips a leading BOM.
  bool record(std::vector<std::string>& celle) {
    if (!disponibile()) return false;
    if (inizio_ && buffer_.compare(pos_, 3, "\xEF\xBB\xBF") == 0) pos_ += 3;
    inizio_ = false;
    std::size_t n = 0;
    auto cella = [&]() -> std::string& {
      if (n == celle.size()) celle.emplace_back();
      std::string& c = celle[n++];
      c.clear();
      return c;
    };
    std::string* corrente = &cella();
    bool virgolette = false;
    bool tra_virgolette = false;
    while (disponibile()) {
      if (!virgolette) {
        // Plain text up to the next sign that matters, in one piece.
        const char* inizio = buffer_.data() + pos_;
        const char* fine = buffer_.data() + buffer_.size();
        const char* p = inizio;
        while (p < fine && *p != separatore_ && *p != '\n' && *p != '"' && *p != '\r') ++p;
        corrente->append(inizio, p);
        letti_ += static_cast<std::uint64_t>(p - inizio);
        pos_ += static_cast<std::size_t>(p - inizio);
        if (p == fine) continue;
      }
      const char c = buffer_[pos_++];
      ++letti_;
      if (virgolette) {
        if (c == '"') {
          if (disponibile() && buffer_[pos_] == '"') {
            *corrente += '"';
            ++pos_;
            ++letti_;
          } else {
            virgolette = false;
          }
        } else {
          *corrente += c;
        }
      } else if (c == '"' && corrente->empty() && !tra_virgolette) {
        virgolette = true;
        tra_virgolette = true;
      } else if (c == separatore_) {
        corrente = &cella();
        tra_virgolette = false;
      } else if (c == '\n') {
        break;
      } else if (c != '\r') {
        *corrente += c;
      }
    }
    celle.resize(n);
    return true;
  }

  std::uint64_t letti() const { return letti_; }

 private:
  bool disponibile() { return pos_ < buffer_.size() || riempi(); }

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
  char separatore_ = ',';
  bool inizio_ = true;
};

// How a column of the spreadsheet sets the request.
struct Colonna {
  std::string nome;
  TipoChiave tipo = TipoChiave::sconosciuta;
  std::string CampiForm1::*testo = nullptr;  // a text field, set directly
};

std::string_view senza_spazi(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string minuscolo(std::string_view s) {
  std::string r(s);
  for (char& c : r) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return r;
}

std::vector<Colonna> colonne_da_intestazione(const std::vector<std::string>& intestazione) {
  std::vector<Colonna> colonne;
  for (const auto& grezzo : intestazione) {
    Colonna c;
    c.nome = std::string(senza_spazi(grezzo));
    const std::string_view nome = c.nome;
    if (nome.rfind("profile.", 0) == 0) {
      c.tipo = tipo_chiave(nome.substr(8)) == TipoChiave::profilo ? TipoChiave::profilo
                                                                  : TipoChiave::sconosciuta;
      c.nome = std::string(nome.substr(8));
    } else {
      c.tipo = tipo_chiave(nome);
      if (c.tipo == TipoChiave::profilo) c.tipo = TipoChiave::sconosciuta;  // needs "profile."
    }
    // Text fields are set directly; the lists and drop-downs go through the
    // request rules, which check their items.
    if (const CampoTesto* t = campo_testo(c.nome)) c.testo = t->campo;
    if (c.tipo == TipoChiave::sconosciuta) {
      throw ErroreLotto("unknown column \"" + std::string(nome) +
                        "\": not a control of the input form (nor profile.NAME)");
    }
    for (const auto& prima : colonne) {
      if (prima.nome == c.nome && prima.tipo == c.tipo) {
        throw ErroreLotto("column \"" + std::string(nome) + "\" appears twice");
      }
    }
    colonne.push_back(std::move(c));
  }
  return colonne;
}

bool booleano_da_cella(std::string_view cella, const std::string& colonna) {
  const std::string v = minuscolo(senza_spazi(cella));
  if (v == "true" || v == "1" || v == "vero" || v == "si" || v == "s\u00ec") return true;
  if (v == "false" || v == "0" || v == "falso" || v == "no") return false;
  throw ErroreRichiesta(colonna + " must be true or false, not \"" + std::string(cella) + "\"");
}

double numero_da_cella(std::string_view cella, const std::string& colonna) {
  std::string v(senza_spazi(cella));
  std::replace(v.begin(), v.end(), ',', '.');
  double numero = 0;
  const auto [fine, errore] = std::from_chars(v.data(), v.data() + v.size(), numero);
  if (errore != std::errc() || fine != v.data() + v.size() || v.empty()) {
    throw ErroreRichiesta("profile." + colonna + " must be a number, not \"" + std::string(cella) +
                          "\"");
  }
  return numero;
}

// One worker waiting to be calculated, as read.
struct Riga {
  std::uint64_t numero = 0;
  std::vector<std::string> celle;  // CSV
  std::string json;                // JSON Lines
};

// ---------------------------------------------------------------- writing

void cella_csv(std::string& out, std::string_view testo, char separatore) {
  const bool semplice = std::none_of(testo.begin(), testo.end(), [separatore](char c) {
    return c == separatore || c == '"' || c == '\n' || c == '\r';
  });
  if (semplice) {
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

std::string intestazione_csv(char s) {
  std::string h = "row";
  h += s;
  h += "status";
  h += s;
  h += "messages";
  for (int n = 1; n <= 21; ++n) {
    h += s;
    h += "Form2.Text" + std::to_string(n);
  }
  for (const auto& c : campi_record()) {
    h += s;
    h += c.nome;
  }
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
};

std::string unisci(const std::vector<std::string>& messaggi) {
  std::string s;
  for (const auto& m : messaggi) {
    if (!s.empty()) s += " | ";
    s += m;
  }
  return s;
}

void scrivi_riga(std::string& out, const Riga& riga, const EsitoRiga& esito,
                 const std::vector<std::string>& messaggi, const Motore* motore,
                 FormatoLotto formato, char s) {
  if (formato == FormatoLotto::csv) {
    out += std::to_string(riga.numero);
    out += s;
    out += esito.stato;
    out += s;
    cella_csv(out, esito.messaggi, s);
    for (int n = 1; n <= 21; ++n) {
      out += s;
      if (motore != nullptr) cella_csv(out, motore->risultati().Text(n), s);
    }
    for (const auto& c : campi_record()) {
      out += s;
      if (motore != nullptr) aggiungi_numero_esatto(out, motore->record().*c.campo);
    }
    out += '\n';
    return;
  }
  out += "{\"row\":" + std::to_string(riga.numero) + ",\"status\":\"";
  out += esito.stato;
  out += "\",\"messages\":[";
  for (std::size_t i = 0; i < messaggi.size(); ++i) {
    if (i > 0) out += ',';
    aggiungi_stringa_json(out, messaggi[i]);
  }
  out += ']';
  if (motore != nullptr) {
    constexpr StileJson una_riga{"", ""};
    out += ",\"results\":";
    aggiungi_risultati_json(out, motore->risultati(), una_riga);
    out += ",\"record\":";
    aggiungi_record_json(out, motore->record(), una_riga);
  }
  out += "}\n";
}

// ---------------------------------------------------------------- one row

EsitoRiga calcola_riga(Riga& riga, const std::vector<Colonna>& colonne, const OpzioniLotto& opzioni,
                       std::string& uscita, char separatore) {
  EsitoRiga esito;
  std::vector<std::string> messaggi;
  Richiesta richiesta;
  bool valida = true;
  try {
    if (opzioni.formato == FormatoLotto::jsonl) {
      richiesta = leggi_richiesta(nlohmann::json::parse(riga.json));
    } else {
      if (riga.celle.size() != colonne.size()) {
        throw ErroreRichiesta("the row has " + std::to_string(riga.celle.size()) +
                              " cells, the header " + std::to_string(colonne.size()));
      }
      for (std::size_t i = 0; i < colonne.size(); ++i) {
        std::string& cella = riga.celle[i];  // taken: the row is not read again
        if (cella.empty()) continue;         // the form's initial value
        const Colonna& c = colonne[i];
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
            imposta_profilo(richiesta, c.nome, numero_da_cella(cella, c.nome));
            break;
          case TipoChiave::sconosciuta:
            break;
        }
      }
      completa_richiesta(richiesta);
    }
  } catch (const ErroreRichiesta& e) {
    messaggi.emplace_back(e.what());
    valida = false;
  } catch (const nlohmann::json::exception& e) {
    messaggi.emplace_back(std::string("invalid JSON: ") + e.what());
    valida = false;
  }
  if (!valida) {
    esito.stato = stato_non_valida;
    esito.messaggi = unisci(messaggi);
    scrivi_riga(uscita, riga, esito, messaggi, nullptr, opzioni.formato, separatore);
    return esito;
  }

  Motore motore(opzioni.locale);
  applica_profilo(motore, richiesta);
  const EsitoCalcolo calcolo = motore.verifica_campi(richiesta.campi);
  esito.stato = calcolo.stato == Stato::ok                ? std::string_view("ok")
                : calcolo.stato == Stato::irraggiungibile ? std::string_view("unreachable")
                                                          : std::string_view("refused");
  esito.messaggi = unisci(calcolo.messaggi);
  const bool calcolata = calcolo.stato != Stato::rifiutato;
  if (calcolata) {
    esito.netto = converti_numero(motore.risultati().Text(10), opzioni.locale);
    esito.costo = converti_numero(motore.risultati().Text(16), opzioni.locale);
  }
  scrivi_riga(uscita, riga, esito, calcolo.messaggi, calcolata ? &motore : nullptr, opzioni.formato,
              separatore);
  return esito;
}

}  // namespace

RiepilogoLotto esegui_lotto(std::istream& in, std::ostream& out, const OpzioniLotto& opzioni) {
  RiepilogoLotto riepilogo;
  LettoreCsv csv(in);
  char separatore = ',';
  std::vector<Colonna> colonne;
  std::uint64_t numero = 0;
  std::uint64_t letti_jsonl = 0;

  if (opzioni.formato == FormatoLotto::csv) {
    const std::string prima = csv.prima_riga();
    separatore = prima.find(';') != std::string::npos ? ';' : ',';
    csv.separatore(separatore);
    std::vector<std::string> intestazione;
    if (!csv.record(intestazione) || (intestazione.size() == 1 && intestazione[0].empty())) {
      throw ErroreLotto("the input has no header row of control names");
    }
    colonne = colonne_da_intestazione(intestazione);
    numero = 1;
    out << intestazione_csv(separatore);
  }

  // One calculating thread per core, and one more for the time this thread,
  // reading and writing, leaves a core waiting on the disk.
  const unsigned thread =
      opzioni.thread != 0 ? opzioni.thread : std::max(1u, std::thread::hardware_concurrency()) + 1;

  // Rows go through in blocks: while the cores calculate one block, this
  // thread writes the block before it and reads the block after it.
  struct Blocco {
    std::vector<Riga> righe = std::vector<Riga>(righe_per_blocco);
    std::vector<std::string> parti;  // the result rows of each slice, in order
    std::vector<EsitoRiga> esiti = std::vector<EsitoRiga>(righe_per_blocco);
    std::size_t n = 0;
    std::uint64_t letti = 0;  // bytes of input read up to its end
  };
  bool finito = false;
  auto leggi = [&](Blocco& b) {
    b.n = 0;
    while (!finito && b.n < righe_per_blocco) {
      Riga& r = b.righe[b.n];
      if (opzioni.formato == FormatoLotto::csv) {
        if (!csv.record(r.celle)) {
          finito = true;
          break;
        }
        ++numero;
        if (r.celle.size() == 1 && r.celle[0].empty()) continue;  // a blank line
      } else {
        if (!std::getline(in, r.json)) {
          finito = true;
          break;
        }
        ++numero;
        letti_jsonl += r.json.size() + 1;
        if (senza_spazi(r.json).empty()) continue;
      }
      r.numero = numero;
      ++b.n;
    }
    b.letti = opzioni.formato == FormatoLotto::csv ? csv.letti() : letti_jsonl;
    return b.n > 0;
  };
  // Each core takes the next slice of rows as soon as it is free, so that a
  // core slowed by the reading and writing never holds the others up.
  constexpr std::size_t righe_per_fetta = 256;
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
          b.esiti[i] = calcola_riga(b.righe[i], colonne, opzioni, uscita, separatore);
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
      if (e.stato == "refused" || e.stato == "invalid") {
        ++riepilogo.rifiutati;
        riepilogo.scartate.push_back({b.righe[i].numero, std::string(e.stato), e.messaggi});
        continue;
      }
      if (e.stato == "unreachable") ++riepilogo.irraggiungibili;
      if (e.netto) riepilogo.totale_netto += *e.netto;
      if (e.costo) riepilogo.totale_costo += *e.costo;
    }
    if (!out) throw ErroreLotto("the results cannot be written");
    if (opzioni.avanzamento) opzioni.avanzamento(b.letti);
  };

  std::array<Blocco, 3> blocchi;
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
  if (!out) throw ErroreLotto("the results cannot be written");
  return riepilogo;
}

}  // namespace zellora
