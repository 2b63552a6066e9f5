#pragma once
// Reading and writing registry files in Wine's text format:
//
//   WINE REGISTRY Version 2
//
//   [Software\\Brennhall\\Corrivan\\1.0\\Settings] 1733700000
//   "Name"=str(2):"text"
//
// Names and texts are kept in memory as Windows-1252 bytes, the way the
// registry's ANSI calls hand them out. Key and value names compare without
// regard to case. Keys and values that are not changed are written back
// exactly as they were read, so a store shared with other programs keeps
// what it does not understand.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velk {

inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

struct RegistryValue {
  std::string name;   // "" is the key's default value ("@" in the file)
  uint32_t type = 0;
  // The data as the ANSI registry calls return it: for string types the
  // Windows-1252 text followed by its NUL, for other types the raw bytes.
  std::string data;
  // For string types the whole text as UTF-8, without its terminator: also
  // the characters that Windows-1252 lacks (a folder named in Cyrillic),
  // which `data` has as "?".
  std::string text;
  // The line(s) read from the file; written back unchanged until the value
  // is set again. Empty for a value made in memory.
  std::string sourceText;
};

struct RegistryKey {
  std::string path;   // "\"-separated, relative to the file's root
  std::string stamp;  // what follows "]" on the key line (the change time)
  std::vector<std::string> options;  // "#time=...", "#class=..." lines
  std::vector<RegistryValue> values;
  std::string sourceLine;  // the key line as read; empty once changed

  const RegistryValue* FindValue(std::string_view name) const;
};

class RegistryFile {
 public:
  // A file holding no keys, with the format's header.
  RegistryFile();

  // Nothing when `text` is not a registry file of this format: a wrong
  // header, or (when `strict`) a line that is neither a key, a value, an
  // option, a comment nor blank, or a value outside any key. Without
  // `strict` such lines are passed over, as Wine itself does.
  static std::optional<RegistryFile> Parse(std::string_view text, bool strict = true);

  // The file text (LF line ends, as Wine writes them).
  std::string Serialize() const;

  const RegistryKey* FindKey(std::string_view path) const;
  // The key, made when missing. A new key takes the spelling of the longest
  // existing key it lies below, so a path differing only in case never
  // gives a second key. `created` tells whether it was made now.
  RegistryKey& CreateKey(std::string_view path, bool* created = nullptr);

  // Sets a string value (REG_SZ, REG_EXPAND_SZ) of `text`; the key is made
  // when missing.
  void SetString(std::string_view keyPath, std::string_view name, uint32_t type,
                 std::string_view text);

  const std::vector<RegistryKey>& keys() const { return keys_; }

 private:
  void Index();

  std::vector<std::string> header_;  // lines before the first key
  std::vector<RegistryKey> keys_;
  std::unordered_map<std::string, size_t> byPath_;  // folded path -> index
};

// Key and value names compared without regard to case (Windows-1252 letters).
bool RegistryNamesEqual(std::string_view a, std::string_view b);
std::string FoldRegistryName(std::string_view name);

// Wine's escaping of a text inside quotes (`quotes` are the two characters
// that get a backslash besides the backslash itself: "\"\"" for names and
// data, "[]" for key paths). Bytes are Windows-1252; characters outside
// printable ASCII become \x.. or octal escapes.
std::string EscapeRegistryText(std::string_view text, std::string_view quotes);

}  // namespace velk
