// The window layers' link checks (src/CMakeLists.txt) catch calls from those
// layers only; this check also sees what never reaches the linker (inline
// functions, types, constants) and the parts of velk_core, which always link
// together.
#include "include_check.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
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

// Window code as a whole, besides every folder's window half. Plain logic,
// whatever its folder, includes none of it, so that it builds and reads
// without Qt.
constexpr std::string_view kWindowFolders[] = {"src/app", "src/gui"};

constexpr std::string_view kScannedFolders[] = {"src", "tools"};

constexpr std::string_view kBlank = " \t\r\v\f";

bool Inside(std::string_view file, const Folder& folder) {
  return file.size() > folder.path.size() && file.starts_with(folder.path) && file[folder.path.size()] == '/';
}

bool InWindowHalf(std::string_view file, const Folder& folder) {
  std::string_view below = file.substr(folder.path.size() + 1);
  return below.starts_with("ui/") || below.starts_with("qt/");
}

// Which window code `file` (held by `owner`) is part of; empty for plain logic.
std::string WindowCodeOf(std::string_view file, const Folder& owner) {
  if (std::find(std::begin(kWindowFolders), std::end(kWindowFolders), owner.path) != std::end(kWindowFolders))
    return owner.path;
  if (InWindowHalf(file, owner)) return "the window half of " + owner.path;
  return {};
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
  const std::string window = WindowCodeOf(to, *b);
  if (!window.empty() && WindowCodeOf(from, *a).empty()) return "runs from plain logic into window code, " + window;
  return std::nullopt;
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The text as the compiler reads it, every comment a blank, line breaks kept
// so that line numbers still hold. Literals are passed over whole, so that a
// "//" or "/*" in one opens no comment (a raw string is blanked as well: no
// #include inside it is one), and a number whole, so that a digit separator
// opens no character literal.
std::string WithoutComments(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  auto blank = [&out](std::string_view gone) {
    for (char c : gone) out += c == '\n' ? '\n' : ' ';
  };
  while (!text.empty()) {
    size_t len = 1;
    if (text.starts_with("//")) {
      len = std::min(text.find('\n'), text.size());
      blank(text.substr(0, len));
    } else if (text.starts_with("/*")) {
      const size_t end = text.find("*/", 2);
      len = end == std::string_view::npos ? text.size() : end + 2;
      blank(text.substr(0, len));
    } else if (text[0] == '"' || text[0] == '\'') {
      while (len < text.size() && text[len] != text[0] && text[len] != '\n') len += text[len] == '\\' ? 2 : 1;
      len = std::min(len + (len < text.size() && text[len] == text[0]), text.size());
      out += text.substr(0, len);
    } else if (IsWordChar(text[0])) {
      const bool number = std::isdigit(static_cast<unsigned char>(text[0]));
      while (len < text.size() &&
             (IsWordChar(text[len]) ||
              (number && (text[len] == '.' || (text[len] == '\'' && len + 1 < text.size() && IsWordChar(text[len + 1]))))))
        ++len;
      out += text.substr(0, len);
      const bool raw = !number && text[len - 1] == 'R' && len < text.size() && text[len] == '"';
      if (const size_t open = raw ? text.find('(', len) : std::string_view::npos; open != std::string_view::npos) {
        const std::string close = ")" + std::string(text.substr(len + 1, open - len - 1)) + "\"";
        const size_t end = text.find(close, open);
        const size_t rawEnd = end == std::string_view::npos ? text.size() : end + close.size();
        blank(text.substr(len, rawEnd - len));
        len = rawEnd;
      }
    } else {
      out += text[0];
    }
    text.remove_prefix(len);
  }
  return out;
}

struct Include {
  std::string spelled;  // what follows #include, as written
  std::string name;     // between the quotes or brackets; empty when it cannot be read
  bool quoted = false;
};

// The header that `line` includes, nothing when it is no #include line.
std::optional<Include> IncludeOf(std::string_view line) {
  size_t at = line.find_first_not_of(kBlank);
  if (at == std::string_view::npos || line[at] != '#') return std::nullopt;
  at = line.find_first_not_of(kBlank, at + 1);
  if (at == std::string_view::npos) return std::nullopt;
  size_t end = at;
  while (end < line.size() && IsWordChar(line[end])) ++end;
  if (line.substr(at, end - at) != "include") return std::nullopt;
  std::string_view rest = line.substr(end);
  rest.remove_prefix(std::min(rest.find_first_not_of(kBlank), rest.size()));
  rest = rest.substr(0, rest.find_last_not_of(kBlank) + 1);
  Include include{std::string(rest), "", !rest.empty() && rest[0] == '"'};
  if (rest.empty() || (rest[0] != '"' && rest[0] != '<')) return include;
  const size_t close = rest.find(include.quoted ? '"' : '>', 1);
  if (close == std::string_view::npos) return include;
  include.spelled = std::string(rest.substr(0, close + 1));
  include.name = std::string(rest.substr(1, close - 1));
  return include;
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

// A file the build reads as code: .inc files are pieces of headers.
bool IsSource(const fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc" || ext == ".inc";
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
    std::ifstream in(root / file, std::ios::binary);
    std::istringstream lines(WithoutComments(std::string(std::istreambuf_iterator<char>(in), {})));
    std::string text;
    for (int number = 1; std::getline(lines, text); ++number) {
      std::optional<Include> include = IncludeOf(text);
      if (!include) continue;
      std::optional<std::string> why;
      if (include->name.empty()) {
        why = "the check cannot read the name; write it as \"...\" or <...>";
      } else if (std::optional<std::string> target = Resolve(root, file, *include)) {
        why = WrongWay(folders, file, *target);
      } else if (include->quoted) {
        why = "no file of the tree has that name";
      } else {
        continue;  // a system header
      }
      ++report.includes;
      if (why) {
        report.faults.push_back(file + ":" + std::to_string(number) + ": #include " + include->spelled + ": " + *why);
        ++report.wrongIncludes;
      }
    }
  }
  return report;
}

}  // namespace layer_includes
