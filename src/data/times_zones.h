#pragma once
// Time arithmetic of the plan: arrival times of legs, shifts into and out of
// the named time zones with the weekday that moves with them, and the
// "HH:MM:SS" text of a time. Plan times are GMT.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velk {

// A date-time as whole seconds from midnight of a fixed base day. A time of
// day read from text lies on the base day, so adding past midnight moves to
// the next day and only the time of day is ever shown.
struct DateTime {
  std::int64_t seconds = 0;
  auto operator<=>(const DateTime&) const = default;
};

DateTime TimeOfDay(int hours, int minutes, int seconds);
// "H:MM", "HH:MM" or "HH:MM:SS" (blanks around allowed, 24-hour clock);
// nothing for any other text.
std::optional<DateTime> ParseTimeText(std::string_view text);
// Seconds past midnight of the time's own day, 0 to 86399.
int SecondsOfDay(DateTime t);

// The zone names the windows offer, from "GMT -12:00" to "GMT +14:00".
extern const std::array<const char*, 38> kTimeZoneNames;
// " (Sunday)" .. " (Saturday)" and "0/" .. "6/", in cycle order.
extern const std::array<const char*, 7> kWeekdaySuffixes;
extern const std::array<const char*, 7> kDayPrefixes;

// departure + 15 minutes + distance / speed hours rounded to whole minutes
// (a half to the even minute); only the 15 minutes when the distance or the
// speed is below 1. The traffic compiler works in truncated seconds instead,
// so its times can differ from these by a minute.
DateTime GetArrivalTime(DateTime departure, std::int32_t distance, std::int32_t speed);

// Arrival text of a leg ("HH:MM:SS", or "d/HH:MM:SS" for period "WEEK").
// The speed is the cruise speed of PlanAircraftList[planAircraftIndex] when
// that index is valid, else `speed`; with neither the departure text comes
// back unchanged.
std::string GetArrivalTimeText(std::string_view fromIcao, std::string_view toIcao,
                               std::string_view departure, std::string_view period,
                               std::int32_t planAircraftIndex, std::int32_t speed);

// The same for a leg whose distance is known already (-1 when unknown): the
// shuffle measures each leg once and uses the distance several times.
std::string ArrivalTimeTextForDistance(std::string_view departure, std::string_view period, std::int32_t distance,
                                       std::int32_t speed);

// Moves a GMT time into `zone` ("GMT", "GMT +05:30", ...) or, with reverse,
// a zone time back to GMT. An empty zone or "GMT" leaves the time as it is.
std::string ShiftZoneTime(DateTime time, std::string_view zone, bool reverse);
// As ShiftZoneTime, moving a weekday suffix (" (Monday)") along when the
// shift crosses midnight; texts that are no weekday suffix stay as they are.
std::string ShiftZoneTimeDayName(DateTime time, std::string_view zone, std::string& dayName,
                                 bool reverse);
// As ShiftZoneTimeDayName for a day prefix "0/" to "6/".
std::string ShiftZoneTimeDayIndex(DateTime time, std::string_view zone, std::string& dayPrefix,
                                  bool reverse);

std::string FormatTimeHMS(DateTime time);

}  // namespace velk
