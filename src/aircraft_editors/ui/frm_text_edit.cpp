#include "aircraft_editors/ui/frm_text_edit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "aircraft_editors/cfg_text_escape.h"
#include "platform/qt/modal_dialog.h"
#include "platform/qt/qt_text.h"

namespace velk {

frmTextEdit::frmTextEdit(QWidget* owner) : QDialog(owner) {
  setObjectName("frmTextEdit");
  setWindowTitle("Edit");
  QFont font("Tahoma");
  font.setPointSize(8);
  setFont(font);

  lblText = new QLabel(this);
  lblText->setObjectName("lblText");
  txtText = new QPlainTextEdit(this);
  txtText->setObjectName("txtText");
  txtText->setToolTip(kTabTip);
  txtText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Tab moves on to the buttons; Ctrl+Tab types a tab (see eventFilter).
  txtText->setTabChangesFocus(true);
  txtText->installEventFilter(this);
  lblText->setBuddy(txtText);

  cmdOK = new QPushButton("&OK", this);
  cmdOK->setObjectName("cmdOK");
  // Enter in the text starts a new line; only a click confirms.
  cmdOK->setAutoDefault(false);
  cmdOK->setDefault(false);
  cmdCancel = new QPushButton("&Cancel", this);
  cmdCancel->setObjectName("cmdCancel");
  cmdCancel->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblText);
  layout->addWidget(txtText, 1);
  layout->addLayout(buttons);
  resize(420, 260);

  connect(cmdOK, &QPushButton::clicked, this, &frmTextEdit::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool frmTextEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtText && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ControlModifier)) {
      txtText->insertPlainText("\t");
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void frmTextEdit::cmdOK_Click() {
  editResult_ = EscapeCfgText(ToPlanText(txtText->toPlainText()));
  accept();
}

std::string frmTextEdit::EditText(const std::string& text, const std::string& caption, QWidget* owner) {
  frmTextEdit dialog(owner);
  QString shown = FromPlanText(UnescapeCfgText(text));
  shown.replace("\r\n", "\n");
  dialog.txtText->setPlainText(shown);
  dialog.lblText->setText("&" + FromPlanText(caption));
  if (owner) {
    QRect area = owner->frameGeometry();
    dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
  ExecModal(dialog);
  return dialog.EditResult();
}

}  // namespace velk
