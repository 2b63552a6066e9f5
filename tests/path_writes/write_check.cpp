// Outside the platform every step that changes the disk goes through an open
// folder (velk::WriteTarget and the steps of platform/file_ops.h and
// platform/folder_tree.h), so that a link another user plants on the way is
// never followed. This check finds the steps that do not. It reads the
// source as the compiler does, without its comments and preprocessor lines
// (but with the bodies of its macros), and knows the calls by name: what it
// cannot tell apart (a descriptor passed in a variable, open flags or an
// open mode held in one, an image saved to a device in one) it counts as a
// call by path, to be allowed below with the reason it is safe.
#include "write_check.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace path_writes {

// Calls by path outside the platform that are safe where they stand, each
// with the reason. Nothing needs one today; a new entry names the file, the
// call as the check names it, and why no link can lead it astray there.
std::span<const Allowed> AllowedCalls() { return {}; }

namespace {

constexpr std::string_view kScanned = "src";
constexpr std::string_view kExempt = "src/platform";

struct Token {
  std::string_view text;  // a literal whole, with its prefix and quotes
  int line = 0;
  bool literal = false;
};

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool IsWord(const Token& t) {
  return !t.literal && !t.text.empty() && (std::isalpha(static_cast<unsigned char>(t.text[0])) || t.text[0] == '_');
}

bool IsLiteralPrefix(std::string_view word) {
  for (std::string_view p : {"L", "u", "U", "u8", "R", "LR", "uR", "UR", "u8R"})
    if (word == p) return true;
  return false;
}

std::vector<Token> Tokenize(std::string_view text);

// The body of the macro that `directive` (a preprocessor line from its "#")
// defines, as tokens between two ";", so that a call in it is seen where
// the macro stands; nothing for any other line.
std::vector<Token> MacroBody(std::string_view directive, int line) {
  size_t p = directive.find_first_not_of(" \t", 1);
  if (p == std::string_view::npos || directive.substr(p, 6) != "define") return {};
  p = directive.find_first_not_of(" \t", p + 6);
  while (p < directive.size() && IsWordChar(directive[p])) ++p;  // the macro's name
  if (p < directive.size() && directive[p] == '(') p = std::min(directive.find(')', p), directive.size() - 1) + 1;
  if (p >= directive.size()) return {};
  const std::string_view body = directive.substr(p);
  line += static_cast<int>(std::count(directive.begin(), directive.begin() + static_cast<std::ptrdiff_t>(p), '\n'));
  std::vector<Token> tokens{Token{";", line}};
  for (Token t : Tokenize(body)) tokens.push_back(Token{t.text, t.line + line - 1, t.literal});
  tokens.push_back(Token{";", line});
  return tokens;
}

// The tokens of `text` as the compiler reads them: comments and
// preprocessor lines (an #include <fstream> makes no stream) left out but
// the bodies of macros, literals and numbers (digit separators too) whole.
std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  int line = 1;
  bool lineStart = true;
  size_t i = 0;
  auto skipTo = [&](size_t end) {
    end = std::min(end, text.size());
    line += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(i),
                                        text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    i = end;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') lineStart = true;
    if (std::isspace(static_cast<unsigned char>(c))) {
      skipTo(i + 1);
      continue;
    }
    if (lineStart && c == '#') {
      size_t end = i;
      while (end < text.size() && !(text[end] == '\n' && text[end - 1] != '\\')) ++end;
      const std::vector<Token> body = MacroBody(text.substr(i, end - i), line);
      tokens.insert(tokens.end(), body.begin(), body.end());
      skipTo(end);
      continue;
    }
    lineStart = false;
    if (text.substr(i).starts_with("//")) {
      skipTo(text.find('\n', i));
      continue;
    }
    if (text.substr(i).starts_with("/*")) {
      const size_t end = text.find("*/", i + 2);
      skipTo(end == std::string_view::npos ? text.size() : end + 2);
      continue;
    }
    size_t end = i + 1;
    size_t quote = std::string_view::npos;
    if (c == '"' || c == '\'') {
      quote = i;
    } else if (IsWordChar(c)) {
      const bool number = std::isdigit(static_cast<unsigned char>(c));
      while (end < text.size() &&
             (IsWordChar(text[end]) || (number && (text[end] == '.' || (text[end] == '\'' && end + 1 < text.size() &&
                                                                        IsWordChar(text[end + 1]))))))
        ++end;
      if (!number && end < text.size() && (text[end] == '"' || text[end] == '\'') &&
          IsLiteralPrefix(text.substr(i, end - i)))
        quote = end;
    } else if (text.substr(i).starts_with("::") || text.substr(i).starts_with("->")) {
      end = i + 2;
    }
    if (quote != std::string_view::npos) {
      if (text[quote] == '"' && quote > i && text[quote - 1] == 'R') {
        const size_t open = std::min(text.find('(', quote), text.size());
        const std::string close = ")" + std::string(text.substr(quote + 1, open - quote - 1)) + "\"";
        const size_t found = text.find(close, open);
        end = found == std::string_view::npos ? text.size() : found + close.size();
      } else {
        end = quote + 1;
        while (end < text.size() && text[end] != text[quote] && text[end] != '\n') end += text[end] == '\\' ? 2 : 1;
        end = std::min(end + 1, text.size());
      }
    }
    tokens.push_back(Token{text.substr(i, end - i), line, quote != std::string_view::npos});
    skipTo(end);
  }
  return tokens;
}

// A call by path that the check names: how it is called and what it does.
struct Found {
  std::string call;
  std::string_view what;
};

struct Call {
  size_t name = 0;                              // token index of the called name
  std::string qualifier;                        // "std::filesystem", "fs", ... ; empty when there is none
  bool global = false;                          // "::name"
  bool member = false;                          // "x.name" or "x->name"
  std::vector<std::pair<size_t, size_t>> args;  // token ranges, end excluded
};

// The tokens of `arg` outside any bracket within it.
std::vector<std::string_view> TopLevel(const std::vector<Token>& tokens, std::pair<size_t, size_t> arg) {
  std::vector<std::string_view> top;
  int depth = 0;
  for (size_t k = arg.first; k < arg.second; ++k) {
    const std::string_view t = tokens[k].literal ? std::string_view{} : tokens[k].text;
    if (t == ")" || t == "]" || t == "}") --depth;
    if (depth == 0) top.push_back(tokens[k].text);
    if (t == "(" || t == "[" || t == "{") ++depth;
  }
  return top;
}

bool Mentions(const std::vector<Token>& tokens, std::pair<size_t, size_t> arg,
              std::initializer_list<std::string_view> names) {
  for (size_t k = arg.first; k < arg.second; ++k)
    if (!tokens[k].literal && std::find(names.begin(), names.end(), tokens[k].text) != names.end()) return true;
  return false;
}

// Open flags that write: any write flag, or none that can be read at all
// (flags held in a variable).
bool OpensForWriting(const std::vector<Token>& tokens, std::pair<size_t, size_t> flags) {
  if (Mentions(tokens, flags, {"O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_APPEND", "O_TMPFILE"})) return true;
  return !Mentions(tokens, flags, {"O_RDONLY", "O_PATH"});
}

// Reads by path only: a descriptor of AT_FDCWD is fine for these.
bool OnlyLooks(std::string_view name) {
  for (std::string_view n : {"fstatat", "newfstatat", "faccessat", "faccessat2", "readlinkat", "statx"})
    if (name == n) return true;
  return false;
}

// The names that std::filesystem has, with the aliases of all the tree
// (a namespace alias in a header is seen in every file that includes it).
using Names = std::set<std::string, std::less<>>;

bool IsFilesystem(const Names& names, std::string_view qualifier) {
  for (const std::string& n : names)
    if (qualifier == n || (qualifier.ends_with(n) && qualifier.substr(0, qualifier.size() - n.size()).ends_with("::")))
      return true;
  return false;
}

// The qualified name from `p` ("::std::filesystem" as "std::filesystem"),
// with `p` moved past it.
std::string QualifiedAt(const std::vector<Token>& tokens, size_t& p) {
  auto at = [&](size_t k) { return k < tokens.size() && !tokens[k].literal ? tokens[k].text : std::string_view{}; };
  std::string name;
  if (at(p) == "::") ++p;
  while (p < tokens.size() && IsWord(tokens[p])) {
    name += std::string(name.empty() ? "" : "::") + std::string(tokens[p].text);
    if (at(p + 1) != "::") {
      ++p;
      break;
    }
    p += 2;
  }
  return name;
}

// Adds the aliases of std::filesystem that `tokens` make
// ("namespace fs = std::filesystem;", or of another alias); true when any
// was new.
bool AddAliases(const std::vector<Token>& tokens, Names& names) {
  bool added = false;
  for (size_t k = 0; k + 3 < tokens.size(); ++k) {
    if (tokens[k].literal || tokens[k].text != "namespace" || !IsWord(tokens[k + 1]) || tokens[k + 2].text != "=")
      continue;
    size_t p = k + 3;
    const std::string target = QualifiedAt(tokens, p);
    if (p < tokens.size() && tokens[p].text == ";" && IsFilesystem(names, target))
      added |= names.insert(std::string(tokens[k + 1].text)).second;
  }
  return added;
}

struct FileFacts {
  bool usingFilesystem = false;  // "using namespace std::filesystem;"
  Names filesystemCalls;         // "using std::filesystem::remove;"
  bool namesQFile = false;
  bool namesQDir = false;
  bool namesStream = false;  // a stream or stream buffer that may be opened with a mode
  Names errorCodes;          // the names declared as std::error_code
};

FileFacts FactsOf(const std::vector<Token>& tokens, const Names& filesystem) {
  FileFacts facts;
  auto at = [&](size_t k) { return k < tokens.size() && !tokens[k].literal ? tokens[k].text : std::string_view{}; };
  for (size_t k = 0; k < tokens.size(); ++k) {
    const std::string_view t = at(k);
    if (t == "QFile") facts.namesQFile = true;
    if (t == "QDir") facts.namesQDir = true;
    for (std::string_view stream : {"ifstream", "wifstream", "basic_ifstream", "filebuf", "wfilebuf", "basic_filebuf"})
      if (t == stream) facts.namesStream = true;
    if (t == "error_code") {
      size_t p = k + 1;
      while (at(p) == "&" || at(p) == "*" || at(p) == "const") ++p;
      if (p < tokens.size() && IsWord(tokens[p])) facts.errorCodes.insert(std::string(tokens[p].text));
    }
    if (t != "using") continue;
    size_t p = k + 1;
    const bool all = at(p) == "namespace";
    if (all) ++p;
    const std::string name = QualifiedAt(tokens, p);
    if (at(p) != ";") continue;
    if (all && IsFilesystem(filesystem, name)) facts.usingFilesystem = true;
    const size_t last = name.rfind("::");
    if (!all && last != std::string::npos && IsFilesystem(filesystem, name.substr(0, last)))
      facts.filesystemCalls.insert(name.substr(last + 2));
  }
  return facts;
}

// What a header says of std::filesystem holds in every file that may
// include it.
void AddHeaderFacts(FileFacts& facts, const FileFacts& header) {
  facts.usingFilesystem |= header.usingFilesystem;
  facts.filesystemCalls.insert(header.filesystemCalls.begin(), header.filesystemCalls.end());
}

constexpr std::pair<std::string_view, std::string_view> kCCalls[] = {
    {"rename", "renames"},  {"remove", "removes"},         {"unlink", "removes"},       {"link", "links"},
    {"symlink", "links"},   {"mkdir", "makes a folder"},   {"chmod", "changes modes"},  {"creat", "writes"},
    {"truncate", "writes"}, {"mkdtemp", "makes a folder"}, {"mkstemp", "writes"},       {"mkostemp", "writes"},
    {"mkstemps", "writes"}, {"mkostemps", "writes"},       {"chown", "changes owners"}, {"lchown", "changes owners"},
};
// How many arguments the C call takes, where a function of another library
// shares its name (std::remove of <algorithm> takes three).
std::optional<size_t> CArguments(std::string_view name) {
  if (name == "remove" || name == "unlink") return 1;
  if (name == "rename" || name == "link" || name == "symlink" || name == "mkdir" || name == "chmod" ||
      name == "creat" || name == "truncate")
    return 2;
  if (name == "chown" || name == "lchown") return 3;
  return std::nullopt;
}

constexpr std::pair<std::string_view, std::string_view> kFilesystemCalls[] = {
    {"copy", "copies"},
    {"copy_file", "copies"},
    {"copy_symlink", "copies"},
    {"create_directory", "makes a folder"},
    {"create_directories", "makes a folder"},
    {"create_directory_symlink", "links"},
    {"create_hard_link", "links"},
    {"create_symlink", "links"},
    {"permissions", "changes modes"},
    {"remove", "removes"},
    {"remove_all", "removes"},
    {"rename", "renames"},
    {"resize_file", "writes"},
    {"last_write_time", "changes times"},  // with a time to set
};

constexpr std::pair<std::string_view, std::string_view> kQtFileCalls[] = {
    {"remove", "removes"},
    {"rename", "renames"},
    {"copy", "copies"},
    {"link", "links"},
    {"setPermissions", "changes modes"},
    {"resize", "writes"},
    {"moveToTrash", "removes"},
};

// QDir's steps by path, known by their names alone on whatever they are
// called; and those that other classes' members share a name with.
constexpr std::pair<std::string_view, std::string_view> kQtDirCalls[] = {
    {"mkpath", "makes a folder"}, {"mkdir", "makes a folder"},    {"rmpath", "removes"},
    {"rmdir", "removes"},         {"removeRecursively", "removes"},
};
constexpr std::pair<std::string_view, std::string_view> kQtDirSharedCalls[] = {
    {"remove", "removes"},
    {"rename", "renames"},
};

// An open mode that may write: anything but the modes that only read (a
// mode held in a variable too). Qt's modes that write are named where they
// stand (see PathWrites), so the call leaves them out.
bool ModeMayWrite(const std::vector<Token>& tokens, std::pair<size_t, size_t> mode) {
  static const std::set<std::string_view> kReads = {
      "std",       "ios",           "ios_base", "basic_ios",   "in",       "binary",       "ate",
      "QIODevice", "QIODeviceBase", "QFile",    "QFileDevice", "OpenMode", "OpenModeFlag", "ReadOnly",
      "Text",      "Unbuffered",    "ExistingOnly"};
  if (Mentions(tokens, mode, {"WriteOnly", "ReadWrite", "Append", "Truncate", "NewOnly"})) return false;
  for (size_t k = mode.first; k < mode.second; ++k)
    if (IsWord(tokens[k]) && !kReads.contains(tokens[k].text)) return true;
  return false;
}

std::string_view Lookup(std::span<const std::pair<std::string_view, std::string_view>> table, std::string_view name) {
  for (const auto& [n, what] : table)
    if (n == name) return what;
  return {};
}

// The steps that take a folder's descriptor, the platform's among them: at
// AT_FDCWD they work by path.
constexpr std::pair<std::string_view, std::string_view> kAtCalls[] = {
    {"renameat", "renames"},
    {"renameat2", "renames"},
    {"linkat", "links"},
    {"symlinkat", "links"},
    {"unlinkat", "removes"},
    {"mkdirat", "makes a folder"},
    {"fchownat", "changes owners"},
    {"mknodat", "writes"},
    {"CreateNewFile", "writes"},
    {"CreateTemporaryIn", "writes"},
    {"WriteNewFile", "writes"},
    {"RenameDurably", "renames"},
    {"RenameNoReplace", "renames"},
    {"RemoveAt", "removes"},
    {"MakeFreshFolderIn", "makes a folder"},
    {"RemoveTreeAt", "removes"},
};

// What the call does by path; nothing when it is no such call.
std::optional<Found> Judge(const std::vector<Token>& tokens, const Call& call, const Names& filesystemNames,
                           const FileFacts& facts) {
  const std::string_view name = tokens[call.name].text;
  const size_t n = call.args.size();
  auto atCwd = [&](size_t k) {
    const std::vector<std::string_view> top = TopLevel(tokens, call.args[k]);
    return std::find(top.begin(), top.end(), "AT_FDCWD") != top.end();
  };
  if (call.member) {
    if (std::string_view what = Lookup(kQtFileCalls, name); facts.namesQFile && !what.empty())
      return Found{"QFile::" + std::string(name), what};
    if (std::string_view what = Lookup(kQtDirCalls, name); !what.empty())
      return Found{"QDir::" + std::string(name), what};
    if (std::string_view what = Lookup(kQtDirSharedCalls, name); facts.namesQDir && !what.empty())
      return Found{"QDir::" + std::string(name), what};
    // A file's or a stream's open, with the mode second where a name or
    // descriptor comes first; a stream's open of one argument reads.
    if (name == "open" && n >= 1 && (facts.namesQFile || (facts.namesStream && n >= 2)) &&
        ModeMayWrite(tokens, call.args[n == 1 ? 0 : 1]))
      return Found{facts.namesQFile ? "QFile::open" : "std::ifstream::open", "writes"};
    // An image (QImage, QPixmap, QPicture) saved to a file name rather than
    // to the address of a device.
    if (name == "save" && n >= 1 && call.args[0].first < call.args[0].second && tokens[call.args[0].first].text != "&")
      return Found{"QImage::save", "writes"};
  } else {
    const bool plain = call.qualifier.empty() || call.qualifier == "std";
    const bool filesystem =
        IsFilesystem(filesystemNames, call.qualifier) ||
        (call.qualifier.empty() && !call.global && (facts.usingFilesystem || facts.filesystemCalls.contains(name)));
    if (std::string_view what = Lookup(kFilesystemCalls, name); filesystem && !what.empty()) {
      // last_write_time(p) and last_write_time(p, ec) only look.
      const bool looks =
          name == "last_write_time" && (n < 2 || (n == 2 && call.args[1].second == call.args[1].first + 1 &&
                                                  facts.errorCodes.contains(tokens[call.args[1].first].text)));
      if (!looks) return Found{"std::filesystem::" + std::string(name), what};
    }
    if (call.qualifier == "QFile") {
      if (std::string_view what = Lookup(kQtFileCalls, name); !what.empty())
        return Found{call.qualifier + "::" + std::string(name), what};
    }
    if (call.qualifier == "QDir") {
      std::string_view what = Lookup(kQtDirCalls, name);
      if (what.empty()) what = Lookup(kQtDirSharedCalls, name);
      if (!what.empty()) return Found{call.qualifier + "::" + std::string(name), what};
    }
    if (std::string_view what = Lookup(kCCalls, name); plain && !what.empty()) {
      const std::optional<size_t> wanted = CArguments(name);
      if (!wanted || *wanted == n) return Found{std::string(name), what};
      return std::nullopt;
    }
    if (plain && (name == "fopen" || name == "freopen") && n >= 2) {
      const std::vector<std::string_view> mode = TopLevel(tokens, call.args[1]);
      const bool reads =
          mode.size() == 1 && mode[0].starts_with('"') && mode[0].find_first_of("wa+") == std::string_view::npos;
      if (reads) return std::nullopt;
      return Found{std::string(name), "writes"};
    }
    if (plain && name == "open" && n >= 2) {
      if (!OpensForWriting(tokens, call.args[1])) return std::nullopt;
      return Found{"open", "writes"};
    }
  }
  if (name == "openat") {
    if (n >= 3 && atCwd(0) && OpensForWriting(tokens, call.args[2])) return Found{"openat", "writes"};
    return std::nullopt;
  }
  if (OnlyLooks(name)) return std::nullopt;
  for (size_t k = 0; k < n; ++k) {
    if (!atCwd(k)) continue;
    const std::string_view what = Lookup(kAtCalls, name);
    return Found{std::string(name), what.empty() ? "works" : what};
  }
  return std::nullopt;
}

// The arguments of the brackets opened at `open`, as token ranges.
std::vector<std::pair<size_t, size_t>> ArgumentsAt(const std::vector<Token>& tokens, size_t open) {
  std::vector<std::pair<size_t, size_t>> args;
  int depth = 0;
  size_t start = open + 1;
  size_t k = open;
  for (; k < tokens.size(); ++k) {
    const std::string_view t = tokens[k].literal ? std::string_view{} : tokens[k].text;
    if (t == "(" || t == "[" || t == "{") ++depth;
    if (t == ")" || t == "]" || t == "}") --depth;
    if (depth == 1 && t == ",") {
      args.emplace_back(start, k);
      start = k + 1;
    }
    if (depth == 0) break;
  }
  if (k > start) args.emplace_back(start, k);
  return args;
}

// The calls of the file: a name followed by "(", with its qualifier and
// arguments. A name after a type (`bool remove(int)`) declares, not calls.
std::vector<Call> CallsOf(const std::vector<Token>& tokens) {
  static const std::set<std::string_view> kBeforeCalls = {"return",   "else",     "do",  "case", "throw", "co_return",
                                                          "co_await", "co_yield", "and", "or",   "not"};
  std::vector<Call> calls;
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (!IsWord(tokens[i]) || tokens[i + 1].literal || tokens[i + 1].text != "(") continue;
    Call call;
    call.name = i;
    size_t j = i;  // the first token of the whole name
    while (j >= 2 && tokens[j - 1].text == "::" && IsWord(tokens[j - 2])) {
      call.qualifier = std::string(tokens[j - 2].text) + (call.qualifier.empty() ? "" : "::" + call.qualifier);
      j -= 2;
    }
    if (j >= 1 && tokens[j - 1].text == "::") {
      call.global = call.qualifier.empty();
      --j;
    }
    if (j >= 1) {
      const Token& before = tokens[j - 1];
      call.member = !before.literal && (before.text == "." || before.text == "->");
      if (IsWord(before) && !kBeforeCalls.contains(before.text)) continue;
    }
    call.args = ArgumentsAt(tokens, i + 1);
    calls.push_back(std::move(call));
  }
  return calls;
}

// Everything the file does by path, as (line, what was found).
std::vector<std::pair<int, Found>> PathWrites(const std::vector<Token>& tokens, const Names& filesystemNames,
                                              const FileFacts& facts) {
  std::vector<std::pair<int, Found>> found;
  for (const Call& call : CallsOf(tokens)) {
    if (std::optional<Found> f = Judge(tokens, call, filesystemNames, facts))
      found.emplace_back(tokens[call.name].line, std::move(*f));
  }
  // Streams that write, and the file that is saved by path, whatever their use.
  for (size_t k = 0; k < tokens.size(); ++k) {
    const std::string_view t = tokens[k].literal ? std::string_view{} : tokens[k].text;
    const bool member = k > 0 && (tokens[k - 1].text == "." || tokens[k - 1].text == "->");
    if (member) continue;
    for (std::string_view stream : {"ofstream", "fstream", "wofstream", "wfstream", "basic_ofstream", "basic_fstream"})
      if (t == stream) found.emplace_back(tokens[k].line, Found{"std::" + std::string(t), "writes"});
    if (t == "QSaveFile") found.emplace_back(tokens[k].line, Found{"QSaveFile", "writes"});
    // An input stream made with a mode that may write ("in | out").
    if (t == "ifstream" || t == "wifstream" || t == "basic_ifstream") {
      size_t p = k + 1;
      if (p < tokens.size() && tokens[p].text == "<")
        while (p < tokens.size() && tokens[p].text != ">") ++p;
      if (p < tokens.size() && tokens[p].text == ">") ++p;
      if (p < tokens.size() && IsWord(tokens[p])) ++p;
      if (p < tokens.size() && !tokens[p].literal && (tokens[p].text == "(" || tokens[p].text == "{")) {
        const auto args = ArgumentsAt(tokens, p);
        if (args.size() >= 2 && ModeMayWrite(tokens, args[1]))
          found.emplace_back(tokens[k].line, Found{"std::" + std::string(t), "writes"});
      }
    }
    // A QFile opened for writing: the open modes that write.
    if (facts.namesQFile && k >= 2 && tokens[k - 1].text == "::") {
      const std::string_view owner = tokens[k - 2].text;
      const bool mode = t == "WriteOnly" || t == "ReadWrite" || t == "Append" || t == "Truncate" || t == "NewOnly";
      if (mode && (owner == "QIODevice" || owner == "QIODeviceBase" || owner == "QFile" || owner == "QFileDevice"))
        found.emplace_back(tokens[k].line, Found{"QFile::open", "writes"});
    }
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return found;
}

bool IsSource(const fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc" || ext == ".inc";
}

}  // namespace

Report CheckTree(const fs::path& root, std::span<const Allowed> allowed) {
  Report report;
  // Every source file of src/, those of the platform too for what their
  // headers say of std::filesystem.
  std::vector<std::string> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root / kScanned, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file() && IsSource(it->path()))
      files.push_back(it->path().lexically_relative(root).generic_string());
  }
  if (ec) report.faults.push_back((root / kScanned).string() + ": cannot be listed: " + ec.message());
  std::sort(files.begin(), files.end());
  std::vector<std::string> texts;
  for (const std::string& file : files) {
    std::ifstream in(root / file, std::ios::binary);
    texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::vector<Token>> tokens;
  for (const std::string& text : texts) tokens.push_back(Tokenize(text));
  Names filesystemNames{"std::filesystem", "filesystem"};
  for (bool added = true; added;) {
    added = false;
    for (const std::vector<Token>& t : tokens) added |= AddAliases(t, filesystemNames);
  }
  auto exempt = [](const std::string& file) { return file.starts_with(std::string(kExempt) + "/"); };
  FileFacts headers;
  for (size_t f = 0; f < files.size(); ++f) {
    if (!files[f].ends_with(".cpp") && !files[f].ends_with(".cc"))
      AddHeaderFacts(headers, FactsOf(tokens[f], filesystemNames));
  }
  report.files = static_cast<size_t>(std::ranges::count_if(files, [&](const std::string& f) { return !exempt(f); }));

  std::vector<bool> used(allowed.size(), false);
  for (size_t f = 0; f < files.size(); ++f) {
    const std::string& file = files[f];
    if (exempt(file)) continue;
    FileFacts facts = FactsOf(tokens[f], filesystemNames);
    AddHeaderFacts(facts, headers);
    for (const auto& [line, found] : PathWrites(tokens[f], filesystemNames, facts)) {
      ++report.pathWrites;
      const auto entry = std::find_if(allowed.begin(), allowed.end(),
                                      [&](const Allowed& a) { return a.file == file && a.call == found.call; });
      if (entry != allowed.end()) {
        used[static_cast<size_t>(entry - allowed.begin())] = true;
        ++report.allowed;
        continue;
      }
      report.faults.push_back(file + ":" + std::to_string(line) + ": " + found.call + ": " + std::string(found.what) +
                              " by path");
    }
  }
  for (size_t k = 0; k < allowed.size(); ++k) {
    if (!used[k])
      report.faults.push_back(std::string(allowed[k].file) + ": " + std::string(allowed[k].call) +
                              ": allowed, but the file makes no such call; take it off the list");
  }
  return report;
}

}  // namespace path_writes
