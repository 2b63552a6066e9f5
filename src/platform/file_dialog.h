#pragma once
// The file dialogs through which every feature asks for a file name, and the
// opener of documents (the help pages). The window layer installs handlers
// that show real dialogs; tests install scripted ones, so nothing blocks.
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace velk {

// Option bits the callers pass (the dialogs honour what the platform can).
inline constexpr int kOpenDialogFlags = 0x209004;  // existing file, read-only box hidden
inline constexpr int kSaveDialogFlags = 0x281006;  // also asks before replacing a file

// The filter of every dialog that opens or saves a text file.
inline constexpr const char* kTextFileFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";

struct FileDialogRequest {
  bool save = false;
  std::string title;
  std::string initDir;  // "" for the current folder
  // Pairs of description and pattern separated by "|":
  // "Text Files (*.txt)|*.txt|All Files (*.*)|*.*".
  std::string filter;
  int filterIndex = 1;   // 1-based
  std::string fileName;  // proposed path
  std::string defaultExt;
  int flags = 0;
  QWidget* owner = nullptr;
};

// The chosen full path, or "" when the user cancelled.
using FileDialogHandler = std::function<std::string(const FileDialogRequest&)>;

std::string ShowFileDialog(const FileDialogRequest& request);
// Installs the handler and returns the previous one. Without one every
// dialog counts as cancelled.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

// Opens a document (a help page, an aircraft.cfg) with the desktop's viewer
// and calls `done` once: with false when no launcher could be started, when
// the launcher failed (no viewer for the file) or when no opener is
// installed, else with true. A launcher can take its time, so `done` may
// come after OpenDocument has returned, from the window's event loop; the
// caller's window runs on meanwhile and may be gone by then.
using DocumentDone = std::function<void(bool opened)>;
using DocumentOpener = std::function<void(const std::string& path, DocumentDone done)>;
void OpenDocument(const std::string& path, DocumentDone done);
DocumentOpener SetDocumentOpener(DocumentOpener opener);

// Test seam: answers file dialogs from a queue ("" = cancel once the queue is
// empty) and records every request. Installs itself while it lives.
class ScriptedFileDialogs {
 public:
  ScriptedFileDialogs();
  ~ScriptedFileDialogs();
  ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
  ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

  void Answer(const std::string& path) { answers_.push_back(path); }
  const std::vector<FileDialogRequest>& Shown() const { return shown_; }

 private:
  std::deque<std::string> answers_;
  std::vector<FileDialogRequest> shown_;
  FileDialogHandler previous_;
};

}  // namespace velk
