#include "app/richiesta_json.h"

namespace zellora {

Richiesta leggi_richiesta(const nlohmann::json& oggetto) {
  if (!oggetto.is_object()) throw ErroreRichiesta("the request must be a JSON object");
  Richiesta r;
  for (const auto& [chiave, valore] : oggetto.items()) {
    if (chiave == "profile") {
      if (!valore.is_object()) throw ErroreRichiesta("profile must be an object");
      for (const auto& [nome, numero] : valore.items()) {
        if (tipo_chiave(nome) == TipoChiave::profilo && !numero.is_number()) {
          throw ErroreRichiesta("profile." + nome + " must be a number");
        }
        imposta_profilo(r, nome, numero.is_number() ? numero.get<double>() : 0);
      }
    } else if (valore.is_string()) {
      imposta_testo(r, chiave, valore.get<std::string>());
    } else if (valore.is_boolean()) {
      imposta_booleano(r, chiave, valore.get<bool>());
    } else {
      switch (tipo_chiave(chiave)) {
        case TipoChiave::testo:
          throw ErroreRichiesta(chiave + " must be a string (the text as typed)");
        case TipoChiave::booleano:
          throw ErroreRichiesta(chiave + " must be true or false");
        default:
          throw ErroreRichiesta("unknown key \"" + chiave + "\": not a control of the input form");
      }
    }
  }
  completa_richiesta(r);
  return r;
}

}  // namespace zellora
