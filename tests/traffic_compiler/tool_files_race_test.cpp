// The traffic tools' own replacement and backup while another user
// exchanges his symbolic link with the user's own in a folder both may
// write into: a write lands in the file her link names or nowhere.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/link_race.h"
#include "support/test_support.h"
#include "traffic_compiler/common/tool_files.h"

namespace traffic {
namespace {

using velk::test::LinkRace;

std::vector<LinkRace::Writer> Writers(const LinkRace& race) {
  const fs::path raced = race.raced();
  const fs::path database = race.shared() / "traffic.bgl";
  velk::test::WriteFile(database, "the database");
  return {
      // As the compiler puts a new file in place of the old.
      {"replace", "old",
       [raced](const std::string& bytes) {
         LinkRace::Outcome o;
         WriteTarget target;
         if (!target.Open(raced, &o.why)) return o;
         struct stat st {};
         OutputFile out;
         o.ok = out.CreateBeside(target, target.Look(st) && S_ISREG(st.st_mode) ? st.st_mode & 07777
                                                                                 : velk::NewFileMode()) &&
                out.WriteAndClose(bytes) && ReplaceFile(out, target);
         if (o.ok) out.Keep();
         return o;
       },
       std::nullopt},
      // As it keeps the original once: a copy that stands already counts
      // as kept.
      {"backup", std::nullopt,
       [raced, database](const std::string&) {
         LinkRace::Outcome o;
         WriteTarget from, to;
         if (!from.Open(database, &o.why) || !to.Open(raced, &o.why)) return o;
         o.ok = CopyFileExclusive(from, to) != CopyResult::kFailed;
         return o;
       },
       "the database"},
  };
}

TEST(ToolFilesLinkExchange, NeitherReplaceNorBackupFollowsAnotherUsersLinkThatHisProcessKeepsSwappingIn) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link and process need root";
  LinkRace::ExpectNoneFollowsWhileHeSwaps(Writers);
}

TEST(ToolFilesLinkExchange, NeitherReplaceNorBackupFollowsAnotherUsersLinkSwappedInJustBeforeItIsRead) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  LinkRace::ExpectNoneFollowsASwapBeforeTheRead(Writers);
}

TEST(ToolFilesLinkExchange, NeitherReplaceNorBackupFollowsAnotherUsersLinkSwappedInAfterItsLook) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  LinkRace::ExpectNoneFollowsASwapAfterTheLook(Writers);
}

}  // namespace
}  // namespace traffic
