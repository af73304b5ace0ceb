// What the windows of the program share: the program-wide state, the skin
// file, and where and how an exported statement is written and opened.
#pragma once

#include <QString>

class QAbstractButton;

#include "form/motore.h"
#include "platform/skin.h"
#include "statement/crea.h"

namespace zellora {

struct Contesto {
  Motore* motore = nullptr;                      // the state of the run
  QString file_skin = Skin::file_predefinito();  // loaded by Form1 and Form2
  ApertoreDocumenti* apertore = nullptr;         // opens an exported statement
  // Where statements are written; empty: the user's own folder of
  // statements, "Zellora" among the documents (see cartella_prospetti).
  QString cartella_esportazione;
};

// The user's own folder of statements, made when missing: "Zellora" in the
// documents folder, or else a private temporary folder, and then `errore`
// says why the documents folder was not used (none is known without a home,
// or it cannot be made). Empty, with `errore`, when there is none.
QString cartella_prospetti_utente(QString& errore);

// Places a window centred on the screen it is on (the primary screen for a
// window not shown yet), inside the part of the screen that windows may use.
void centra(QWidget* finestra);

// The fonts the windows name: "MS Sans Serif" 8.25 pt for a window and its
// controls, Verdana bold 9.75 pt for the main command buttons.
void font_finestra(QWidget* finestra);
void font_comando(QWidget* pulsante);

// Enter (Return or the keypad's Enter) presses the button while it has the
// focus, as on the users' desktops; Qt does so by itself only in dialogs.
void invio_preme(QAbstractButton* pulsante);

// The message boxes of the program: title "Zellora", OK only, modal; they
// return when the operator closes them. The critical one (stop icon) for
// refusals and failures, the informative one for notices about figures that
// are valid and shown.
void messaggio_critico(QWidget* proprietario, const QString& testo);
void messaggio_informativo(QWidget* proprietario, const QString& testo);
// The informative one with a second button beside OK, labelled `scelta`:
// true when the operator pressed it.
bool messaggio_informativo_con_scelta(QWidget* proprietario, const QString& testo,
                                      const QString& scelta);

}  // namespace zellora
