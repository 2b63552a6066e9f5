#pragma once
// The about window: the program's title and version, and a button that
// starts the operating system's System Information tool when there is one.
#include <QDialog>
#include <functional>
#include <string>

#include "app/sys_info.h"

class QLabel;
class QPushButton;

namespace velk {

// The program's own version numbers.
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;
inline constexpr const char* kApplicationTitle = "VELK";

// "Version <major>.<minor>.<revision> SP1".
QString AboutVersionText(int major, int minor, int revision);

class frmAbout : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kWidth = 539;
  static constexpr int kHeight = 255;

  explicit frmAbout(QWidget* owner);

  // Starts the System Information tool, or tells the user it is not there.
  void StartSysInfo();

  // How the tool is found and started; tests replace them.
  static SysInfoLookup& Lookup();
  static std::function<bool(const std::string& program)>& Launcher();

  QLabel* picIcon = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblCopyright = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdSysInfo = nullptr;
};

}  // namespace velk
