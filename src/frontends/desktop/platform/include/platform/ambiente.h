// What the desktop program takes from the system it runs on: the number
// settings of the user's regional settings and the fonts the windows name.
#pragma once

#include <QLocale>
#include <string>

#include "numbers/numeri.h"

namespace zellora {

// The number signs of a Qt locale. The neutral C locale means Italian.
Locale locale_da_qlocale(const QLocale& locale);

// What to tell a user whose environment names a locale that Qt does not
// know: Qt gives the neutral C locale for it, and numbers are then read and
// written the Italian way. Empty when there is nothing to tell.
std::string avviso_locale(const QLocale& sistema, const LocaleAmbiente& ambiente);

// The number signs of the user's regional settings; says on standard error
// when they stand in for a locale that Qt does not know.
Locale locale_utente();

// The fonts of the program: maps the font names that the windows use
// ("MS Sans Serif", "Verdana") to fonts with similar metrics that the system
// has, and makes "MS Sans Serif" 8.25 pt the font of every window and
// control (controls under a style sheet take the program's font, not their
// window's).
void imposta_font_programma();

}  // namespace zellora
