#include "project/ui/file_choice.h"

#include "gui/plan_host.h"
#include "platform/file_dialog.h"

namespace velk {
namespace {

std::string Choose(PlanHost& host, bool save, const std::string& title, const std::string& filter,
                   const std::string& fileName) {
  FileDialogRequest r;
  r.save = save;
  r.title = title;
  r.filter = filter;
  r.fileName = fileName;
  r.flags = save ? kSaveDialogFlags : kOpenDialogFlags;
  r.owner = host.Window();
  return ShowFileDialog(r);
}

}  // namespace

std::string ChooseFileToOpen(PlanHost& host, const std::string& title, const std::string& filter,
                             const std::string& fileName) {
  return Choose(host, false, title, filter, fileName);
}

std::string ChooseFileToSave(PlanHost& host, const std::string& title, const std::string& filter,
                             const std::string& fileName) {
  return Choose(host, true, title, filter, fileName);
}

}  // namespace velk
