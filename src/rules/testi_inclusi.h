// The texts of the built-in rule sets, generated from data/*.toml when the
// build is configured.
#pragma once

#include <span>
#include <string_view>

namespace zellora {

struct TestoIncluso {
  std::string_view nome;  // the file name without .toml
  std::string_view testo;
};

// Sorted by name.
extern const std::span<const TestoIncluso> testi_inclusi;

}  // namespace zellora
