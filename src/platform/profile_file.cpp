#include "platform/profile_file.h"

#include <iterator>
#include <system_error>
#include <unordered_map>

#include "platform/ascii_text.h"
#include "platform/text_file.h"
#include "platform/text_lines.h"

namespace velk {
namespace {

std::string_view Trim(std::string_view s) { return TrimAny(s, " \t\r"); }

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::string_view DropEnclosingQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

namespace {

// Whether a write of trimmed `section` and `name` with `value` keeps the
// file's layout: it must read back as the same section, key and value.
bool Writable(std::string_view section, std::string_view name, std::string_view value) {
  if (section.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
  if (name.empty() || HasLineBreak(name) || name.find('=') != std::string_view::npos ||
      name.front() == ';' || name.front() == '[') {
    return false;
  }
  return !HasLineBreak(value);
}

// A new value on a key's line, keeping the key's spelling and the spacing
// around "=" as the file has it.
void ReplaceValue(std::string& text, std::string_view value) {
  size_t eq = text.find('=');
  size_t valueStart = text.find_first_not_of(" \t", eq + 1);
  if (valueStart == std::string::npos) valueStart = text.size();
  text = text.substr(0, valueStart);
  text.append(value);
}

}  // namespace

ProfileFile::ProfileFile(std::string_view bytes) {
  // A byte-order mark is no part of the first line, but is written back.
  std::string_view text = SkipUtf8Bom(bytes);
  bom_ = std::string(bytes.substr(0, bytes.size() - text.size()));
  LineReader reader(text);
  TextLine line;
  bool lf = false, cr = false, other = false;
  while (reader.Next(line)) {
    lines_.push_back({std::string(line.text), std::string(line.end)});
    if (line.end == "\n") {
      lf = true;
    } else if (line.end == "\r") {
      cr = true;
    } else if (!line.end.empty()) {
      other = true;
    }
  }
  // Lines added later match the file, so an LF-only file stays LF-only and
  // a file of lone CRs keeps them; a file of mixed ends gets CR LF.
  if (lf && !cr && !other) newLine_ = "\n";
  if (cr && !lf && !other) newLine_ = "\r";
  Index();
}

std::optional<ProfileFile> ProfileFile::Load(const std::filesystem::path& path, std::string* error) {
  auto bytes = ReadFileBytes(path, error);
  if (!bytes) return std::nullopt;
  return ProfileFile(*bytes);
}

void ProfileFile::Index() {
  sections_.clear();
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view t = Trim(lines_[i].text);
    if (t.empty() || t.front() == ';') continue;
    if (t.front() == '[') {
      if (!sections_.empty()) sections_.back().endLine = i;
      std::string_view inner = t.substr(1);
      size_t close = inner.find(']');
      if (close != std::string_view::npos) inner = inner.substr(0, close);
      sections_.push_back({std::string(Trim(inner)), i, lines_.size(), {}});
      continue;
    }
    // Lines before the first section belong to no section and are never read.
    if (sections_.empty()) continue;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view name = Trim(t.substr(0, eq));
    if (name.empty()) continue;
    sections_.back().keys.push_back({std::string(name), i});
  }
}

const ProfileFile::Section* ProfileFile::FindSection(std::string_view name) const {
  std::string_view want = Trim(name);
  for (const auto& s : sections_) {
    if (EqualsNoCase(s.name, want)) return &s;
  }
  return nullptr;
}

std::optional<std::string> ProfileFile::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  std::string_view want = Trim(key);
  for (const auto& k : s->keys) {
    if (!EqualsNoCase(k.name, want)) continue;
    std::string_view text = lines_[k.line].text;
    return std::string(DropEnclosingQuotes(Trim(text.substr(text.find('=') + 1))));
  }
  return std::nullopt;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
  auto v = Find(section, key);
  return v ? *v : std::string(defaultValue);
}

std::vector<std::string> ProfileFile::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const auto& s : sections_) names.push_back(s.name);
  return names;
}

std::vector<std::string> ProfileFile::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* s = FindSection(section)) {
    for (const auto& k : s->keys) names.push_back(k.name);
  }
  return names;
}

bool ProfileFile::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
  std::string_view sec = Trim(section);
  std::string_view name = Trim(key);
  if (!Writable(sec, name, value)) return false;

  const Section* s = FindSection(sec);
  if (s) {
    for (const auto& k : s->keys) {
      if (!EqualsNoCase(k.name, name)) continue;
      ReplaceValue(lines_[k.line].text, value);
      return true;
    }
    // New key after the section's last non-blank line, so that blank lines
    // separating it from the next section stay where they are.
    size_t after = s->line;
    for (size_t i = s->line + 1; i < s->endLine; ++i) {
      if (!Trim(lines_[i].text).empty()) after = i;
    }
    if (lines_[after].end.empty()) lines_[after].end = newLine_;
    Line added{std::string(name) + "=" + std::string(value), newLine_};
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after + 1), std::move(added));
    Index();
    return true;
  }

  if (!lines_.empty()) {
    if (lines_.back().end.empty()) lines_.back().end = newLine_;
    if (!Trim(lines_.back().text).empty()) lines_.push_back({"", newLine_});
  }
  lines_.push_back({"[" + std::string(sec) + "]", newLine_});
  lines_.push_back({std::string(name) + "=" + std::string(value), newLine_});
  Index();
  return true;
}

bool ProfileFile::SetStrings(std::string_view section, const std::vector<std::string>& keys,
                             std::string_view value) {
  std::string_view sec = Trim(section);
  // Where each key of the section lies, by its name in upper case: a line of
  // the file (the first occurrence, the one SetString would change) or one
  // of the new lines gathered below.
  struct Place {
    bool gathered;
    size_t index;
  };
  std::unordered_map<std::string, Place> places;
  places.reserve(keys.size());
  if (const Section* s = FindSection(sec)) {
    for (const Key& k : s->keys) places.emplace(UpperAscii(k.name), Place{false, k.line});
  }
  // The first new key goes through SetString, which places it (making the
  // section when it is missing) and chooses its line end. Every later new
  // key would follow the one before it with the same end, so they are
  // gathered and put after the first in one go. Lines already in the file
  // keep their numbers meanwhile, as new keys go after them.
  std::optional<size_t> first;
  std::vector<Line> gathered;
  gathered.reserve(keys.size());
  bool all = true;
  for (const std::string& key : keys) {
    std::string_view name = Trim(key);
    if (!Writable(sec, name, value)) {
      all = false;
      continue;
    }
    auto [place, isNew] = places.emplace(UpperAscii(name), Place{});
    if (!isNew) {
      Place where = place->second;
      ReplaceValue(where.gathered ? gathered[where.index].text : lines_[where.index].text, value);
      continue;
    }
    if (first) {
      place->second = {true, gathered.size()};
      gathered.push_back({std::string(name) + "=" + std::string(value), lines_[*first].end});
      continue;
    }
    SetString(sec, name, value);
    // The new key is the last of its section.
    first = FindSection(sec)->keys.back().line;
    place->second = {false, *first};
  }
  if (!gathered.empty()) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*first + 1),
                  std::make_move_iterator(gathered.begin()), std::make_move_iterator(gathered.end()));
    Index();
  }
  return all;
}

std::string ProfileFile::Bytes() const {
  std::string out = bom_;
  for (const auto& l : lines_) {
    out += l.text;
    out += l.end;
  }
  return out;
}

bool ProfileFile::Save(const std::filesystem::path& path, std::string* error) const {
  return WriteFileAtomic(path, Bytes(), error);
}

std::string ReadProfileValue(const std::filesystem::path& file, std::string_view section,
                             std::string_view key, std::string_view defaultValue) {
  auto profile = ProfileFile::Load(file);
  if (!profile) return std::string(defaultValue);
  return profile->GetString(section, key, defaultValue);
}

bool WriteProfileValue(const std::filesystem::path& file, std::string_view section,
                       std::string_view key, std::string_view value) {
  std::error_code ec;
  ProfileFile profile;
  if (std::filesystem::exists(file, ec)) {
    auto loaded = ProfileFile::Load(file);
    // A file that exists but cannot be read must not be replaced by one
    // holding only the new key.
    if (!loaded) return false;
    profile = std::move(*loaded);
  } else if (ec) {
    return false;
  }
  if (!profile.SetString(section, key, value)) return false;
  return profile.Save(file);
}

}  // namespace velk
