#include "platform/message_box.h"

#include <cmath>
#include <cstdio>

namespace velk {
namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

bool IsBlank(const std::string& s) {
  return s.find_first_not_of(' ') == std::string::npos;
}

QWidget*& OwnerSlot() {
  static QWidget* owner = nullptr;
  return owner;
}

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

void SetMainWindowOwner(QWidget* window) { OwnerSlot() = window; }
QWidget* MainWindowOwner() { return OwnerSlot(); }

ScreenPoint CentredBoxPosition(const ScreenRect& reference, int boxWidth, int boxHeight,
                               int x, int y) {
  // Computed in floating point and rounded once, so an odd width splits
  // the same way whichever side the odd pixel comes from.
  double cx = x != 0 ? x : reference.left + reference.width / 2.0;
  double cy = y != 0 ? y : reference.top + reference.height / 2.0;
  return {RoundHalfEven(cx - boxWidth / 2.0), RoundHalfEven(cy - boxHeight / 2.0)};
}

int ShowMessageBox(const std::string& prompt, int buttons, const std::string& title,
                   QWidget* owner, bool usePosition, int x, int y) {
  if (IsBlank(prompt)) return kIdNone;
  MessageBoxRequest request{prompt, buttons, title, owner, usePosition,
                            usePosition ? x : 0, usePosition ? y : 0};
  if (Handler()) return Handler()(request);
  std::fprintf(stderr, "%s: %s\n", title.c_str(), prompt.c_str());
  return kIdNone;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  MessageBoxHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

ScriptedMessageBoxes::ScriptedMessageBoxes(int defaultAnswer) : defaultAnswer_(defaultAnswer) {
  previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
    shown_.push_back(r);
    if (answers_.empty()) return defaultAnswer_;
    int a = answers_.front();
    answers_.pop_front();
    return a;
  });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() { SetMessageBoxHandler(std::move(previous_)); }

std::vector<std::string> ScriptedMessageBoxes::Prompts() const {
  std::vector<std::string> out;
  for (const auto& r : shown_) out.push_back(r.prompt);
  return out;
}

}  // namespace velk
