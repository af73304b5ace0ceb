#include "cli/uscita.h"

#include <algorithm>

#include "base/citazione.h"
#include "base/utf8.h"
#include "form/risultati.h"
#include "numbers/numeri.h"

namespace zellora {

namespace {

std::size_t caratteri(std::string_view s) {
  return static_cast<std::size_t>(std::count_if(
      s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void riga(std::string& uscita, std::string_view etichetta, std::string_view valore) {
  uscita += "  ";
  uscita += etichetta;
  const std::size_t larghezza = 30 + 16;
  const std::size_t usati = 2 + etichetta.size() + caratteri(valore);
  uscita.append(larghezza > usati ? larghezza - usati : 1, ' ');
  uscita += valore;
  uscita += '\n';
}

}  // namespace

std::string_view nome_stato(Stato stato) {
  switch (stato) {
    case Stato::ok:
      return "ok";
    case Stato::rifiutato:
      return "refused";
    case Stato::irraggiungibile:
      return "unreachable";
  }
  return "ok";
}

void aggiungi_stringa_json(std::string& out, std::string_view testo) {
  static constexpr char esa[] = "0123456789abcdef";
  out += '"';
  const char* p = testo.data();
  const char* const fine = p + testo.size();
  while (p < fine) {
    // Printable ASCII, the common case, is copied in runs.
    const char* q = p;
    while (q < fine) {
      const auto c = static_cast<unsigned char>(*q);
      if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\') break;
      ++q;
    }
    out.append(p, q);
    if (q == fine) break;
    const auto c = static_cast<unsigned char>(*q);
    if (c >= 0x80) {
      // Valid UTF-8 as it is; a byte that is not part of it as U+FFFD, so
      // that every string written is valid UTF-8 JSON.
      const std::size_t n = sequenza_utf8(testo, static_cast<std::size_t>(q - testo.data()));
      if (n == 0) {
        out += "\xEF\xBF\xBD";
        p = q + 1;
      } else {
        out.append(q, n);
        p = q + n;
      }
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      out += "\\u00";
      out += esa[c >> 4];
      out += esa[c & 0xF];
    }
    p = q + 1;
  }
  out += '"';
}

void aggiungi_risultati_json(std::string& out, const Risultati& risultati, StileJson stile) {
  out += '{';
  for (int n = 1; n <= risultati.numero_caselle(); ++n) {
    if (n > 1) out += ',';
    out += stile.a_capo;
    out += "\"Text" + std::to_string(n) + "\":";
    out += stile.dopo;
    aggiungi_stringa_json(out, risultati.Text(n));
  }
  out += '}';
}

void aggiungi_record_json(std::string& out, const RecordCalcolo& record, StileJson stile,
                          bool attuali, bool addizionali) {
  out += '{';
  bool primo = true;
  const auto& campi = campi_record();
  const std::size_t quanti = campi_elencati(attuali, addizionali);
  for (std::size_t i = 0; i < quanti; ++i) {
    const CampoRecord& c = campi[i];
    if (!primo) out += ',';
    out += stile.a_capo;
    out += '"';
    out += c.nome;
    out += "\":";
    out += stile.dopo;
    aggiungi_numero_esatto(out, record.*c.campo);
    primo = false;
  }
  out += '}';
}

std::string uscita_json(const EsitoCalcolo& esito, const Motore& motore) {
  constexpr StileJson rientro{"\n    ", " "};
  std::string j = "{\n  \"status\": ";
  aggiungi_stringa_json(j, nome_stato(esito.stato));
  if (&motore.regole() != &regole_predefinite()) {
    j += ",\n  \"rules\": ";
    aggiungi_stringa_json(j, motore.regole().nome);
  }
  j += ",\n  \"messages\": [";
  for (std::size_t i = 0; i < esito.messaggi.size(); ++i) {
    if (i > 0) j += ", ";
    aggiungi_stringa_json(j, esito.messaggi[i]);
  }
  j += "],\n  \"record\": ";
  aggiungi_record_json(j, motore.record(), rientro, regole_attuali(motore.regole()),
                       motore.risultati().righe_addizionali);
  j.insert(j.size() - 1, "\n  ");
  j += ",\n  \"results\": ";
  aggiungi_risultati_json(j, motore.risultati(), rientro);
  j.insert(j.size() - 1, "\n  ");
  if (esito.ricerca_svolta) {
    j += ",\n  \"search\": {\"passes\": " + std::to_string(esito.ricerca.passaggi) +
         ", \"exact\": " + (esito.ricerca.esatta ? "true" : "false") + "}";
  }
  j += "\n}\n";
  return j;
}

std::string uscita_testo(const EsitoCalcolo& esito, const Motore& motore, bool mensile) {
  std::string t;
  for (const auto& m : esito.messaggi) t += m + "\n";
  if (esito.stato == Stato::rifiutato) return t;
  if (!t.empty()) t += "\n";
  const Risultati& risultati = motore.risultati();
  t += std::string(titolo_risultati) + (mensile ? " (Mensile)" : " (Annuo)");
  if (risultati.righe_attuali) t += " - Normativa " + risultati.normativa;
  t += "\n\nZellora\n";
  Pannello pannello = Pannello::lavoratore;
  for (const RigaRisultato& r : righe_risultato) {
    if (!mostrata(r, risultati.righe_attuali, risultati.righe_addizionali)) continue;
    if (r.pannello != pannello) {
      t += "\nCosto del Lavoro\n";
      pannello = r.pannello;
    }
    riga(t, r.etichetta, risultati.Text(r.casella));
  }
  t += "\n" + std::string(nota_retribuzione) + "\n";
  return t;
}

}  // namespace zellora
