#include "app/frm_about.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <filesystem>

#include "app/app_pictures.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/sim_location.h"

namespace velk {

QString AboutVersionText(int major, int minor, int revision) {
  return QString("Version %1.%2.%3 SP1").arg(major).arg(minor).arg(revision);
}

SysInfoLookup& frmAbout::Lookup() {
  static SysInfoLookup lookup{
      [](const std::string& key, const std::string& value) { return GetKeyValue(key, value); },
      [](const std::string& path) {
        std::error_code ec;
        std::filesystem::path file = TranslateWindowsPath(path);
        return !file.empty() && std::filesystem::is_regular_file(file, ec);
      }};
  return lookup;
}

std::function<bool(const std::string&)>& frmAbout::Launcher() {
  static std::function<bool(const std::string&)> launcher = [](const std::string& program) {
    std::filesystem::path file = TranslateWindowsPath(program);
    return !file.empty() && QProcess::startDetached(FromPath(file), {});
  };
  return launcher;
}

frmAbout::frmAbout(QWidget* owner) : QDialog(owner) {
  setObjectName("frmAbout");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_DeleteOnClose);
  const QString title = kApplicationTitle;
  setWindowTitle("About " + title);

  picIcon = new QLabel(this);
  picIcon->setObjectName("picIcon");
  picIcon->setGeometry(4, 4, 324, 244);
  picIcon->setPixmap(AboutPicture(picIcon->size()));
  QFont bold = font();
  bold.setBold(true);
  QFont titleFont = bold;
  titleFont.setPointSizeF(bold.pointSizeF() * 9.75 / 8.25);
  lblTitle = new QLabel(title, this);
  lblTitle->setObjectName("lblTitle");
  lblTitle->setGeometry(331, 28, 205, 20);
  lblTitle->setFont(titleFont);
  lblVersion = new QLabel(AboutVersionText(kVersionMajor, kVersionMinor, kVersionRevision), this);
  lblVersion->setObjectName("lblVersion");
  lblVersion->setGeometry(331, 49, 205, 16);
  lblVersion->setFont(bold);
  lblCopyright = new QLabel("(C) The VELK developers", this);
  lblCopyright->setObjectName("lblCopyright");
  lblCopyright->setGeometry(331, 69, 205, 16);
  lblCopyright->setFont(bold);

  cmdOK = new QPushButton("OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setGeometry(347, 220, 84, 23);
  cmdOK->setDefault(true);  // Enter; Esc rejects the dialog
  cmdSysInfo = new QPushButton("&System Info...", this);
  cmdSysInfo->setObjectName("cmdSysInfo");
  cmdSysInfo->setGeometry(437, 220, 83, 23);
  cmdSysInfo->setAutoDefault(false);
  setTabOrder(cmdOK, cmdSysInfo);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

void frmAbout::StartSysInfo() {
  if (auto program = FindSysInfoProgram(Lookup())) {
    if (Launcher() && Launcher()(*program)) return;
  }
  ShowMessageBox(kSysInfoUnavailable, kMbOk, "", this);
}

}  // namespace velk
