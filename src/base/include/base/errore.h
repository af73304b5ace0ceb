// The one error type of the program: what the error is about (a file, a key
// of a rule set, a field of the form, a column of a sheet; empty when it is
// about nothing in particular) and the reason, in words for the user.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace zellora {

struct Errore {
  std::string dove;
  std::string ragione;

  // "dove: ragione", or the reason alone.
  std::string testo() const { return dove.empty() ? ragione : dove + ": " + ragione; }
};

// An error that ends what was being done, thrown where the caller cannot go
// on: a rule set that cannot be used, a request or a sheet that cannot be
// read.
class Eccezione : public std::runtime_error {
 public:
  explicit Eccezione(Errore errore)
      : std::runtime_error(errore.testo()), errore_(std::move(errore)) {}
  explicit Eccezione(std::string ragione) : Eccezione(Errore{{}, std::move(ragione)}) {}
  Eccezione(std::string dove, std::string ragione)
      : Eccezione(Errore{std::move(dove), std::move(ragione)}) {}

  const Errore& errore() const { return errore_; }

 private:
  Errore errore_;
};

}  // namespace zellora
