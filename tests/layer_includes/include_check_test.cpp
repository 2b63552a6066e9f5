// The include check on a small tree: clean, it passes; planted with one
// break per file, it names each by file and line, and nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "include_check.h"
#include "support/test_support.h"

namespace {

struct Planted {
  const char* file;
  int line;  // of the include the check must name; 0 in the clean tree
  const char* text;
};

TEST(LayerIncludes, PassesACleanTreeAndNamesEveryBreak) {
  velk::test::TempDir tree;
  for (const layer_includes::Folder& f : layer_includes::ListedFolders())
    std::filesystem::create_directories(tree / f.path);
  const Planted clean[] = {
      {"src/platform/text.h", 0, "#include <string>\n"},
      {"src/platform/table.inc", 0, "#include \"text.h\"\n"},
      {"src/platform/qt/qt_text.h", 0, "#include \"platform/text.h\"\n"},
      {"src/gui/plan_host.h", 0, "#include \"platform/qt/qt_text.h\"\n"},
      {"src/app/frm_main.h", 0, "#include \"gui/plan_host.h\"\n"},
      {"src/search/ui/search_tab.cpp", 0, "#include \"gui/plan_host.h\"\n#include \"../flight_search.h\"\n"},
      // What only looks like an include, or like a comment, is none.
      {"src/search/flight_search.h", 0,
       "// #include \"app/frm_main.h\"\n"
       "/* #include \"gone/nowhere.h\"\n#include X */\n"
       "#include /* down */ \"platform/text.h\" // beneath\n"
       "const char* kOpen = \"/*\"; char q = '\"'; // */ #include \"app/frm_main.h\"\n"
       "int n = 1'000; /* a digit separator opens no character literal\n#include \"app/frm_main.h\" */\n"
       "const char* kRaw = R\"(\n#include \"gone/nowhere.h\"\n)\";\n"},
  };
  for (const Planted& p : clean) velk::test::WriteFile(tree / p.file, p.text);
  const layer_includes::Report passed = layer_includes::CheckTree(tree.path());
  EXPECT_TRUE(passed.faults.empty()) << testing::PrintToString(passed.faults);
  EXPECT_EQ(passed.includes, 7);

  const Planted breaks[] = {
      {"src/search/plan_use.cpp", 1, "#include \"gui/plan_host.h\"\n"},
      {"src/data/geodesy.cpp", 1, "#include \"platform/qt/qt_text.h\"\n"},
      {"src/platform/plain.cpp", 1, "#include \"qt/qt_text.h\"\n"},
      {"src/data/gone.cpp", 1, "#include \"gone/nowhere.h\"\n"},
      {"src/data/macro.cpp", 2, "#define X \"app/frm_main.h\"\n#include X\n"},
      {"src/data/comment.cpp", 1, "#include /* up */ \"app/frm_main.h\"\n"},
      {"src/platform/up.inc", 2, "// a piece of a header\n#include \"search/flight_search.h\"\n"},
      {"src/shuffle/engine.cpp", 1, "#include \"search/flight_search.h\"\n"},
  };
  for (const Planted& p : breaks) velk::test::WriteFile(tree / p.file, p.text);
  const layer_includes::Report failed = layer_includes::CheckTree(tree.path());
  for (const Planted& p : breaks) {
    const std::string where = std::string(p.file) + ":" + std::to_string(p.line) + ": ";
    EXPECT_TRUE(std::ranges::any_of(failed.faults, [&](const std::string& f) { return f.starts_with(where); }))
        << where << " not named among " << testing::PrintToString(failed.faults);
  }
  EXPECT_EQ(failed.faults.size(), std::size(breaks)) << testing::PrintToString(failed.faults);
}

}  // namespace
