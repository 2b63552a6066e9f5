#pragma once
// aircraft.cfg keeps a long text (a description, a performance note) on one
// line, with escape sequences for its line breaks, tabs and slashes. The
// text edit dialog shows such a value with real line breaks and tabs and
// turns it back into one line when the user confirms.
#include <string>
#include <string_view>

namespace velk {

// The value as it is edited: "\n" becomes CR LF, then "\t" a tab, then "\/"
// a "/" (every occurrence, in that order).
std::string UnescapeCfgText(std::string_view stored);

// The edited text as it is stored: every line break (CR LF, a lone CR, a lone
// LF) becomes "\n", then every tab "\t", then every "/" "\/". The result
// never holds a CR or LF, so it cannot split its line in the file.
std::string EscapeCfgText(std::string_view edited);

}  // namespace velk
