#include "platform/ambiente.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace zellora {

Locale locale_da_qlocale(const QLocale& locale) {
  if (locale.language() == QLocale::C) return Locale::italiano();
  Locale l;
  l.decimale = locale.decimalPoint().toStdString();
  l.migliaia = locale.groupSeparator().toStdString();
  if (l.decimale.empty() || l.decimale == l.migliaia) return Locale::italiano();
  return l;
}

Locale locale_utente() { return locale_da_qlocale(QLocale::system()); }

void imposta_font_programma() {
  QFont::insertSubstitutions(
      QStringLiteral("MS Sans Serif"),
      {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
  QFont::insertSubstitutions(QStringLiteral("Verdana"),
                             {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(8.25);
  QApplication::setFont(font);
}

}  // namespace zellora
