#include "search/ui/number_prompt.h"

#include <QWidget>

#include "app/plan_host.h"
#include "data/text_number.h"
#include "platform/input_box.h"

namespace velk {

std::optional<std::int32_t> AskWholeNumber(PlanHost& host, const std::string& prompt, const std::string& title,
                                           const std::string& defaultText) {
  InputBoxRequest request;
  request.prompt = prompt;
  request.title = title;
  request.defaultText = defaultText;
  request.owner = host.Window();
  if (QWidget* window = host.Window()) {
    const QRect frame = window->frameGeometry();
    request.usePosition = true;
    request.x = frame.left() + frame.width() / 4;
    request.y = frame.top() + frame.height() / 4;
  }
  std::optional<std::string> answer = ShowInputBox(request);
  if (!answer) return std::nullopt;
  return text_number::ParseInt32(*answer);
}

}  // namespace velk
