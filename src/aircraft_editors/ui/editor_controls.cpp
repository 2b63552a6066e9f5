#include "aircraft_editors/ui/editor_controls.h"

#include <QWidget>

#include "platform/input_box.h"

namespace velk {

std::optional<std::string> AskOver(QWidget& window, const std::string& prompt, const std::string& title,
                                   const std::string& defaultText, int divisor) {
  QRect area = window.frameGeometry();
  InputBoxRequest request;
  request.prompt = prompt;
  request.title = title;
  request.defaultText = defaultText;
  request.owner = &window;
  request.usePosition = true;
  request.x = area.left() + area.width() / divisor;
  request.y = area.top() + area.height() / divisor;
  return ShowInputBox(request);
}

}  // namespace velk
