#include "traffic_compiler/compiler/traffic_parser.h"

#include <charconv>
#include <cstring>
#include <climits>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <iterator>
#include <memory>
#include <thread>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "traffic_compiler/common/console.h"
#include "platform/parallel.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/traffic_codes.h"
#include "traffic_compiler/common/work_blocks.h"

namespace traffic {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Characters at which a field may end: "," and ";", and "/" when a second
// one follows.
constexpr auto kMayEndField = [] {
  std::array<bool, 256> t{};
  t[','] = t[';'] = t['/'] = true;
  return t;
}();

// The first place from `i` on where a field may end (kMayEndField), or the
// end of `s`. Fields are short and plans have millions of them: sixteen
// bytes are compared with the three characters at once where the processor
// can.
std::size_t FindMayEndField(std::string_view s, std::size_t i) {
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(','), semicolon = _mm_set1_epi8(';'), slash = _mm_set1_epi8('/');
  for (; i + 16 <= s.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, semicolon)), _mm_cmpeq_epi8(v, slash));
    if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits)))
      return i + static_cast<std::size_t>(std::countr_zero(mask));
  }
#endif
  while (i < s.size() && !kMayEndField[static_cast<unsigned char>(s[i])]) ++i;
  return i;
}

// The fields of one line. A field ends before ",", before a ";" or "//"
// comment, or at the end; the search position stays on the terminator so
// nothing is read past a comment. `text_has_nul` tells whether the text the
// line comes from holds a NUL byte at all: most texts hold none, and then
// no line needs a look for one.
class FieldCursor {
 public:
  FieldCursor(std::string_view line, bool text_has_nul)
      : line_(line), line_has_nul_(text_has_nul && std::memchr(line.data(), '\0', line.size()) != nullptr) {}

  std::string_view Next() {
    if (pos_ < line_.size() && line_[pos_] == ',') ++pos_;
    while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
    start_ = pos_;
    std::size_t end = pos_;
    const std::size_t n = line_.size();
    for (;;) {
      end = FindMayEndField(line_, end);
      if (end >= n || line_[end] != '/' || (end + 1 < n && line_[end + 1] == '/')) break;
      ++end;  // a single "/" belongs to the field
    }
    pos_ = end;
    while (end > start_ && IsBlank(line_[end - 1])) --end;
    length_ = end - start_;
    nul_ = line_has_nul_ && std::memchr(line_.data() + start_, '\0', length_) != nullptr;
    return line_.substr(start_, length_);
  }

  // True when the last field holds a NUL byte, which would cut it short
  // where it is stored or printed.
  bool HasNul() const { return nul_; }

  // True when only blanks or a comment remain.
  bool AtEnd() const {
    std::size_t p = pos_;
    while (p < line_.size() && IsBlank(line_[p])) ++p;
    if (p >= line_.size()) return true;
    return line_[p] == ';' || (line_[p] == '/' && p + 1 < line_.size() && line_[p + 1] == '/');
  }

  std::size_t start() const { return start_; }
  std::size_t length() const { return length_; }
  std::string_view line() const { return line_; }

 private:
  std::string_view line_;
  std::size_t pos_ = 0;
  std::size_t start_ = 0;
  std::size_t length_ = 0;
  bool line_has_nul_ = false;
  bool nul_ = false;
};

// A leading decimal integer (blanks and a sign allowed before the digits;
// whatever follows the digits is ignored). Saturates instead of wrapping so
// that range checks reject numbers too large for their field.
std::int64_t LeadingInt(std::string_view s, std::size_t* used = nullptr) {
  std::size_t i = 0;
  bool negative = false;
  // Nearly every number starts with its first digit.
  if (s.empty() || !IsDigit(s[0])) {
    while (i < s.size() && (IsBlank(s[i]) || s[i] == '\n' || s[i] == '\r' || s[i] == '\v' || s[i] == '\f')) ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  }
  std::int64_t v = 0;
  while (i < s.size() && IsDigit(s[i])) {
    if (v < INT32_MAX) v = v * 10 + (s[i] - '0');
    ++i;
  }
  if (v > INT32_MAX) v = INT32_MAX;
  if (used) *used = i;
  return negative ? -v : v;
}

// digits [ "." digits ] as a double, at `i`; false when no digit is there.
bool ReadDecimal(std::string_view s, std::size_t& i, double& value) {
  const std::size_t begin = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i == begin) return false;
  if (i + 1 < s.size() && s[i] == '.' && IsDigit(s[i + 1])) {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
  } else if (i < s.size() && s[i] == '.') {
    ++i;
  }
  auto r = std::from_chars(s.data() + begin, s.data() + i, value);
  if (r.ec == std::errc::result_out_of_range) value = HUGE_VAL;
  return true;
}

struct Coordinate {
  std::int32_t degrees = 0;
  float minutes = 0;
};

// "N45* 21.43'", "N45* 21' 10\"", "N47 26.99". Returns 0, the format code
// or the range code.
int ParseCoordinate(std::string_view f, bool latitude, Coordinate& out) {
  const int format_error = latitude ? kErrLatitudeFormat : kErrLongitudeFormat;
  const int range_error = latitude ? kErrLatitudeRange : kErrLongitudeRange;
  const char letter = Upper(f[0]);
  int sign = 0;
  if (latitude) sign = letter == 'N' ? 1 : (letter == 'S' ? -1 : 0);
  else sign = letter == 'E' ? 1 : (letter == 'W' ? -1 : 0);

  std::size_t i = 1;
  if (i >= f.size() || !IsDigit(f[i])) return format_error;
  std::int64_t degrees = 0;
  while (i < f.size() && IsDigit(f[i])) {
    if (degrees < INT32_MAX) degrees = degrees * 10 + (f[i] - '0');
    ++i;
  }
  while (i < f.size() && (IsBlank(f[i]) || f[i] == '*')) ++i;
  double minutes = 0;
  if (!ReadDecimal(f, i, minutes)) return format_error;
  while (i < f.size() && (IsBlank(f[i]) || f[i] == '\'')) ++i;
  double seconds = 0;
  if (i < f.size() && IsDigit(f[i])) ReadDecimal(f, i, seconds);

  if (degrees >= (latitude ? 90 : 180) || minutes >= 60 || seconds >= 60) return range_error;
  if (sign == 0) return format_error;
  out.degrees = static_cast<std::int32_t>(degrees) * sign;
  out.minutes = static_cast<float>((seconds * 0.016666666666666666 + minutes) * sign);
  return 0;
}

// Time of day "H:MM", "HH:MM" or with ":SS"; false when malformed.
bool ParseClockTime(std::string_view s, std::uint32_t& seconds) {
  std::size_t i = 0;
  unsigned h = 0;
  while (i < s.size() && i < 2 && IsDigit(s[i])) h = h * 10 + static_cast<unsigned>(s[i++] - '0');
  if (i == 0 || i >= s.size() || s[i] != ':' || h > 23) return false;
  ++i;
  if (i + 2 > s.size() || !IsDigit(s[i]) || !IsDigit(s[i + 1])) return false;
  const unsigned m = static_cast<unsigned>((s[i] - '0') * 10 + (s[i + 1] - '0'));
  if (m > 59) return false;
  i += 2;
  unsigned sec = 0;
  if (i < s.size() && s[i] == ':') {
    ++i;
    if (i + 2 > s.size() || !IsDigit(s[i]) || !IsDigit(s[i + 1])) return false;
    sec = static_cast<unsigned>((s[i] - '0') * 10 + (s[i + 1] - '0'));
    if (sec > 59) return false;
  }
  seconds = h * 3600 + m * 60 + sec;
  return true;
}

// Departure or fixed arrival text: optional day with "/" or "\", then the
// clock. Returns 0 or the error code.
int ParseLegTime(std::string_view f, bool week, int format_error, std::uint32_t& seconds) {
  std::size_t sep = 0;
  while (sep < f.size() && f[sep] != '/' && f[sep] != '\\') ++sep;
  if (sep == f.size()) sep = std::string_view::npos;
  std::int64_t day = -1;
  std::string_view clock = f;
  if (sep != std::string_view::npos) {
    day = LeadingInt(f);
    if (day < 0 || day > 6) return kErrDayRange;
    std::size_t i = sep + 1;
    while (i < f.size() && IsBlank(f[i])) ++i;
    clock = f.substr(i);
  }
  if (week && day < 0) return kErrDayMissing;
  std::uint32_t t = 0;
  if (!ParseClockTime(clock, t)) return format_error;
  if (week) t += static_cast<std::uint32_t>(day) * kSecondsPerDay;
  seconds = t;
  return 0;
}

// Checks "AC#n". Returns 0 or the error code.
int ParseAircraftNumber(std::string_view f, std::uint16_t& number) {
  if (f.empty()) return kErrMissingAircraftNumber;
  if (f.size() < 3 || Upper(f[0]) != 'A' || Upper(f[1]) != 'C' || f[2] != '#')
    return kErrAircraftNumberFormat;
  const std::int64_t n = LeadingInt(f.substr(3));
  if (n <= 0) return kErrAircraftNumberZero;
  if (n > 65535) return kErrAircraftNumberRange;
  number = static_cast<std::uint16_t>(n);
  return 0;
}

ParseError Fail(int code, int line, const FieldCursor& cur) {
  return {code, line, std::string(cur.line()), cur.start(), cur.length()};
}

// Calls `record(line, line_number)` for every line that is not blank or a
// comment, numbering lines from `first_line`; stops at the first error.
// `lines` receives the number of lines read.
template <typename Record>
ParseError ForEachRecordLine(std::string_view text, Record record, int first_line = 1, int* lines = nullptr) {
  LineReader reader(text);
  TextLine l;
  int number = first_line - 1;
  ParseError result;
  while (reader.Next(l)) {
    ++number;
    std::string_view s = l.text;
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    s.remove_prefix(i);
    if (s.empty() || s[0] == ';' || (s.size() >= 2 && s[0] == '/' && s[1] == '/')) continue;
    ParseError e = record(s, number);
    if (e.code) {
      result = std::move(e);
      break;
    }
  }
  if (lines) *lines = number - (first_line - 1);
  return result;
}

// The lines of a text that hold a record: neither blank nor comments.
std::size_t CountRecordLines(std::string_view text) {
  std::size_t count = 0;
  ForEachRecordLine(text, [&](std::string_view, int) {
    ++count;
    return ParseError{};
  });
  return count;
}

// What the parser of a line knows of the piece of text it is in.
struct TextPiece {
  bool has_nul = false;      // a NUL byte anywhere in the piece
  LegArena* legs = nullptr;  // memory for its plans' legs, or none (the heap)
};

// Parses `text` into the records at `out` (room for each of its record
// lines) with `parse_line(line, number, piece, record)`, which fills the
// record in place; `filled` receives the number of records made. Stops at
// the first error.
template <typename Rec, typename LineParser>
ParseError ParseInto(std::string_view text, LegArena* legs, Rec* out, LineParser parse_line, std::size_t& filled,
                     int* lines) {
  filled = 0;
  // An empty file's bytes may have no address at all, which memchr must
  // not be given even for no bytes.
  const TextPiece piece{!text.empty() && std::memchr(text.data(), '\0', text.size()) != nullptr, legs};
  return ForEachRecordLine(
      text,
      [&](std::string_view s, int n) {
        ParseError e = parse_line(s, n, piece, out[filled]);
        if (!e.code) ++filled;
        return e;
      },
      1, lines);
}

// Parses a text with `parse_line`, large texts in pieces on several
// threads; the records and the first error come out as from one pass. The
// records are made at once for every record line and filled where they lie.
// With `leg_memory`, each piece's plans get their legs from an arena that
// is added there.
template <typename Rec, typename LineParser>
ParseError ParseRecords(std::string_view text, std::vector<Rec>& out, LineParser parse_line,
                        std::vector<std::shared_ptr<LegArena>>* leg_memory = nullptr) {
  // A byte-order mark that an editor put before the first line is no text.
  text = velk::SkipUtf8Bom(text);
  const std::size_t base = out.size();
  const unsigned workers = WorkerCount();
  // Room for the legs of a piece's plans, to begin with one leg for each 16
  // bytes of text, more than usual plan lines hold (the arena grows should
  // a piece hold more).
  auto arena_for = [&](std::string_view piece) -> LegArena* {
    return leg_memory ? leg_memory->emplace_back(std::make_shared<LegArena>(piece.size() / 16)).get() : nullptr;
  };
  if (workers == 1 || text.size() < (1u << 20)) {
    out.resize(base + CountRecordLines(text));
    std::size_t filled = 0;
    ParseError e = ParseInto(text, arena_for(text), out.data() + base, parse_line, filled, nullptr);
    out.resize(base + filled);
    return e;
  }
  // Pieces of some 128 KB, each ending right after a line end, taken by the
  // threads as they come free: one that starts late or runs slow on a busy
  // machine just takes fewer.
  constexpr std::size_t kPieceBytes = std::size_t{1} << 17;
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = velk::LineStartAtOrAfter(text, std::min(text.size(), start + kPieceBytes));
    pieces.push_back(text.substr(start, end - start));
    start = end;
  }
  struct Piece {
    std::size_t first = 0;  // its first record in `out`
    std::size_t filled = 0;
    ParseError error;
    int lines = 0;
  };
  std::vector<Piece> results(pieces.size() + 1);
  RunBlocks(
      pieces.size(), [&](std::size_t i, unsigned) { results[i + 1].first = CountRecordLines(pieces[i]); },
      [](std::size_t) {});
  results[0].first = base;
  for (std::size_t i = 1; i <= pieces.size(); ++i) results[i].first += results[i - 1].first;
  // The records are made by one thread, the fresh memory they lie in
  // readied by all.
  velk::GrowReadied(out, results[pieces.size()].first);
  std::vector<LegArena*> arenas;
  for (std::string_view piece : pieces) arenas.push_back(arena_for(piece));
  RunBlocks(
      pieces.size(),
      [&](std::size_t i, unsigned) {
        Piece& r = results[i];
        r.error = ParseInto(pieces[i], arenas[i], out.data() + r.first, parse_line, r.filled, &r.lines);
      },
      [](std::size_t) {});

  // Records that failed leave room behind them; everything after the
  // first error goes.
  std::size_t to = base;
  int line_offset = 0;
  ParseError error;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    Piece& r = results[i];
    if (to != r.first)
      std::move(out.begin() + static_cast<std::ptrdiff_t>(r.first),
                out.begin() + static_cast<std::ptrdiff_t>(r.first + r.filled),
                out.begin() + static_cast<std::ptrdiff_t>(to));
    to += r.filled;
    if (r.error.code) {
      r.error.line += line_offset;
      error = std::move(r.error);
      break;
    }
    line_offset += r.lines;
  }
  out.resize(to);
  return error;
}

ParseError ParseAirportLine(std::string_view s, int n, const TextPiece& piece, TrafficAirport& a) {
  FieldCursor cur(s, piece.has_nul);
  if (s[0] == ',') return {kErrMissingAirportCode, n, std::string(s), 0, 0};
  std::string_view f = cur.Next();
  if (f.empty() || cur.HasNul()) return Fail(kErrMissingAirportCode, n, cur);
  if (f.size() > 4) return Fail(kErrAirportCodeTooLong, n, cur);
  for (std::size_t i = 0; i < f.size(); ++i) a.code[i] = Upper(f[i]);

  Coordinate c;
  f = cur.Next();
  if (f.empty()) return Fail(kErrMissingLatitude, n, cur);
  if (cur.HasNul()) return Fail(kErrLatitudeFormat, n, cur);
  if (int e = ParseCoordinate(f, true, c)) return Fail(e, n, cur);
  a.lat_degrees = c.degrees;
  a.lat_minutes = c.minutes;
  f = cur.Next();
  if (f.empty()) return Fail(kErrMissingLongitude, n, cur);
  if (cur.HasNul()) return Fail(kErrLongitudeFormat, n, cur);
  if (int e = ParseCoordinate(f, false, c)) return Fail(e, n, cur);
  a.lon_degrees = c.degrees;
  a.lon_minutes = c.minutes;

  f = cur.Next();
  if (f.empty()) return Fail(kErrMissingElevation, n, cur);
  if ((!IsDigit(f[0]) && f[0] != '-') || cur.HasNul()) return Fail(kErrElevationFormat, n, cur);
  const double feet = static_cast<double>(LeadingInt(f));
  double metres = RoundHalfAwayFromZero(feet * 0.3048000000012192);
  if (metres > INT32_MAX) metres = INT32_MAX;
  if (metres < INT32_MIN) metres = INT32_MIN;
  a.elevation_m = static_cast<std::int32_t>(metres);
  return {};
}

ParseError ParseAircraftLine(std::string_view s, int n, const TextPiece& piece, TrafficAircraft& a) {
  if (s[0] == ',') return {kErrMissingAircraftNumber, n, std::string(s), 0, 0};
  FieldCursor cur(s, piece.has_nul);
  std::string_view f = cur.Next();
  if (int e = ParseAircraftNumber(f, a.number)) return Fail(e, n, cur);
  if (cur.HasNul()) return Fail(kErrAircraftNumberFormat, n, cur);

  f = cur.Next();
  if (f.empty()) return Fail(kErrMissingCruiseSpeed, n, cur);
  if (!IsDigit(f[0]) || cur.HasNul()) return Fail(kErrCruiseSpeedFormat, n, cur);
  const std::int64_t speed = LeadingInt(f);
  if (speed == 0) return Fail(kErrCruiseSpeedZero, n, cur);
  if (speed > 65535) return Fail(kErrCruiseSpeedRange, n, cur);
  a.cruise_speed = static_cast<std::uint16_t>(speed);

  f = cur.Next();
  if (f.empty()) return Fail(kErrMissingAircraftName, n, cur);
  if (cur.HasNul()) return Fail(kErrAircraftNameFormat, n, cur);
  if (f.front() == '"') f.remove_prefix(1);
  if (!f.empty() && f.back() == '"') f.remove_suffix(1);
  if (f.size() > static_cast<std::size_t>(kMaxAircraftName)) return Fail(kErrAircraftNameTooLong, n, cur);
  if (f.empty()) return Fail(kErrAircraftNameFormat, n, cur);
  a.name.assign(f);
  return {};
}

ParseError ParsePlanLine(std::string_view s, int n, const TextPiece& piece, TrafficPlan& p) {
  if (s[0] == ',') return {kErrMissingAircraftNumber, n, std::string(s), 0, 0};
  FieldCursor cur(s, piece.has_nul);
  std::string_view f = cur.Next();
  if (int e = ParseAircraftNumber(f, p.aircraft_number)) return Fail(e, n, cur);
  if (cur.HasNul()) return Fail(kErrAircraftNumberFormat, n, cur);

  f = cur.Next();
  if (f.empty() || cur.HasNul()) return Fail(kErrMissingRegistration, n, cur);
  if (f.size() > static_cast<std::size_t>(kMaxRegistration)) return Fail(kErrRegistrationTooLong, n, cur);
  for (std::size_t i = 0; i < f.size(); ++i) p.registration[i] = Upper(f[i]);

  f = cur.Next();
  if (f.empty()) return Fail(kErrMissingPercent, n, cur);
  if (!IsDigit(f[0]) || cur.HasNul()) return Fail(kErrPercentFormat, n, cur);
  const std::int64_t percent = LeadingInt(f);
  if (percent < 1 || percent > 100) return Fail(kErrPercentRange, n, cur);
  p.percent = static_cast<std::uint8_t>(percent);

  f = cur.Next();
  if (f.empty()) return Fail(kErrMissingPeriod, n, cur);
  int period = -1;
  if (f.size() >= 2 && Upper(f[0]) == 'W' && Upper(f[1]) == 'E') period = kWeekPeriodCode;
  else if (IsDigit(f[0])) period = PeriodCodeForHours(LeadingInt(f));
  if (period < 0 || cur.HasNul()) return Fail(kErrPeriod, n, cur);
  p.period_code = static_cast<std::uint8_t>(period);
  const bool week = period == kWeekPeriodCode;

  f = cur.Next();
  if (f.empty()) return Fail(kErrMissingFlightRules, n, cur);
  if (Upper(f[0]) == 'I') p.ifr = true;
  else if (Upper(f[0]) == 'V') p.ifr = false;
  else return Fail(kErrFlightRules, n, cur);
  if (cur.HasNul()) return Fail(kErrFlightRules, n, cur);

  // Six fields a leg after the five of the header.
  // The legs are gathered in a buffer of the thread's own and then given to
  // the plan in one allocation of the right size.
  thread_local std::vector<TrafficLeg> legs;
  legs.clear();
  // The field that a "too few legs" error points at: the last one read.
  std::size_t last_start = cur.start(), last_length = cur.length();
  while (!cur.AtEnd()) {
    TrafficLeg leg;
    f = cur.Next();
    if (f.empty()) return Fail(kErrMissingDeparture, n, cur);
    if (cur.HasNul()) return Fail(kErrDepartureFormat, n, cur);
    if (int e = ParseLegTime(f, week, kErrDepartureFormat, leg.departure)) return Fail(e, n, cur);

    f = cur.Next();
    if (!f.empty() && f[0] == '@') {
      leg.fixed_arrival = true;
      if (cur.HasNul()) return Fail(kErrArrivalFormat, n, cur);
      if (int e = ParseLegTime(f.substr(1), week, kErrArrivalFormat, leg.arrival)) return Fail(e, n, cur);
    }

    f = cur.Next();
    if (f.empty()) return Fail(kErrMissingAltitude, n, cur);
    if (!IsDigit(f[0]) || cur.HasNul()) return Fail(kErrAltitudeFormat, n, cur);
    const std::int64_t altitude = LeadingInt(f);
    if (altitude > 1023) return Fail(kErrAltitudeRange, n, cur);
    leg.altitude = static_cast<std::uint16_t>(altitude);

    f = cur.Next();
    if (f.empty()) return Fail(kErrMissingFlightNumberChoice, n, cur);
    if (Upper(f[0]) == 'F') leg.use_flight_number = true;
    else if (Upper(f[0]) == 'R') leg.use_flight_number = false;
    else return Fail(kErrFlightNumberChoice, n, cur);
    if (cur.HasNul()) return Fail(kErrFlightNumberChoice, n, cur);

    f = cur.Next();
    if (f.empty()) return Fail(kErrMissingFlightNumber, n, cur);
    if (!IsDigit(f[0]) || cur.HasNul()) return Fail(kErrFlightNumberFormat, n, cur);
    const std::int64_t number = LeadingInt(f);
    if (number > 16383) return Fail(kErrFlightNumberRange, n, cur);
    leg.flight_number = static_cast<std::uint16_t>(number);

    f = cur.Next();
    if (f.empty() || cur.HasNul()) return Fail(kErrMissingAirportCode, n, cur);
    if (f.size() > 4) return Fail(kErrAirportCodeTooLong, n, cur);
    for (std::size_t i = 0; i < f.size(); ++i) leg.destination[i] = Upper(f[i]);
    last_start = cur.start();
    last_length = cur.length();
    legs.push_back(leg);
  }
  if (legs.size() < 2) return {kErrTooFewLegs, n, std::string(s), last_start, last_length};
  p.legs = LegList(legs.begin(), legs.end(), LegAllocator<TrafficLeg>(piece.legs));
  return {};
}

struct FileInfo {
  const char* name;
  const char* label;
  int every;
};

FileInfo Info(TrafficFile which) {
  switch (which) {
    case TrafficFile::kAirports: return {kAirportsFile, "  Airports", 33};
    case TrafficFile::kAircraft: return {kAircraftFile, "  Aircraft", 10};
    case TrafficFile::kFlightPlans: break;
  }
  return {kFlightPlansFile, "  Flight plans", 33};
}

// Runs a parser with the console progress: a counter before every
// `every`-th record and the final count.
template <typename Records, typename LineParser>
int ParseFileWithProgress(const std::filesystem::path& folder, TrafficFile which, Records& out,
                          LineParser parse_line, std::uint64_t* fingerprint = nullptr,
                          std::vector<std::shared_ptr<LegArena>>* leg_memory = nullptr) {
  const FileInfo info = Info(which);
  ConsoleWrite(std::string("Parsing ") + info.name + " now...\n");
  velk::FileBytes bytes;
  std::filesystem::path unlisted;
  const std::filesystem::path file = FindFileNoCase(folder, info.name, &unlisted);
  if (file.empty()) return ReportFileError(kErrListFolder, unlisted.string());
  if (velk::ReadRegularFileBytes(file, bytes, {}, fingerprint) != velk::RegularReadResult::kOk)
    return ReportFileError(kErrOpenInput, info.name);
  ParseError e = ParseRecords(bytes.view(), out, parse_line, leg_memory);
  // The counter stood before every record line read, the failing one too.
  const std::size_t lines_read = out.size() + (e.code ? 1 : 0);
  for (std::size_t i = 0; i < lines_read; i += static_cast<std::size_t>(info.every))
    ConsoleProgress(info.label, static_cast<long long>(i));
  if (e.code) ReportToolError(info.name, e.line, e.text, e.start, e.length, e.code);
  ConsoleCount(info.label, static_cast<long long>(out.size()));
  return e.code;
}

}  // namespace

ParseError ParseAirportsText(std::string_view text, std::vector<TrafficAirport>& out) {
  return ParseRecords(text, out, ParseAirportLine);
}

ParseError ParseAircraftText(std::string_view text, std::vector<TrafficAircraft>& out) {
  return ParseRecords(text, out, ParseAircraftLine);
}

ParseError ParsePlansText(std::string_view text, std::vector<TrafficPlan>& out) {
  return ParseRecords(text, out, ParsePlanLine);
}

int ParseTrafficFiles(const std::filesystem::path& folder, TrafficData& data, std::uint64_t* plans_fingerprint) {
  if (int e = ParseFileWithProgress(folder, TrafficFile::kAirports, data.airports, ParseAirportLine)) return e;
  if (int e = ParseFileWithProgress(folder, TrafficFile::kAircraft, data.aircraft, ParseAircraftLine)) return e;
  return ParseFileWithProgress(folder, TrafficFile::kFlightPlans, data.plans, ParsePlanLine, plans_fingerprint,
                               &data.leg_memory);
}

}  // namespace traffic
