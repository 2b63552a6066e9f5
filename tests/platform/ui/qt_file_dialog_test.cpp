#include "platform/qt/qt_file_dialog.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace velk
