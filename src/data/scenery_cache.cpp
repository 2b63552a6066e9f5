#include "data/scenery_cache.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/text_file.h"

namespace velk {
namespace {

// Smallest encodings, used to bound counts read from a file before anything
// is allocated for them: a runway, parking, frequency and airport whose
// texts are all empty and whose lists hold nothing.
constexpr std::int64_t kMinRunwayBytes = 6 * 2 + 9 * 4 + 4 * 4 + 4 * 2;
constexpr std::int64_t kMinParkingBytes = 6 * 4 + 2;
constexpr std::int64_t kMinFrequencyBytes = 2 + 2 + 4;
constexpr std::int64_t kMinAirportBytes = 8 * 2 + 5 * 4 + 3 * (2 + 4) + 2 * 4;

class Writer {
 public:
  std::string out;
  void I16(std::int16_t v) {
    auto u = static_cast<std::uint16_t>(v);
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  void I32(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    const char b[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                       static_cast<char>((u >> 16) & 0xFF), static_cast<char>(u >> 24)};
    out.append(b, 4);
  }
  void U64(std::uint64_t u) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
  }
  void F32(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    I32(static_cast<std::int32_t>(u));
  }
  void F64(double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    U64(u);
  }
  void Flag(bool b) { I16(b ? -1 : 0); }
  // Texts longer than a 16-bit length can say are cut; no scenery text
  // comes near that.
  void Text(const std::string& s) {
    size_t n = std::min<size_t>(s.size(), 0xFFFF);
    I16(static_cast<std::int16_t>(static_cast<std::uint16_t>(n)));
    out.append(s, 0, n);
  }
  void ArrayHeader(size_t count) {
    if (count == 0) {
      I16(0);
      return;
    }
    I16(1);
    I32(static_cast<std::int32_t>(count));
    I32(0);
  }
};

class Reader {
 public:
  explicit Reader(std::string_view b) : b_(b) {}
  bool ok = true;
  std::int64_t Remaining() const { return static_cast<std::int64_t>(b_.size() - pos_); }

  std::uint16_t U16() {
    if (!Need(2)) return 0;
    auto v = static_cast<std::uint16_t>(Byte(0) | Byte(1) << 8);
    pos_ += 2;
    return v;
  }
  std::int32_t I32() {
    if (!Need(4)) return 0;
    std::uint32_t v = Byte(0) | Byte(1) << 8 | Byte(2) << 16 | static_cast<std::uint32_t>(Byte(3)) << 24;
    pos_ += 4;
    return static_cast<std::int32_t>(v);
  }
  float F32() {
    auto u = static_cast<std::uint32_t>(I32());
    float f;
    std::memcpy(&f, &u, 4);
    return f;
  }
  double F64() {
    if (!Need(8)) return 0;
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i) u = u << 8 | Byte(i);
    pos_ += 8;
    double d;
    std::memcpy(&d, &u, 8);
    return d;
  }
  bool Flag() { return static_cast<std::int16_t>(U16()) != 0; }
  std::string Text() {
    std::uint16_t n = U16();
    if (!Need(n)) return {};
    std::string s(b_.substr(pos_, n));
    pos_ += n;
    return s;
  }
  // Element count of a list field, bounded by what the remaining bytes can
  // hold; -1 (and ok false) when the field is garbled.
  std::int64_t ArrayCount(std::int64_t minElementBytes) {
    std::uint16_t dims = U16();
    if (!ok) return -1;
    if (dims == 0) return 0;
    std::int32_t count = I32();
    std::int32_t lower = I32();
    if (!ok || dims != 1 || lower != 0 || count < 0 || count * minElementBytes > Remaining()) {
      ok = false;
      return -1;
    }
    return count;
  }

 private:
  bool Need(std::int64_t n) {
    if (!ok || n > Remaining()) ok = false;
    return ok;
  }
  std::uint32_t Byte(size_t i) const { return static_cast<unsigned char>(b_[pos_ + i]); }
  std::string_view b_;
  size_t pos_ = 0;
};

void WriteAirport(Writer& w, const SceneryAirport& a) {
  w.Text(a.Name);
  w.Text(a.ICAO);
  w.Text(a.Latitude);
  w.Text(a.Longitude);
  w.I32(a.Elevation);
  w.Text(a.Region);
  w.Text(a.Country);
  w.Text(a.State);
  w.Text(a.City);
  w.I32(a.LandingLength);
  w.I32(a.TakeoffLength);
  w.I32(a.LandingSurface);
  w.I32(a.TakeoffSurface);
  w.ArrayHeader(a.Runways.size());
  for (const SceneryRunway& r : a.Runways) {
    w.Text(r.ReservedText1);
    w.Text(r.ReservedText2);
    w.I32(r.Elevation);
    w.F32(r.Heading);
    w.F32(r.Variation);
    w.I32(r.Length);
    w.I32(r.Width);
    w.I32(r.Designator);
    w.I32(r.Number);
    w.I32(r.Surface);
    w.Flag(r.LandingEnd1);
    w.Flag(r.TakeoffEnd1);
    w.I32(r.PatternEnd1);
    w.Flag(r.LandingEnd2);
    w.Flag(r.TakeoffEnd2);
    w.I32(r.PatternEnd2);
    w.I32(r.ExtraValue);
    w.Text(r.ILSFrequencyEnd1);
    w.F32(r.ILSHeadingEnd1);
    w.Text(r.ILSIdentEnd1);
    w.F32(r.ILSHeadingEnd2);
    w.Text(r.ILSFrequencyEnd2);
    w.Text(r.ILSIdentEnd2);
  }
  w.I32(a.RunwayCount());
  w.ArrayHeader(a.Parkings.size());
  for (const SceneryParking& k : a.Parkings) {
    w.I32(k.RawValue1);
    w.I32(k.RawValue2);
    w.F32(k.Radius);
    w.F32(k.Heading);
    w.I32(k.Type);
    w.Text(k.Name);
    w.I32(k.Flags);
  }
  w.I32(a.ParkingCount());
  w.ArrayHeader(a.Frequencies.size());
  for (const SceneryFrequency& q : a.Frequencies) {
    w.Text(q.Name);
    w.Text(q.Frequency);
    w.I32(q.Type);
  }
  w.I32(a.FrequencyCount());
  w.I32(a.MaxParkingRadius);
  w.I32(a.MinParkingRadius);
}

bool ReadAirport(Reader& r, SceneryAirport& a) {
  a.Name = r.Text();
  a.ICAO = r.Text();
  a.Latitude = r.Text();
  a.Longitude = r.Text();
  a.Elevation = r.I32();
  a.Region = r.Text();
  a.Country = r.Text();
  a.State = r.Text();
  a.City = r.Text();
  a.LandingLength = r.I32();
  a.TakeoffLength = r.I32();
  a.LandingSurface = r.I32();
  a.TakeoffSurface = r.I32();
  std::int64_t n = r.ArrayCount(kMinRunwayBytes);
  if (n < 0) return false;
  a.Runways.resize(static_cast<size_t>(n));
  for (SceneryRunway& w : a.Runways) {
    w.ReservedText1 = r.Text();
    w.ReservedText2 = r.Text();
    w.Elevation = r.I32();
    w.Heading = r.F32();
    w.Variation = r.F32();
    w.Length = r.I32();
    w.Width = r.I32();
    w.Designator = r.I32();
    w.Number = r.I32();
    w.Surface = r.I32();
    w.LandingEnd1 = r.Flag();
    w.TakeoffEnd1 = r.Flag();
    w.PatternEnd1 = r.I32();
    w.LandingEnd2 = r.Flag();
    w.TakeoffEnd2 = r.Flag();
    w.PatternEnd2 = r.I32();
    w.ExtraValue = r.I32();
    w.ILSFrequencyEnd1 = r.Text();
    w.ILSHeadingEnd1 = r.F32();
    w.ILSIdentEnd1 = r.Text();
    w.ILSHeadingEnd2 = r.F32();
    w.ILSFrequencyEnd2 = r.Text();
    w.ILSIdentEnd2 = r.Text();
    if (!r.ok) return false;
  }
  // The stored counts must agree with their lists, or the file is garbled.
  if (r.I32() != n) return false;
  n = r.ArrayCount(kMinParkingBytes);
  if (n < 0) return false;
  a.Parkings.resize(static_cast<size_t>(n));
  for (SceneryParking& k : a.Parkings) {
    k.RawValue1 = r.I32();
    k.RawValue2 = r.I32();
    k.Radius = r.F32();
    k.Heading = r.F32();
    k.Type = r.I32();
    k.Name = r.Text();
    k.Flags = r.I32();
    if (!r.ok) return false;
  }
  if (r.I32() != n) return false;
  n = r.ArrayCount(kMinFrequencyBytes);
  if (n < 0) return false;
  a.Frequencies.resize(static_cast<size_t>(n));
  for (SceneryFrequency& q : a.Frequencies) {
    q.Name = r.Text();
    q.Frequency = r.Text();
    q.Type = r.I32();
    if (!r.ok) return false;
  }
  if (r.I32() != n) return false;
  a.MaxParkingRadius = r.I32();
  a.MinParkingRadius = r.I32();
  return r.ok;
}

}  // namespace

SceneryCacheHeader& SceneryCacheInfo() {
  static SceneryCacheHeader header;
  return header;
}

std::string EncodeSceneryCache(const std::vector<SceneryAirport>& airports, SceneryCacheHeader& header) {
  header.Version = kSceneryCacheVersion;
  Writer w;
  // Enough for a typical airport, so that the buffer seldom grows.
  w.out.reserve(64 + airports.size() * 1200);
  w.Text(header.Version);
  w.F64(header.Created);
  w.I32(header.Count);
  for (const SceneryAirport& a : airports) WriteAirport(w, a);
  return std::move(w.out);
}

SceneryCacheResult DecodeSceneryCache(std::string_view bytes, std::vector<SceneryAirport>& airports,
                                      SceneryCacheHeader& header, std::string* error) {
  Reader r(bytes);
  SceneryCacheHeader read;
  read.Version = r.Text();
  read.Created = r.F64();
  read.Count = r.I32();
  auto broken = [&] {
    if (error) *error = "Input past end of file";
    return SceneryCacheResult::kFailed;
  };
  if (!r.ok) return broken();
  header = read;
  if (read.Version != kSceneryCacheVersion) return SceneryCacheResult::kOtherVersion;
  if (read.Count < 0 || read.Count * kMinAirportBytes > r.Remaining()) return broken();
  std::vector<SceneryAirport> list(static_cast<size_t>(read.Count));
  for (SceneryAirport& a : list) {
    if (!ReadAirport(r, a)) return broken();
  }
  airports = std::move(list);
  return SceneryCacheResult::kRead;
}

bool SaveSceneryCache(const std::filesystem::path& path, const std::vector<SceneryAirport>& airports,
                      SceneryCacheHeader& header, std::string* error) {
  std::string bytes = EncodeSceneryCache(airports, header);
  std::string reason;
  if (WriteFileAtomic(path, bytes, &reason)) return true;
  if (error) *error = reason.empty() ? "Path/File access error" : reason;
  return false;
}

SceneryCacheResult LoadSceneryCache(const std::filesystem::path& path, std::vector<SceneryAirport>& airports,
                                    SceneryCacheHeader& header, std::string* error) {
  std::optional<std::string> bytes = ReadFileBytes(path, error);
  if (!bytes) return SceneryCacheResult::kFailed;
  return DecodeSceneryCache(*bytes, airports, header, error);
}

double CurrentCacheDate() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // Days from 30 December 1899 to the local calendar date, by the civil
  // calendar, then the time of day as the fraction.
  int y = local.tm_year + 1900, m = local.tm_mon + 1, d = local.tm_mday;
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long daysSince1970 = era * 146097L + static_cast<long>(doe) - 719468L;
  const double days = daysSince1970 + 25569.0;
  return days + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

}  // namespace velk
