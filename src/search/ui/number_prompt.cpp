#include "search/ui/number_prompt.h"

#include <QWidget>

#include "data/text_number.h"
#include "gui/plan_host.h"
#include "platform/qt/qt_dialogs.h"

namespace velk {

std::optional<std::int32_t> AskWholeNumber(PlanHost& host, const std::string& prompt, const std::string& title,
                                           const std::string& defaultText) {
  std::optional<std::string> answer = AskOver(*host.Window(), prompt, title, defaultText, 4);
  if (!answer) return std::nullopt;
  return text_number::ParseInt32(*answer);
}

}  // namespace velk
