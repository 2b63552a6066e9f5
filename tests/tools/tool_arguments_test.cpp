// The project's own command-line tools: -h and --help print the usage, and
// an argument that begins with "-" is refused, never made into a folder.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

TEST(ToolArguments, HelpPrintsTheUsageAndAnOptionIsNoFolder) {
  TempDir printed;
  int tried = 0;
  for (const char* tool : {"velk-make-sample-sim", "velk-make-sample-scenery", "velk-make-sample-plan", "velk-plangen"}) {
    const fs::path program = test::ToolsDir() / tool;
    if (!fs::exists(program)) continue;
    ++tried;
    for (const auto& [arg, status] : {std::pair{"--help", 0}, std::pair{"-h", 0}, std::pair{"-x", 2}}) {
      TempDir work;
      const std::string command = "cd '" + work.path().string() + "' && '" + program.string() + "' " + arg + " >'" +
                                  (printed / "out").string() + "' 2>'" + (printed / "err").string() + "'";
      const int result = std::system(command.c_str());
      ASSERT_TRUE(WIFEXITED(result)) << tool << " " << arg;
      EXPECT_EQ(WEXITSTATUS(result), status) << tool << " " << arg;
      const auto usage = ReadFile(printed / (status == 0 ? "out" : "err"));
      EXPECT_EQ(usage.value_or("").rfind(std::string("usage: ") + tool, 0), 0u) << tool << " " << arg;
      EXPECT_TRUE(fs::is_empty(work.path())) << tool << " " << arg << " made something";
    }
  }
  if (tried == 0) GTEST_SKIP() << "tools not built";
}

}  // namespace
}  // namespace velk
