#include "platform/set_messages.h"

#include "platform/file_set_journal.h"
#include "platform/message_box.h"
#include "platform/text_codec.h"

namespace velk {

namespace {

void Show(std::string text, bool warn, QWidget* owner) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  ShowMessageBox(Utf8ToCp1252(text), kMbOk | (warn ? kMbIconExclamation : kMbIconInformation), kProgramTitle, owner);
}

// "'A' was" or "'A' and 'B' were".
std::string QuotedWasWere(const std::vector<std::filesystem::path>& files) {
  std::vector<std::string> quoted;
  for (const std::filesystem::path& file : files) quoted.push_back("'" + file.string() + "'");
  return set_journal::NameList(quoted) + (files.size() == 1 ? " was" : " were");
}

}  // namespace

void ShowSetRecovery(const SetRecovery& recovered, QWidget* owner) {
  if (!recovered.Empty()) Show(recovered.Text(), recovered.attention, owner);
}

bool ShowSetReading(const SetRecovery& recovered, QWidget* owner) {
  if (recovered.Readable()) {
    ShowSetRecovery(recovered, owner);
    return true;
  }
  Show(recovered.Text() + (recovered.Empty() ? "" : "\n") + recovered.Refusal(), true, owner);
  return false;
}

std::string WithSetFailure(const std::string& message, const SetFailure& failure) {
  const std::string detail = SetFailureText(failure);
  return detail.empty() ? message : message + "\n\n" + Utf8ToCp1252(detail);
}

namespace {

std::string WithFileFailure(const std::string& message, SetFailure::Step step, const std::filesystem::path& file,
                            const std::string& reason) {
  if (reason.empty()) return message;
  SetFailure failure;
  failure.step = step;
  failure.file = file;
  failure.reason = reason;
  return WithSetFailure(message, failure);
}

}  // namespace

std::string WithWriteFailure(const std::string& message, const std::filesystem::path& file,
                             const std::string& reason) {
  return WithFileFailure(message, SetFailure::Step::kWrite, file, reason);
}

std::string WithReadFailure(const std::string& missing, const std::string& unreadable,
                            const std::filesystem::path& file, const KnownRead& read) {
  if (read.Missing()) return missing;
  return WithFileFailure(unreadable, SetFailure::Step::kRead, file, read.Reason());
}

std::string WithChosenFileReadFailure(const std::string& unreadable, const std::filesystem::path& file,
                                      const KnownRead& read) {
  // Paths are the file system's bytes; messages are Windows-1252.
  return WithReadFailure("File '" + Utf8ToCp1252(file.string()) + "' not found.", unreadable, file, read);
}

std::string WithAlreadySaved(const std::string& message, const std::vector<std::filesystem::path>& saved) {
  if (saved.empty()) return message;
  return message + "\n" + Utf8ToCp1252(QuotedWasWere(saved) + " already saved.");
}

bool AskOverwriteChanged(const std::vector<std::filesystem::path>& changed, QWidget* owner) {
  const std::string question = QuotedWasWere(changed) +
                               " changed by another program since VELK last read or saved " +
                               (changed.size() == 1 ? "it" : "them") + ". Replace " +
                               (changed.size() == 1 ? "it" : "them") + " with the Flightplan as it is in VELK?";
  return ShowMessageBox(Utf8ToCp1252(question), kMbYesNo | kMbIconExclamation | kMbDefButton2, kProgramTitle,
                        owner) == kIdYes;
}

}  // namespace velk
