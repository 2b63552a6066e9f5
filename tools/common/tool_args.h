#pragma once
// The argument check the project's own command-line tools share: -h or
// --help prints the usage, and an argument that begins with "-" is never
// taken for a folder (nor a count), since it is far more likely a mistyped
// option than a folder anyone wants made.
#include <cstdio>
#include <optional>
#include <string_view>

namespace velk::tools {

inline bool IsHelpOption(std::string_view arg) { return arg == "-h" || arg == "--help"; }
inline bool LooksLikeOption(std::string_view arg) { return !arg.empty() && arg.front() == '-'; }

// For a tool that takes `least` to `most` plain arguments and no options:
// nothing when it may go on; otherwise the status to exit with, the usage
// printed: to standard output for -h or --help (0), to standard error for
// anything else (2).
inline std::optional<int> CheckPlainArguments(int argc, char** argv, int least, int most, const char* usage) {
  for (int i = 1; i < argc; ++i) {
    if (IsHelpOption(argv[i])) {
      std::fputs(usage, stdout);
      return 0;
    }
  }
  bool fine = argc - 1 >= least && argc - 1 <= most;
  for (int i = 1; i < argc; ++i) fine = fine && !LooksLikeOption(argv[i]);
  if (fine) return std::nullopt;
  std::fputs(usage, stderr);
  return 2;
}

}  // namespace velk::tools
