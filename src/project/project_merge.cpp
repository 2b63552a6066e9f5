#include "project/project_merge.h"

#include "platform/text_codec.h"
#include "platform/text_file.h"

namespace velk {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

bool IsCommentLine(std::string_view line) {
  size_t b = line.find_first_not_of(" \t");
  if (b == std::string_view::npos) return false;
  line.remove_prefix(b);
  return line.starts_with(";") || line.starts_with("//");
}

// The number behind "AC#": the digits that follow the first three
// characters, 0 when there are none, so an odd id never raises the maximum.
int AircraftNumber(std::string_view id) {
  if (id.size() <= 3) return 0;
  int value = 0;
  for (char c : id.substr(3)) {
    if (c < '0' || c > '9') break;
    // Far beyond any number a plan can hold; capped so that the next number
    // given cannot overflow.
    if (value > 99999999) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

}  // namespace

std::string NormalisedAircraftTitle(std::string_view field) {
  std::string title;
  for (char c : TrimSpaces(field))
    if (c != '"') title += c;
  return UpperCp1252(title);
}

std::vector<std::string_view> MergeInputLines(std::string_view text) {
  return SplitLines(SkipUtf8Bom(text));
}

void ProjectMerger::BeginEntry() { idMap_.clear(); }

void ProjectMerger::AddAircraftText(std::string_view text) {
  for (std::string_view line : MergeInputLines(text)) {
    if (line.empty() || IsCommentLine(line)) continue;
    size_t c1 = line.find(',');
    if (c1 == std::string_view::npos) continue;
    size_t c2 = line.find(',', c1 + 1);
    if (c2 == std::string_view::npos || line.find(',', c2 + 1) != std::string_view::npos) continue;
    std::string id(line.substr(0, c1));
    std::string title = NormalisedAircraftTitle(line.substr(c2 + 1));

    if (auto known = titleIds_.find(title); known != titleIds_.end()) {
      idMap_.emplace_back(known->second, id);
      continue;
    }
    std::string idKey = UpperCp1252(id);
    if (!usedIds_.count(idKey)) {
      AppendLine(aircraft_, line);
      titleIds_.emplace(title, id);
      usedIds_.insert(idKey);
      maxNumber_ = std::max(maxNumber_, AircraftNumber(id));
      continue;
    }
    std::string renumbered = "AC#" + std::to_string(++maxNumber_);
    idMap_.emplace_back(renumbered, id);
    usedIds_.insert(UpperCp1252(renumbered));
    titleIds_.emplace(title, renumbered);
    // The id is the line's whole first field.
    AppendLine(aircraft_, renumbered + std::string(line.substr(c1)));
  }
}

void ProjectMerger::AddFlightPlanText(std::string_view text) {
  for (std::string_view line : MergeInputLines(text)) {
    const std::pair<std::string, std::string>* row = nullptr;
    for (const auto& r : idMap_) {
      if (line.size() > r.second.size() && line.starts_with(r.second) && line[r.second.size()] == ',') {
        row = &r;
        break;
      }
    }
    if (!row) {
      AppendLine(plans_, line);
      continue;
    }
    // Only the leading id: a registration or any later field that happens
    // to read "AC#n," is the plan's own text.
    AppendLine(plans_, row->first + std::string(line.substr(row->second.size())));
  }
}

}  // namespace velk
