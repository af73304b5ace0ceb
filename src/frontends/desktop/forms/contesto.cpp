#include "forms/contesto.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "form/verifica.h"

namespace zellora {

void centra(QWidget* finestra) {
  QScreen* schermo = finestra->screen();
  if (schermo == nullptr) schermo = QGuiApplication::primaryScreen();
  if (schermo == nullptr) return;
  const QRect area = schermo->availableGeometry();
  const QSize dimensione = finestra->frameGeometry().size().expandedTo(finestra->size());
  // A window larger than the screen keeps its title bar and its left edge
  // on it.
  finestra->move(std::max(area.x(), area.x() + (area.width() - dimensione.width()) / 2),
                 std::max(area.y(), area.y() + (area.height() - dimensione.height()) / 2));
}

namespace {
constexpr int distacco = 8;  // between a window and the one beside it
}  // namespace

QRect origine_accanto(const QRect& area, const QRect& o, const QSize& frame) {
  const int w = frame.width();
  const bool a_destra = o.right() + distacco + w <= area.right() + 1;
  const bool a_sinistra = o.left() - distacco - w >= area.left();
  if (a_destra || a_sinistra || o.width() + distacco + w > area.width()) return o;
  // The shorter move: the origin to the left with the window at its right,
  // or to the right with the window at its left.
  const int verso_sinistra = o.left() - (area.right() + 1 - w - distacco - o.width());
  const int verso_destra = area.left() + w + distacco - o.left();
  return verso_sinistra <= verso_destra ? o.translated(-verso_sinistra, 0)
                                        : o.translated(verso_destra, 0);
}

QRect posto_finestra(const QRect& area, const QSize& frame, const std::optional<QRect>& origine) {
  const QSize d = frame.boundedTo(area.size());
  const auto dentro = [&area, &d](QPoint p) {
    p.setX(std::clamp(p.x(), area.left(), area.right() + 1 - d.width()));
    p.setY(std::clamp(p.y(), area.top(), area.bottom() + 1 - d.height()));
    return QRect(p, d);
  };
  if (!origine) {
    return dentro(QPoint(area.x() + (area.width() - d.width()) / 2,
                         area.y() + (area.height() - d.height()) / 2));
  }
  const QRect& o = *origine;
  // Beside it, whole, on one side or the other, or below.
  if (o.right() + distacco + d.width() <= area.right() + 1) {
    return dentro(QPoint(o.right() + 1 + distacco, o.top()));
  }
  if (o.left() - distacco - d.width() >= area.left()) {
    return dentro(QPoint(o.left() - distacco - d.width(), o.top()));
  }
  if (o.bottom() + distacco + d.height() <= area.bottom() + 1) {
    return dentro(QPoint(o.left(), o.bottom() + 1 + distacco));
  }
  // Not whole beside it: against the edge of the side with more room, over
  // part of it only.
  const int destra = area.right() - o.right(), sinistra = o.left() - area.left();
  constexpr int cascata = 40;
  if (std::max(destra, sinistra) >= cascata) {
    return dentro(QPoint(destra >= sinistra ? area.right() + 1 - d.width() : area.left(), o.top()));
  }
  // Cascaded: the title bar and the left edge of the other stay in sight.
  QRect r = dentro(o.topLeft() + QPoint(cascata, cascata));
  if (r.contains(o)) r = dentro(o.topLeft() - QPoint(cascata, cascata));
  return r;
}

namespace {

QMargins cornice_mostrata(const QWidget* finestra) {
  if (finestra == nullptr || !finestra->isVisible()) return {};
  const QRect f = finestra->frameGeometry(), g = finestra->geometry();
  return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

// The frame the window manager adds to `finestra`: its own once shown and
// framed, else that of the window it came from, else that of another window
// of the program on screen; with none of them, a title bar as the style
// draws one.
QMargins cornice_di(const QWidget* finestra, const QWidget* origine) {
  // A window without a frame (the entry window) gets none.
  if (finestra->windowFlags().testFlag(Qt::FramelessWindowHint)) return {};
  std::vector<const QWidget*> misure = {finestra, origine};
  for (const QWidget* w : QApplication::topLevelWidgets()) misure.push_back(w);
  for (const QWidget* w : misure) {
    const QMargins m = cornice_mostrata(w);
    if (!m.isNull()) return m;
  }
  // Not known before the window manager frames a window: a border and a
  // title bar as the style draws them, made good once the window is shown
  // (tieni_sullo_schermo).
  constexpr int bordo = 4;
  return {bordo,
          finestra->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, finestra) + bordo,
          bordo, bordo};
}

// Shows the whole size hint of the widget it scrolls, however large.
class AreaScorrevole : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;
  QSize sizeHint() const override {
    const int f = 2 * frameWidth();
    const QWidget* w = widget();
    if (w == nullptr) return QScrollArea::sizeHint();
    return (widgetResizable() ? w->sizeHint().expandedTo(w->minimumSizeHint()) : w->size()) +
           QSize(f, f);
  }
};

}  // namespace

QScrollArea* area_scorrevole(QWidget* contenuto, bool adattabile) {
  auto* area = new AreaScorrevole;
  area->setObjectName(QStringLiteral("area_") + contenuto->objectName());
  area->setFrameShape(QFrame::NoFrame);
  area->setFocusPolicy(Qt::NoFocus);
  area->setWidgetResizable(adattabile);
  area->setWidget(contenuto);
  // The window's own background, under the contents as before.
  area->viewport()->setAutoFillBackground(false);
  contenuto->setAutoFillBackground(false);
  // The control that gets the focus, by the keyboard or from the program
  // (the net after a calculation), is scrolled into sight.
  QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget*, QWidget* ora) {
    QWidget* dentro = area->widget();
    if (ora == nullptr || dentro == nullptr || !dentro->isAncestorOf(ora)) return;
    // The whole control, not only its text cursor as ensureWidgetVisible.
    const QRect r(ora->mapTo(dentro, QPoint(0, 0)), ora->size());
    constexpr int margine = 8;
    area->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + margine,
                        r.height() / 2 + margine);
  });
  return area;
}

namespace {
constexpr char proprieta_voluta[] = "zellora_dimensione_voluta";
}

void adatta_allo_schermo(QWidget* finestra, QSize voluta) {
  finestra->setProperty(proprieta_voluta, voluta);
  QScreen* schermo = finestra->screen();
  if (schermo == nullptr) schermo = QGuiApplication::primaryScreen();
  if (schermo == nullptr || voluta.isEmpty()) {
    finestra->setFixedSize(voluta);
    return;
  }
  const QSize massima = schermo->availableGeometry().size().shrunkBy(cornice_di(finestra, nullptr));
  if (voluta.width() <= massima.width() && voluta.height() <= massima.height()) {
    finestra->setFixedSize(voluta);
    return;
  }
  // A scroll bar takes room from the other side: that side grows by it as
  // far as the screen allows.
  const int barra = finestra->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, finestra);
  QSize posto = voluta.boundedTo(massima);
  if (posto.width() < voluta.width()) {
    posto.setHeight(std::min(massima.height(), voluta.height() + barra));
  }
  if (posto.height() < voluta.height()) {
    posto.setWidth(std::min(massima.width(), voluta.width() + barra));
  }
  finestra->setMinimumSize(posto.boundedTo(QSize(240, 160)));
  finestra->setMaximumSize(voluta + QSize(barra, barra));
  finestra->resize(posto);
}

void fai_posto(QWidget* origine, const QWidget* finestra) {
  if (origine == nullptr || !origine->isVisible()) return;
  QScreen* schermo = origine->screen();
  if (schermo == nullptr) return;
  const QSize frame = finestra->size().grownBy(cornice_di(finestra, origine));
  const QRect da = origine->frameGeometry();
  const QRect dove = origine_accanto(schermo->availableGeometry(), da, frame);
  if (dove != da) origine->move(dove.topLeft());
}

void colloca(QWidget* finestra, const QWidget* origine) {
  QScreen* schermo = origine != nullptr ? origine->screen() : finestra->screen();
  if (schermo == nullptr) schermo = QGuiApplication::primaryScreen();
  if (schermo == nullptr) return;
  const QMargins cornice = cornice_di(finestra, origine);
  const QSize frame = finestra->size().grownBy(cornice);
  std::optional<QRect> da;
  if (origine != nullptr && origine->isVisible()) da = origine->frameGeometry();
  const QRect posto = posto_finestra(schermo->availableGeometry(), frame, da);
  if (posto.size() != frame) {
    finestra->resize(posto.size().shrunkBy(cornice).expandedTo(finestra->minimumSize()));
  }
  finestra->move(posto.topLeft());
}

void tieni_sullo_schermo(QWidget* finestra) {
  QScreen* schermo = finestra->screen();
  if (schermo == nullptr) return;
  // Sized for the screen before its frame was known: sized again.
  const QVariant voluta = finestra->property(proprieta_voluta);
  if (voluta.isValid()) adatta_allo_schermo(finestra, voluta.toSize());
  const QRect area = schermo->availableGeometry();
  const QRect f = finestra->frameGeometry();
  QPoint p = f.topLeft();
  p.setX(std::max(area.left(), std::min(p.x(), area.right() + 1 - f.width())));
  p.setY(std::max(area.top(), std::min(p.y(), area.bottom() + 1 - f.height())));
  if (p != f.topLeft()) finestra->move(p);
}

void nomi_dalle_etichette(QWidget* finestra) {
  for (QLabel* etichetta : finestra->findChildren<QLabel*>()) {
    QWidget* campo = etichetta->buddy();
    if (campo == nullptr || !campo->accessibleName().isEmpty()) continue;
    QString testo = etichetta->text();
    testo.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    testo = testo.trimmed();
    if (testo.endsWith(QLatin1Char(':'))) testo.chop(1);
    campo->setAccessibleName(testo.trimmed());
  }
}

QString cartella_prospetti_utente(QString& errore) {
  auto percorso = [](const QString& p) {
    return std::filesystem::path(QDir::cleanPath(p).toStdU16String());
  };
  // Without a home (HOME unset) the documents location is "//Documents",
  // the home "/" and "Documents": a folder at the root of the file system,
  // not the user's.
  QString documenti = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documenti.startsWith(QStringLiteral("//")) || !QDir::isAbsolutePath(documenti)) {
    documenti.clear();
  }
  std::string perche;
  const std::filesystem::path cartella =
      cartella_prospetti(percorso(documenti), percorso(QDir::tempPath()), perche);
  errore = QString::fromStdString(perche);
  return QString::fromStdU16String(cartella.u16string());
}

void font_finestra(QWidget* finestra) {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(8.25);
  finestra->setFont(font);
}

void font_comando(QWidget* pulsante) {
  QFont font(QStringLiteral("Verdana"));
  font.setPointSizeF(9.75);
  font.setBold(true);
  pulsante->setFont(font);
}

namespace {

class InvioPreme : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* oggetto, QEvent* evento) override {
    if (evento->type() != QEvent::KeyPress) return false;
    const auto* tasto = static_cast<QKeyEvent*>(evento);
    if (tasto->key() != Qt::Key_Return && tasto->key() != Qt::Key_Enter) return false;
    if ((tasto->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    auto* pulsante = qobject_cast<QAbstractButton*>(oggetto);
    if (pulsante != nullptr && pulsante->isEnabled() && !tasto->isAutoRepeat()) pulsante->click();
    return true;
  }
};

void messaggio(QMessageBox::Icon icona, QWidget* proprietario, const QString& testo) {
  QMessageBox box(
      icona, QString::fromUtf8(titolo_applicazione.data(), qsizetype(titolo_applicazione.size())),
      testo, QMessageBox::Ok, proprietario);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
}

}  // namespace

void invio_preme(QAbstractButton* pulsante) {
  pulsante->installEventFilter(new InvioPreme(pulsante));
}

void messaggio_critico(QWidget* proprietario, const QString& testo) {
  messaggio(QMessageBox::Critical, proprietario, testo);
}

void messaggio_informativo(QWidget* proprietario, const QString& testo) {
  messaggio(QMessageBox::Information, proprietario, testo);
}

bool messaggio_informativo_con_scelta(QWidget* proprietario, const QString& testo,
                                      const QString& scelta) {
  QMessageBox box(
      QMessageBox::Information,
      QString::fromUtf8(titolo_applicazione.data(), qsizetype(titolo_applicazione.size())), testo,
      QMessageBox::Ok, proprietario);
  QPushButton* altro = box.addButton(scelta, QMessageBox::ActionRole);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  return box.clickedButton() == altro;
}

}  // namespace zellora
