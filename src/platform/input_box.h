#pragma once
// The input box through which features ask the user for one line of text.
// The window layer installs a handler that shows a real box; tests install
// ScriptedInputBoxes, so nothing blocks. Texts are Windows-1252 bytes.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace velk {

struct InputBoxRequest {
  std::string prompt;
  std::string title;
  std::string defaultText;
  QWidget* owner = nullptr;
  // Where the box's top-left corner goes, in pixels; otherwise it is
  // centred on its owner.
  bool usePosition = false;
  int x = 0;
  int y = 0;
};

// The text typed, or nothing when the user cancelled. (A cancelled box and
// an empty answer differ here; callers that treat both alike test empty().)
using InputBoxHandler = std::function<std::optional<std::string>(const InputBoxRequest&)>;

std::optional<std::string> ShowInputBox(const InputBoxRequest& request);
// The answer, "" when cancelled: the form most callers test.
std::string InputBox(const std::string& prompt, const std::string& title,
                     const std::string& defaultText = {}, QWidget* owner = nullptr);

// Installs the handler and returns the previous one. Without one every box
// counts as cancelled.
InputBoxHandler SetInputBoxHandler(InputBoxHandler handler);

// Test seam: answers from a queue (a cancel once the queue is empty) and
// records every request. Installs itself while it lives.
class ScriptedInputBoxes {
 public:
  ScriptedInputBoxes();
  ~ScriptedInputBoxes();
  ScriptedInputBoxes(const ScriptedInputBoxes&) = delete;
  ScriptedInputBoxes& operator=(const ScriptedInputBoxes&) = delete;

  void Answer(const std::string& text) { answers_.push_back(text); }
  void Cancel() { answers_.push_back(std::nullopt); }
  const std::vector<InputBoxRequest>& Shown() const { return shown_; }

 private:
  std::deque<std::optional<std::string>> answers_;
  std::vector<InputBoxRequest> shown_;
  InputBoxHandler previous_;
};

}  // namespace velk
