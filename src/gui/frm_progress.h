#pragma once
// The one progress window of the program. It sits inside the main window,
// over the middle of its working area, shows the current step of a long
// operation and its bar, and cannot be closed by the user: only the program
// unloads it (PlanHost::UnloadProgress).
#include <QFrame>
#include <functional>

class QLabel;
class QProgressBar;

namespace velk {

class frmProgress : public QFrame {
  Q_OBJECT
 public:
  // Client area below the caption strip.
  static constexpr int kClientWidth = 396;
  static constexpr int kClientHeight = 57;
  static constexpr int kCaptionHeight = 18;
  static constexpr int kBorder = 2;

  // Loads the window as a hidden child of `mainWindow` and places it.
  explicit frmProgress(QWidget* mainWindow);

  // The caption and bar as callers drive them. Maximum and value may be
  // fractional; they are rounded, and a value outside 0..maximum is shown at
  // the nearer end.
  void SetCaption(const QString& text);
  void SetMax(double maximum);
  void SetValue(double value);
  QString Caption() const;

  QLabel* lblProgress = nullptr;
  QProgressBar* pbProgress = nullptr;

  // Centres the window over the main window as it is now.
  void PlaceOverMain();
  // Lets the owner close it; any other close request is refused.
  void AllowClose() { closeAllowed_ = true; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  double value_ = 0;
  bool closeAllowed_ = false;
};

// A long operation over the main window: the window takes no input, the
// pointer is the hourglass and the progress window shows the steps; pending
// window events run after each step. The end (destruction) unloads the
// progress window, restores the pointer and gives the main window the focus.
class PlanHost;
class LongOperation {
 public:
  LongOperation(PlanHost& main, const QString& firstStep, double maximum = 100, double value = 0);
  ~LongOperation();
  LongOperation(const LongOperation&) = delete;
  LongOperation& operator=(const LongOperation&) = delete;

  void Step(const QString& text);
  void Step(const QString& text, double value);
  void SetMax(double maximum);
  void SetValue(double value);
  // A callback for readers that report a value of their own (0..100).
  std::function<void(int)> ValueCallback();

 private:
  PlanHost& main_;
};

}  // namespace velk
