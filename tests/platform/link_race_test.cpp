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
  LinkRace::ExpectNoneFollowsWhileHeSwaps(Writers);
}

TEST(LinkExchange, NoWriterFollowsAnotherUsersLinkSwappedInJustBeforeItIsRead) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  LinkRace::ExpectNoneFollowsASwapBeforeTheRead(Writers);
}

TEST(LinkExchange, NoWriterFollowsAnotherUsersLinkSwappedInAfterItsLook) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  LinkRace::ExpectNoneFollowsASwapAfterTheLook(Writers);
}

}  // namespace
}  // namespace velk
