// The options of `zellora-cli payslips`: the pay of the year, the months
// worked, the payroll office's two choices and last year's figures, as the
// command line takes them and as the data cases give them.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "form/buste_paga.h"

namespace zellora {

struct ArgomentiBuste {
  OpzioniBuste opzioni;
  std::vector<std::string> variazioni;  // --gross-from MONTH:GROSS
  std::vector<std::string> una_tantum;  // --extra MONTH:AMOUNT
  std::string quota = "days";
  std::string proiezione = "payments";
};

// Adds the options to the subcommand `comando`, each writing into `a`.
void aggiungi_opzioni_buste(CLI::App& comando, ArgomentiBuste& a);

// True when the command line gives any of the options of the year.
bool scelte_buste_date(const CLI::App& comando);

// Checks the options parsed into `a` and completes `a.opzioni`: the
// usage error's text, empty when they are sound.
std::string completa_opzioni_buste(ArgomentiBuste& a);

// The options of the arguments `argomenti` ("--deductions", "twelfths",
// ...), as the command line reads them: the usage error's text, empty when
// they are sound and `opzioni` is written.
std::string opzioni_buste_da_argomenti(const std::vector<std::string>& argomenti,
                                       OpzioniBuste& opzioni);

}  // namespace zellora
