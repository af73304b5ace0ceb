#include "forms/frmmain.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "forms/form1.h"
#include "platform/splash.h"
#include "ui_frmmain.h"

// The resources of the windows live in this library; Q_INIT_RESOURCE must be
// used outside any namespace.
static void inizializza_risorse() { Q_INIT_RESOURCE(zellora); }

namespace zellora {

namespace {

// The picture of the entry window, drawn from the program's resources at
// the screen's pixel density.
QPixmap immagine(const QSize& dimensione, qreal densita) {
  QSvgRenderer svg(QStringLiteral(":/zellora/ingresso.svg"));
  QPixmap pixmap(dimensione * densita);
  pixmap.setDevicePixelRatio(densita);
  pixmap.fill(Qt::white);
  if (svg.isValid()) {
    QPainter pittore(&pixmap);
    pittore.setRenderHint(QPainter::Antialiasing);
    svg.render(&pittore, QRectF(QPointF(0, 0), QSizeF(dimensione)));
  }
  return pixmap;
}

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
  setFixedSize(size());
  ui_->Image1->setPixmap(immagine(ui_->Image1->size(), devicePixelRatioF()));
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
