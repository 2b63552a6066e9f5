#include "data/model_radius.h"

#include <gtest/gtest.h>

#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk {
namespace {

using sample::ModelFileBytes;
using test::TempDir;
using test::WriteFile;

TEST(FindModelRadius, RecognisesTheThreeLayouts) {
  for (int kind : {1, 2, 3}) {
    ModelRadiusFound f = FindModelRadius(ModelFileBytes(kind, 18 + kind));
    EXPECT_EQ(f.kind, kind);
    EXPECT_EQ(f.radius, 18 + kind);
  }
  std::string riff = ModelFileBytes(1, -7);
  riff.replace(0, 4, "riff");
  EXPECT_EQ(FindModelRadius(riff).kind, 1);
  EXPECT_EQ(FindModelRadius(riff).radius, -7);
  ModelRadiusFound none = FindModelRadius(ModelFileBytes(0, 5));
  EXPECT_EQ(none.kind, 0);
  EXPECT_EQ(none.radius, -1);
}

TEST(FindModelRadius, FirstLayoutWinsWhenMarkersOverlap) {
  std::string both = ModelFileBytes(3, 44);
  std::string two = ModelFileBytes(2, 22);
  both.replace(4264, 10, two.substr(4264, 10));
  ModelRadiusFound f = FindModelRadius(both);
  EXPECT_EQ(f.kind, 2);
  EXPECT_EQ(f.radius, 22);
}

TEST(FindModelRadius, NeverReadsPastTheEnd) {
  // Cut just short of each layout's last byte: no layout may match, since
  // the radius or a marker would lie beyond the file (and a later radius
  // patch would grow the file).
  std::string riff = ModelFileBytes(1, 18);
  EXPECT_EQ(FindModelRadius(riff.substr(0, 31)).kind, 0);
  EXPECT_EQ(FindModelRadius(riff.substr(0, 32)).kind, 1);
  EXPECT_EQ(FindModelRadius("RIF").kind, 0);
  std::string two = ModelFileBytes(2, 18);
  EXPECT_EQ(FindModelRadius(two.substr(0, 4273)).kind, 0);
  EXPECT_EQ(FindModelRadius(two.substr(0, 4274)).kind, 2);
  std::string three = ModelFileBytes(3, 18);
  EXPECT_EQ(FindModelRadius(three.substr(0, 4617)).radius, -1);
  EXPECT_EQ(FindModelRadius(three.substr(0, 4618)).radius, 18);
  EXPECT_EQ(FindModelRadius("").kind, 0);
}

TEST(ModelRadiusOffset, MatchesWhereTheRadiusIsRead) {
  for (int kind : {1, 2, 3}) {
    std::string b = ModelFileBytes(kind, 0x01020304);
    auto at = static_cast<size_t>(ModelRadiusOffset(kind));
    EXPECT_EQ(b.substr(at, 4), std::string("\x04\x03\x02\x01", 4));
  }
  EXPECT_EQ(ModelRadiusOffset(0), -1);
  EXPECT_EQ(ModelRadiusOffset(4), -1);
}

class ReadModelRadiusTest : public ::testing::Test {
 protected:
  void WriteCfg(const std::string& modelKey) {
    WriteFile(dir_ / "aircraft.cfg",
              "[fltsim.0]\r\ntitle=A\r\nmodel=" + modelKey + "\r\n[fltsim.1]\r\ntitle=B\r\n");
  }
  void WriteModel(const std::string& folder, const std::string& bytes) {
    WriteFile(dir_ / folder / "model.cfg", "[models]\r\nnormal=plane\r\n");
    WriteFile(dir_ / folder / "plane.mdl", bytes);
  }
  void Read(const std::string& section, const std::string& modelFolder = {}) {
    kind_ = 9;
    radius_ = 9;
    file_ = "stale";
    ReadModelRadius(dir_.path().string(), section, kind_, radius_, file_, modelFolder);
  }
  TempDir dir_;
  int kind_ = 0;
  int radius_ = 0;
  std::string file_;
};

TEST_F(ReadModelRadiusTest, FollowsTheModelKeyToItsFolder) {
  WriteCfg("737");
  WriteModel("model.737", ModelFileBytes(2, 21));
  WriteModel("model", ModelFileBytes(1, 11));
  Read("FLTSIM.0");
  EXPECT_EQ(kind_, 2);
  EXPECT_EQ(radius_, 21);
  EXPECT_EQ(file_, (dir_ / "model.737" / "plane.mdl").string());
  // No model key: the plain "model" folder.
  Read("fltsim.1");
  EXPECT_EQ(kind_, 1);
  EXPECT_EQ(radius_, 11);
  // The editor names the folder itself.
  Read("", (dir_ / "model.737").string());
  EXPECT_EQ(radius_, 21);
}

// What is missing or unreadable leaves no model (the path is kept when the
// model file itself is there but of no known or a cut layout).
TEST_F(ReadModelRadiusTest, MissingOrUnreadablePiecesGiveNoRadius) {
  struct Case {
    const char* what;
    const char* modelKey;  // nullptr: no aircraft.cfg
    const char* modelCfg;  // nullptr: no model folder
    std::string modelBytes;
    bool pathKept;
  };
  const std::string normal = "[models]\r\nnormal=plane\r\n";
  const Case cases[] = {
      {"no aircraft.cfg", nullptr, nullptr, "", false},
      {"no model folder", "", nullptr, "", false},
      {"model key with a comment", "737 ;old", normal.c_str(), ModelFileBytes(2, 21), false},
      {"no normal key", "", "[models]\r\nshadow=plane\r\n", ModelFileBytes(1, 3), false},
      {"empty model file", "", normal.c_str(), "", false},
      {"unknown layout", "", normal.c_str(), ModelFileBytes(0, 0), true},
      {"cut layout", "", normal.c_str(), ModelFileBytes(3, 40).substr(0, 4610), true},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir_.path());
    std::filesystem::create_directories(dir_.path());
    if (c.modelKey) WriteCfg(c.modelKey);
    if (c.modelCfg) {
      std::string folder = std::string(c.modelKey).starts_with("737") ? "model.737" : "model";
      WriteFile(dir_ / folder / "model.cfg", c.modelCfg);
      WriteFile(dir_ / folder / "plane.mdl", c.modelBytes);
    }
    Read("fltsim.0");
    EXPECT_EQ(kind_, 0) << c.what;
    EXPECT_EQ(radius_, -1) << c.what;
    EXPECT_EQ(file_, c.pathKept ? (dir_ / "model" / "plane.mdl").string() : "") << c.what;
  }
}

}  // namespace
}  // namespace velk
