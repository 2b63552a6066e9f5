#include "platform/pad_text.h"

namespace velk {

std::string PadText(const std::string& text, int width) {
  if (width <= 0 || static_cast<size_t>(width) <= text.size()) return text;
  return text + std::string(static_cast<size_t>(width) - text.size(), ' ');
}

std::string ColumnText(const std::string& text, int width) {
  if (width > 0 && static_cast<size_t>(width) > text.size()) return PadText(text, width);
  return text + ' ';
}

}  // namespace velk
