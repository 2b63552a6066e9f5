#include "data/flight_plan_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/message_box.h"
#include "platform/parallel.h"
#include "platform/set_messages.h"
#include "platform/text_codec.h"
#include "platform/text_file.h"
#include "platform/text_lines.h"

namespace velk {
namespace {

// Five header fields, then six fields for each leg.
constexpr size_t kHeaderFields = 5;
constexpr size_t kLegFields = 6;
constexpr size_t kMinFields = kHeaderFields + 2 * kLegFields;  // two legs
// The progress bar moves once per this many lines.
constexpr int kLinesPerProgressStep = 202;

bool IsCommentOrEmpty(std::string_view line) {
  return line.empty() || line[0] == ';' || line.starts_with("//");
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
void AssignLevel(std::string& out, std::string_view level) {
  if (level.size() == 4) {
    out.assign("0");
    out.append(level.substr(0, 2));
  } else {
    out.assign(level.substr(0, 3));
  }
}

// The fields of a line's data part, in one pass: the data ends at the first
// ";" or "//", and is split at every ",". `fields` is reused between lines
// to keep allocations out of the loop.
void SplitDataFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  const char* p = line.data();
  const char* end = p + line.size();
  const char* start = p;
  for (; p < end; ++p) {
    char c = *p;
    if (c == ',') {
      fields.emplace_back(start, static_cast<size_t>(p - start));
      start = p + 1;
    } else if (c == ';' || (c == '/' && p + 1 < end && p[1] == '/')) {
      break;
    }
  }
  fields.emplace_back(start, static_cast<size_t>(p - start));
}

// Fills `flight` from the fields of a split line, in place, so that no field
// is built twice; false (and `flight` untouched) when the line has fewer
// fields than a two-leg flight.
bool FillFlight(const std::vector<std::string_view>& f, Flight& flight) {
  if (f.size() < kMinFields) return false;
  flight.AircraftId.assign(TrimSpaces(f[0]));
  flight.Registration.assign(TrimSpaces(f[1]));
  flight.Percent.assign(TrimSpaces(f[2]));
  flight.Period.assign(TrimSpaces(f[3]));
  flight.FlightRules.assign(TrimSpaces(f[4]));
  // The compiler's percent runs to 100, but a flight at 100% is stored as
  // 99% by design. A percent that is empty or no number stays as written.
  if (!flight.Percent.empty() &&
      IsHundred(std::string_view(flight.Percent).substr(0, flight.Percent.size() - 1))) {
    flight.Percent = "99%";
  }
  const size_t legCount = (f.size() - kHeaderFields) / kLegFields;
  flight.Legs.resize(legCount);
  for (size_t k = 0; k < legCount; ++k) {
    const std::string_view* g = &f[kHeaderFields + k * kLegFields];
    FlightLeg& leg = flight.Legs[k];
    leg.DepartureTime.assign(TrimSpaces(g[0]));
    std::string_view arrival = TrimSpaces(g[1]);
    leg.FixedArrival = !arrival.empty() && arrival[0] == '@';
    if (leg.FixedArrival) arrival.remove_prefix(1);
    leg.ArrivalTime.assign(arrival);
    AssignLevel(leg.FlightLevel, TrimSpaces(g[2]));
    leg.UseFlightNumber.assign(TrimSpaces(g[3]));
    leg.FlightNumber.assign(TrimSpaces(g[4]).substr(0, 4));
    leg.DestinationIcao.assign(TrimSpaces(g[5]));
  }
  return true;
}

int CountNonBlankLines(std::string_view text) {
  int count = 0;
  ForEachLine(text, [&](std::string_view line) {
    if (!TrimSpaces(line).empty()) ++count;
  });
  return count;
}

// The lines of `text` that may hold a flight: neither empty nor comments.
size_t CountDataLines(std::string_view text) {
  size_t count = 0;
  ForEachLine(text, [&](std::string_view line) { count += IsCommentOrEmpty(line) ? 0 : 1; });
  return count;
}

// Parses whole lines of `text` straight into the records at `out`, which
// has room for every data line; returns the number filled. With a progress
// receiver, the bar's value is the share of `progressTotal` read so far,
// served every 202 lines.
size_t ParseLines(std::string_view text, Flight* out, const ReadProgress* progress, size_t progressTotal) {
  std::vector<std::string_view> fields;
  fields.reserve(64);
  size_t charsRead = 0;
  int lineCounter = 0;
  size_t filled = 0;
  ForEachLine(text, [&](std::string_view line) {
    if (progress) {
      charsRead += line.size();
      if (lineCounter >= kLinesPerProgressStep - 1) {
        lineCounter = 0;
        (*progress)(static_cast<int>(charsRead * 100 / std::max<size_t>(progressTotal, 1)));
      } else {
        ++lineCounter;
      }
    }
    if (IsCommentOrEmpty(line)) return;
    SplitDataFields(line, fields);
    if (FillFlight(fields, out[filled])) ++filled;
  });
  return filled;
}

// Below this much text per worker a single thread is quicker.
constexpr size_t kMinBytesPerWorker = size_t{1} << 20;

unsigned WorkerCount(size_t bytes) {
  unsigned hw = std::max(1u, std::thread::hardware_concurrency());
  size_t byBytes = std::max<size_t>(1, bytes / kMinBytesPerWorker);
  return static_cast<unsigned>(std::min<size_t>({hw, byBytes, 8}));
}

}  // namespace

int CountFileLines(const std::filesystem::path& path) {
  auto bytes = ReadFileBytes(path);
  return bytes ? CountNonBlankLines(SkipUtf8Bom(*bytes)) : 0;
}

bool ParseFlightPlanLine(std::string_view line, Flight& flight) {
  if (IsCommentOrEmpty(line)) return false;
  std::vector<std::string_view> fields;
  SplitDataFields(line, fields);
  Flight parsed;
  if (!FillFlight(fields, parsed)) return false;
  flight = std::move(parsed);
  return true;
}

std::vector<Flight> ParseFlightPlans(std::string_view text, const ReadProgress& progress) {
  text = SkipUtf8Bom(text);
  std::vector<Flight> flights;
  const ReadProgress* receiver = progress ? &progress : nullptr;
  if (receiver) progress(0);
  unsigned n = WorkerCount(text.size());
  if (n <= 1) {
    // A record for every data line, filled where it lies.
    flights.resize(CountDataLines(text));
    flights.resize(ParseLines(text, flights.data(), receiver, text.size()));
    return flights;
  }
  // A large plan is cut into n pieces at line ends. Each piece's data lines
  // are counted, the records made for all of them at once, and every piece
  // parsed by a thread of its own straight into its part of the records, so
  // that no record is moved afterwards. The calling thread reads the first
  // piece and serves the progress receiver, whose value is then the share of
  // its own piece (all pieces advance at about the same pace).
  std::vector<size_t> cuts(n + 1, text.size());
  cuts[0] = 0;
  for (unsigned k = 1; k < n; ++k) {
    cuts[k] = LineStartAtOrAfter(text, std::max(text.size() * k / n, cuts[k - 1]));
  }
  auto piece = [&](unsigned k) { return text.substr(cuts[k], cuts[k + 1] - cuts[k]); };
  std::vector<size_t> first(n + 1, 0), filled(n, 0);
  RunParallel(n, [&](unsigned k) { first[k + 1] = CountDataLines(piece(k)); });
  for (unsigned k = 0; k < n; ++k) first[k + 1] += first[k];
  flights.resize(first[n]);
  RunParallel(n, [&](unsigned k) {
    filled[k] = ParseLines(piece(k), flights.data() + first[k], k == 0 ? receiver : nullptr, piece(k).size());
  });
  // Lines that were no flight leave gaps at the end of their piece.
  size_t to = filled[0];
  for (unsigned k = 1; k < n; ++k) {
    if (to != first[k]) {
      std::move(flights.begin() + static_cast<std::ptrdiff_t>(first[k]),
                flights.begin() + static_cast<std::ptrdiff_t>(first[k] + filled[k]),
                flights.begin() + static_cast<std::ptrdiff_t>(to));
    }
    to += filled[k];
  }
  flights.resize(to);
  return flights;
}

bool ReadFlightPlans(const ReadProgress& progress) {
  PlanState& plan = Plan();
  plan.Flights.clear();
  // Read once, by several threads; what is known of the file comes from
  // that very read, and the bytes go once they are parsed.
  FileBytes bytes;
  KnownFile known;
  const KnownRead read = ReadKnownFile(plan.FlightplanPath, bytes, known);
  if (read != RegularReadResult::kOk) {
    if (progress) progress(0);
    // The message's own words already cover a file one may not read.
    const char* first = read.error == EACCES ? kFlightplanNotFoundMessage : kFlightplanUnreadableMessage;
    ShowMessageBox(WithReadFailure(kFlightplanNotFoundMessage, first, plan.FlightplanPath, read), kMbOk | kMbIconCritical,
                   kProgramTitle, MainWindowOwner());
    return false;
  }
  Remember(plan.KnownFiles, std::move(known));
  plan.Flights = ParseFlightPlans(bytes.view(), progress);
  return true;
}

namespace {

// The bytes of a flight's line, without its end.
size_t LineLength(const Flight& f) {
  size_t n = f.AircraftId.size() + f.Registration.size() + f.Percent.size() + f.Period.size() +
             f.FlightRules.size() + 4;
  for (const FlightLeg& leg : f.Legs) {
    n += 6 + leg.DepartureTime.size() + (leg.FixedArrival ? 1 : 0) + leg.ArrivalTime.size() +
         leg.FlightLevel.size() + leg.UseFlightNumber.size() + leg.FlightNumber.size() +
         leg.DestinationIcao.size();
  }
  return n;
}

char* Put(char* p, const std::string& s) {
  std::memcpy(p, s.data(), s.size());
  return p + s.size();
}

// Writes the line of `f` at `p` (LineLength(f) bytes); returns its end.
char* PutLine(char* p, const Flight& f) {
  p = Put(p, f.AircraftId);
  *p++ = ',';
  p = Put(p, f.Registration);
  *p++ = ',';
  p = Put(p, f.Percent);
  *p++ = ',';
  p = Put(p, f.Period);
  *p++ = ',';
  p = Put(p, f.FlightRules);
  for (const FlightLeg& leg : f.Legs) {
    *p++ = ',';
    p = Put(p, leg.DepartureTime);
    *p++ = ',';
    if (leg.FixedArrival) *p++ = '@';
    p = Put(p, leg.ArrivalTime);
    *p++ = ',';
    p = Put(p, leg.FlightLevel);
    *p++ = ',';
    p = Put(p, leg.UseFlightNumber);
    *p++ = ',';
    p = Put(p, leg.FlightNumber);
    *p++ = ',';
    p = Put(p, leg.DestinationIcao);
  }
  return p;
}

// The CRLF-ended lines of the flights whose Removed mark is `removed`,
// sized exactly before anything is copied.
std::string FileText(const std::vector<Flight>& flights, bool removed) {
  size_t total = 0;
  for (const Flight& f : flights) {
    if (f.Removed == removed) total += LineLength(f) + 2;
  }
  std::string out(total, '\0');
  char* p = out.data();
  for (const Flight& f : flights) {
    if (f.Removed != removed) continue;
    p = PutLine(p, f);
    *p++ = '\r';
    *p++ = '\n';
  }
  return out;
}

}  // namespace

void AppendFlightPlanLine(std::string& out, const Flight& f) {
  size_t at = out.size();
  out.resize(at + LineLength(f));
  PutLine(out.data() + at, f);
}

std::string FormatFlightPlanLine(const Flight& flight) {
  std::string line;
  AppendFlightPlanLine(line, flight);
  return line;
}

void StageFlightPlans(const std::filesystem::path& path, const std::vector<Flight>& flights, FileSet& files,
                      FileCopies& copies) {
  if (Plan().BackupPlan) copies.emplace_back(path, path.string() + kBackupSuffix);
  std::string removed = FileText(flights, true);
  if (!removed.empty()) files.emplace_back(path.parent_path() / kRemovedFlightsFileName, std::move(removed));
  files.emplace_back(path, FileText(flights, false));
}

bool WriteFlightPlans(const std::filesystem::path& path, const std::vector<Flight>& flights, SetFailure* failure,
                      SetRecovery* recovered, std::vector<std::string>* copiesNotMade) {
  FileSet files;
  SetOptions options;
  options.copiesNotMade = copiesNotMade;
  StageFlightPlans(path, flights, files, options.copies);
  return ReplaceFilesInTurn(files, failure, recovered, options);
}

std::string WithCopiesNotMade(const std::string& message, const std::vector<std::string>& copiesNotMade) {
  if (copiesNotMade.empty()) return message;
  std::string text = message + "\n";
  for (const std::string& line : copiesNotMade) text += "\n" + Utf8ToCp1252(line);
  return text;
}

}  // namespace velk
