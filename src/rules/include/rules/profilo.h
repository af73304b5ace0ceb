// Worker categories, social-security sectors and the contribution profile
// that a sector choice writes into the calculation record.
#pragma once

#include <span>
#include <string_view>

#include "rules/record.h"

namespace zellora {

// The worker categories of `List1`, in their order (index 0 to 3).
std::span<const std::string_view> categorie_lavoratore();

// The items that choosing category `categoria` puts into `List2`; empty for
// an index outside the list (no selection).
std::span<const std::string_view> voci_settore(int categoria);

// Index of `testo` in the list, or -1.
int indice_di(std::span<const std::string_view> elenco, std::string_view testo);

// The sector choice: writes the ten profile figures for the pair (category,
// sector item). A pair that does not exist writes nothing and returns false.
bool scrivi_profilo(RecordCalcolo& record, int categoria, int settore);

}  // namespace zellora
