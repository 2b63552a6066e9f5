#include "platform/input_box.h"

namespace velk {
namespace {

InputBoxHandler& Handler() {
  static InputBoxHandler handler;
  return handler;
}

}  // namespace

std::optional<std::string> ShowInputBox(const InputBoxRequest& request) {
  if (!Handler()) return std::nullopt;
  return Handler()(request);
}

std::string InputBox(const std::string& prompt, const std::string& title,
                     const std::string& defaultText, QWidget* owner) {
  InputBoxRequest request;
  request.prompt = prompt;
  request.title = title;
  request.defaultText = defaultText;
  request.owner = owner;
  return ShowInputBox(request).value_or(std::string());
}

InputBoxHandler SetInputBoxHandler(InputBoxHandler handler) {
  InputBoxHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

ScriptedInputBoxes::ScriptedInputBoxes() {
  previous_ = SetInputBoxHandler([this](const InputBoxRequest& r) -> std::optional<std::string> {
    shown_.push_back(r);
    if (answers_.empty()) return std::nullopt;
    std::optional<std::string> answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

ScriptedInputBoxes::~ScriptedInputBoxes() { SetInputBoxHandler(std::move(previous_)); }

}  // namespace velk
