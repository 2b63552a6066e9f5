#pragma once
// A small plan for the flight editor's tests: four airports a whole number
// of nautical miles apart on the equator and the zero meridian, three plan
// aircraft (two with installed counterparts) and one level rule. The
// program's plan and level rules are put back afterwards.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "data/flight_levels.h"
#include "data/plan_records.h"
#include "flight_editor/prompter.h"
#include "support/plan_guard.h"

namespace velk::test {

class FlightEditorPlan {
 public:
  FlightEditorPlan() : savedRules_(std::move(FlightLevelRules())) {
    PlanState& p = Plan();
    // AAAA-BBBB 60nm due west, AAAA-CCCC 60nm due north, AAAA-DDDD 120nm
    // due east, BBBB-DDDD 180nm.
    AddAirport("DDDD", "N0* 0.00'", "E2* 0.00'");
    AddAirport("AAAA", "N0* 0.00'", "E0* 0.00'");
    AddAirport("CCCC", "N1* 0.00'", "E0* 0.00'");
    AddAirport("BBBB", "N0* 0.00'", "W1* 0.00'");
    p.PlanLoaded = true;
    p.PlanAircraftList = {{"AC#1", "Jet One", "240", 0},
                          {"AC#2", "Prop Two", "120", 0},
                          {"AC#3", "Unlisted (Three)", "360", 0}};
    FSAircraft prop;
    prop.Title = "Prop Two";
    prop.MinRange = prop.MaxRange = prop.MinFL = prop.MaxFL = -1;  // no class
    FSAircraft jet;
    jet.Title = "JET ONE";
    jet.MinRange = 50;
    jet.MaxRange = 150;
    jet.MinFL = 100;
    jet.MaxFL = 300;
    FSAircraft jet2 = jet;
    jet2.Title = "jet one";
    jet2.MinRange = 0;
    p.FSAircraftList = {prop, jet, jet2};
    FlightLevelRules() = {{0, 9999, 0, 359, 100, 300, 20}};
  }
  ~FlightEditorPlan() { FlightLevelRules() = std::move(savedRules_); }
  FlightEditorPlan(const FlightEditorPlan&) = delete;
  FlightEditorPlan& operator=(const FlightEditorPlan&) = delete;

  // AAAA -> BBBB -> DDDD -> AAAA for AC#1 (240 kt): 60, 180 and 120 nm,
  // that is 30, 60 and 45 minutes with the 15 minutes on the ground.
  static Flight DailyRing() {
    Flight f;
    f.AircraftId = "AC#1";
    f.Registration = "N123";
    f.Percent = "50%";
    f.Period = "24Hr";
    f.FlightRules = "IFR";
    f.Legs = {Leg("08:00:00", "08:30:00", "BBBB", "0101"), Leg("09:30:00", "10:30:00", "DDDD", "0102"),
              Leg("11:30:00", "12:15:00", "AAAA", "0103")};
    return f;
  }
  static Flight WeeklyRing() {
    Flight f = DailyRing();
    f.Period = "WEEK";
    f.Legs = {Leg("1/08:00:00", "1/08:30:00", "BBBB", "0201"), Leg("3/23:30:00", "4/00:30:00", "DDDD", "0202"),
              Leg("6/22:00:00", "6/22:45:00", "AAAA", "0203")};
    return f;
  }
  static FlightLeg Leg(std::string dep, std::string arr, std::string dest, std::string number) {
    FlightLeg l;
    l.DepartureTime = std::move(dep);
    l.ArrivalTime = std::move(arr);
    l.FlightLevel = "120";
    l.UseFlightNumber = "F";
    l.FlightNumber = std::move(number);
    l.DestinationIcao = std::move(dest);
    return l;
  }

 private:
  static void AddAirport(const std::string& icao, const std::string& lat, const std::string& lon) {
    PlanState& p = Plan();
    p.Airports.push_back({icao, lat, lon, "0"});
    p.AirportIndex.Add(icao, static_cast<int>(p.Airports.size() - 1));
  }

  PlanGuard plan_;  // first made, last gone
  std::vector<FlightLevelRule> savedRules_;
};

// Answers the edit session's questions from a queue (Yes once it is empty)
// and records every prompt with its style.
class ScriptedPrompter : public Prompter {
 public:
  std::deque<int> answers;
  std::vector<std::string> asked;
  std::vector<int> styles;
  int Ask(const std::string& prompt, int style) override {
    asked.push_back(prompt);
    styles.push_back(style);
    if (answers.empty()) return kIdYes;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace velk::test
