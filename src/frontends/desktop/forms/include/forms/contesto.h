// What the windows of the program share: the program-wide state, the skin
// file, and where and how an exported statement is written and opened.
#pragma once

#include <QRect>
#include <optional>

#include <QString>

class QAbstractButton;
class QRect;
class QScrollArea;
class QSize;

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

// Where a window whose frame (title bar and borders included) is `frame`
// goes on the part of a screen that windows may use, `area`: beside
// `origine`, the frame of the window it came from (whole to its right, else
// to its left, else below; else against the edge of the side with more room,
// over part of it; else cascaded from its corner), never over the whole of
// it; centred without one. The frame it gets, always inside `area`: one
// larger than the area is made as large as the area.
QRect posto_finestra(const QRect& area, const QSize& frame, const std::optional<QRect>& origine);

// Where the window whose frame is `origine` goes so that a window of frame
// `frame` fits whole beside it on `area`: sideways, as little as needed, when
// it does not fit beside it now but the two fit side by side; else where it
// is.
QRect origine_accanto(const QRect& area, const QRect& origine, const QSize& frame);

// Moves `origine` sideways so that `finestra` fits whole beside it on its
// screen, when the two fit side by side (origine_accanto).
void fai_posto(QWidget* origine, const QWidget* finestra);

// Moves (and, if the screen is too small, shrinks) `finestra` to its place
// beside `origine` (centred when null) on the screen of `origine`, counting
// the frame the window manager gives it.
void colloca(QWidget* finestra, const QWidget* origine);

// Moves `finestra` back inside the part of its screen that windows may use,
// as far as it fits (its title bar first); a window sized by
// adatta_allo_schermo is sized again with the frame it has now.
void tieni_sullo_schermo(QWidget* finestra);

// The contents of a window in a scroll area without a frame: shown whole
// where the screen has room for them, scrolled where it has not (a small
// screen, a large scale factor). Its size hint is that of the whole
// contents. With `adattabile`, contents laid out by a layout fill the area
// and scroll below their minimum size; without, they keep their own size.
// The area itself takes no focus; a control that gets it is scrolled into
// sight.
QScrollArea* area_scorrevole(QWidget* contenuto, bool adattabile);

// Sizes `finestra` to `voluta`, the size that shows its contents whole,
// fixed, when its screen holds that with the window manager's frame; else
// to what the screen holds, with scroll bars, resizable up to `voluta`.
void adatta_allo_schermo(QWidget* finestra, QSize voluta);

// Gives every control named by a label (its buddy) that label's text as
// its accessible name, unless it has one: the name a screen reader says.
void nomi_dalle_etichette(QWidget* finestra);

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
