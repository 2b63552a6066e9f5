#include "platform/sim_location.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/registry_store.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

char32_t FoldCodePoint(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
  switch (cp) {
    case 0x0160: return 0x0161;
    case 0x0152: return 0x0153;
    case 0x017D: return 0x017E;
    case 0x0178: return 0x00FF;
    default: return cp;
  }
}

// Decodes a file name: UTF-8 as the file system normally holds it, or, when
// the bytes are no valid UTF-8, Windows-1252 as the simulator's own files
// name things. Folded for comparing without regard to case.
std::u32string NameKey(std::string_view name) {
  std::u32string out;
  size_t i = 0;
  bool utf8 = true;
  while (i < name.size() && utf8) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x80) {
      out.push_back(FoldCodePoint(c));
      ++i;
      continue;
    }
    int extra = (c >= 0xC2 && c < 0xE0) ? 1 : (c >= 0xE0 && c < 0xF0) ? 2 : (c >= 0xF0 && c < 0xF5) ? 3 : 0;
    if (!extra || i + static_cast<size_t>(extra) >= name.size()) {
      utf8 = false;
      break;
    }
    char32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(name[i + static_cast<size_t>(k)]);
      if ((cc & 0xC0) != 0x80) {
        utf8 = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!utf8) break;
    out.push_back(FoldCodePoint(cp));
    i += static_cast<size_t>(extra) + 1;
  }
  if (!utf8) {
    out.clear();
    for (unsigned char c : name) out.push_back(FoldCodePoint(Cp1252ToCodePoint(c)));
  }
  return out;
}

std::vector<std::string> Components(std::string_view relative) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : relative) {
    if (c == '/' || c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool EntryExists(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

// The spelling of `wanted` in `folder`, or nothing.
std::string FindNoCase(const fs::path& folder, const std::string& wanted) {
  std::u32string key = NameKey(wanted);
  std::string best;
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (NameKey(name) == key && (best.empty() || name < best)) best = name;
  }
  return best;
}

std::string Trimmed(std::string text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  text.erase(0, start);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\\')) text.pop_back();
  return text;
}

}  // namespace

fs::path FlightSimFolder() {
  const char* env = std::getenv("VELK_FS_PATH");
  if (env && *env) return fs::path(env);
  auto data = ReadMachineValue(kSimRegistryKey, kSimRegistryValue);
  if (!data) return {};
  // The value is read as a C string: its text ends at the first NUL.
  std::string value = Trimmed(data->substr(0, data->find('\0')));
  if (value.empty()) return {};
  return TranslateWindowsPath(value);
}

fs::path TranslateWindowsPath(const std::string& value) {
  std::string v = Cp1252ToUtf8(value);
  if (v.empty()) return {};
  if (v[0] == '/') return ResolvePathNoCase("/", v.substr(1));
  auto driveRoot = [](char letter) {
    fs::path prefix = WinePrefixFolder();
    fs::path link = prefix / "dosdevices" / (std::string(1, letter) + ":");
    std::error_code ec;
    fs::path root = fs::canonical(link, ec);
    if (!ec) return root;
    if (letter == 'c') return prefix / "drive_c";
    return link;
  };
  char first = v[0];
  bool letter = (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
  if (v.size() >= 2 && letter && v[1] == ':') {
    char drive = static_cast<char>(first | 0x20);
    return ResolvePathNoCase(driveRoot(drive), v.substr(2));
  }
  if (v.size() >= 2 && (v[0] == '\\') && (v[1] == '\\')) return {};
  if (v[0] == '\\') return ResolvePathNoCase(driveRoot('c'), v.substr(1));
  std::error_code ec;
  return ResolvePathNoCase(fs::current_path(ec), v);
}

fs::path ResolvePathNoCase(const fs::path& base, const std::string& relative) {
  fs::path p = base;
  bool found = true;
  for (const auto& part : Components(relative)) {
    if (found && part != "." && part != "..") {
      if (!EntryExists(p / part)) {
        std::string spelling = FindNoCase(p.empty() ? fs::path(".") : p, part);
        if (!spelling.empty()) {
          p /= spelling;
          continue;
        }
        found = false;
      }
    }
    p /= part;
  }
  return p;
}

}  // namespace velk
