#pragma once
// The number prompts of the Move tab and the randomizers: an input box a
// quarter of the main window's width right of its left edge and a quarter of
// its height below its top edge, whose answer is read as a number and
// rounded to a whole one (halves to the even neighbour).
#include <cstdint>
#include <optional>
#include <string>

namespace velk {

class PlanHost;

// The whole number entered; nothing when the box was cancelled or the text
// is not a number (or lies outside the 32-bit range).
std::optional<std::int32_t> AskWholeNumber(PlanHost& host, const std::string& prompt, const std::string& title,
                                           const std::string& defaultText);

}  // namespace velk
