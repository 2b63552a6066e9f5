#include "aircraft_editors/cfg_text_escape.h"

namespace velk {
namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  size_t start = 0;
  for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
    out.append(text.substr(start, at - start));
    out.append(to);
    start = at + from.size();
  }
  out.append(text.substr(start));
  return out;
}

}  // namespace

std::string UnescapeCfgText(std::string_view stored) {
  std::string text = ReplaceAll(stored, "\\n", "\r\n");
  text = ReplaceAll(text, "\\t", "\t");
  return ReplaceAll(text, "\\/", "/");
}

std::string EscapeCfgText(std::string_view edited) {
  // A line break the user typed must never reach the file raw: the rest of
  // the line would be read as a key of its own, or as a section header.
  std::string text;
  text.reserve(edited.size());
  for (size_t i = 0; i < edited.size(); ++i) {
    char c = edited[i];
    if (c == '\r') {
      if (i + 1 < edited.size() && edited[i + 1] == '\n') ++i;
      text += "\\n";
    } else if (c == '\n') {
      text += "\\n";
    } else {
      text += c;
    }
  }
  text = ReplaceAll(text, "\t", "\\t");
  return ReplaceAll(text, "/", "\\/");
}

}  // namespace velk
