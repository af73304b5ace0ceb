// Worker categories, social-security sectors and the contribution profile
// that a sector choice writes into the calculation record, from the category
// and sector table of a rule set.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "rules/record.h"
#include "rules/regole.h"

namespace zellora {

// The worker categories of `List1`, in their order (index 0, 1, ...).
std::vector<std::string_view> categorie_lavoratore(const RegoleCalcolo& regole);

// The items that choosing category `categoria` puts into `List2`; empty for
// an index outside the list (no selection).
std::vector<std::string_view> voci_settore(const RegoleCalcolo& regole, int categoria);

// The sector of category `categoria` that the item `voce` names: one of the
// list's items, or an item of an earlier list that stands for a sector of
// today (`precedente`). `indice` is -1 for an item that names none.
struct SettoreTrovato {
  int indice = -1;
  bool precedente = false;
};
SettoreTrovato trova_settore(const RegoleCalcolo& regole, int categoria, std::string_view voce);

// Index of `testo` in the list, or -1.
int indice_di(std::span<const std::string_view> elenco, std::string_view testo);

// The sector choice: writes the ten profile figures for the pair (category,
// sector item). A pair that does not exist writes nothing and returns false.
bool scrivi_profilo(RecordCalcolo& record, const RegoleCalcolo& regole, int categoria, int settore);

}  // namespace zellora
