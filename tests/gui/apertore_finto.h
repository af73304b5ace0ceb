// A document opener for the tests: records what it was asked to open and
// answers as told, without starting any application.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "statement/crea.h"

namespace zellora::prova {

class ApertoreFinto : public ApertoreDocumenti {
 public:
  bool apri(const std::filesystem::path& file, std::string& errore) override {
    aperti.push_back(file);
    if (!riesce) errore = "apertura rifiutata dalla prova";
    return riesce;
  }

  bool riesce = true;
  std::vector<std::filesystem::path> aperti;
};

}  // namespace zellora::prova
