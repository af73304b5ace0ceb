// Drives the windows of the desktop program by the object names of their
// controls, as an operator would: choosing list items, typing, pressing.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QTest>
#include <QWidget>

namespace zellora::prova {

// The control `nome` of the window; fails the calling test when missing.
template <typename T>
T* controllo(QWidget* finestra, const char* nome) {
  T* w = finestra != nullptr ? finestra->findChild<T*>(QString::fromLatin1(nome)) : nullptr;
  if (w == nullptr) qWarning("controllo %s mancante", nome);
  return w;
}

// Clicks the item of the list that shows `testo`. False when there is none.
inline bool scegli(QListWidget* lista, const QString& testo) {
  const QList<QListWidgetItem*> voci = lista->findItems(testo, Qt::MatchExactly);
  if (voci.isEmpty()) return false;
  lista->scrollToItem(voci.front());
  const QRect r = lista->visualItemRect(voci.front());
  QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, r.center());
  return voci.front()->isSelected();
}

// Replaces the text of a box as typed from the keyboard.
inline void scrivi(QLineEdit* box, const QString& testo) {
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, testo);
}

inline void premi(QAbstractButton* pulsante) { QTest::mouseClick(pulsante, Qt::LeftButton); }

// The typical request: "Impiegato", "Settore previdenziale Commercio -50dip",
// 30000 as the pay, annual, gross to net, under the rule set `normativa`
// (the form opens on today's law; the figures of always are those of 2007).
inline bool richiesta_tipica(QWidget* form1, const QString& normativa = QStringLiteral("2007")) {
  auto* list1 = controllo<QListWidget>(form1, "List1");
  auto* list2 = controllo<QListWidget>(form1, "List2");
  auto* text1 = controllo<QLineEdit>(form1, "Text1");
  auto* combo4 = controllo<QComboBox>(form1, "Combo4");
  if (list1 == nullptr || list2 == nullptr || text1 == nullptr || combo4 == nullptr) return false;
  combo4->setCurrentText(normativa);
  if (combo4->currentText() != normativa) return false;
  if (!scegli(list1, QStringLiteral("Impiegato"))) return false;
  // The shop of the typical request, in the list of its rule set.
  if (!scegli(list2, normativa == QStringLiteral("2007")
                         ? QStringLiteral("Settore previdenziale Commercio -50dip")
                         : QStringLiteral("Terziario e commercio fino a 5 dipendenti"))) {
    return false;
  }
  premi(controllo<QRadioButton>(form1, "Option1"));
  premi(controllo<QRadioButton>(form1, "Option4"));
  scrivi(text1, QStringLiteral("30000"));
  return true;
}

}  // namespace zellora::prova
