#pragma once
// The temporary folder of this run.
#include <string>

namespace velk {

// A private folder (mode 0700) made on first use under $TMPDIR (else /tmp)
// and removed with everything in it when the program ends. Returned with a
// trailing "/". Made again should it vanish meanwhile; empty when no folder
// can be made.
std::string GetTempFolder();

}  // namespace velk
