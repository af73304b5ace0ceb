#include "platform/skin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <optional>
#include <string>

#include "base/lettura.h"

namespace zellora {

namespace {

// True when `testo` has `segno` at `i` (letters in any case).
bool inizia_con(const QString& testo, qsizetype i, QStringView segno) {
  return QStringView(testo).sliced(i).startsWith(segno, Qt::CaseInsensitive);
}

// The end of the comment that opens at `i` ("/*"), or the end of the text.
qsizetype fine_commento(const QString& testo, qsizetype i) {
  const qsizetype fine = testo.indexOf(QStringLiteral("*/"), i + 2);
  return fine < 0 ? testo.size() : fine + 2;
}

// The end of the string that opens at `i` (its quote), or the end of the
// text.
qsizetype fine_stringa(const QString& testo, qsizetype i) {
  const QChar virgoletta = testo[i];
  for (qsizetype j = i + 1; j < testo.size(); ++j) {
    if (testo[j] == u'\\') {
      ++j;
    } else if (testo[j] == virgoletta) {
      return j + 1;
    }
  }
  return testo.size();
}

// The files that `regola` names with url(...), as Qt takes them: a file
// name, or a resource of the program (":/..."), which is not a file.
QStringList file_nominati(const QString& regola) {
  QStringList file;
  qsizetype i = 0;
  while (i < regola.size()) {
    if (inizia_con(regola, i, u"/*")) {
      i = fine_commento(regola, i);
      continue;
    }
    if (regola[i] == u'"' || regola[i] == u'\'') {
      i = fine_stringa(regola, i);
      continue;
    }
    if (!inizia_con(regola, i, u"url(")) {
      ++i;
      continue;
    }
    i += 4;
    while (i < regola.size() && regola[i].isSpace()) ++i;
    QString nome;
    if (i < regola.size() && (regola[i] == u'"' || regola[i] == u'\'')) {
      const qsizetype fine = fine_stringa(regola, i);
      nome = regola.mid(i + 1, fine - i - 2);
      i = fine;
    } else {
      const qsizetype fine = regola.indexOf(u')', i);
      nome = regola.mid(i, (fine < 0 ? regola.size() : fine) - i).trimmed();
      i = fine < 0 ? regola.size() : fine;
    }
    if (!nome.startsWith(u':') && !inizia_con(nome, 0, u"qrc:")) file.push_back(nome);
  }
  return file;
}

// A file a skin names, read as the skin itself is: only a regular file, and
// bounded, so that a FIFO or a device never holds the window while Qt reads
// it. A file that is not there is no danger: Qt shows nothing for it.
bool file_leggibile(const QString& nome) {
  if (nome.isEmpty() || !QFileInfo::exists(nome)) return true;
  Errore ragione;
  return leggi_file(QFile::encodeName(nome).toStdString(), limite_file_skin, ragione, true)
      .has_value();
}

// The style sheet without the rules that name a file that cannot be read
// so: each such rule (its selector and its block, or a list of
// declarations without selector) is left out, and what it styles keeps
// its plain look.
QString senza_file_illeggibili(const QString& foglio) {
  QString risultato;
  qsizetype inizio = 0;
  qsizetype i = 0;
  const auto regola = [&](qsizetype fine) {
    const QString testo = foglio.mid(inizio, fine - inizio);
    const QStringList nominati = file_nominati(testo);
    if (std::all_of(nominati.begin(), nominati.end(), file_leggibile)) risultato += testo;
    inizio = fine;
  };
  while (i < foglio.size()) {
    if (inizia_con(foglio, i, u"/*")) {
      i = fine_commento(foglio, i);
    } else if (foglio[i] == u'"' || foglio[i] == u'\'') {
      i = fine_stringa(foglio, i);
    } else if (foglio[i] == u'}') {
      regola(++i);
    } else {
      ++i;
    }
  }
  regola(foglio.size());
  return risultato;
}

}  // namespace

QString Skin::file_predefinito() {
  return file_predefinito(QCoreApplication::applicationDirPath());
}

QString Skin::file_predefinito(const QString& cartella_programma) {
  const QDir programma(cartella_programma);
  const QString accanto = programma.filePath(QStringLiteral("Paper.skn"));
  if (QFileInfo::exists(accanto)) return accanto;
  // An installation keeps its data relative to the executable, so a copy
  // installed under any prefix finds its skin.
  const QString installata =
      QDir::cleanPath(programma.filePath(QStringLiteral(ZELLORA_DATI_RELATIVI "/Paper.skn")));
  if (QFileInfo::exists(installata)) return installata;
  return accanto;
}

bool Skin::carica(const QString& file) {
  caricata_ = false;
  foglio_.clear();
  errore_.clear();

  if (file.isEmpty()) {
    errore_ = QStringLiteral("nessun file indicato");
    return false;
  }
  // Only a regular file, looked at before it is opened: a FIFO would hold
  // the window until someone writes to it, a device would never end.
  Errore ragione;
  const std::optional<std::string> letto =
      leggi_file(QFile::encodeName(file).toStdString(), limite_skin, ragione, true);
  if (!letto) {
    errore_ = QString::fromStdString(ragione.ragione);
    return false;
  }
  const QByteArray dati = QByteArray::fromStdString(*letto);
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString testo = utf8(dati);
  if (utf8.hasError() || testo.contains(QChar(u'\0'))) {
    errore_ = QStringLiteral("il file non \u00e8 un testo UTF-8");
    return false;
  }
  foglio_ = senza_file_illeggibili(testo);
  caricata_ = true;
  return true;
}

void Skin::applica(QWidget* finestra) const {
  if (finestra == nullptr || !caricata_) return;
  finestra->setStyleSheet(foglio_);
}

}  // namespace zellora
