#pragma once
// Small text helpers over Windows-1252 bytes that only touch ASCII letters
// and blanks, so that they never depend on the process's locale.
#include <string>
#include <string_view>

namespace velk {

// ASCII comparison without regard to case; other bytes compare exactly.
bool EqualsNoCase(std::string_view a, std::string_view b);
// ASCII upper case; other bytes are kept.
std::string UpperAscii(std::string_view s);
// Name order without regard to ASCII letter case (by the UpperAscii bytes);
// names that differ only in case come in byte order, so that the order is
// the same from run to run.
bool LessNoCase(std::string_view a, std::string_view b);
// Any of the bytes in `chars` trimmed at both ends.
std::string_view TrimAny(std::string_view s, std::string_view chars);
// Blanks (spaces and tabs) trimmed at both ends.
std::string_view TrimBlanks(std::string_view s);
// Spaces trimmed at both ends; tabs are kept, as the traffic text files do.
std::string_view TrimSpaces(std::string_view s);

}  // namespace velk
