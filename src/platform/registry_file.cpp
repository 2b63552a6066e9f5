#include "platform/registry_file.h"

#include <cstdio>
#include <ctime>

#include "platform/text_codec.h"
#include "platform/text_lines.h"

namespace velk {
namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

unsigned char FoldByte(unsigned char c) {
  return static_cast<unsigned char>(CodePointToCp1252(FoldCaseCp1252(Cp1252ToCodePoint(c))));
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// One character of raw file text: a UTF-8 sequence when the bytes form one,
// else the byte as a Windows-1252 character (older files).
char32_t NextRawChar(std::string_view s, size_t& i) {
  char32_t cp = 0;
  if (DecodeUtf8At(s, i, cp)) return cp;
  unsigned char c = static_cast<unsigned char>(s[i++]);
  return c < 0x80 ? c : Cp1252ToCodePoint(c);
}

void AppendCp1252(std::string& out, char32_t cp) {
  int b = CodePointToCp1252(cp);
  out.push_back(b < 0 ? '?' : static_cast<char>(b));
}

// Reads a quoted text starting at `i` (just after the opening quote) up to
// the unescaped `end` character; `i` is left after it. Nothing when the
// closing character is missing. The characters are kept whole here; the
// ANSI view and the full text are made from them.
std::optional<std::u32string> ParseQuotedChars(std::string_view s, size_t& i, char end) {
  std::u32string out;
  while (i < s.size() && s[i] != end) {
    if (s[i] != '\\') {
      out.push_back(NextRawChar(s, i));
      continue;
    }
    ++i;
    if (i >= s.size()) return std::nullopt;
    char c = s[i];
    switch (c) {
      case 'a': out.push_back(U'\a'); ++i; break;
      case 'b': out.push_back(U'\b'); ++i; break;
      case 'e': out.push_back(U'\x1b'); ++i; break;
      case 'f': out.push_back(U'\f'); ++i; break;
      case 'n': out.push_back(U'\n'); ++i; break;
      case 'r': out.push_back(U'\r'); ++i; break;
      case 't': out.push_back(U'\t'); ++i; break;
      case 'v': out.push_back(U'\v'); ++i; break;
      case 'x': {
        ++i;
        if (i >= s.size() || !IsHex(s[i])) {
          out.push_back(U'x');
          break;
        }
        char32_t cp = 0;
        for (int k = 0; k < 4 && i < s.size() && IsHex(s[i]); ++k) cp = cp * 16 + HexValue(s[i++]);
        out.push_back(cp);
        break;
      }
      default:
        if (c >= '0' && c <= '7') {
          char32_t cp = 0;
          for (int k = 0; k < 3 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++k)
            cp = cp * 8 + static_cast<char32_t>(s[i++] - '0');
          out.push_back(cp);
        } else {
          out.push_back(NextRawChar(s, i));
        }
    }
  }
  if (i >= s.size()) return std::nullopt;
  ++i;
  return out;
}

// The text as the ANSI registry calls see it: characters outside
// Windows-1252 become "?".
std::string AnsiText(const std::u32string& chars) {
  std::string out;
  for (char32_t cp : chars) AppendCp1252(out, cp);
  return out;
}

std::string Utf8Text(const std::u32string& chars) {
  std::string out;
  for (char32_t cp : chars) AppendUtf8(out, cp);
  return out;
}

std::optional<std::string> ParseQuoted(std::string_view s, size_t& i, char end) {
  auto chars = ParseQuotedChars(s, i, end);
  if (!chars) return std::nullopt;
  return AnsiText(*chars);
}

bool StartsWith(std::string_view s, size_t at, std::string_view prefix) {
  return s.size() - at >= prefix.size() && s.compare(at, prefix.size(), prefix) == 0;
}

bool IsStringType(uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The characters of a string value given in hex (UTF-16LE); a pair of
// surrogates is one character, a lone high surrogate an unknown one.
std::u32string Utf16Chars(std::string_view bytes) {
  std::u32string out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t u = static_cast<unsigned char>(bytes[i]) |
                 (static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    if (u >= 0xD800 && u <= 0xDBFF) {
      char32_t low = i + 3 < bytes.size() ? (static_cast<unsigned char>(bytes[i + 2]) |
                                             (static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 3])) << 8))
                                          : 0;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
      } else {
        out.push_back(0xFFFD);
      }
      continue;
    }
    if (u >= 0xDC00 && u <= 0xDFFF) continue;
    out.push_back(u);
  }
  return out;
}

// "aa,bb,cc" (blanks allowed around the commas).
std::optional<std::string> ParseHexBytes(std::string_view s) {
  std::string out;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  };
  skipBlanks();
  while (i < s.size()) {
    if (i + 1 >= s.size() || !IsHex(s[i]) || !IsHex(s[i + 1])) return std::nullopt;
    out.push_back(static_cast<char>(HexValue(s[i]) * 16 + HexValue(s[i + 1])));
    i += 2;
    skipBlanks();
    if (i < s.size()) {
      if (s[i] != ',') return std::nullopt;
      ++i;
      skipBlanks();
    }
  }
  return out;
}

// Parses the part of a value line after "=". `continuation` holds the
// joined continuation lines of hex data.
bool ParseData(std::string_view s, RegistryValue& v) {
  size_t i = 0;
  uint32_t stringType = 0;
  if (StartsWith(s, 0, "\"")) {
    stringType = kRegSz;
    i = 1;
  } else if (StartsWith(s, 0, "str:\"")) {
    stringType = kRegSz;
    i = 5;
  } else if (StartsWith(s, 0, "str(2):\"")) {
    stringType = kRegExpandSz;
    i = 8;
  } else if (StartsWith(s, 0, "str(7):\"")) {
    stringType = kRegMultiSz;
    i = 8;
  }
  if (stringType) {
    auto chars = ParseQuotedChars(s, i, '"');
    if (!chars) return false;
    v.type = stringType;
    v.data = AnsiText(*chars);
    v.data.push_back('\0');
    v.text = Utf8Text(*chars);
    return true;
  }
  if (StartsWith(s, 0, "dword:")) {
    std::string_view digits = s.substr(6);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) digits.remove_suffix(1);
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t n = 0;
    for (char c : digits) {
      if (!IsHex(c)) return false;
      n = n * 16 + static_cast<uint32_t>(HexValue(c));
    }
    v.type = kRegDword;
    v.data.clear();
    for (int k = 0; k < 4; ++k) v.data.push_back(static_cast<char>((n >> (8 * k)) & 0xFF));
    return true;
  }
  uint32_t type = kRegBinary;
  if (StartsWith(s, 0, "hex:")) {
    i = 4;
  } else if (StartsWith(s, 0, "hex(")) {
    i = 4;
    uint32_t t = 0;
    size_t start = i;
    while (i < s.size() && IsHex(s[i])) t = t * 16 + static_cast<uint32_t>(HexValue(s[i++]));
    if (i == start || !StartsWith(s, i, "):")) return false;
    i += 2;
    type = t;
  } else {
    return false;
  }
  auto bytes = ParseHexBytes(s.substr(i));
  if (!bytes) return false;
  v.type = type;
  if (IsStringType(type)) {
    std::u32string chars = Utf16Chars(*bytes);
    v.data = AnsiText(chars);
    // The text ends at its terminator, as a C string does.
    v.text = Utf8Text(chars.substr(0, chars.find(U'\0')));
  } else {
    v.data = *bytes;
    v.text.clear();
  }
  return true;
}

std::string EscapeName(std::string_view name) {
  if (name.empty()) return "@";
  return "\"" + EscapeRegistryText(name, "\"\"") + "\"";
}

std::string HexList(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i) out.push_back(',');
    out += buf;
  }
  return out;
}

std::string FormatValue(const RegistryValue& v) {
  std::string out = EscapeName(v.name) + "=";
  bool terminated = !v.data.empty() && v.data.back() == '\0';
  if (IsStringType(v.type) && terminated) {
    std::string_view text(v.data.data(), v.data.size() - 1);
    if (v.type == kRegExpandSz) out += "str(2):";
    else if (v.type == kRegMultiSz) out += "str(7):";
    return out + "\"" + EscapeRegistryText(text, "\"\"") + "\"";
  }
  if (v.type == kRegDword && v.data.size() == 4) {
    uint32_t n = 0;
    for (int k = 3; k >= 0; --k) n = (n << 8) | static_cast<unsigned char>(v.data[k]);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", n);
    return out + "dword:" + buf;
  }
  std::string bytes = v.data;
  if (IsStringType(v.type)) {
    bytes.clear();
    for (unsigned char c : v.data) {
      char32_t cp = Cp1252ToCodePoint(c);
      bytes.push_back(static_cast<char>(cp & 0xFF));
      bytes.push_back(static_cast<char>((cp >> 8) & 0xFF));
    }
  }
  if (v.type == kRegBinary) return out + "hex:" + HexList(bytes);
  char buf[16];
  std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
  return out + buf + HexList(bytes);
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  parts.push_back(cur);
  return parts;
}

std::string NowStamp() { return " " + std::to_string(static_cast<long long>(std::time(nullptr))); }

// Wine's "#time=" option: 100 ns steps since 1601 in hex.
std::string NowTimeOption() {
  unsigned long long t = static_cast<unsigned long long>(std::time(nullptr));
  unsigned long long ft = (t + 11644473600ULL) * 10000000ULL;
  char buf[40];
  std::snprintf(buf, sizeof buf, "#time=%llx", ft);
  return buf;
}

}  // namespace

std::string FoldRegistryName(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return out;
}

bool RegistryNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldByte(static_cast<unsigned char>(a[i])) != FoldByte(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string EscapeRegistryText(std::string_view text, std::string_view quotes) {
  static const char kEscapes[33] = ".......abtnvfr.............e....";
  std::string out;
  out.reserve(text.size() + 8);
  char buf[16];
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = Cp1252ToCodePoint(static_cast<unsigned char>(text[i]));
    char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (cp > 127) {
      // A following hex digit would be read as part of the escape, so the
      // escape then takes its full four digits.
      std::snprintf(buf, sizeof buf, IsHex(next) ? "\\x%04x" : "\\x%x", static_cast<unsigned>(cp));
      out += buf;
    } else if (cp < 32) {
      if (kEscapes[cp] != '.') {
        out.push_back('\\');
        out.push_back(kEscapes[cp]);
      } else {
        std::snprintf(buf, sizeof buf, (next >= '0' && next <= '7') ? "\\%03o" : "\\%o",
                      static_cast<unsigned>(cp));
        out += buf;
      }
    } else {
      char c = static_cast<char>(cp);
      if (c == '\\' || quotes.find(c) != std::string_view::npos) out.push_back('\\');
      out.push_back(c);
    }
  }
  return out;
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
  for (const auto& v : values) {
    if (RegistryNamesEqual(v.name, name)) return &v;
  }
  return nullptr;
}

RegistryFile::RegistryFile() { header_.emplace_back(kHeader); }

std::optional<RegistryFile> RegistryFile::Parse(std::string_view text, bool strict) {
  auto lines = SplitLines(SkipUtf8Bom(text));
  size_t n = 0;
  while (n < lines.size() && lines[n].find_first_not_of(" \t") == std::string_view::npos) ++n;
  if (n >= lines.size()) return std::nullopt;
  std::string_view first = lines[n];
  while (!first.empty() && (first.back() == ' ' || first.back() == '\t')) first.remove_suffix(1);
  if (first != kHeader) return std::nullopt;

  RegistryFile file;
  file.header_.clear();
  file.header_.emplace_back(lines[n]);
  RegistryKey* key = nullptr;
  for (size_t i = n + 1; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    size_t lead = line.find_first_not_of(" \t");
    if (lead == std::string_view::npos) {
      if (!key) file.header_.emplace_back(line);
      continue;
    }
    std::string_view body = line.substr(lead);
    if (body[0] == ';') {
      if (!key) file.header_.emplace_back(line);
      continue;
    }
    if (body[0] == '#') {
      if (key) key->options.emplace_back(body);
      else file.header_.emplace_back(line);
      continue;
    }
    if (body[0] == '[') {
      size_t at = 1;
      auto path = ParseQuoted(body, at, ']');
      if (!path || path->empty()) {
        if (strict) return std::nullopt;
        key = nullptr;
        continue;
      }
      std::string folded = FoldRegistryName(*path);
      auto found = file.byPath_.find(folded);
      if (found != file.byPath_.end()) {
        // A key listed twice: its values join the first listing.
        key = &file.keys_[found->second];
        key->sourceLine.clear();
        continue;
      }
      RegistryKey k;
      k.path = *path;
      k.stamp = std::string(body.substr(at));
      k.sourceLine = std::string(body);
      file.keys_.push_back(std::move(k));
      file.byPath_[folded] = file.keys_.size() - 1;
      key = &file.keys_.back();
      continue;
    }
    if ((body[0] != '"' && body[0] != '@') || !key) {
      if (strict) return std::nullopt;
      continue;
    }
    RegistryValue v;
    size_t at = 1;
    if (body[0] == '"') {
      auto name = ParseQuoted(body, at, '"');
      if (!name) {
        if (strict) return std::nullopt;
        continue;
      }
      v.name = *name;
    }
    while (at < body.size() && (body[at] == ' ' || body[at] == '\t')) ++at;
    if (at >= body.size() || body[at] != '=') {
      if (strict) return std::nullopt;
      continue;
    }
    ++at;
    while (at < body.size() && (body[at] == ' ' || body[at] == '\t')) ++at;
    std::string data(body.substr(at));
    v.sourceText = std::string(line);
    // Long hex data goes on over further lines, each but the last ending in
    // a backslash.
    if (StartsWith(data, 0, "hex")) {
      while (!data.empty() && data.back() == '\\' && i + 1 < lines.size()) {
        data.pop_back();
        ++i;
        std::string_view more = lines[i];
        v.sourceText += "\n";
        v.sourceText += more;
        size_t s = more.find_first_not_of(" \t");
        if (s != std::string_view::npos) data += more.substr(s);
      }
    }
    if (!ParseData(data, v)) {
      if (strict) return std::nullopt;
      continue;
    }
    bool replaced = false;
    for (auto& old : key->values) {
      if (RegistryNamesEqual(old.name, v.name)) {
        old = std::move(v);
        replaced = true;
        break;
      }
    }
    if (!replaced) key->values.push_back(std::move(v));
  }
  while (file.header_.size() > 1 &&
         file.header_.back().find_first_not_of(" \t") == std::string::npos)
    file.header_.pop_back();
  return file;
}

std::string RegistryFile::Serialize() const {
  std::string out;
  for (const auto& h : header_) {
    out += h;
    out += '\n';
  }
  for (const auto& k : keys_) {
    out += '\n';
    if (!k.sourceLine.empty()) out += k.sourceLine;
    else out += "[" + EscapeRegistryText(k.path, "[]") + "]" + k.stamp;
    out += '\n';
    for (const auto& o : k.options) {
      out += o;
      out += '\n';
    }
    for (const auto& v : k.values) {
      out += v.sourceText.empty() ? FormatValue(v) : v.sourceText;
      out += '\n';
    }
  }
  return out;
}

void RegistryFile::Index() {
  byPath_.clear();
  for (size_t i = 0; i < keys_.size(); ++i) byPath_.emplace(FoldRegistryName(keys_[i].path), i);
}

const RegistryKey* RegistryFile::FindKey(std::string_view path) const {
  auto it = byPath_.find(FoldRegistryName(path));
  return it == byPath_.end() ? nullptr : &keys_[it->second];
}

RegistryKey& RegistryFile::CreateKey(std::string_view path, bool* created) {
  auto it = byPath_.find(FoldRegistryName(path));
  if (created) *created = it == byPath_.end();
  if (it != byPath_.end()) return keys_[it->second];

  // Spell the new key like the existing key that shares most of its path.
  std::vector<std::string> parts = SplitPath(path);
  std::vector<std::string> best;
  size_t bestLen = 0;
  for (const auto& k : keys_) {
    std::vector<std::string> other = SplitPath(k.path);
    size_t len = 0;
    while (len < parts.size() && len < other.size() && RegistryNamesEqual(parts[len], other[len])) ++len;
    if (len > bestLen) {
      bestLen = len;
      best = std::move(other);
    }
  }
  for (size_t i = 0; i < bestLen; ++i) parts[i] = best[i];
  RegistryKey k;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) k.path.push_back('\\');
    k.path += parts[i];
  }
  k.stamp = NowStamp();
  k.options.push_back(NowTimeOption());
  keys_.push_back(std::move(k));
  byPath_.emplace(FoldRegistryName(keys_.back().path), keys_.size() - 1);
  return keys_.back();
}

void RegistryFile::SetString(std::string_view keyPath, std::string_view name, uint32_t type,
                             std::string_view text) {
  RegistryKey& key = CreateKey(keyPath);
  std::string data(text);
  data.push_back('\0');
  RegistryValue* target = nullptr;
  for (auto& v : key.values) {
    if (RegistryNamesEqual(v.name, name)) target = &v;
  }
  if (target && target->type == type && target->data == data) return;
  if (!target) {
    key.values.emplace_back();
    target = &key.values.back();
    target->name = std::string(name);
  }
  target->type = type;
  target->data = std::move(data);
  target->text = Cp1252ToUtf8(text);
  target->sourceText.clear();
  key.sourceLine.clear();
  key.stamp = NowStamp();
  bool hadTime = false;
  for (auto& o : key.options) {
    if (o.rfind("#time=", 0) == 0) {
      o = NowTimeOption();
      hadTime = true;
    }
  }
  if (!hadTime) key.options.push_back(NowTimeOption());
}

}  // namespace velk
