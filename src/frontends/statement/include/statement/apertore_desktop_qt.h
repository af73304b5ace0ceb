// Opens a finished statement with the desktop's default application for its
// kind of file (Word, LibreOffice Writer...), through Qt.
#pragma once

#include "statement/crea.h"

namespace zellora {

class ApertoreDesktopQt : public ApertoreDocumenti {
 public:
  bool apri(const std::filesystem::path& file, std::string& errore) override;
};

}  // namespace zellora
