#include "platform/file_dialog.h"

namespace velk {
namespace {

FileDialogHandler& Handler() {
  static FileDialogHandler handler;
  return handler;
}

DocumentOpener& Opener() {
  static DocumentOpener opener;
  return opener;
}

}  // namespace

std::string ShowFileDialog(const FileDialogRequest& request) {
  return Handler() ? Handler()(request) : std::string();
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
  FileDialogHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

void OpenDocument(const std::string& path, DocumentDone done) {
  if (Opener())
    Opener()(path, std::move(done));
  else if (done)
    done(false);
}

DocumentOpener SetDocumentOpener(DocumentOpener opener) {
  DocumentOpener previous = std::move(Opener());
  Opener() = std::move(opener);
  return previous;
}

ScriptedFileDialogs::ScriptedFileDialogs() {
  previous_ = SetFileDialogHandler([this](const FileDialogRequest& r) {
    shown_.push_back(r);
    if (answers_.empty()) return std::string();
    std::string answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

ScriptedFileDialogs::~ScriptedFileDialogs() { SetFileDialogHandler(std::move(previous_)); }

}  // namespace velk
