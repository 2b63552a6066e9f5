#include "platform/qt/qt_file_dialog.h"

#include <QTest>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace velk {
namespace {

TEST(QtFileDialog, FilterPairsBecomeNameFilters) {
  EXPECT_EQ(DialogNameFilters("Text Files (*.txt)|*.txt|All Files (*.*)|*.*"),
            (QStringList{"Text Files (*.txt)", "All Files (*)"}));
  EXPECT_EQ(DialogNameFilters("VELK Project (*.vxp)|*.vxp"), (QStringList{"VELK Project (*.vxp)"}));
  // Several patterns of one entry; a description without its patterns.
  EXPECT_EQ(DialogNameFilters("Plans|*.txt;*.TXT"), (QStringList{"Plans (*.txt *.TXT)"}));
  EXPECT_TRUE(DialogNameFilters("").isEmpty());
}

// xdg-open that finds no viewer starts fine and fails later: its exit code,
// waited for through the event loop, is the answer.
TEST(QtDocumentOpener, TheLaunchersExitCodeIsTheAnswer) {
  test::TempDir bin;
  test::ScopedEnv path("PATH", bin.path().string());
  for (const auto& [code, expected] : {std::pair{0, true}, std::pair{4, false}}) {
    test::WriteFile(bin / "xdg-open", "#!/bin/sh\nexit " + std::to_string(code) + "\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    std::optional<bool> answer;
    OpenWithDesktop("/nowhere/index.html", [&](bool opened) { answer = opened; });
    EXPECT_FALSE(answer.has_value());  // the caller does not wait for it
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 10000)) << code;
    EXPECT_EQ(*answer, expected) << code;
  }
}

}  // namespace
}  // namespace velk
