#pragma once
// The text edit dialog: one long one-line aircraft.cfg value (a description,
// a performance note) edited as multi-line text. The stored escapes for line
// breaks, tabs and slashes are turned into the real characters for editing
// and back when the user confirms.
#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace velk {

class frmTextEdit : public QDialog {
  Q_OBJECT
 public:
  static constexpr const char* kTabTip = "NOTE: To add a tab press CTRL+TAB!";

  explicit frmTextEdit(QWidget* owner);

  // Shows the dialog modally over `owner` with `text` (stored form,
  // Windows-1252) unescaped for editing and `caption` as the label. Returns
  // the edited text in its stored form after OK; "" after Cancel or closing.
  static std::string EditText(const std::string& text, const std::string& caption, QWidget* owner);

  // The value EditText returns; "" until OK is pressed.
  const std::string& EditResult() const { return editResult_; }

  QLabel* lblText = nullptr;
  QPlainTextEdit* txtText = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void cmdOK_Click();
  std::string editResult_;
};

}  // namespace velk
