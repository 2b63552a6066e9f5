#include "support/stub_tools.h"

#include <algorithm>

#include "platform/text_lines.h"

namespace velk::test {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::string_view line : SplitLines(text)) lines.emplace_back(line);
  return lines;
}

}  // namespace

StubTools::StubTools() = default;

void StubTools::Install(const std::string& name, int exitCode, const std::string& shell) {
  const std::string rec = records_.path().string();
  std::string script =
      "#!/bin/sh\n"
      "n=$(ls '" + rec + "' | wc -l)\n"
      "d='" + rec + "'/run$(printf '%04d' \"$n\")\n"
      "mkdir \"$d\" \"$d/seen\"\n"
      "printf '%s\\n' \"$0\" \"$@\" > \"$d/argv\"\n"
      "pwd > \"$d/cwd\"\n"
      "LC_ALL=C ls -A > \"$d/files\"\n"
      "printf '%s' \"$VELK_FS_PATH\" > \"$d/fs\"\n"
      "if [ -t 1 ]; then echo yes > \"$d/tty\"; fi\n"
      "for f in * .[!.]*; do [ -f \"$f\" ] && cp -- \"$f\" \"$d/seen/\"; done\n" +
      shell + "\nexit " + std::to_string(exitCode) + "\n";
  fs::path path = program_.path() / name;
  fs::remove(path);
  WriteFile(path, script);
  fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

std::vector<StubTools::Run> StubTools::Runs() const {
  std::vector<fs::path> folders;
  for (const auto& e : fs::directory_iterator(records_.path())) folders.push_back(e.path());
  std::sort(folders.begin(), folders.end());
  std::vector<Run> runs;
  for (const fs::path& d : folders) {
    Run r;
    r.argv = Lines(ReadFile(d / "argv").value_or(""));
    auto cwd = Lines(ReadFile(d / "cwd").value_or(""));
    if (!cwd.empty()) r.workFolder = cwd.front();
    r.files = Lines(ReadFile(d / "files").value_or(""));
    r.seen = d / "seen";
    r.fsPath = ReadFile(d / "fs").value_or("");
    r.terminal = fs::exists(d / "tty");
    runs.push_back(std::move(r));
  }
  return runs;
}

std::string EnterAtPromptConsole::TakeInput() {
  if (answered_ || seen_->find("finish...") == std::string::npos) return {};
  answered_ = true;
  return "\n";
}

}  // namespace velk::test
