#pragma once
// Puts the window layer behind the seams of src/platform: message boxes,
// file dialogs, input boxes, printing, and the console window and event pump
// of the programs that velk runs (orvane, ulvane), so that a running tool
// neither freezes the window nor takes velk's own terminal; and the paints
// that run while velk waits for a folder lock.
namespace velk {

// Called once by main(), before the main window exists.
void InstallQtSeams();

}  // namespace velk
