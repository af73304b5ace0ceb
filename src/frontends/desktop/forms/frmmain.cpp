#include "forms/frmmain.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QSvgRenderer>
#include <QVBoxLayout>
#include <algorithm>

#include "forms/form1.h"
#include "platform/splash.h"
#include "ui_frmmain.h"

// The resources of the windows live in this library; Q_INIT_RESOURCE must be
// used outside any namespace.
static void inizializza_risorse() { Q_INIT_RESOURCE(zellora); }

namespace zellora {

namespace {

// The picture of the entry window, drawn from the program's resources at
// the screen's pixel density, as large as `dimensione` holds it without
// stretching, centred.
QPixmap immagine(const QSize& dimensione, qreal densita) {
  QSvgRenderer svg(QStringLiteral(":/zellora/ingresso.svg"));
  QPixmap pixmap(dimensione * densita);
  pixmap.setDevicePixelRatio(densita);
  pixmap.fill(Qt::white);
  if (svg.isValid()) {
    QPainter pittore(&pixmap);
    pittore.setRenderHint(QPainter::Antialiasing);
    QSizeF disegno = QSizeF(svg.defaultSize());
    if (disegno.isEmpty()) disegno = QSizeF(dimensione);
    disegno.scale(QSizeF(dimensione), Qt::KeepAspectRatio);
    const QPointF angolo((dimensione.width() - disegno.width()) / 2,
                         (dimensione.height() - disegno.height()) / 2);
    svg.render(&pittore, QRectF(angolo, disegno));
  }
  return pixmap;
}

// The least height of the picture on a short screen.
constexpr int altezza_minima_immagine = 96;

}  // namespace

frmMain::frmMain(Contesto contesto, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::frmMain>()),
      contesto_(std::move(contesto)) {
  inizializza_risorse();
  ui_->setupUi(this);
  font_finestra(this);
  for (QWidget* riga : {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4}) {
    QFont f = riga->font();
    f.setBold(true);
    riga->setFont(f);
  }
  setAutoFillBackground(true);
  QPalette sfondo = palette();
  sfondo.setColor(QPalette::Window, Qt::white);
  setPalette(sfondo);
  // On a screen shorter than the page (a large scale factor) the picture is
  // drawn smaller, the lines and "Entra" move up with it; on one shorter
  // still the page scrolls, as every window does.
  QScreen* schermo = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (schermo != nullptr) {
    const int manca = height() - schermo->availableGeometry().height();
    const int meno =
        std::clamp(manca, 0, std::max(0, ui_->Image1->height() - altezza_minima_immagine));
    if (meno > 0) {
      ui_->Image1->resize(ui_->Image1->width(), ui_->Image1->height() - meno);
      for (QWidget* w : {static_cast<QWidget*>(ui_->Label1), static_cast<QWidget*>(ui_->Label2),
                         static_cast<QWidget*>(ui_->Label3), static_cast<QWidget*>(ui_->Label4),
                         static_cast<QWidget*>(ui_->Command1)}) {
        w->move(w->x(), w->y() - meno);
      }
      resize(width(), height() - meno);
    }
  }
  auto* contenuto = new QWidget;
  contenuto->setObjectName(QStringLiteral("contenuto"));
  contenuto->setFixedSize(size());
  for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const QRect dove = w->geometry();
    w->setParent(contenuto);
    w->setGeometry(dove);
    w->show();
  }
  auto* tutto = new QVBoxLayout(this);
  tutto->setContentsMargins(0, 0, 0, 0);
  tutto->addWidget(area_scorrevole(contenuto, false));
  adatta_allo_schermo(this, contenuto->size());
  ui_->Image1->setPixmap(immagine(ui_->Image1->size(), devicePixelRatioF()));
  ui_->Command1->setFocus();
  connect(ui_->Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
  invio_preme(ui_->Command1);
  centra(this);
}

frmMain::~frmMain() = default;

void frmMain::Command1_Click() {
  if (form1_ == nullptr) {
    form1_ = std::make_unique<Form1>(contesto_);
    connect(form1_.get(), &Form1::chiusura, this, &frmMain::termina);
  }
  porta_davanti(form1_.get());
  tieni_sullo_schermo(form1_.get());
}

void frmMain::termina() {
  terminando_ = true;
  close();
  emit terminato();
}

void frmMain::closeEvent(QCloseEvent* evento) {
  // The entry window has no close box: it stays behind the input form until
  // the program ends. Before "Entra" closing it ends the program.
  if (!terminando_ && form1_ != nullptr && form1_->isVisible()) {
    evento->ignore();
    return;
  }
  evento->accept();
  if (!terminando_) {
    terminando_ = true;
    emit terminato();
  }
}

}  // namespace zellora
