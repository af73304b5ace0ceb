#include "rules/tabella.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <span>
#include <tuple>
#include <vector>

namespace zellora {

namespace {

constexpr std::size_t larghezza = 100;

// Columns a UTF-8 text takes (one per code point).
std::size_t colonne(std::string_view s) {
  return static_cast<std::size_t>(std::count_if(
      s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string riempi(std::string s, std::size_t n) {
  const std::size_t c = colonne(s);
  if (c < n) s.append(n - c, ' ');
  return s;
}

// `testo` wrapped at the page width, the first line after `primo`, the
// others indented by `rientro` spaces.
std::string a_capo(const std::string& primo, const std::string& testo, std::size_t rientro) {
  std::string out = primo;
  std::size_t riga = colonne(primo);
  std::size_t i = 0;
  bool inizio = true;
  while (i < testo.size()) {
    const std::size_t fine = std::min(testo.find(' ', i), testo.size());
    const std::string parola = testo.substr(i, fine - i);
    if (!inizio && riga + 1 + colonne(parola) > larghezza) {
      out += '\n';
      out.append(rientro, ' ');
      riga = rientro;
    } else if (!inizio) {
      out += ' ';
      ++riga;
    }
    out += parola;
    riga += colonne(parola);
    inizio = false;
    i = fine + 1;
  }
  return out + "\n";
}

// The references of one group, numbered in the order they first appear.
class Note {
 public:
  std::string segno(const Fonte& f) {
    const auto chiave = std::tuple(f.riferimento, f.aggiornato, f.nota);
    auto it = numeri_.find(chiave);
    if (it == numeri_.end()) {
      it = numeri_.emplace(chiave, numeri_.size() + 1).first;
      ordine_.push_back(&f);
    }
    std::string s = "[";
    s += std::to_string(it->second);
    s += f.aggiornato ? "]" : "] !";
    return s;
  }

  std::string testo() const {
    std::string out;
    for (std::size_t i = 0; i < ordine_.size(); ++i) {
      const Fonte& f = *ordine_[i];
      std::string n = "  [";
      n += std::to_string(i + 1);
      n += "] ";
      out += a_capo(n, f.riferimento, n.size());
      if (!f.aggiornato) {
        out += a_capo(std::string(n.size(), ' '), "! non aggiornato: " + f.nota, n.size() + 2);
      }
    }
    return out;
  }

 private:
  std::map<std::tuple<std::string, bool, std::string>, std::size_t> numeri_;
  std::vector<const Fonte*> ordine_;
};

struct Riga {
  std::string etichetta;
  std::string valore;
  std::string segni;
};

std::string righe_allineate(const std::vector<Riga>& righe) {
  std::size_t e = 0;
  std::size_t v = 0;
  for (const Riga& r : righe) {
    e = std::max(e, colonne(r.etichetta));
    v = std::max(v, colonne(r.valore));
  }
  std::string out;
  for (const Riga& r : righe) {
    out += "  " + riempi(r.etichetta, e) + "  " + riempi(r.valore, v) + "  " + r.segni + "\n";
  }
  return out;
}

// A figure as written in the file, its decimal point as the reader writes
// it ("0.0167", or "0,0167" on an Italian page, where a list's items are
// then parted by semicolons: "[1250; 2333,33]"). Quoted texts stay as they are.
std::string cifra(const Fonte& f, std::string_view decimale) {
  const std::string& v = f.valore;
  std::string out;
  bool virgolette = false;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '"') virgolette = !virgolette;
    const auto cifra_in = [&](std::size_t j) {
      return j < v.size() && std::isdigit(static_cast<unsigned char>(v[j])) != 0;
    };
    if (!virgolette && v[i] == '.' && i > 0 && cifra_in(i - 1) && cifra_in(i + 1)) {
      out += decimale;
    } else if (!virgolette && v[i] == ',' && decimale == ",") {
      out += ';';
    } else {
      out += v[i];
    }
  }
  return out;
}

std::string_view gruppo_di(std::string_view chiave) {
  return chiave.substr(0, std::min(chiave.find('.'), chiave.find('[')));
}

std::string titolo(std::string_view gruppo) {
  static const std::map<std::string_view, std::string_view> titoli = {
      {"irpef", "IRPEF: scaglioni e aliquote"},
      {"detrazione_dipendente", "Detrazione per lavoro dipendente"},
      {"detrazione_coniuge", "Detrazione per il coniuge a carico"},
      {"detrazione_figli", "Detrazione per i figli a carico"},
      {"detrazione_altri", "Detrazione per altri familiari a carico"},
      {"cuneo_fiscale", "Cuneo fiscale: somma esente e ulteriore detrazione"},
      {"trattamento_integrativo", "Trattamento integrativo"},
      {"contributi", "Contributi"},
      {"profilo", "Profili contributivi (cifre comuni a piu' settori)"},
      {"categoria", "Categorie e settori: aliquote INPS lavoratore e datore"},
      {"addizionale_regionale", "Addizionale regionale all'IRPEF"},
  };
  const auto it = titoli.find(gruppo);
  return std::string(it != titoli.end() ? it->second : gruppo);
}

// The figures of a group, one row each; the figures of one band
// ("fasce[2].da", "fasce[2].a", ...) on one row.
std::string gruppo_generico(std::span<const Fonte* const> fonti, std::size_t prefisso,
                            std::string_view decimale) {
  Note note;
  std::vector<Riga> righe;
  std::string ultima;
  for (const Fonte* f : fonti) {
    std::string chiave = f->chiave.substr(std::min(prefisso, f->chiave.size()));
    const std::size_t chiusa = chiave.rfind(']');
    std::string segno = note.segno(*f);
    if (chiusa != std::string::npos && chiusa + 1 < chiave.size() && chiave[chiusa + 1] == '.') {
      const std::string riga = chiave.substr(0, chiusa + 1);
      const std::string campo = chiave.substr(chiusa + 2);
      if (riga == ultima && !righe.empty()) {
        righe.back().valore += "  " + campo + " " + cifra(*f, decimale);
        if (righe.back().segni.find(segno) == std::string::npos) righe.back().segni += " " + segno;
        continue;
      }
      righe.push_back({riga, campo + " " + cifra(*f, decimale), segno});
      ultima = riga;
      continue;
    }
    righe.push_back({chiave, cifra(*f, decimale), segno});
    ultima.clear();
  }
  return righe_allineate(righe) + note.testo();
}

const Fonte* cerca(const RegoleCalcolo& r, const std::string& chiave) {
  for (const Fonte& f : r.fonti) {
    if (f.chiave == chiave) return &f;
  }
  return nullptr;
}

// One table per category: the sector, the two INPS rates with their
// references, and the profile of the shared figures (in the heading when
// every sector of the category takes the same).
std::string categorie(const RegoleCalcolo& r, std::string_view decimale) {
  Note note;
  std::string out;
  std::size_t v = colonne("Settore");
  for (const Categoria& c : r.categorie) {
    for (const Settore& s : c.settori) {
      v = std::max(v, colonne(s.voce));
      for (const std::string& p : s.voci_precedenti) v = std::max(v, colonne(p) + 17);
    }
  }
  for (std::size_t i = 0; i < r.categorie.size(); ++i) {
    const Categoria& c = r.categorie[i];
    const bool stesso = std::all_of(c.settori.begin(), c.settori.end(), [&](const Settore& s) {
      return s.nome_profilo == c.settori.front().nome_profilo;
    });
    std::vector<std::array<std::string, 5>> righe = {
        {"Settore", "INPS lav.", "INPS dat.", "Rif.", stesso ? "" : "Profilo"}};
    for (std::size_t j = 0; j < c.settori.size(); ++j) {
      const Settore& s = c.settori[j];
      std::string base = "categoria[";
      base += std::to_string(i);
      base += "].settori[";
      base += std::to_string(j);
      base += "].";
      std::array<std::string, 5> riga = {s.voce, "", "", "", stesso ? "" : s.nome_profilo};
      for (std::size_t k = 0; k < 2; ++k) {
        if (const Fonte* f = cerca(r, base + (k == 0 ? "inps_dip" : "inps_az"))) {
          riga[k + 1] = cifra(*f, decimale);
          std::string segno = note.segno(*f);
          segno.erase(std::remove(segno.begin(), segno.end(), ' '), segno.end());
          if (riga[3].find(segno) == std::string::npos) {
            riga[3] += (riga[3].empty() ? "" : " ") + segno;
          }
        }
      }
      righe.push_back(riga);
      // The items of earlier lists this sector stands for.
      for (const std::string& p : s.voci_precedenti) {
        righe.push_back({"  voce di prima \"" + p + "\"", "", "", "", ""});
      }
    }
    std::array<std::size_t, 5> w = {v, 0, 0, 0, 0};
    for (const auto& riga : righe) {
      for (std::size_t k = 1; k < 5; ++k) w[k] = std::max(w[k], colonne(riga[k]));
    }
    out += "  " + c.nome;
    if (stesso && !c.settori.empty()) out += " (profilo " + c.settori.front().nome_profilo + ")";
    out += '\n';
    for (const auto& riga : righe) {
      std::string linea = "   ";
      for (std::size_t k = 0; k < 5; ++k) {
        linea += ' ';
        linea += riempi(riga[k], w[k]);
        linea += ' ';
      }
      linea.erase(linea.find_last_not_of(' ') + 1);
      out += linea + "\n";
    }
  }
  return out + note.testo();
}

// One block per region or province, in the order of the file: its shape
// and figures with their references, the reliefs it does not apply, or why
// it is not offered.
std::string regionali(const RegoleCalcolo& r, std::string_view decimale) {
  static const std::map<FormaAddizionaleRegionale, std::string_view> forme = {
      {FormaAddizionaleRegionale::scaglioni, "per scaglioni"},
      {FormaAddizionaleRegionale::aliquota_unica, "aliquota unica"},
      {FormaAddizionaleRegionale::fascia_intero, "aliquota dello scaglione su tutto il reddito"},
  };
  std::string out;
  for (std::size_t i = 0; i < r.addizionale_regionale.size(); ++i) {
    const RegolaRegionale& g = r.addizionale_regionale[i];
    if (!g.offerta) {
      out += a_capo("  " + g.nome + ": non offerta, ", g.motivo, 6);
      continue;
    }
    out += "  " + g.nome + " (" + std::string(forme.at(g.forma)) + ")\n";
    const std::string prefisso = "addizionale_regionale[" + std::to_string(i) + "].";
    std::vector<const Fonte*> fonti;
    for (const Fonte& f : r.fonti) {
      if (f.chiave.starts_with(prefisso)) fonti.push_back(&f);
    }
    std::string righe = gruppo_generico(fonti, prefisso.size(), decimale);
    for (const AgevolazioneRegionale& a : g.non_applicate) {
      righe += a_capo("  non applicata: ", a.condizione, 4);
    }
    // Indented under the name of the region.
    for (std::size_t inizio = 0; inizio < righe.size();) {
      const std::size_t fine = righe.find('\n', inizio);
      out += "  " + righe.substr(inizio, fine - inizio + 1);
      inizio = fine + 1;
    }
  }
  return out;
}

}  // namespace

std::string tabella_regole(const RegoleCalcolo& r, std::string_view decimale) {
  std::string out = "Regole di calcolo \"" + r.nome + "\"\n" + r.descrizione + "\n";
  out += "Importi in euro, aliquote come frazione (0" + std::string(decimale) +
         "23 = 23 %); [n] rimanda al riferimento\n";
  out += "normativo sotto il gruppo; ! segna una cifra non aggiornata.\n";
  if (r.ricerca_da_zero) out += "Ricerca del lordo dal netto: parte da un lordo di 0.\n";
  // Groups in the order of the file; the category table last, as a table.
  std::vector<std::string_view> gruppi;
  for (const Fonte& f : r.fonti) {
    const std::string_view g = gruppo_di(f.chiave);
    if (std::find(gruppi.begin(), gruppi.end(), g) == gruppi.end()) gruppi.push_back(g);
  }
  for (const std::string_view g : gruppi) {
    out += '\n';
    out += titolo(g);
    out += '\n';
    if (g == "categoria") {
      out += categorie(r, decimale);
      continue;
    }
    if (g == "addizionale_regionale") {
      out += regionali(r, decimale);
      continue;
    }
    std::vector<const Fonte*> fonti;
    for (const Fonte& f : r.fonti) {
      if (gruppo_di(f.chiave) == g) fonti.push_back(&f);
    }
    out += gruppo_generico(fonti, g.size() + 1, decimale);
  }
  // A regional section whose regions are all not offered has no figure.
  if (!r.addizionale_regionale.empty() &&
      std::find(gruppi.begin(), gruppi.end(), "addizionale_regionale") == gruppi.end()) {
    out += '\n';
    out += titolo("addizionale_regionale");
    out += '\n';
    out += regionali(r, decimale);
  }
  return out;
}

}  // namespace zellora
