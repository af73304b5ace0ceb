// A new empty folder for one test, removed with the object (its folders
// made writable first, for the tests that take the permission away).
#pragma once

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace zellora::prova {

struct CartellaProva {
  std::filesystem::path percorso;

  CartellaProva() {
    std::random_device r;
    percorso = std::filesystem::temp_directory_path() /
               ("zellora-prova-" + std::to_string(r()) + "-" + std::to_string(r()));
    std::filesystem::create_directories(percorso);
  }
  ~CartellaProva() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(percorso, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto i = fs::recursive_directory_iterator(percorso, ec); !ec && i != fs::end(i);
         i.increment(ec)) {
      if (i->is_directory(ec))
        fs::permissions(i->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(percorso, ec);
  }
  CartellaProva(const CartellaProva&) = delete;
  CartellaProva& operator=(const CartellaProva&) = delete;

  // The names of the files it holds, sorted.
  std::vector<std::string> nomi() const {
    std::set<std::string> n;
    for (const auto& e : std::filesystem::directory_iterator(percorso))
      n.insert(e.path().filename().string());
    return {n.begin(), n.end()};
  }
};

}  // namespace zellora::prova
