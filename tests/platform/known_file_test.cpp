// What is known of a file from the one read of it, and whether what stands
// there later is still that file: the fingerprint covers every byte of a
// large file, and a file put in its place with the same bytes is as known.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_set.h"
#include "platform/text_file.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

bool AsKnown(const KnownFile& known, const KnownFile& now) {
  return StillAsKnown(known, now, [&] { return now.fingerprint; });
}

// A same-size edit anywhere in a file of several blocks, with its time put
// back, is seen by its bytes; the reader's fingerprint is that of the
// bytes it gives.
TEST(KnownFile, AnEditAnywhereInALargeFileIsSeenByItsBytes) {
  TempDir dir;
  const fs::path file = dir / "FlightPlans.txt";
  constexpr size_t kMiB = size_t{1} << 20;
  std::string text(3 * kMiB + 123, '\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('A' + (i * 7919 % 26));
  for (size_t at : {size_t{0}, kMiB - 1, kMiB, 2 * kMiB + 5, text.size() - 1}) {
    WriteFile(file, text);
    FileBytes bytes;
    KnownFile known;
    ASSERT_EQ(ReadKnownFile(file, bytes, known), RegularReadResult::kOk);
    ASSERT_EQ(bytes.view(), text);
    EXPECT_EQ(known.fingerprint, TextFingerprint(text));
    test::WaitForLaterFileTime(file);
    const fs::file_time_type modified = fs::last_write_time(file);
    std::string edited = text;
    edited[at] = edited[at] == 'Z' ? 'Y' : 'Z';
    std::ofstream(file, std::ios::binary | std::ios::in | std::ios::out) << edited;
    fs::last_write_time(file, modified);
    const KnownFile now = KnowFile(file);
    EXPECT_EQ(now.identity, known.identity) << at;
    EXPECT_EQ(now.fingerprint, TextFingerprint(edited)) << at;
    EXPECT_FALSE(AsKnown(known, now)) << at;
  }
}

// What stands at the name later, against what was known: the same bytes
// are as known whatever file holds them; nothing is as known only where
// nothing was.
TEST(KnownFile, WhatStandsThereLaterIsAsKnownWhenItHoldsTheSameBytes) {
  const std::string bytes = "AC#1,300,\"A\"\r\n";
  const struct {
    const char* what;
    bool before;  // a file stood there when it became known
    std::function<void(const fs::path&)> change;
    bool asKnown;
  } cases[] = {
      {"deleted", true, [](const fs::path& f) { fs::remove(f); }, false},
      {"the same bytes put in its place", true,
       [&](const fs::path& f) {
         WriteFile(f.string() + ".new", bytes);
         fs::rename(f.string() + ".new", f);
       },
       true},
      {"other bytes of its size put in its place", true,
       [&](const fs::path& f) {
         WriteFile(f.string() + ".new", "AC#2,300,\"A\"\r\n");
         fs::rename(f.string() + ".new", f);
       },
       false},
      {"a second name made", true, [](const fs::path& f) { fs::create_hard_link(f, f.string() + ".snapshot"); },
       true},
      {"nothing, as before", false, [](const fs::path&) {}, true},
      {"a file where there was none", false, [&](const fs::path& f) { WriteFile(f, bytes); }, false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const fs::path file = dir / "Aircraft.txt";
    if (c.before) WriteFile(file, bytes);
    const KnownFile known = KnowFile(file);
    ASSERT_EQ(known.identity.has_value(), c.before) << c.what;
    if (c.before) test::WaitForLaterFileTime(file);
    c.change(file);
    EXPECT_EQ(AsKnown(known, KnowFile(file)), c.asKnown) << c.what;
  }
}

}  // namespace
}  // namespace velk
