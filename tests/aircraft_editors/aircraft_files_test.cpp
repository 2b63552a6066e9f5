// Writing into the simulator's files: the aircraft.cfg keys (only what
// changed, every other byte kept), the model radius patch (layout checked
// again, exactly four bytes), the one-time backups, and the copies offered
// when a model, texture or flight-model name changes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "aircraft_editors/aircraft_cfg_writer.h"
#include "aircraft_editors/aircraft_fields.h"
#include "aircraft_editors/cfg_text_escape.h"
#include "aircraft_editors/model_radius_patch.h"
#include "aircraft_editors/sim_files.h"
#include "aircraft_editors/sample_sim_fixture.h"
#include "platform/file_ops.h"
#include "platform/folder_lock.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::Replaced;
using test::TempDir;
using test::WriteFile;

TEST(CfgTextEscape, RoundTripsAndNeverLeavesALineBreak) {
  EXPECT_EQ(UnescapeCfgText("Fast\\nreliable"), "Fast\r\nreliable");
  EXPECT_EQ(EscapeCfgText("Fast\r\nreliable"), "Fast\\nreliable");
  // "\/" shows as "/" and goes back as "\/"; a plain "/" comes back escaped.
  EXPECT_EQ(UnescapeCfgText("a\\/b"), "a/b");
  EXPECT_EQ(EscapeCfgText("a/b"), "a\\/b");
  EXPECT_EQ(EscapeCfgText(UnescapeCfgText("x\\ty\\/z\\nw")), "x\\ty\\/z\\nw");
  // Line breaks of every kind become "\n": text widgets give LF only, and a
  // raw break would split the key's line in aircraft.cfg.
  EXPECT_EQ(EscapeCfgText("a\nb\rc\r\nd"), "a\\nb\\nc\\nd");
  // Typed backslash sequences stay as typed and unescape next time.
  EXPECT_EQ(EscapeCfgText("a\\nb"), "a\\nb");
  EXPECT_EQ(UnescapeCfgText(EscapeCfgText("a\\nb")), "a\r\nb");
}

FSAircraft Entry(const std::string& section) {
  FSAircraft a;
  a.Section = section;
  a.Title = "Sample Ä";
  a.ATCId = "N1";
  a.ATCAirline = "Velkair";
  a.ATCModel = "B738";
  a.ATCType = "BOEING";
  a.Performance = "fast";
  a.CfgCruiseSpeed = 451;
  a.VisualDamage = true;
  return a;
}

TEST(AircraftCfgWriter, OnlyKeysThatDifferFromTheFileAreWritten) {
  FSAircraft disk = Entry("fltsim.0");
  FSAircraft now = disk;
  EXPECT_TRUE(ChangedCfgKeys(now, &disk).empty());
  now.Title = "Renamed";
  now.ATCHeavy = true;
  now.CfgCruiseSpeed = 460;
  now.Performance = "slow";
  EXPECT_EQ(ChangedCfgKeys(now, &disk),
            (std::vector<CfgKeyValue>{{"fltsim.0", "title", "Renamed"},
                                      {"fltsim.0", "atc_heavy", "1"},
                                      {"general", "Performance", "slow"},
                                      {"Reference Speeds", "cruise_speed", "460"}}));
  // Without a disk state every key goes, flags as "1"/"0", in the write order.
  std::vector<CfgKeyValue> all = ChangedCfgKeys(now, nullptr);
  ASSERT_EQ(all.size(), 17u);
  EXPECT_EQ(all[7], (CfgKeyValue{"fltsim.0", "visual_damage", "1"}));
  EXPECT_EQ(all[8], (CfgKeyValue{"fltsim.0", "atc_heavy", "1"}));
  EXPECT_EQ(all[12].key, "description");
  EXPECT_EQ(all[13], (CfgKeyValue{"general", "atc_model", "B738"}));
  EXPECT_EQ(all[16], (CfgKeyValue{"Reference Speeds", "cruise_speed", "460"}));
}

const std::string kCfg =
    "[fltsim.0]\r\n"
    "title=Sample \xC4\r\n"
    "atc_airline = Velkair\r\n"
    "description=Fast; reliable\r\n"
    "; a comment\r\n"
    "// another\r\n"
    "\r\n"
    "[GENERAL]\r\n"
    "atc_model=B738\r\n"
    "atc_model=second\r\n"
    "\r\n"
    "[Reference Speeds]\r\n"
    "cruise_speed=451.5 ;kts";

TEST(AircraftCfgWriter, ChangesOnlyTheLinesOfItsKeysAndBacksUpOnce) {
  TempDir dir;
  fs::path cfg = dir / "aircraft.cfg";
  WriteFile(cfg, kCfg);
  ASSERT_TRUE(WriteCfgKeys(cfg,
                           {{"fltsim.0", "atc_airline", "Skyhaven"},
                            {"fltsim.0", "atc_id", "D-ABCD"},
                            {"general", "atc_model", "B739"},
                            {"Reference Speeds", "cruise_speed", "460"},
                            {"Sound", "volume", ""}},
                           true));
  EXPECT_EQ(*ReadFile(cfg),
            "[fltsim.0]\r\n"
            "title=Sample \xC4\r\n"
            "atc_airline = Skyhaven\r\n"
            "description=Fast; reliable\r\n"
            "; a comment\r\n"
            "// another\r\n"
            "atc_id=D-ABCD\r\n"
            "\r\n"
            "[GENERAL]\r\n"
            "atc_model=B739\r\n"
            "atc_model=second\r\n"
            "\r\n"
            "[Reference Speeds]\r\n"
            "cruise_speed=460\r\n"
            "\r\n"
            "[Sound]\r\n"
            "volume=\r\n");
  EXPECT_EQ(*ReadFile(dir / "aircraft.cfg.velk.bak"), kCfg);
  // The backup keeps the state before the first change ever made.
  ASSERT_TRUE(WriteCfgKeys(cfg, {{"fltsim.0", "title", "Other"}}, true));
  EXPECT_EQ(*ReadFile(dir / "aircraft.cfg.velk.bak"), kCfg);
  // Nothing to write touches nothing, not even for a backup.
  fs::remove(dir / "aircraft.cfg.velk.bak");
  ASSERT_TRUE(WriteCfgKeys(cfg, {}, true));
  EXPECT_FALSE(fs::exists(dir / "aircraft.cfg.velk.bak"));
}

TEST(AircraftCfgWriter, RefusesWhatWouldDamageTheFile) {
  TempDir dir;
  fs::path cfg = dir / "aircraft.cfg";
  WriteFile(cfg, kCfg);
  std::string why;
  // A line break in a value would cut the line: nothing at all is written.
  EXPECT_FALSE(WriteCfgKeys(cfg, {{"fltsim.0", "title", "ok"}, {"fltsim.0", "description", "a\n[x]"}}, true, &why));
  EXPECT_EQ(why, "the value of description holds a line break");
  EXPECT_EQ(*ReadFile(cfg), kCfg);
  EXPECT_FALSE(fs::exists(dir / "aircraft.cfg.velk.bak"));
  // A file without write permission is locked.
  fs::permissions(cfg, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(WriteCfgKeys(cfg, {{"fltsim.0", "title", "ok"}}, false, &why));
  EXPECT_EQ(why, std::strerror(EACCES));
  fs::permissions(cfg, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(*ReadFile(cfg), kCfg);
  // A backup that cannot be made is named.
  fs::create_directory(dir / "aircraft.cfg.velk.bak");
  EXPECT_FALSE(WriteCfgKeys(cfg, {{"fltsim.0", "title", "ok"}}, true, &why));
  EXPECT_EQ(why, "the backup '" + (dir / "aircraft.cfg.velk.bak").string() + "' could not be made: " +
                     std::strerror(EISDIR));
  EXPECT_EQ(*ReadFile(cfg), kCfg);
  // A folder where the file should be, and a missing file.
  fs::create_directory(dir / "folder.cfg");
  EXPECT_FALSE(WriteCfgKeys(dir / "folder.cfg", {{"a", "b", "c"}}, false, &why));
  EXPECT_EQ(why, std::strerror(EISDIR));
  EXPECT_FALSE(WriteCfgKeys(dir / "missing.cfg", {{"a", "b", "c"}}, false, &why));
  EXPECT_EQ(why, std::strerror(ENOENT));
  EXPECT_FALSE(fs::exists(dir / "missing.cfg"));
}

TEST(AircraftCfgWriter, ALinkedFileIsRewrittenWhereItLies) {
  TempDir dir;
  fs::path target = dir / "shared.cfg";
  WriteFile(target, kCfg);
  fs::create_directory(dir / "plane");
  fs::create_symlink(target, dir / "plane" / "aircraft.cfg");
  ASSERT_TRUE(WriteCfgKeys(dir / "plane" / "aircraft.cfg", {{"fltsim.0", "title", "x"}}, true));
  // The link stays a link; the file it names holds the change, and the
  // backup keeps the state before it.
  EXPECT_TRUE(fs::is_symlink(dir / "plane" / "aircraft.cfg"));
  EXPECT_EQ(*ReadFile(target), Replaced(kCfg, "title=Sample \xC4", "title=x"));
  EXPECT_EQ(*ReadFile(dir / "plane" / "aircraft.cfg.velk.bak"), kCfg);
}

std::string Int32Bytes(int v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<char>((static_cast<unsigned>(v) >> (8 * i)) & 0xFF);
  return b;
}

TEST(ModelRadiusPatch, WritesExactlyFourBytesOfEachLayout) {
  TempDir dir;
  struct Case {
    int kind;
    size_t offset;
  };
  for (Case c : {Case{1, 28}, Case{2, 4264}, Case{3, 4608}}) {
    fs::path file = dir / ("kind" + std::to_string(c.kind) + ".mdl");
    std::string before = sample::ModelFileBytes(c.kind, 20);
    WriteFile(file, before);
    ASSERT_EQ(PatchModelRadius(file, c.kind, 18, true), ModelPatchResult::Patched) << c.kind;
    std::string after = *ReadFile(file);
    ASSERT_EQ(after.size(), before.size());
    std::string expected = before;
    expected.replace(c.offset, 4, Int32Bytes(18));
    EXPECT_EQ(after, expected) << c.kind;
    EXPECT_EQ(*ReadFile(file.string() + ".velk.bak"), before);
  }
  // "riff" in lower case is the chunked layout too.
  std::string lower = sample::ModelFileBytes(1, 5);
  lower.replace(0, 4, "riff");
  WriteFile(dir / "lower.mdl", lower);
  EXPECT_EQ(PatchModelRadius(dir / "lower.mdl", 1, 7, false), ModelPatchResult::Patched);
  EXPECT_EQ(ReadFile(dir / "lower.mdl")->substr(28, 4), Int32Bytes(7));
  EXPECT_FALSE(fs::exists(dir / "lower.mdl.velk.bak"));
}

TEST(ModelRadiusPatch, RefusesAFileThatChangedSinceItWasRead) {
  TempDir dir;
  fs::path file = dir / "m.mdl";
  // Read as kind 2, but the file was replaced by one of kind 3 since.
  std::string kind3 = sample::ModelFileBytes(3, 20);
  WriteFile(file, kind3);
  EXPECT_EQ(PatchModelRadius(file, 2, 18, true), ModelPatchResult::LayoutChanged);
  // Truncated below its radius: never written past the end.
  std::string shortFile = sample::ModelFileBytes(2, 20).substr(0, 4266);
  WriteFile(file, shortFile);
  EXPECT_EQ(PatchModelRadius(file, 2, 18, true), ModelPatchResult::LayoutChanged);
  EXPECT_EQ(*ReadFile(file), shortFile);
  EXPECT_FALSE(fs::exists(dir / "m.mdl.velk.bak"));
  EXPECT_EQ(PatchModelRadius(dir / "gone.mdl", 1, 18, true), ModelPatchResult::Missing);
  WriteFile(file, kind3);
  fs::permissions(file, fs::perms::owner_read);
  EXPECT_EQ(PatchModelRadius(file, 3, 18, false), ModelPatchResult::Failed);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(*ReadFile(file), kind3);
}

TEST(AircraftFields, NumbersFeetAndNames) {
  auto check = [](const char* text) { return CheckPositiveWholeNumber(text, 65535); };
  EXPECT_EQ(check("250").value, 250);
  EXPECT_EQ(check(" 250.0 ").value, 250);
  EXPECT_EQ(check("0.6").value, 1);
  EXPECT_EQ(check("2.5").value, 2);  // a half goes to the even neighbour
  EXPECT_EQ(check("0.5").check, WholeNumberCheck::NotPositive);
  EXPECT_EQ(check("-5").check, WholeNumberCheck::NotPositive);
  EXPECT_EQ(check("abc").check, WholeNumberCheck::NotNumeric);
  EXPECT_EQ(check("1e3").check, WholeNumberCheck::NotNumeric);
  EXPECT_EQ(check("").check, WholeNumberCheck::NotNumeric);
  EXPECT_EQ(check("65536").check, WholeNumberCheck::TooLarge);
  EXPECT_EQ(check("99999999999999999999").check, WholeNumberCheck::TooLarge);
  EXPECT_EQ(FeetText(25), "82ft");
  EXPECT_EQ(FeetText(18), "59ft");
  EXPECT_EQ(FeetText(0), "0ft");
  EXPECT_EQ(ClassDisplayName(0), "Unknown");
  EXPECT_EQ(ClassDisplayName(9), "Unknown");
  EXPECT_EQ(ClassDisplayName(8), "Huge Jet");
  EXPECT_TRUE(IsPlainFileName("b747"));
  EXPECT_TRUE(IsPlainFileName(""));
  for (const char* bad : {"../x", "a/b", "a\\b", "..", "a:b", "a\tb"}) EXPECT_FALSE(IsPlainFileName(bad)) << bad;
}

TEST(AircraftFields, RenamesFindFoldersInAnyCaseAndOfferCopiesOnlyWhenUseful) {
  TempDir dir;
  fs::path plane = dir / "Plane";
  fs::create_directories(plane / "Model.ER");
  WriteFile(plane / "Model.ER" / "m.mdl", "x");
  fs::create_directories(plane / "Texture.Blue");
  WriteFile(plane / "old.AIR", "air");
  FSAircraft a;
  a.CfgFile = (plane / "aircraft.cfg").string();
  a.ModelFile = (plane / "Model.ER" / "m.mdl").string();
  a.Texture = "blue";
  a.Sim = "old";

  RenameOnDisk model = ModelFolderRename(a, "b747");
  EXPECT_EQ(model.from, plane / "Model.ER");
  EXPECT_EQ(model.to, plane / "model.b747");
  EXPECT_TRUE(model.offerCopy);
  // An existing folder, in whatever case, is used and nothing is offered.
  model = ModelFolderRename(a, "er");
  EXPECT_EQ(model.to, plane / "Model.ER");
  EXPECT_FALSE(model.offerCopy);
  // No old model file: nothing to copy from.
  a.ModelFile = (plane / "gone.mdl").string();
  EXPECT_FALSE(ModelFolderRename(a, "b747").offerCopy);

  RenameOnDisk texture = TextureFolderRename(a, "red");
  EXPECT_EQ(texture.from, plane / "Texture.Blue");
  EXPECT_EQ(texture.to, plane / "texture.red");
  EXPECT_TRUE(texture.offerCopy);
  EXPECT_EQ(TextureFolderRename(a, "").to, plane / "texture");

  RenameOnDisk air = AirFileRename(a, "new.air");
  EXPECT_EQ(air.from, plane / "old.AIR");
  EXPECT_EQ(air.to, plane / "new.air");
  EXPECT_TRUE(air.offerCopy);
  EXPECT_EQ(AirFileRename(a, "other").to, plane / "other.air");
  EXPECT_FALSE(AirFileRename(a, "OLD").offerCopy);
}

TEST(AircraftFields, FolderCopiesAppearWholeOrNotAtAll) {
  TempDir dir;
  fs::path from = dir / "model";
  WriteFile(from / "model.cfg", "[models]\r\nnormal=m\r\n");
  WriteFile(from / "sub" / "m.mdl", "bytes");
  WriteFile(dir / "notes.txt", "notes");
  fs::create_symlink(dir / "notes.txt", from / "notes");
  ASSERT_EQ(::mkfifo((from / "pipe").c_str(), 0600), 0);
  ::chmod((from / "model.cfg").c_str(), 0640);
  ::chmod((from / "sub").c_str(), 0750);
  // The folder itself is the user's new folder too: no setgid, nor open to all.
  ::chmod(from.c_str(), 02777);
  FolderCopy report;
  {
    const test::ScopedUmask mask(022);
    ASSERT_TRUE(CopyFolderWhole(from, dir / "model.new", &report));
  }
  EXPECT_EQ(report.leftOut, (std::vector<std::string>{"'" + (from / "pipe").string() + "' (a pipe)"}));
  const fs::path copy = dir / "model.new";
  EXPECT_EQ(test::Names(copy), (std::set<std::string>{"model.cfg", "notes", "sub"}));
  EXPECT_EQ(*ReadFile(copy / "sub" / "m.mdl"), "bytes");
  EXPECT_EQ(*ReadFile(copy / "model.cfg"), "[models]\r\nnormal=m\r\n");
  EXPECT_EQ(fs::status(copy / "model.cfg").permissions(), fs::perms(0640));
  EXPECT_EQ(fs::status(copy / "sub").permissions(), fs::perms(0750));
  struct stat st {};
  ASSERT_EQ(::stat(copy.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
  // A link is copied as the link, never followed.
  EXPECT_TRUE(fs::is_symlink(copy / "notes"));
  EXPECT_EQ(fs::read_symlink(copy / "notes"), dir / "notes.txt");
  EXPECT_EQ(ReadFile(dir / "notes.txt"), "notes");
  // Each refusal names the new folder and why: never over a folder that is
  // there already, and another user's link on the way to either folder is
  // followed by nothing.
  fs::create_symlink(dir.path(), dir / "theirs");
  ASSERT_EQ(::lchown((dir / "theirs").c_str(), 65534, 65534), 0);
  const std::string theirs = "the symbolic link '" + (dir / "theirs").string() + "' belongs to the user " +
                             UserName(65534) + ", not to you";
  const fs::path other = dir / "model.other";
  const struct {
    fs::path from, to;
    std::string reason;
  } refused[] = {{from, copy, std::strerror(EEXIST)},
                 {dir / "missing", other, "'" + (dir / "missing").string() + "' could not be read: " + std::strerror(ENOENT)},
                 {dir / "theirs" / "model", other, theirs},
                 {from, dir / "theirs" / "model.other", theirs}};
  for (const auto& r : refused) {
    EXPECT_FALSE(CopyFolderWhole(r.from, r.to, &report)) << r.from << " " << r.to;
    EXPECT_EQ(report.file, r.to);
    EXPECT_EQ(report.reason, r.reason);
  }
  // A copy that fails at its last step leaves nothing behind.
  {
    const test::ScopedFileStepHook failing([](std::string_view step, const fs::path&) { return step == "rename"; });
    EXPECT_FALSE(CopyFolderWhole(from, other, &report));
    EXPECT_EQ(report.reason, std::strerror(EIO));
  }
  EXPECT_EQ(test::Names(dir.path()), (std::set<std::string>{"model", "model.new", "notes.txt", "theirs"}));
}

// Whether the folder a copy was building was held while it wrote into it.
bool g_copyHeld = false;

TEST(AircraftFields, WhatAKilledFolderCopyLeftIsSweptButNoHeldForeignOrLinkedFolder) {
  TempDir dir;
  const fs::path from = dir / "model";
  WriteFile(from / "model.cfg", "[models]");
  WriteFile(from / "m.mdl", "bytes");
  test::KillAtFileStep("write m.mdl", [&] { CopyFolderWhole(from, dir / "model.new"); });
  std::set<std::string> left = test::Names(dir.path());
  left.erase("model");
  ASSERT_EQ(left.size(), 1u);
  ASSERT_EQ(left.begin()->rfind(".model.new.velk-", 0), 0u) << *left.begin();
  ASSERT_TRUE(fs::is_directory(dir / *left.begin()));

  // A copy still at work holds its folder; another user's folder, another
  // program's name and a link of that name are no leftovers of the user's.
  const std::string held = ".texture.held.velk-Ab12Cd", theirs = ".texture.theirs.velk-Ab12Cd",
                    other = ".texture.orvane-Ab12Cd", link = ".texture.link.velk-Ab12Cd";
  for (const std::string& name : {held, theirs, other}) WriteFile(dir / name / "t.bmp", "texture");
  WriteFile(dir / "kept" / "t.bmp", "kept");
  fs::create_symlink(dir / "kept", dir / link);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown((dir / theirs).c_str(), 65534, 65534), 0);
  }
  auto lock = std::make_unique<FolderLock>();
  ASSERT_EQ(lock->TryLock(dir / held), FolderLock::Result::kLocked);
  test::ScopedFileStepHook probe([](std::string_view step, const fs::path& path) {
    if (step == "write" && path.filename() == "m.mdl") {
      const int copy = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      g_copyHeld = ::flock(copy, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
      ::close(copy);
    }
    return false;
  });
  ASSERT_TRUE(CopyFolderWhole(from, dir / "texture.new"));
  probe.Off();
  EXPECT_TRUE(g_copyHeld);
  const std::set<std::string> kept = {"model", "texture.new", held, theirs, other, link, "kept"};
  EXPECT_EQ(test::Names(dir.path()), kept);
  EXPECT_EQ(test::Names(dir / held), std::set<std::string>{"t.bmp"});
  EXPECT_EQ(ReadFile(dir / "kept" / "t.bmp"), "kept");

  // Once the copy that held it is gone, opening the aircraft sweeps it.
  lock.reset();
  FSAircraft aircraft;
  aircraft.CfgFile = (dir / "aircraft.cfg").string();
  RemoveLeftoverFolderCopies({aircraft});
  std::set<std::string> swept = kept;
  swept.erase(held);
  if (::geteuid() != 0) swept.erase(theirs);
  EXPECT_EQ(test::Names(dir.path()), swept);
}

}  // namespace
}  // namespace velk
