#include "data/flight_plan_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/message_box.h"
#include "platform/text_file.h"

namespace velk {
namespace {

// Fields of the five header fields and the six of each leg.
constexpr size_t kHeaderFields = 5;
constexpr size_t kLegFields = 6;
constexpr size_t kMinFields = kHeaderFields + 2 * kLegFields;  // two legs
// The progress bar moves once per this many lines.
constexpr int kLinesPerProgressStep = 202;

bool IsCommentOrEmpty(std::string_view line) {
  return line.empty() || line[0] == ';' || line.starts_with("//");
}

// The data part of a line: everything before its first ";", then before its
// first "//".
std::string_view DataPart(std::string_view line) {
  line = line.substr(0, line.find(';'));
  return line.substr(0, line.find("//"));
}

// True when `text` (blanks around it allowed) is a plain decimal number
// equal to 100: "100", "+100", "100.0", "0100".
bool IsHundred(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  size_t dot = text.find('.');
  std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return false;
  auto allDigits = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!allDigits(whole) || !allDigits(fraction)) return false;
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  return whole == "100" && fraction.find_first_not_of('0') == std::string_view::npos;
}

// A level of four characters is feet in hundreds ("3500" -> "035"), one of
// five or more is plain feet ("35000" -> "350").
void NormaliseLevel(std::string& level) {
  if (level.size() == 4) {
    level = "0" + level.substr(0, 2);
  } else if (level.size() > 4) {
    level.resize(3);
  }
}

// Splits at every "," into `fields` (reused between lines to keep the
// allocations out of the loop).
void SplitFields(std::string_view data, std::vector<std::string_view>& fields) {
  fields.clear();
  size_t start = 0;
  for (;;) {
    const void* hit = std::memchr(data.data() + start, ',', data.size() - start);
    if (!hit) {
      fields.push_back(data.substr(start));
      return;
    }
    size_t comma = static_cast<size_t>(static_cast<const char*>(hit) - data.data());
    fields.push_back(data.substr(start, comma - start));
    start = comma + 1;
  }
}

bool FillFlight(const std::vector<std::string_view>& f, Flight& flight) {
  if (f.size() < kMinFields) return false;
  flight.AircraftId.assign(TrimSpaces(f[0]));
  flight.Registration.assign(TrimSpaces(f[1]));
  flight.Percent.assign(TrimSpaces(f[2]));
  flight.Period.assign(TrimSpaces(f[3]));
  flight.FlightRules.assign(TrimSpaces(f[4]));
  flight.Removed = false;
  // The compiler's percent runs to 100, but a flight at 100% is stored as
  // 99% by design. A percent that is empty or no number stays as written.
  if (!flight.Percent.empty() &&
      IsHundred(std::string_view(flight.Percent).substr(0, flight.Percent.size() - 1))) {
    flight.Percent = "99%";
  }
  size_t legCount = (f.size() - kHeaderFields) / kLegFields;
  flight.Legs.clear();
  flight.Legs.resize(legCount);
  for (size_t k = 0; k < legCount; ++k) {
    const std::string_view* g = &f[kHeaderFields + k * kLegFields];
    FlightLeg& leg = flight.Legs[k];
    leg.DepartureTime.assign(TrimSpaces(g[0]));
    std::string_view arrival = TrimSpaces(g[1]);
    leg.FixedArrival = !arrival.empty() && arrival[0] == '@';
    if (leg.FixedArrival) arrival.remove_prefix(1);
    leg.ArrivalTime.assign(arrival);
    leg.FlightLevel.assign(TrimSpaces(g[2]));
    NormaliseLevel(leg.FlightLevel);
    leg.UseFlightNumber.assign(TrimSpaces(g[3]));
    leg.FlightNumber.assign(TrimSpaces(g[4]).substr(0, 4));
    leg.DestinationIcao.assign(TrimSpaces(g[5]));
  }
  return true;
}

// Calls `fn` for every line of `text` (CRLF, LF, last line without an end).
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  size_t start = 0;
  while (start < text.size()) {
    const void* hit = std::memchr(text.data() + start, '\n', text.size() - start);
    size_t end = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
    size_t len = end - start;
    if (hit && len > 0 && text[end - 1] == '\r') --len;
    fn(text.substr(start, len));
    if (!hit) break;
    start = end + 1;
  }
}

int CountNonBlankLines(std::string_view text) {
  int count = 0;
  ForEachLine(text, [&](std::string_view line) {
    if (!TrimSpaces(line).empty()) ++count;
  });
  return count;
}

}  // namespace

int CountFileLines(const std::filesystem::path& path) {
  auto bytes = ReadFileBytes(path);
  return bytes ? CountNonBlankLines(*bytes) : 0;
}

bool ParseFlightPlanLine(std::string_view line, Flight& flight) {
  if (IsCommentOrEmpty(line)) return false;
  std::vector<std::string_view> fields;
  SplitFields(DataPart(line), fields);
  return FillFlight(fields, flight);
}

std::vector<Flight> ParseFlightPlans(std::string_view text, const ReadProgress& progress) {
  std::vector<Flight> flights;
  if (progress) progress(0);
  // Sized once from the number of lines, so the records are never moved
  // while the file is read; shrunk to the flights found at the end.
  flights.reserve(static_cast<size_t>(CountNonBlankLines(text)));
  std::vector<std::string_view> fields;
  fields.reserve(64);
  size_t charsRead = 0;
  int lineCounter = 0;
  ForEachLine(text, [&](std::string_view line) {
    charsRead += line.size();
    if (lineCounter >= kLinesPerProgressStep - 1) {
      lineCounter = 0;
      if (progress) progress(static_cast<int>(charsRead * 100 / text.size()));
    } else {
      ++lineCounter;
    }
    if (IsCommentOrEmpty(line)) return;
    SplitFields(DataPart(line), fields);
    if (fields.size() < kMinFields) return;
    flights.emplace_back();
    FillFlight(fields, flights.back());
  });
  flights.shrink_to_fit();
  return flights;
}

bool ReadFlightPlans(const ReadProgress& progress) {
  PlanState& plan = Plan();
  plan.Flights.clear();
  auto bytes = ReadFileBytes(plan.FlightplanPath);
  if (!bytes) {
    if (progress) progress(0);
    ShowMessageBox(kFlightplanNotFoundMessage, kMbOk | kMbIconCritical, kProgramTitle,
                   MainWindowOwner());
    return false;
  }
  plan.Flights = ParseFlightPlans(*bytes, progress);
  return true;
}

void AppendFlightPlanLine(std::string& out, const Flight& f) {
  out += f.AircraftId;
  out += ',';
  out += f.Registration;
  out += ',';
  out += f.Percent;
  out += ',';
  out += f.Period;
  out += ',';
  out += f.FlightRules;
  for (const FlightLeg& leg : f.Legs) {
    out += ',';
    out += leg.DepartureTime;
    out += ',';
    if (leg.FixedArrival) out += '@';
    out += leg.ArrivalTime;
    out += ',';
    out += leg.FlightLevel;
    out += ',';
    out += leg.UseFlightNumber;
    out += ',';
    out += leg.FlightNumber;
    out += ',';
    out += leg.DestinationIcao;
  }
}

std::string FormatFlightPlanLine(const Flight& flight) {
  std::string line;
  AppendFlightPlanLine(line, flight);
  return line;
}

bool WriteFlightPlans(const std::filesystem::path& path, const std::vector<Flight>& flights) {
  std::string kept;
  std::string removed;
  // A header line is about 40 bytes and a leg about 35.
  size_t estimate = 0;
  for (const Flight& f : flights) estimate += 48 + 40 * f.Legs.size();
  kept.reserve(estimate);
  for (const Flight& f : flights) {
    std::string& out = f.Removed ? removed : kept;
    AppendFlightPlanLine(out, f);
    out += "\r\n";
  }

  std::error_code ec;
  if (Plan().BackupPlan && std::filesystem::is_regular_file(path, ec)) {
    CopyFileOnce(path, path.string() + kBackupSuffix);
  }
  if (!removed.empty()) {
    if (!WriteFileAtomic(path.parent_path() / kRemovedFlightsFileName, removed)) return false;
  }
  return WriteFileAtomic(path, kept);
}

}  // namespace velk
