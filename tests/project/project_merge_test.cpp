// The merge of a project's plans: which aircraft lines survive, which
// numbers change, and which flight lines follow them.
#include "project/project_merge.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velk {
namespace {

using namespace std::string_literals;

struct Plan {
  std::string aircraft;  // empty: the entry has no aircraft file
  std::string flights;
};

ProjectMerger Merge(const std::vector<Plan>& plans) {
  ProjectMerger m;
  for (const Plan& p : plans) {
    m.BeginEntry();
    if (!p.aircraft.empty()) m.AddAircraftText(p.aircraft);
    m.AddFlightPlanText(p.flights);
  }
  return m;
}

TEST(ProjectMerge, WorkedExample) {
  ProjectMerger m = Merge({
      {"AC#1,250,\"A\"\r\nAC#2,300,\"B\"\r\n",
       "AC#1,D-AAAA,100%,24Hr,IFR,08:00:00,09:00:00,100,F,1,EDDF,10:00:00,11:00:00,100,F,2,EDDM\r\n"
       "AC#2,D-BBBB,50%,24Hr,IFR,08:00:00,09:00:00,100,F,3,EDDF,10:00:00,11:00:00,100,F,4,EDDM\r\n"},
      {"AC#1,300,\"B\"\r\nAC#2,420,\"C\"\r\n",
       "AC#1,G-CCCC,100%,24Hr,IFR,08:00:00,09:00:00,100,F,5,EGLL,10:00:00,11:00:00,100,F,6,EGKK\r\n"
       "AC#2,G-DDDD,100%,24Hr,IFR,08:00:00,09:00:00,100,F,7,EGLL,10:00:00,11:00:00,100,F,8,EGKK\r\n"},
  });
  // Entry 2's B is entry 1's AC#2; its C takes AC#3, one above the highest.
  EXPECT_EQ(m.AircraftText(), "AC#1,250,\"A\"\r\nAC#2,300,\"B\"\r\nAC#3,420,\"C\"\r\n");
  EXPECT_EQ(m.FlightPlansText(),
            "AC#1,D-AAAA,100%,24Hr,IFR,08:00:00,09:00:00,100,F,1,EDDF,10:00:00,11:00:00,100,F,2,EDDM\r\n"
            "AC#2,D-BBBB,50%,24Hr,IFR,08:00:00,09:00:00,100,F,3,EDDF,10:00:00,11:00:00,100,F,4,EDDM\r\n"
            // AC#1 -> AC#2 and AC#2 -> AC#3, each line by its first matching row only
            "AC#2,G-CCCC,100%,24Hr,IFR,08:00:00,09:00:00,100,F,5,EGLL,10:00:00,11:00:00,100,F,6,EGKK\r\n"
            "AC#3,G-DDDD,100%,24Hr,IFR,08:00:00,09:00:00,100,F,7,EGLL,10:00:00,11:00:00,100,F,8,EGKK\r\n");
  EXPECT_EQ(m.MaxAircraftNumber(), 3);
}

TEST(ProjectMerge, TitlesMatchWithoutCaseQuotesOrOuterBlanks) {
  struct Case {
    const char* second;
    bool same;
  } cases[] = {
      {"AC#7,100,\"Boeing 737\"", true},
      {"AC#7,100,\"BOEING 737\"", true},
      {"AC#7,100,Boeing 737", true},
      {"AC#7,100,  \"Boeing 737\"  ", true},
      {"AC#7,100,\"Boe\"ing 737\"", true},  // every quote goes
      {"AC#7,100,\" Boeing 737\"", false},   // a blank inside the quotes counts
      {"AC#7,100,\"Boeing  737\"", false},
  };
  for (const Case& c : cases) {
    ProjectMerger m = Merge({{"AC#1,100,\"Boeing 737\"\n", ""}, {std::string(c.second) + "\n", "AC#7,X\n"}});
    if (c.same) {
      EXPECT_EQ(m.AircraftText(), "AC#1,100,\"Boeing 737\"\r\n") << c.second;
      EXPECT_EQ(m.FlightPlansText(), "AC#1,X\r\n") << c.second;
    } else {
      EXPECT_EQ(m.AircraftText(), "AC#1,100,\"Boeing 737\"\r\n"s + c.second + "\r\n") << c.second;
      EXPECT_EQ(m.FlightPlansText(), "AC#7,X\r\n") << c.second;
    }
  }
  // Accented letters compare without case as well.
  ProjectMerger m = Merge({{"AC#1,100,\"\xE9t\xE9\"\n", ""}, {"AC#2,100,\"\xC9T\xC9\"\n", "AC#2,Y\n"}});
  EXPECT_EQ(m.AircraftText(), "AC#1,100,\"\xE9t\xE9\"\r\n");
  EXPECT_EQ(m.FlightPlansText(), "AC#1,Y\r\n");
}

TEST(ProjectMerge, RenumberingCountsOnlyWhatWasKeptOrGivenBefore) {
  ProjectMerger m = Merge({
      {"AC#1,1,\"A\"\nAC#5,1,\"B\"\n", ""},
      // AC#5 is taken: the next number is 6. AC#2 is free and kept. AC#1 is
      // taken again: 7, one above the 6 just given.
      {"AC#5,1,\"C\"\nAC#2,1,\"D\"\nac#1,1,\"E\"\n", "AC#5,c\nAC#2,d\nac#1,e\nAC#1,f\n"},
  });
  EXPECT_EQ(m.AircraftText(), "AC#1,1,\"A\"\r\nAC#5,1,\"B\"\r\nAC#6,1,\"C\"\r\nAC#2,1,\"D\"\r\nAC#7,1,\"E\"\r\n");
  // The id compares without case against the ids in use, but a flight line
  // follows only the exact spelling of its aircraft file.
  EXPECT_EQ(m.FlightPlansText(), "AC#6,c\r\nAC#2,d\r\nAC#7,e\r\nAC#1,f\r\n");
}

TEST(ProjectMerge, OddIdsNeverRaiseTheMaximum) {
  ProjectMerger m = Merge({{"AC#,1,\"A\"\nXYZ,1,\"B\"\nAC#12abc,1,\"C\"\nAC#99999999999999,1,\"D\"\n", ""},
                           {"AC#12abc,1,\"E\"\n", "AC#12abc,e\n"}});
  // A huge number is capped so that the next one given still fits.
  EXPECT_EQ(m.MaxAircraftNumber(), 1000000000);
  EXPECT_EQ(m.FlightPlansText(), "AC#1000000000,e\r\n");
  ProjectMerger small = Merge({{"AC#x,1,\"A\"\n", ""}, {"AC#x,1,\"B\"\n", ""}});
  EXPECT_EQ(small.AircraftText(), "AC#x,1,\"A\"\r\nAC#1,1,\"B\"\r\n");
}

TEST(ProjectMerge, AircraftLinesThatAreNotThreeFieldsOrAreCommentsAreLeftOut) {
  ProjectMerger m = Merge({{"; AC#3,1,\"A\"\n"
                            "  // AC#4,1,\"B\"\n"
                            "\n"
                            "AC#1,1\n"
                            "AC#2,1,\"A\",x\n"
                            "AC#1,1,\"A\"\n"
                            "AC#2,1,\"B\"\n",
                            "; flights\nAC#1,a\n\nAC#2,b\n"},
                           {"AC#1,1,\"B\"\n", "AC#1,c\n"}});
  // The commented lines claim no title: the real A and B lines keep theirs,
  // and entry 2's B flights go to AC#2, not to a comment's id.
  EXPECT_EQ(m.AircraftText(), "AC#1,1,\"A\"\r\nAC#2,1,\"B\"\r\n");
  EXPECT_EQ(m.FlightPlansText(), "; flights\r\nAC#1,a\r\n\r\nAC#2,b\r\nAC#2,c\r\n");
}

TEST(ProjectMerge, OnlyTheLeadingIdOfAFlightLineChanges) {
  ProjectMerger m = Merge({{"AC#1,1,\"A\"\n", ""},
                           {"AC#1,1,\"B\"\n", "AC#1,AC#1,100%,24Hr,IFR\n AC#1,x\nac#1,y\nAC#10,z\nAC#1\n"}});
  EXPECT_EQ(m.FlightPlansText(),
            // the registration "AC#1" stays; leading blanks, another case, a
            // longer number and a line without a comma are copied as they are
            "AC#2,AC#1,100%,24Hr,IFR\r\n AC#1,x\r\nac#1,y\r\nAC#10,z\r\nAC#1\r\n");
}

TEST(ProjectMerge, EntriesWithoutAircraftFilesAndRenumberingPerEntry) {
  ProjectMerger m = Merge({{"AC#1,1,\"A\"\n", "AC#1,a\n"},
                           {"AC#1,1,\"B\"\n", "AC#1,b\n"},
                           {"", "AC#1,c\n"}});  // no aircraft file: copied unchanged
  EXPECT_EQ(m.FlightPlansText(), "AC#1,a\r\nAC#2,b\r\nAC#1,c\r\n");
}

TEST(ProjectMerge, EveryLineEndIsReadAndCrLfWritten) {
  ProjectMerger m = Merge({{"\xEF\xBB\xBF" "AC#1,1,\"A\"\rAC#2,1,\"B\"", ""},
                           {"AC#1,1,\"B\"", "\xEF\xBB\xBF" "AC#1,a\r\nAC#1,b\nAC#1,c\r\rAC#1,d"}});
  EXPECT_EQ(m.AircraftText(), "AC#1,1,\"A\"\r\nAC#2,1,\"B\"\r\n");
  EXPECT_EQ(m.FlightPlansText(), "AC#2,a\r\nAC#2,b\r\nAC#2,c\r\n\r\nAC#2,d\r\n");
  EXPECT_EQ(Merge({{"", ""}}).FlightPlansText(), "");
}

}  // namespace
}  // namespace velk
