#include "platform/set_messages.h"

#include "platform/message_box.h"
#include "platform/text_codec.h"

namespace velk {

void ShowSetRecovery(const SetRecovery& recovered, QWidget* owner) {
  if (recovered.Empty()) return;
  std::string text = recovered.Text();
  text.pop_back();  // the last line end
  ShowMessageBox(Utf8ToCp1252(text), kMbOk | (recovered.attention ? kMbIconExclamation : kMbIconInformation),
                 kProgramTitle, owner);
}

std::string WithSetFailure(const std::string& message, const SetFailure& failure) {
  std::string detail;
  const std::string folder = failure.file.string();
  switch (failure.step) {
    case SetFailure::Step::kBusy:
      detail = "Another program is writing into the folder '" + folder + "'. Try again when it has finished.";
      break;
    case SetFailure::Step::kUnfinished:
      detail = "An interrupted replacement of files in the folder '" + failure.file.parent_path().string() +
               "' could not be carried through.";
      break;
    default:
      detail = failure.mixed;
      break;
  }
  return detail.empty() ? message : message + "\n\n" + Utf8ToCp1252(detail);
}

}  // namespace velk
