// What the windows of the program share: the program-wide state, the skin
// file, and where and how an exported statement is written and opened.
#pragma once

#include <QDir>
#include <QString>

#include "engine/motore.h"
#include "export/crea.h"
#include "platform/skin.h"

namespace zellora {

struct Contesto {
  Motore* motore = nullptr;                          // the state of the run
  QString file_skin = Skin::file_predefinito();      // loaded by Form1 and Form2
  ApertoreDocumenti* apertore = nullptr;             // opens an exported statement
  QString cartella_esportazione = QDir::tempPath();  // where statements are written
};

// Places a window centred on the screen it is on (the primary screen for a
// window not shown yet), inside the part of the screen that windows may use.
void centra(QWidget* finestra);

// The fonts the windows name: "MS Sans Serif" 8.25 pt for a window and its
// controls, Verdana bold 9.75 pt for the main command buttons.
void font_finestra(QWidget* finestra);
void font_comando(QWidget* pulsante);

// The critical message box of the program: title "Zellora", stop icon, OK
// only. Modal; returns when the operator closes it.
void messaggio_critico(QWidget* proprietario, const QString& testo);

}  // namespace zellora
