#include "traffic_compiler/compiler/arrival_times.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <functional>

#include "platform/parallel.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/work_blocks.h"
#include "traffic_compiler/compiler/traffic_parser.h"

namespace traffic {

AircraftLookup::AircraftLookup(const std::vector<TrafficAircraft>& aircraft) : table_(65536, nullptr) {
  for (const auto& a : aircraft)
    if (!table_[a.number]) table_[a.number] = &a;
}

namespace {

// Fills the arrivals and the geometry of one plan, whose legs' slots in
// `geometry` start at `first`; 0, or the error and its detail.
int PlanArrivals(TrafficPlan& plan, const AircraftLookup& aircraft, const std::vector<TrafficAirport>& airport_list,
                 const AirportIndex& airports, RouteGeometry& geometry, std::size_t first, std::string& detail) {
  const TrafficAircraft* ac = aircraft.Find(plan.aircraft_number);
  if (!ac) {
    detail = "AC#" + std::to_string(plan.aircraft_number);
    return kErrUnknownAircraft;
  }
  const std::size_t n = plan.legs.size();
  for (std::size_t k = 0; k < n; ++k) {
    const TrafficAirport* a = airports.Find(plan.legs[k].destination);
    if (!a) {
      detail = AirportCodeText(plan.legs[k].destination);
      return kErrUnknownAirport;
    }
    geometry.destination[first + k] = static_cast<std::uint32_t>(a - airport_list.data());
  }
  const double nm_per_second = ac->cruise_speed * 0.0002777777777777778;
  for (std::size_t k = 0; k < n; ++k) {
    const GeoTrig& from = geometry.airports[geometry.destination[first + (k == 0 ? n - 1 : k - 1)]];
    const GeoTrig& to = geometry.airports[geometry.destination[first + k]];
    const DistanceCourse dc = GreatCircle(from, to);
    geometry.leg[first + k] = dc;
    TrafficLeg& leg = plan.legs[k];
    if (leg.fixed_arrival) continue;
    const double nm = dc.distance * kNmPerRadian;
    leg.arrival = leg.departure + static_cast<std::uint32_t>(nm / nm_per_second) + 900u;
  }
  return 0;
}

}  // namespace

int ComputeArrivalTimes(std::vector<TrafficPlan>& plans, const AircraftLookup& aircraft,
                        const std::vector<TrafficAirport>& airport_list, const AirportIndex& airports,
                        RouteGeometry& geometry) {
  geometry.airports.clear();
  geometry.airports.reserve(airport_list.size());
  for (const TrafficAirport& a : airport_list) geometry.airports.emplace_back(AirportPosition(a));
  geometry.plan_first_leg.resize(plans.size() + 1);
  std::size_t legs = 0;
  for (std::size_t k = 0; k < plans.size(); ++k) {
    geometry.plan_first_leg[k] = legs;
    legs += plans[k].legs.size();
  }
  geometry.plan_first_leg[plans.size()] = legs;
  geometry.destination.clear();
  geometry.leg.clear();
  velk::GrowReadied(geometry.destination, legs);
  velk::GrowReadied(geometry.leg, legs);

  // Blocks of plans on the cores; the error reported is that of the first
  // failing plan in file order, as if they had been done one by one.
  constexpr std::size_t kBlockPlans = 256;
  const std::size_t blocks = (plans.size() + kBlockPlans - 1) / kBlockPlans;
  struct Failure {
    int code = 0;
    std::string detail;
  };
  std::vector<Failure> failures(blocks);
  RunBlocks(
      blocks,
      [&](std::size_t b, unsigned) {
        const std::size_t end = std::min(plans.size(), (b + 1) * kBlockPlans);
        for (std::size_t k = b * kBlockPlans; k < end; ++k) {
          Failure& f = failures[b];
          f.code = PlanArrivals(plans[k], aircraft, airport_list, airports, geometry, geometry.plan_first_leg[k],
                                f.detail);
          if (f.code) return;
        }
      },
      [](std::size_t) {});
  for (const Failure& f : failures)
    if (f.code) return ReportFileError(f.code, f.detail);
  return 0;
}

void AppendArrivalTime(std::string& out, std::uint32_t seconds, bool week, bool with_seconds) {
  if (week) {
    seconds %= kSecondsPerWeek;
    out += static_cast<char>('0' + seconds / kSecondsPerDay);
    out += '/';
  }
  AppendClockTime(out, seconds % kSecondsPerDay, with_seconds);
}

std::string FormatArrivalTime(std::uint32_t seconds, bool week, bool with_seconds) {
  std::string out;
  AppendArrivalTime(out, seconds, week, with_seconds);
  return out;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Position of the `count`-th "," at or after `from`, or npos.
std::size_t NthComma(std::string_view s, std::size_t from, int count) {
  std::size_t p = from;
  for (int i = 0; i < count; ++i) {
    p = s.find(',', p);
    if (p == std::string_view::npos) return p;
    if (i + 1 < count) ++p;
  }
  return p;
}

}  // namespace

namespace {

bool IsPlanLine(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return !(i == s.size() || s[i] == ';' || (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '/'));
}

// Splices the whole lines of `text` onto `out`; its first plan line belongs
// to plans[first_plan] and its first line has the number `first_line`.
// `plans_done` receives the number of plan lines spliced. False on the
// first line that is out of step with the plans.
bool SpliceLines(std::string_view text, const std::vector<TrafficPlan>& plans, std::size_t first_plan,
                 int first_line, std::string& out, WriteBackError& error, std::size_t& plans_done) {
  LineReader reader(text);
  TextLine l;
  int line_number = first_line - 1;
  std::size_t plan_index = first_plan;
  auto fail = [&](std::string_view line, std::size_t pos) {
    error.line = line_number;
    error.text.assign(line);
    error.position = pos > line.size() ? line.size() : pos;
    plans_done = plan_index - first_plan;
    return false;
  };
  while (reader.Next(l)) {
    ++line_number;
    const std::string_view s = l.text;
    if (!IsPlanLine(s)) {
      out += s;
      out += l.end;
      continue;
    }
    if (plan_index >= plans.size()) return fail(s, 0);
    const TrafficPlan& plan = plans[plan_index++];
    const bool week = plan.period_code == kWeekPeriodCode;

    std::size_t pos = NthComma(s, 0, 5);
    if (pos == std::string_view::npos) return fail(s, s.size());
    std::size_t mark = 0;
    for (std::size_t k = 0; k < plan.legs.size(); ++k) {
      pos += 1;
      const std::size_t e = s.find(',', pos);
      if (e == std::string_view::npos) return fail(s, pos);
      int colons = 0;
      for (std::size_t j = pos; j < e; ++j) colons += s[j] == ':';
      out += s.substr(mark, e + 1 - mark);
      mark = e + 1;
      if (!plan.legs[k].fixed_arrival) {
        AppendArrivalTime(out, plan.legs[k].arrival, week, colons >= 2);
        const std::size_t next = s.find(',', e + 1);
        mark = next == std::string_view::npos ? s.size() : next;
      }
      if (k + 1 == plan.legs.size()) {
        out += s.substr(mark);
        out += l.end;
        break;
      }
      pos = NthComma(s, e + 1, 5);
      if (pos == std::string_view::npos) return fail(s, e + 1);
    }
  }
  plans_done = plan_index - first_plan;
  error.line = line_number;  // where a missing plan line would be reported
  return true;
}

// The text without a leading byte-order mark; the mark stays in the output
// and is not part of the first line.
std::string_view TakeByteOrderMark(std::string_view original, std::string& out) {
  const std::string_view text = velk::SkipUtf8Bom(original);
  out.append(original.substr(0, original.size() - text.size()));
  return text;
}

void PrintProgress(std::size_t plan_lines) {
  for (std::size_t k = 0; k < plan_lines; k += 33) ConsoleProgress("  Flight plans", static_cast<long long>(k));
}

}  // namespace

bool SpliceArrivalTimes(std::string_view original, const std::vector<TrafficPlan>& plans,
                        std::string& result, WriteBackError& error) {
  result.clear();
  result.reserve(original.size() + original.size() / 8);
  const std::string_view text = TakeByteOrderMark(original, result);
  std::size_t done = 0;
  const bool ok = SpliceLines(text, plans, 0, 1, result, error, done);
  PrintProgress(ok ? done : done + 1);
  if (!ok) return false;
  if (done != plans.size()) {
    error.text.clear();
    error.position = 0;
    return false;
  }
  return true;
}

namespace {

// The write-back of a large plan: cut into pieces at line ends, each spliced
// by a thread of its own from the plan its first plan line belongs to. The
// result is that of SpliceArrivalTimes, handed over piece by piece.
bool SpliceInPieces(std::string_view original, const std::vector<TrafficPlan>& plans,
                    std::vector<std::string>& pieces_out, WriteBackError& error) {
  std::string head;
  const std::string_view text = TakeByteOrderMark(original, head);
  const std::size_t n = std::min<std::size_t>(WorkerCount(), std::max<std::size_t>(1, text.size() >> 20));
  std::vector<std::size_t> cut(n + 1, text.size());
  cut[0] = 0;
  for (std::size_t k = 1; k < n; ++k) cut[k] = velk::LineStartAtOrAfter(text, std::max(text.size() * k / n, cut[k - 1]));
  auto piece = [&](std::size_t k) { return text.substr(cut[k], cut[k + 1] - cut[k]); };
  // Where each piece starts in lines and in plans.
  std::vector<std::size_t> plan_lines(n + 1, 0), lines(n + 1, 0);
  velk::RunParallel(n, [&](std::size_t k) {
    velk::ForEachLine(piece(k), [&](std::string_view line) {
      ++lines[k + 1];
      if (IsPlanLine(line)) ++plan_lines[k + 1];
    });
  });
  for (std::size_t k = 0; k < n; ++k) {
    plan_lines[k + 1] += plan_lines[k];
    lines[k + 1] += lines[k];
  }
  if (plan_lines[n] != plans.size()) {
    // Out of step somewhere: one pass finds where, as it always has.
    std::string whole;
    const bool ok = SpliceArrivalTimes(original, plans, whole, error);
    pieces_out.assign(1, std::move(whole));
    return ok;
  }
  pieces_out.assign(n, std::string());
  pieces_out[0] = std::move(head);
  std::vector<WriteBackError> errors(n);
  std::vector<char> ok(n, 1);
  velk::RunParallel(n, [&](std::size_t k) {
    std::string& out = pieces_out[k];
    out.reserve(out.size() + piece(k).size() + piece(k).size() / 8);
    std::size_t done = 0;
    ok[k] = SpliceLines(piece(k), plans, plan_lines[k], static_cast<int>(lines[k]) + 1, out, errors[k], done);
  });
  for (std::size_t k = 0; k < n; ++k) {
    if (!ok[k]) {
      PrintProgress(plan_lines[k] + 1);
      error = std::move(errors[k]);
      pieces_out.resize(k + 1);
      return false;
    }
  }
  PrintProgress(plans.size());
  return true;
}

}  // namespace

namespace {

int ReportChanged() {
  // The plan was edited while it was compiled: its arrivals belong to the
  // text that was read, so they are not written into the new one.
  return ReportToolError(kFlightPlansFile, 0, "", 0, 0, kErrArrivalSync);
}

}  // namespace

void PlanWriteBack::Prepare(const std::filesystem::path& plans_file, const std::vector<TrafficPlan>& plans,
                            std::optional<std::uint64_t> parsed_fingerprint) {
  error_ = MakeNewPlan(plans_file, plans, parsed_fingerprint);
}

int PlanWriteBack::MakeNewPlan(const std::filesystem::path& plans_file, const std::vector<TrafficPlan>& plans,
                               std::optional<std::uint64_t> parsed_fingerprint) {
  ConsoleWrite("Inserting Arrival Times in FlightPlans.txt now...\n");
  // A plan reached through a symbolic link of the user's own is rewritten
  // where it lies; through another user's, nothing is written.
  std::string why;
  if (!target_.Open(plans_file, &why) && !why.empty())
    return ReportNotWritten(kErrCreateFile, kFlightPlansFile, plans_file.lexically_normal().string(), why);
  // Read through the folder that was looked at, never by its path again,
  // and known by what was read: a plan put in its place since is no longer
  // the one that was read.
  struct stat st {};
  before_.reset();
  velk::ReadLimits limits;
  limits.folder = target_.folder();
  limits.followLinks = false;
  limits.status = &st;
  const std::optional<std::string> bytes = velk::ReadFileBytes(target_.name(), nullptr, limits);
  if (!bytes) return ReportFileError(kErrOpenInput, kFlightPlansFile);
  before_ = velk::IdentityOf(st);
  const std::string_view original = *bytes;
  if (parsed_fingerprint && TextFingerprint(original) != *parsed_fingerprint) return ReportChanged();
  // A plan marked read-only is left as it is.
  if (IsWriteProtected(target_, st)) return ReportFileError(kErrCreateFile, kFlightPlansFile);

  // The temporary file of a run that died is all that can have this name
  // while the traffic folder is locked.
  WriteTarget temp;
  if (!temp.OpenBeside(target_, kFlightPlansTempFile) || !temp.RemoveLeftover() || !out_.CreateExclusive(temp))
    return ReportFileError(kErrCreateFile, kFlightPlansTempFile);
  std::vector<std::string> pieces;
  WriteBackError sync;
  const bool spliced = SpliceInPieces(original, plans, pieces, sync);
  bool written = true;
  for (const std::string& piece : pieces) written = written && out_.Write(piece);
  if (!spliced && written) {
    // What was spliced so far stays in the temporary file for a look; the
    // plan itself is not touched.
    out_.Finish();
    keep_for_a_look_ = true;
    return ReportToolError(kFlightPlansFile, sync.line, sync.text, sync.position, 0, kErrArrivalSync);
  }
  if (spliced) ConsoleCount("  Flight plans", static_cast<long long>(plans.size()));
  // The plan keeps its permissions.
  if (target_.Look(st)) out_.SetMode(st.st_mode & 07777);
  if (!written || !out_.Finish()) return ReportFileError(kErrWriteOutput, kFlightPlansTempFile);
  return 0;
}

int PlanWriteBack::Commit() {
  if (error_) {
    if (keep_for_a_look_) out_.Keep();
    return error_;
  }
  struct stat st {};
  if (!before_ || !target_.Look(st) || !S_ISREG(st.st_mode) || velk::IdentityOf(st) != *before_)
    return ReportChanged();
  if (!ReplaceFile(out_, target_)) return ReportFileError(kErrCreateFile, kFlightPlansFile);
  out_.Keep();
  return 0;
}

int InsertArrivalTimes(const std::filesystem::path& plans_file, const std::vector<TrafficPlan>& plans,
                       std::optional<std::uint64_t> parsed_fingerprint) {
  PlanWriteBack write_back;
  write_back.Prepare(plans_file, plans, parsed_fingerprint);
  return write_back.Commit();
}

}  // namespace traffic
