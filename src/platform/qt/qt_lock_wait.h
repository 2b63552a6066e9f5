#pragma once
// While the window program waits for a folder lock, its window keeps
// painting: a dialog just closed does not stay drawn over it.
namespace velk {

// Called once at start-up of the window program.
void InstallQtLockWaitHook();

}  // namespace velk
