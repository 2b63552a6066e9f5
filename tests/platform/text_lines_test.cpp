// The one line splitter: every line end the programs accept, the ends it
// hands back for writers that keep them, and the cuts that split a text
// into pieces for several threads.
#include "platform/text_lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace velk {
namespace {

std::vector<std::pair<std::string, std::string>> Read(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> out;
  LineReader reader(text);
  TextLine line;
  while (reader.Next(line)) out.emplace_back(line.text, line.end);
  return out;
}

using Lines = std::vector<std::pair<std::string, std::string>>;

TEST(LineReader, EndsAtCrLfLfAndALoneCr) {
  EXPECT_EQ(Read("a\r\nb\nc\rd"), (Lines{{"a", "\r\n"}, {"b", "\n"}, {"c", "\r"}, {"d", ""}}));
  // A CR before a CR LF ends a line of its own; an LF CR pair is two ends.
  EXPECT_EQ(Read("x\r\r\ny\n\rz"), (Lines{{"x", "\r"}, {"", "\r\n"}, {"y", "\n"}, {"", "\r"}, {"z", ""}}));
  // A text ending in a lone CR, or in CR LF: no empty line after it.
  EXPECT_EQ(Read("y\r"), (Lines{{"y", "\r"}}));
  EXPECT_EQ(Read("y\r\n"), (Lines{{"y", "\r\n"}}));
  EXPECT_TRUE(Read("").empty());
  EXPECT_EQ(Read("\n\n"), (Lines{{"", "\n"}, {"", "\n"}}));
  std::string longLine(100000, 'a');
  EXPECT_EQ(Read(longLine + "\rb"), (Lines{{longLine, "\r"}, {"b", ""}}));
}

TEST(LineReader, ByteOrderMarkIsTakenOffOnlyAtTheStart) {
  EXPECT_EQ(SkipUtf8Bom("\xEF\xBB\xBF[General]"), "[General]");
  EXPECT_EQ(SkipUtf8Bom("[General]"), "[General]");
  EXPECT_EQ(SkipUtf8Bom("\xEF\xBB"), "\xEF\xBB");
  EXPECT_EQ(SplitLines(SkipUtf8Bom("\xEF\xBB\xBF" "a\r\nb")), (std::vector<std::string_view>{"a", "b"}));
}

// Random texts of the characters that matter: the splitter, the line count
// and the cuts for threads all agree with a plain reading character by
// character.
TEST(LineReader, AgreesWithAPlainReadingOnRandomTexts) {
  std::mt19937 random(7);
  // Mostly short lines, some longer than the sixteen bytes looked at at once.
  const char alphabet[] = {'a', ',', '\r', '\n', ' ', 'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a'};
  for (int round = 0; round < 500; ++round) {
    std::string text;
    int length = static_cast<int>(random() % 100);
    for (int i = 0; i < length; ++i) text.push_back(alphabet[random() % sizeof alphabet]);

    std::vector<std::string> expected;
    std::string current;
    bool open = false;
    for (size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c == '\r' || c == '\n') {
        expected.push_back(current);
        current.clear();
        open = false;
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        current.push_back(c);
        open = true;
      }
    }
    if (open) expected.push_back(current);

    std::vector<std::string> got;
    for (auto line : SplitLines(text)) got.emplace_back(line);
    ASSERT_EQ(got, expected) << "text of " << text.size() << " bytes, round " << round;
    ASSERT_EQ(CountLines(text), expected.size());

    // Pieces cut at every possible place hold whole lines: reading them one
    // after the other gives the lines of the whole text.
    for (size_t at = 0; at <= text.size(); ++at) {
      size_t cut = LineStartAtOrAfter(text, at);
      ASSERT_GE(cut, at);
      std::vector<std::string> pieces;
      for (auto line : SplitLines(std::string_view(text).substr(0, cut))) pieces.emplace_back(line);
      for (auto line : SplitLines(std::string_view(text).substr(cut))) pieces.emplace_back(line);
      ASSERT_EQ(pieces, expected) << "cut at " << at;
    }
  }
}

}  // namespace
}  // namespace velk
