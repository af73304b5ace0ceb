// Runs a fuzz target's checks over saved inputs (its seed corpus and every
// input that once broke it), so that the normal test run keeps them.
// Usage: riproduci DIR_OR_FILE...
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> file;
  for (int i = 1; i < argc; ++i) {
    const fs::path p(argv[i]);
    if (fs::is_directory(p)) {
      for (const auto& voce : fs::directory_iterator(p)) {
        if (voce.is_regular_file()) file.push_back(voce.path());
      }
    } else if (fs::is_regular_file(p)) {
      file.push_back(p);
    }
  }
  for (const auto& f : file) {
    std::ifstream in(f, std::ios::binary);
    const std::string dati((std::istreambuf_iterator<char>(in)), {});
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(dati.data()), dati.size());
  }
  std::printf("%zu inputs checked\n", file.size());
  return 0;
}
