#include "gui/report_window.h"

#include <QApplication>
#include <QDateTime>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <optional>

#include "gui/window_wait.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/qt/qt_text.h"
#include "platform/set_messages.h"
#include "platform/text_file.h"

namespace velk {
namespace {

QFont ReportFont() {
  QFont font("Courier New", 10);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  if (!QFontInfo(font).fixedPitch()) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
  }
  return font;
}

}  // namespace

std::string ReportDateText() {
  return ToPlanText(QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

ReportWindow::ReportWindow(ReportTexts texts, const std::string& caption, const std::string& fileName,
                           const std::string& report, QWidget* owner)
    : QDialog(owner), texts_(std::move(texts)), caption_(caption), fileName_(fileName), report_(report) {
  setObjectName(QString::fromStdString(texts_.formName));
  setWindowTitle(FromPlanText(caption_));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);

  txtInfo = new QPlainTextEdit(this);
  txtInfo->setObjectName("txtInfo");
  txtInfo->setReadOnly(true);
  txtInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtInfo->setFont(ReportFont());
  QString shown = FromPlanText(report_);
  shown.replace("\r\n", "\n");
  txtInfo->setPlainText(shown);

  auto button = [this](const char* name, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  cmdPrint = button("cmdPrint", "&Print");
  cmdSave = button("cmdSave", "&Save");
  cmdClose = button("cmdClose", "&Close");
  // Enter and Esc both close the window.
  cmdClose->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {cmdPrint, cmdSave, cmdClose}) {
    b->setMinimumWidth(92);
    buttons->addWidget(b);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(txtInfo, 1);
  layout->addLayout(buttons);
  resize(720, 600);

  connect(cmdPrint, &QPushButton::clicked, this, &ReportWindow::Print);
  connect(cmdSave, &QPushButton::clicked, this, &ReportWindow::Save);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(this, &QDialog::finished, this, [this] {
    if (onUnload) onUnload();
  });
}

std::string ReportWindow::Document(const std::string& dateText) const {
  return caption_ + " - " + dateText + "\r\n\r\n" + report_;
}

void ReportWindow::Print() {
  PrintRequest request;
  request.dialogTitle = texts_.printerTitle;
  request.text = Document(ReportDateText());
  request.owner = this;
  std::optional<WindowWait> busy;
  request.accepted = [&] { busy.emplace(*this); };
  PrintResult result = PrintText(request);
  busy.reset();
  if (result == PrintResult::Cancelled) return;
  if (result == PrintResult::Printed)
    ShowMessageBox(texts_.printedMessage, kMbOk | kMbIconQuestion, kProgramTitle, this);
  else
    ShowMessageBox(texts_.printFailedMessage, kMbOk | kMbIconCritical, kProgramTitle, this);
}

void ReportWindow::Save() {
  FileDialogRequest request;
  request.save = true;
  request.title = texts_.saveTitle;
  request.filter = kTextFileFilter;
  request.filterIndex = 1;
  request.fileName = fileName_;
  request.flags = kSaveDialogFlags;
  request.owner = this;
  std::string path = ShowFileDialog(request);
  if (path.empty()) return;
  bool written = false;
  std::string reason;
  {
    WindowWait busy(*this);
    written = WriteFileAtomic(std::filesystem::path(path), Document(ReportDateText()), &reason);
  }
  if (written)
    ShowMessageBox(texts_.savedMessage, kMbOk | kMbIconQuestion, kProgramTitle, this);
  else
    ShowMessageBox(WithWriteFailure(texts_.saveFailedMessage, path, reason), kMbOk | kMbIconCritical, kProgramTitle,
                   this);
}

ReportWindow* ShowReportWindow(ReportTexts texts, const std::string& caption, const std::string& fileName,
                               const std::string& report, QWidget* owner, std::function<void()> onUnload) {
  auto* window = new ReportWindow(std::move(texts), caption, fileName, report, owner);
  window->onUnload = std::move(onUnload);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowModality(Qt::ApplicationModal);
  window->show();
  return window;
}

}  // namespace velk
