#include "platform/sim_location.h"

#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"
#include "platform/folder_list.h"
#include "platform/registry_store.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

// Decodes a file name: UTF-8 as the file system normally holds it, or, when
// the bytes are no valid UTF-8, Windows-1252 as the simulator's own files
// name things. Folded for comparing without regard to case, as Wine does.
std::u32string NameKey(std::string_view name) {
  std::u32string out;
  size_t i = 0;
  while (i < name.size()) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    char32_t cp = c;
    if (c >= 0x80 && !DecodeUtf8At(name, i, cp)) {
      out.clear();
      for (unsigned char b : name) out.push_back(FoldCaseUnicode(Cp1252ToCodePoint(b)));
      return out;
    }
    if (c < 0x80) ++i;
    out.push_back(FoldCaseUnicode(cp));
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

// The spelling of `wanted` in `folder`: empty when there is none, nothing
// when `folder` could not be listed. Part of a listing could lack the entry
// (the exact name would then make a twin of it), so it answers nothing.
std::optional<std::string> FindNoCase(const fs::path& folder, const std::string& wanted) {
  std::u32string key = NameKey(wanted);
  std::string best;
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  if (!ListFolder(folder, entries, ec))
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory
               ? std::optional<std::string>(best)
               : std::nullopt;
  for (const fs::directory_entry& entry : entries) {
    std::string name = entry.path().filename().string();
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

fs::path FlightSimFolder(fs::path* unlisted) {
  const char* env = std::getenv("VELK_FS_PATH");
  if (env && *env) return fs::path(env);
  // The whole text, not the ANSI view: Wine finds a folder whose name has
  // characters outside Windows-1252, and so must we.
  auto text = ReadMachineText(kSimRegistryKey, kSimRegistryValue);
  if (!text) return {};
  std::string value = Trimmed(*text);
  if (value.empty()) return {};
  return TranslateWindowsPathText(value, unlisted);
}

fs::path TranslateWindowsPath(const std::string& value) { return TranslateWindowsPathText(Cp1252ToUtf8(value)); }

fs::path TranslateWindowsPathText(const std::string& v, fs::path* unlisted) {
  if (v.empty()) return {};
  if (v[0] == '/') return ResolvePathNoCase("/", v.substr(1), unlisted);
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
    return ResolvePathNoCase(driveRoot(drive), v.substr(2), unlisted);
  }
  if (v.size() >= 2 && (v[0] == '\\') && (v[1] == '\\')) return {};
  if (v[0] == '\\') return ResolvePathNoCase(driveRoot('c'), v.substr(1), unlisted);
  std::error_code ec;
  return ResolvePathNoCase(fs::current_path(ec), v, unlisted);
}

fs::path ResolvePathNoCase(const fs::path& base, const std::string& relative, fs::path* unlisted) {
  fs::path p = base;
  bool found = true;
  for (const auto& part : Components(relative)) {
    if (found && part != "." && part != "..") {
      if (!EntryExists(p / part)) {
        const fs::path folder = p.empty() ? fs::path(".") : p;
        std::optional<std::string> spelling = FindNoCase(folder, part);
        if (!spelling) {
          if (unlisted) *unlisted = folder;
          return {};
        }
        if (!spelling->empty()) {
          p /= *spelling;
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
