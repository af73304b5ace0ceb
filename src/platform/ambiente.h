// What the desktop program takes from the system it runs on: the number
// settings of the user's regional settings and the fonts the windows name.
#pragma once

#include <QLocale>

#include "engine/numeri.h"

namespace zellora {

// The number signs of a Qt locale. The neutral C locale means Italian.
Locale locale_da_qlocale(const QLocale& locale);

// The number signs of the user's regional settings.
Locale locale_utente();

// The fonts of the program: maps the font names that the windows use
// ("MS Sans Serif", "Verdana") to fonts with similar metrics that the system
// has, and makes "MS Sans Serif" 8.25 pt the font of every window and
// control (controls under a style sheet take the program's font, not their
// window's).
void imposta_font_programma();

}  // namespace zellora
