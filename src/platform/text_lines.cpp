#include "platform/text_lines.h"

namespace velk {

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  ForEachLine(text, [&](std::string_view line) { lines.push_back(line); });
  return lines;
}

size_t LineStartAtOrAfter(std::string_view text, size_t pos) {
  if (pos == 0 || pos >= text.size()) return pos >= text.size() ? text.size() : 0;
  const char before = text[pos - 1];
  if (before == '\n' || (before == '\r' && text[pos] != '\n')) return pos;
  if (before == '\r') return pos + 1;  // between the CR and the LF of a pair
  LineReader rest(text.substr(pos));
  TextLine line;
  rest.Next(line);
  return pos + rest.Position();
}

size_t CountLines(std::string_view text) {
  // Counted with two sweeps of memchr rather than line by line: the plan
  // reader sizes its records from this before it reads them.
  size_t count = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))); ++p) ++count;
  for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)))); ++p)
    if (p + 1 == end || p[1] != '\n') ++count;
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') ++count;
  return count;
}

}  // namespace velk
