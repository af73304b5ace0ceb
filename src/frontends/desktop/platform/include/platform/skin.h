// The window skin: a Qt style sheet read from a skin file and laid over the
// windows that ask for it. Without a skin (file missing, unreadable, not
// text, larger than 1 MiB, or not a regular file: a FIFO or a device is
// refused before it is opened) the windows keep their plain look and work
// the same. The files the skin names (url(...): images of backgrounds,
// borders, icons) are read the same way when it is loaded: a rule that
// names one that is there but is not a regular file of at most 16 MiB (a
// FIFO would hold the window as Qt reads it) is left out, and what it
// styles keeps its plain look.
#pragma once

#include <QString>

class QWidget;

namespace zellora {

class Skin {
 public:
  // The skin file of the program: "Paper.skn" in the application's folder
  // (the build folder), else in the data folder of the installation
  // (share/zellora beside the bin folder). When neither holds it, the one
  // in the application's folder, which then fails to load.
  static QString file_predefinito();
  static QString file_predefinito(const QString& cartella_programma);

  // Reads the skin file, and the files its rules name. True when it became
  // the current skin; false leaves no current skin (a failed load never
  // keeps an earlier one).
  bool carica(const QString& file);

  // Lays the current skin over the window and its controls. Without a
  // current skin the window is left as it is.
  void applica(QWidget* finestra) const;

  bool caricata() const { return caricata_; }
  const QString& foglio() const { return foglio_; }
  const QString& errore() const { return errore_; }

 private:
  bool caricata_ = false;
  QString foglio_;
  QString errore_;
};

}  // namespace zellora
