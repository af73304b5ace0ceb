#include "forms/form6.h"

#include <QKeySequence>
#include <QShortcut>
#include <QStyle>

#include "forms/contesto.h"
#include "ui_form6.h"

namespace zellora {

Form6::Form6(QWidget* parent) : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::Form6>()) {
  ui_->setupUi(this);
  setAttribute(Qt::WA_DeleteOnClose);
  font_finestra(this);
  setFixedSize(size());
  const QIcon icona = style()->standardIcon(QStyle::SP_MessageBoxInformation);
  ui_->Image1->setPixmap(icona.pixmap(32, 32));
  connect(ui_->Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
  invio_preme(ui_->Command1);
  auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(esc, &QShortcut::activated, this, &Form6::Command1_Click);
  centra(this);
}

Form6::~Form6() = default;

void Form6::imposta_testo(const QString& testo) { ui_->Text1->setPlainText(testo); }

QString Form6::testo() const { return ui_->Text1->toPlainText(); }

void Form6::Command1_Click() {
  splash_.ferma();
  close();
}

}  // namespace zellora
