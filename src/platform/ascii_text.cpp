#include "platform/ascii_text.h"

namespace velk {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view TrimAny(std::string_view s, std::string_view chars) {
  size_t b = s.find_first_not_of(chars);
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(chars);
  return s.substr(b, e - b + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool LessNoCase(std::string_view a, std::string_view b) {
  std::string ua = UpperAscii(a), ub = UpperAscii(b);
  return ua != ub ? ua < ub : a < b;
}

std::string_view TrimBlanks(std::string_view s) { return TrimAny(s, " \t"); }

std::string_view TrimSpaces(std::string_view s) {
  // Every field of a plan line passes here: a plain loop, not a set search.
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace velk
