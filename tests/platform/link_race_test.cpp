// The writers of velk while another user exchanges his symbolic link with
// the user's own in a folder both may write into: whatever the moment, a
// write lands in the file her link names or nowhere, and a refusal names
// his link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/file_set.h"
#include "platform/text_file.h"
#include "support/link_race.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::LinkRace;

// Enough runs for the exchanges to meet each writer's look at the link
// often, few enough for a second or two.
constexpr int kRacedRuns = 300;

std::vector<LinkRace::Writer> Writers(const LinkRace& race) {
  const fs::path raced = race.raced();
  const fs::path plan = race.shared() / "plan.txt";
  test::WriteFile(plan, "plan");
  return {
      {"atomic", "old",
       [raced](const std::string& bytes) {
         LinkRace::Outcome o;
         o.ok = WriteFileAtomic(raced, bytes, &o.why);
         return o;
       },
       std::nullopt},
      // The one-time backup, made at the raced name.
      {"backup", std::nullopt,
       [raced, plan](const std::string&) {
         LinkRace::Outcome o;
         o.ok = CopyFileOnce(plan, raced, &o.why);
         return o;
       },
       "plan"},
      {"set", "old",
       [raced, plan](const std::string& bytes) {
         LinkRace::Outcome o;
         SetFailure failure;
         o.ok = ReplaceFilesInTurn({{raced, bytes}, {plan, "plan"}}, &failure);
         o.why = SetFailureText(failure);
         return o;
       },
       std::nullopt},
  };
}

TEST(LinkExchange, NoWriterFollowsAnotherUsersLinkThatHisProcessKeepsSwappingIn) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link and process need root";
  LinkRace race;
  std::string why;
  ASSERT_TRUE(race.StartSwapping(why)) << why;
  for (const LinkRace::Writer& w : Writers(race)) {
    const LinkRace::Tally t = race.Run(w, kRacedRuns);
    EXPECT_TRUE(t.Clean()) << w.name << ": " << t.Text();
    EXPECT_GT(t.refused, 0) << w.name << ": the other user's link never stood at the name";
  }
}

TEST(LinkExchange, NoWriterFollowsAnotherUsersLinkSwappedInJustBeforeItIsRead) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  LinkRace race;
  race.ExchangeAroundLinkReads(true);
  for (const LinkRace::Writer& w : Writers(race)) {
    const LinkRace::Tally t = race.Run(w, 3);
    EXPECT_TRUE(t.Clean()) << w.name << ": " << t.Text();
    // The user's own link stood at the name at every look.
    EXPECT_EQ(t.written, t.runs) << w.name << ": " << t.Text();
  }
}

TEST(LinkExchange, NoWriterFollowsAnotherUsersLinkSwappedInAfterItsLook) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  LinkRace race;
  race.ExchangeAtFileSteps(true);
  // A writer that looks again may refuse then; none goes where his link
  // leads.
  for (const LinkRace::Writer& w : Writers(race)) {
    const LinkRace::Tally t = race.Run(w, 3);
    EXPECT_TRUE(t.Clean()) << w.name << ": " << t.Text();
  }
}

}  // namespace
}  // namespace velk
