// The window layers' link checks (src/CMakeLists.txt) catch calls from those
// layers only; this check also sees what never reaches the linker (inline
// functions, types, constants) and the parts of velk_core, which always link
// together.
#include "include_check.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string_view>

namespace fs = std::filesystem;

namespace layer_includes {
namespace {

// The layers, top down. Folders on one line stand side by side: none
// includes another or anything inside it. A file belongs to the deepest
// folder listed that holds it; the ui/ or qt/ folder within that is its
// window half, which the rest of the folder does not include.
constexpr std::string_view kLayers[] = {
    "src/app tools",
    "src/search src/shuffle src/project src/flight_editor src/timetable src/aircraft_editors src/airport_tools",
    "src/gui",
    "src/data src/traffic_compiler",
    "src/traffic_compiler/compiler src/traffic_compiler/decompiler",
    "src/traffic_compiler/common",
    "src/platform",
};

constexpr std::string_view kScannedFolders[] = {"src", "tools"};

bool Inside(std::string_view file, const Folder& folder) {
  return file.size() > folder.path.size() && file.starts_with(folder.path) && file[folder.path.size()] == '/';
}

bool InWindowHalf(std::string_view file, const Folder& folder) {
  std::string_view below = file.substr(folder.path.size() + 1);
  return below.starts_with("ui/") || below.starts_with("qt/");
}

// The deepest listed folder that holds `file`, null when none does.
const Folder* OwnerOf(const std::vector<Folder>& folders, std::string_view file) {
  const Folder* owner = nullptr;
  for (const Folder& f : folders) {
    if (Inside(file, f) && (!owner || f.path.size() > owner->path.size())) owner = &f;
  }
  return owner;
}

// Why an include from `from` of `to` (both files of the tree) runs the wrong
// way; nothing when it runs down or stays within its folder.
std::optional<std::string> WrongWay(const std::vector<Folder>& folders, const std::string& from, const std::string& to) {
  const Folder* a = OwnerOf(folders, from);
  const Folder* b = OwnerOf(folders, to);
  if (!a) return from + " lies in no layer of the list";
  if (!b) return to + " lies in no layer of the list";
  if (a == b) {
    if (InWindowHalf(to, *b) && !InWindowHalf(from, *a)) return "runs up, into the window half of " + a->path;
    return std::nullopt;
  }
  for (const Folder& mine : folders) {
    if (!Inside(from, mine)) continue;
    for (const Folder& beside : folders) {
      if (beside.line == mine.line && &beside != &mine && Inside(to, beside))
        return "runs across, from " + mine.path + " to " + beside.path;
    }
  }
  if (b->line < a->line) return "runs up, from " + a->path + " to " + b->path;
  return std::nullopt;
}

struct Include {
  std::string name;
  bool quoted = false;
};

// The header that `line` includes, nothing when it is no #include line.
std::optional<Include> IncludeOf(std::string_view line) {
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string_view::npos || line[at] != '#') return std::nullopt;
  at = line.find_first_not_of(" \t", at + 1);
  if (at == std::string_view::npos || line.substr(at, 7) != "include") return std::nullopt;
  at = line.find_first_not_of(" \t", at + 7);
  if (at == std::string_view::npos || (line[at] != '"' && line[at] != '<')) return std::nullopt;
  const bool quoted = line[at] == '"';
  size_t end = line.find(quoted ? '"' : '>', at + 1);
  if (end == std::string_view::npos) return std::nullopt;
  return Include{std::string(line.substr(at + 1, end - at - 1)), quoted};
}

// The file of the tree an include names, searched as the build searches:
// beside the including file (quoted names only), then from tools/ for the
// tools, then from src/. Nothing for a system or generated header.
std::optional<std::string> Resolve(const fs::path& root, const std::string& from, const Include& include) {
  std::vector<fs::path> tries;
  if (include.quoted) tries.push_back(fs::path(from).parent_path() / include.name);
  if (from.starts_with("tools/")) tries.push_back(fs::path("tools") / include.name);
  tries.push_back(fs::path("src") / include.name);
  for (const fs::path& p : tries) {
    fs::path file = p.lexically_normal();
    std::error_code ec;
    if (fs::is_regular_file(root / file, ec)) return file.generic_string();
  }
  return std::nullopt;
}

bool IsSource(const fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc";
}

}  // namespace

std::vector<Folder> ListedFolders() {
  std::vector<Folder> folders;
  for (int line = 0; line < static_cast<int>(std::size(kLayers)); ++line) {
    std::string_view rest = kLayers[line];
    while (!rest.empty()) {
      size_t cut = rest.find(' ');
      if (cut != 0) folders.push_back(Folder{std::string(rest.substr(0, cut)), line});
      rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
    }
  }
  return folders;
}

Report CheckTree(const fs::path& root) {
  Report report;
  const std::vector<Folder> folders = ListedFolders();
  for (const Folder& f : folders) {
    if (!fs::is_directory(root / f.path)) report.faults.push_back(f.path + ": listed as a layer, but no such folder");
  }

  std::vector<std::string> files;
  for (std::string_view top : kScannedFolders) {
    if (!fs::is_directory(root / top)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
      if (entry.is_regular_file() && IsSource(entry.path()))
        files.push_back(entry.path().lexically_relative(root).generic_string());
    }
  }
  std::sort(files.begin(), files.end());
  report.files = files.size();

  for (const std::string& file : files) {
    std::ifstream in(root / file);
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
      std::optional<Include> include = IncludeOf(text);
      if (!include) continue;
      std::optional<std::string> target = Resolve(root, file, *include);
      if (!target) continue;
      ++report.includes;
      if (std::optional<std::string> why = WrongWay(folders, file, *target)) {
        report.faults.push_back(file + ":" + std::to_string(number) + ": #include \"" + include->name + "\": " + *why);
        ++report.wrongIncludes;
      }
    }
  }
  return report;
}

}  // namespace layer_includes
