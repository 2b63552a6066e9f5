#pragma once
// Column padding for the fixed-width text reports.
#include <string>

namespace velk {

// `text` followed by blanks up to `width` characters; a text as long as the
// width or longer comes back unchanged, never cut.
std::string PadText(const std::string& text, int width);

// `text` as a column `width` characters wide, for a report whose columns must
// stay apart: as PadText, but a text that fills the width or goes beyond it
// is followed by one blank.
std::string ColumnText(const std::string& text, int width);

}  // namespace velk
