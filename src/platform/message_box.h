#pragma once
// The one way every message reaches the user. The window layer installs a
// handler that shows a real box centred on its owner; tests install a
// ScriptedMessageBoxes that records each message and answers as scripted,
// so nothing ever blocks.
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace velk {

// Style bits as the callers pass them (buttons + icon + default button).
enum MessageBoxStyle : int {
  kMbOk = 0,
  kMbOkCancel = 1,
  kMbAbortRetryIgnore = 2,
  kMbYesNoCancel = 3,
  kMbYesNo = 4,
  kMbRetryCancel = 5,
  kMbIconCritical = 16,
  kMbIconQuestion = 32,
  kMbIconExclamation = 48,
  kMbIconInformation = 64,
  kMbDefButton2 = 256,
  kMbDefButton3 = 512,
};

// Results: the code of the pressed button; 0 when nothing was shown.
enum MessageBoxResult : int {
  kIdNone = 0,
  kIdOk = 1,
  kIdCancel = 2,
  kIdAbort = 3,
  kIdRetry = 4,
  kIdIgnore = 5,
  kIdYes = 6,
  kIdNo = 7,
};

// Texts are Windows-1252 bytes, like every other text of the plan.
struct MessageBoxRequest {
  std::string prompt;
  int buttons = 0;
  std::string title;
  QWidget* owner = nullptr;
  bool usePosition = false;
  int x = 0;
  int y = 0;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// The caption of every message of the program.
inline constexpr const char* kProgramTitle = "VELK";

// The main window owns the messages of code that has no window of its own
// (the file readers). The window layer registers it; null until then, and a
// box without an owner is centred on the screen.
void SetMainWindowOwner(QWidget* window);
QWidget* MainWindowOwner();

// Where a box goes: the top-left corner that centres a box of the given size
// on the reference rectangle (the owner window, or the whole screen), or on
// the point (x, y). Each coordinate is decided by itself: a point coordinate
// of 0 means "the reference's centre". Halves round to the even neighbour.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};
ScreenPoint CentredBoxPosition(const ScreenRect& reference, int boxWidth, int boxHeight,
                               int x, int y);

// HelpFile and Context of the original interface have no effect and are
// left out. A prompt that is blank after trimming shows nothing and gives 0.
int ShowMessageBox(const std::string& prompt, int buttons, const std::string& title,
                   QWidget* owner = nullptr, bool usePosition = false, int x = 0, int y = 0);

// Installs the handler and returns the previous one. Without a handler the
// message is written to standard error and 0 is returned.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Test seam: records every message and answers from a queue (kIdOk, or the
// default answer, when the queue is empty). Installs itself on construction
// and restores the previous handler on destruction.
class ScriptedMessageBoxes {
 public:
  explicit ScriptedMessageBoxes(int defaultAnswer = kIdOk);
  ~ScriptedMessageBoxes();
  ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
  ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

  void Answer(int result) { answers_.push_back(result); }
  const std::vector<MessageBoxRequest>& Shown() const { return shown_; }
  std::vector<std::string> Prompts() const;
  void Clear() { shown_.clear(); }

 private:
  int defaultAnswer_;
  std::deque<int> answers_;
  std::vector<MessageBoxRequest> shown_;
  MessageBoxHandler previous_;
};

}  // namespace velk
