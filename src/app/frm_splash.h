#pragma once
// The splash window: the program's picture over the main window at the end
// of start-up, slightly transparent, gone at a click, a typed key or when
// the main window's splash timer fires.
#include <QWidget>

class QLabel;

namespace velk {

class frmSplash : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 517;
  static constexpr int kHeight = 389;
  static constexpr unsigned char kAlpha = 192;  // of 255

  // Created hidden, owned by `owner` and centred on it when shown.
  explicit frmSplash(QWidget* owner);

  QLabel* picSplash = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace velk
