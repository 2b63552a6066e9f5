#pragma once
// The file dialogs of the project and compile commands: owned by the main
// window, starting in the current folder with the first filter, with the
// flags every open or save dialog of the program passes.
#include <string>

#include "platform/file_dialog.h"

namespace velk {

class PlanHost;

// The chosen path; "" when the user cancelled.
std::string ChooseFileToOpen(PlanHost& host, const std::string& title, const std::string& filter,
                             const std::string& fileName);
std::string ChooseFileToSave(PlanHost& host, const std::string& title, const std::string& filter,
                             const std::string& fileName);

}  // namespace velk
