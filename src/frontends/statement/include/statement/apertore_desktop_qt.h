// Opens a finished statement with the desktop's default application for its
// kind of file (Word, LibreOffice Writer...), through Qt.
#pragma once

#include <QUrl>

#include "statement/crea.h"

namespace zellora {

// The address of a local file for the desktop: absolute and clean, so that
// a path such as "//Documents/x.docx" (the documents folder of a user
// without a home) is not taken for a file on a host named "Documents".
QUrl url_del_file(const std::filesystem::path& file);

class ApertoreDesktopQt : public ApertoreDocumenti {
 public:
  bool apri(const std::filesystem::path& file, std::string& errore) override;
};

}  // namespace zellora
