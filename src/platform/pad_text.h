#pragma once
// Column padding for the fixed-width text reports.
#include <string>

namespace velk {

// `text` followed by blanks up to `width` characters; a text as long as the
// width or longer comes back unchanged, never cut.
std::string PadText(const std::string& text, int width);

}  // namespace velk
