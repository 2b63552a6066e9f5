// Every text reader of velk takes files as any editor saves them: with a
// UTF-8 byte-order mark in front (Windows editors), and with CR LF, LF or
// lone CR line ends; and every number reader reads "." as the decimal mark
// whatever the locale says.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "data/aircraft_airport_files.h"
#include "data/config_text.h"
#include "data/flight_plan_file.h"
#include "data/geodesy.h"
#include "data/installed_aircraft.h"
#include "data/name_lists.h"
#include "data/text_number.h"
#include "platform/message_box.h"
#include "platform/registry_file.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

// `lines` joined by `end`, with `bom` in front.
std::string Text(const std::vector<std::string>& lines, const std::string& end, bool bom) {
  std::string out = bom ? "\xEF\xBB\xBF" : "";
  for (const auto& l : lines) out += l + end;
  return out;
}

struct Form {
  const char* end;
  bool bom;
};
const Form kForms[] = {{"\r\n", false}, {"\n", false}, {"\r", false},
                       {"\r\n", true},  {"\n", true},  {"\r", true}};

std::string Describe(const Form& f) {
  std::string d = f.bom ? "BOM, " : "";
  for (char c : std::string(f.end)) d += c == '\r' ? "CR" : "LF";
  return d;
}

TEST(TextReaders, PlanFilesReadAlikeInEveryForm) {
  const std::string flight = "AC#1,N1,5%,24Hr,IFR,06:00,07:00,350,F,12,KBOS,08:00,09:00,350,F,13,KJFK";
  for (const Form& form : kForms) {
    SCOPED_TRACE(Describe(form));
    int highest = 0;
    auto aircraft = ParseAircraftTxt(Text({"AC#3,460,\"Boeing 737-400\"", "AC#12,300,\"Cessna\""}, form.end, form.bom),
                                     highest);
    ASSERT_EQ(aircraft.size(), 2u);
    EXPECT_EQ(aircraft[0].Id, "AC#3");
    EXPECT_EQ(aircraft[1].Title, "Cessna");
    EXPECT_EQ(highest, 12);

    auto airports = ParseAirportsTxt(Text({"KBOS,N42* 21.80',W71* 0.38',20", "KJFK,N40* 38.38',W73* 46.68',13"},
                                          form.end, form.bom));
    ASSERT_EQ(airports.size(), 2u);
    EXPECT_EQ(airports[0].Icao, "KBOS");
    EXPECT_EQ(airports[1].Elevation, "13");

    auto flights = ParseFlightPlans(Text({"; comment", flight, flight}, form.end, form.bom));
    ASSERT_EQ(flights.size(), 2u);
    EXPECT_EQ(flights[0].AircraftId, "AC#1");
    EXPECT_EQ(flights[1].Legs[1].DestinationIcao, "KJFK");
  }
}

TEST(TextReaders, ConfigurationFilesReadAlikeInEveryForm) {
  ScriptedMessageBoxes boxes;
  for (const Form& form : kForms) {
    SCOPED_TRACE(Describe(form));
    TempDir dir;
    WriteFile(dir / "VELK_NAL.CFG", Text({"; airlines", "Lufthansa", "KLM"}, form.end, form.bom));
    ASSERT_TRUE(ReadAirlineNames(dir.path()));
    EXPECT_EQ(AirlineNames(), (std::vector<std::string>{"Lufthansa", "KLM"}));
    auto lines = ReadConfigLines(dir / "VELK_NAL.CFG");
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"; airlines", "Lufthansa", "KLM"}));
  }
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST(TextReaders, RegistryFilesReadAlikeInEveryForm) {
  for (const Form& form : kForms) {
    SCOPED_TRACE(Describe(form));
    auto file = RegistryFile::Parse(
        Text({"WINE REGISTRY Version 2", "", "[Software\\\\A] 1", "\"v\"=\"text\""}, form.end, form.bom));
    ASSERT_TRUE(file);
    const RegistryKey* key = file->FindKey("Software\\A");
    ASSERT_NE(key, nullptr);
    ASSERT_NE(key->FindValue("v"), nullptr);
    EXPECT_EQ(key->FindValue("v")->data, std::string("text", 5));
  }
}

// ---- Numbers under a comma-decimal locale ------------------------------------

// Sets LC_NUMERIC to a locale whose decimal mark is ",", as the window layer
// does when the user's environment asks for one. When the system has no such
// locale compiled, one is compiled into a private folder (unprivileged).
class CommaLocale {
 public:
  CommaLocale() {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    saved_ = old ? old : "C";
    if (Try()) return;
    if (!fs::exists("/usr/share/i18n/locales/de_DE")) return;
    folder_.emplace();
    std::string command = "localedef -i de_DE -f UTF-8 '" + (folder_->path() / "de_DE.UTF-8").string() +
                          "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !fs::exists(folder_->path() / "de_DE.UTF-8")) return;
    locpath_.emplace("LOCPATH", folder_->path().string());
    Try();
  }
  ~CommaLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  bool Active() const { return active_; }

 private:
  bool Try() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}) {
      if (std::setlocale(LC_NUMERIC, name) && std::localeconv()->decimal_point[0] == ',') {
        active_ = true;
        return true;
      }
    }
    return false;
  }

  std::string saved_;
  std::optional<TempDir> folder_;
  std::optional<test::ScopedEnv> locpath_;
  bool active_ = false;
};

TEST(TextReaders, NumbersReadTheSameUnderACommaDecimalLocale) {
  CommaLocale locale;
  if (!locale.Active()) GTEST_SKIP() << "no locale with a decimal comma can be had here";
  ASSERT_EQ(std::strtod("1.5", nullptr), 1.0);  // the trap the readers avoid

  EXPECT_EQ(text_number::ParseDecimal(" 1.5 "), 1.5);
  EXPECT_EQ(text_number::ParseInt32("2.5"), 2);
  EXPECT_EQ(text_number::LeadingNumber("1.5e1x"), 15.0);
  EXPECT_EQ(ParseWholeNumber("12.51"), 13);
  EXPECT_TRUE(ProfileFlag("0.5"));
  EXPECT_FALSE(ProfileFlag("0.0"));
  int highest = 0;
  ParseAircraftTxt("AC#12.6,300,\"A\"\r\n", highest);
  EXPECT_EQ(highest, 13);
  std::int32_t degrees = 0, minutes = 0;
  ASSERT_TRUE(ParseCoordinate("N47* 26.99'", degrees, minutes));
  EXPECT_EQ(degrees, 47);
  EXPECT_EQ(minutes, 26);
}

}  // namespace
}  // namespace velk
