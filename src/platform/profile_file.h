#pragma once
// Sectioned "key=value" files (aircraft.cfg, model.cfg) read and written the
// way the simulator's own tools treat them:
//   - section and key names compare without regard to (ASCII) case;
//   - the first section of a name wins, and within it the first key;
//   - values come back with leading and trailing blanks removed, and a value
//     enclosed in one pair of matching quotes (" or ') without them;
//   - a line whose first non-blank character is ";" is a comment;
//   - a write changes only the line of its key, or appends the key at the end
//     of its section, or the section at the end of the file; every other byte
//     (comments, blank lines, spacing, line ends, a UTF-8 byte-order mark at
//     the start) stays as it was; values are written as given; added lines
//     end as the file's lines all do (LF, or a lone CR), else in CR LF.
//   - lines end at CR LF, LF or a lone CR.
// Files are kept as bytes (Windows-1252); nothing is converted.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii_text.h"

namespace velk {

class ProfileFile {
 public:
  ProfileFile() = default;
  explicit ProfileFile(std::string_view bytes);

  // The file's contents; nothing, with the reason in `error` (when given),
  // when it cannot be read (missing, a folder, no permission).
  static std::optional<ProfileFile> Load(const std::filesystem::path& path, std::string* error = nullptr);

  // The value of `key` in the first section named `section` (trimmed, one
  // pair of enclosing quotes dropped); nothing when the section or the key
  // is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue = {}) const;

  // Section names in file order as written (trimmed), duplicates included.
  std::vector<std::string> SectionNames() const;
  // Key names of the first section named `section`, in file order.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // Sets `key` of the first section named `section` to `value`. False, with
  // nothing changed, when a name or the value would break the file's layout:
  // an empty or line-breaking name, "]" in the section name, "=" in the key
  // name, a line break in the value, or a key name that would read back as a
  // comment.
  bool SetString(std::string_view section, std::string_view key, std::string_view value);
  // Sets each of `keys`, in order, to `value` in the first section named
  // `section`: the same file as one SetString per key, but in time linear in
  // the file and the list (SetString looks through the section's keys and
  // re-reads the file on every call). False when any key was refused; the
  // others are set all the same.
  bool SetStrings(std::string_view section, const std::vector<std::string>& keys, std::string_view value);

  // The whole file as it would be written.
  std::string Bytes() const;
  // Replaces the file atomically with Bytes(); false, with the reason in
  // `error` (when given), when it could not.
  bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;

 private:
  struct Line {
    std::string text;  // without its end
    std::string end;   // "\r\n", "\n", "\r" or "" for a last line without an end
  };
  struct Key {
    std::string name;  // trimmed
    size_t line;
  };
  struct Section {
    std::string name;  // trimmed
    size_t line;       // the header line
    size_t endLine;    // one past the last line before the next section
    std::vector<Key> keys;
  };

  void Index();
  const Section* FindSection(std::string_view name) const;

  std::string bom_;  // a leading UTF-8 byte-order mark, kept for writing
  std::string newLine_ = "\r\n";  // the end of added lines
  std::vector<Line> lines_;
  std::vector<Section> sections_;
};

// `value` without one pair of matching quotes (" or ') enclosing it, as the
// Windows profile functions hand values out.
std::string_view DropEnclosingQuotes(std::string_view value);

// One-shot helpers over a file on disk, for callers that touch a single key.
// A file that cannot be read gives `defaultValue`.
std::string ReadProfileValue(const std::filesystem::path& file, std::string_view section,
                             std::string_view key, std::string_view defaultValue = {});
// Writes one key and replaces the file atomically; a missing file is created.
// False when the file exists but cannot be read, or cannot be written, or
// the names or value are refused (see SetString); the file is then unchanged.
bool WriteProfileValue(const std::filesystem::path& file, std::string_view section,
                       std::string_view key, std::string_view value);


}  // namespace velk
