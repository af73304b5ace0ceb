#include "platform/ambiente.h"

#include <QApplication>
#include <QFont>
#include <QStringList>
#include <cstdio>

namespace zellora {

Locale locale_da_qlocale(const QLocale& locale) {
  if (locale.language() == QLocale::C) return Locale::italiano();
  Locale l;
  l.decimale = locale.decimalPoint().toStdString();
  l.migliaia = locale.groupSeparator().toStdString();
  if (l.decimale.empty() || l.decimale == l.migliaia) return Locale::italiano();
  return l;
}

std::string avviso_locale(const QLocale& sistema, const LocaleAmbiente& ambiente) {
  if (sistema.language() != QLocale::C || ambiente.variabile.empty()) return {};
  const std::string base = ambiente.nome.substr(0, ambiente.nome.find_first_of(".@"));
  if (base == "C" || base == "POSIX") return {};
  std::string nome;  // control characters shown as '?'
  for (const char c : ambiente.nome.substr(0, 60)) {
    nome += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  }
  return "the locale \"" + nome + "\" of " + ambiente.variabile +
         " is not known here; numbers are read and written the Italian way";
}

Locale locale_utente() {
  const QLocale sistema = QLocale::system();
  const std::string avviso = avviso_locale(sistema, locale_di_sistema());
  if (!avviso.empty()) std::fprintf(stderr, "zellora: %s\n", avviso.c_str());
  return locale_da_qlocale(sistema);
}

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
