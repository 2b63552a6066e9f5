#include "sample_scenery.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/text_number.h"
#include "platform/sim_location.h"
#include "platform/text_file.h"
#include "platform/text_lines.h"

namespace velk::sample {
namespace {

void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutI32(std::string& out, std::int32_t v) { Put32(out, static_cast<std::uint32_t>(v)); }
void PutF32(std::string& out, float f) {
  std::uint32_t u;
  static_assert(sizeof u == sizeof f);
  std::memcpy(&u, &f, 4);
  Put32(out, u);
}
// Zero-terminated, padded so that text and terminator fill whole 4-byte words.
std::string PaddedString(const std::string& s) {
  std::string out = s;
  out.push_back('\0');
  while (out.size() % 4 != 0) out.push_back('\0');
  return out;
}

// Angles are stored as fractions of a full turn in 32 bits.
std::uint32_t AngleRaw(double degrees) {
  double turns = std::fmod(degrees, 360.0) / 360.0;
  if (turns < 0) turns += 1.0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::llround(turns * 4294967296.0)) & 0xFFFFFFFFu);
}

std::int32_t Clamp32(double v) {
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(std::llround(v));
}

void SubRecord(std::string& body, std::uint32_t kind, const std::string& payload) {
  Put32(body, kind);
  PutI32(body, static_cast<std::int32_t>(payload.size()));
  body += payload;
}

// A small repeatable random sequence, so that sample files never change.
struct Lcg {
  std::uint32_t state;
  std::uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hi - lo + 1)); }
};

}  // namespace

AirportRecordBuilder& AirportRecordBuilder::Position(double latitude, double longitude, int elevation) {
  std::string p(28, '\0');  // values at sub-record offsets 12, 20 and 28
  std::string v;
  PutI32(v, Clamp32(latitude * (10001750.0 / 90.0)));
  p.replace(4, 4, v);
  v.clear();
  PutI32(v, Clamp32(longitude / 360.0 * 4294967296.0));
  p.replace(12, 4, v);
  v.clear();
  PutI32(v, elevation);
  p.replace(20, 4, v);
  SubRecord(body_, 0x10001, p);
  return *this;
}

AirportRecordBuilder& AirportRecordBuilder::Ident(const std::string& icao) {
  SubRecord(body_, 0x10006, PaddedString(icao));
  return *this;
}

AirportRecordBuilder& AirportRecordBuilder::Runway(const SampleRunway& r) {
  std::string p(20, '\0');  // values from sub-record offset 28
  PutI32(p, r.elevation);
  Put32(p, AngleRaw(r.heading));
  PutI32(p, Clamp32(-r.variation / 360.0 * 4294967296.0));
  PutI32(p, r.length);
  PutI32(p, r.width);
  PutI32(p, r.designator);
  PutI32(p, r.number);
  PutI32(p, r.surface);
  PutI32(p, r.flags);
  PutI32(p, r.extra);
  SubRecord(body_, 0x10002, p);
  if (r.ilsFrequency != 0) Ils(r.heading, r.ilsFrequency, 2, r.ilsIdent);
  return *this;
}

AirportRecordBuilder& AirportRecordBuilder::Ils(double heading, std::uint32_t frequency, int end,
                                                const std::string& ident) {
  std::string p(24, '\0');  // heading at sub-record offset 32
  Put32(p, AngleRaw(heading));
  Put32(p, frequency);
  PutI32(p, 4);  // offset 40: a landing system
  PutI32(p, 0);
  PutI32(p, end);  // offset 48: 2 primary end, 4 reciprocal end
  PutI32(p, 0);
  p += PaddedString(ident);
  SubRecord(body_, 0x10004, p);
  return *this;
}

AirportRecordBuilder& AirportRecordBuilder::Frequency(const SampleFrequency& f) {
  std::string p;
  Put32(p, f.frequency);
  PutI32(p, f.type);
  p += PaddedString(f.name);
  SubRecord(body_, 0x20001, p);
  return *this;
}

namespace {

void PutParkings(std::string& p, const std::vector<SampleParking>& parkings) {
  for (const SampleParking& k : parkings) {
    PutI32(p, k.rawValue1);
    PutI32(p, k.rawValue2);
    PutF32(p, k.radius);
    Put32(p, AngleRaw(k.heading));
    PutI32(p, (k.type << 20) | ((k.number & 0x1FF) << 7) | (k.kind & 127));
  }
}

}  // namespace

AirportRecordBuilder& AirportRecordBuilder::ParkingList(const std::vector<SampleParking>& parkings, int skipRows,
                                                        int skipRowBytes) {
  std::string p;
  PutI32(p, skipRows);
  PutI32(p, skipRowBytes);
  p.append(static_cast<size_t>(skipRows) * static_cast<size_t>(skipRowBytes), '\0');
  PutI32(p, static_cast<std::int32_t>(parkings.size()));
  PutI32(p, 0);
  PutParkings(p, parkings);
  SubRecord(body_, 0x11001, p);
  return *this;
}

AirportRecordBuilder& AirportRecordBuilder::ParkingListStating(std::int32_t n, std::int32_t m, std::int32_t count,
                                                               const std::vector<SampleParking>& parkings) {
  std::string p;
  PutI32(p, n);
  PutI32(p, m);
  PutI32(p, count);
  PutI32(p, 0);
  PutParkings(p, parkings);
  SubRecord(body_, 0x11001, p);
  return *this;
}

AirportRecordBuilder& AirportRecordBuilder::RawSized(std::uint32_t kind, const std::string& payload,
                                                     std::int32_t length) {
  Put32(body_, kind);
  PutI32(body_, length);
  body_ += payload;
  return *this;
}

AirportRecordBuilder& AirportRecordBuilder::Raw(std::uint32_t kind, const std::string& payload) {
  SubRecord(body_, kind, payload);
  return *this;
}

AirportRecordBuilder& AirportRecordBuilder::FirstValue(std::int32_t value) {
  first_ = value;
  return *this;
}

std::string AirportRecordBuilder::Build() const {
  std::string out;
  std::string body = body_;
  SubRecord(body, 0, "");
  PutI32(out, first_);
  PutI32(out, static_cast<std::int32_t>(16 + body.size()));
  PutI32(out, 0);
  PutI32(out, 0);
  return out + body;
}

std::string BuildAirportRecord(const SampleAirport& a) {
  AirportRecordBuilder b;
  b.Position(a.latitude, a.longitude, a.elevation).Ident(a.icao);
  for (const SampleRunway& r : a.runways) b.Runway(r);
  for (const SampleFrequency& f : a.frequencies) b.Frequency(f);
  // The reader stops at the parking list, so it comes last.
  b.ParkingList(a.parkings);
  return b.Build();
}

void FacilityFileBuilder::Named(std::uint32_t kind, const std::string& name) {
  entries_.push_back({kind, 0, true, name, -1});
}

void FacilityFileBuilder::Unnamed(std::uint32_t kind, std::int32_t value) {
  entries_.push_back({kind, value, false, {}, -1});
}

void FacilityFileBuilder::Airport(const std::string& name, const std::string& record) {
  records_.push_back(record);
  entries_.push_back({0x50001, 0, true, name, static_cast<int>(records_.size() - 1)});
}

std::string FacilityFileBuilder::Build() const {
  const std::int64_t indexAt = 160;
  std::string index;
  std::vector<size_t> valueAt(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    Put32(index, e.kind);
    valueAt[i] = index.size();
    PutI32(index, e.value);
    if (e.named) index += PaddedString(e.name);
    PutI32(index, 1);
    PutI32(index, 1);
  }
  // An entry of no kind of its own ends the index.
  Put32(index, 0x7F0001);
  PutI32(index, 0);
  PutI32(index, 0);
  PutI32(index, 0);

  std::string out(156, '\0');
  PutI32(out, static_cast<std::int32_t>(indexAt));
  PutI32(out, magic_);
  for (int i = 1; i < 8; ++i) PutI32(out, i == 5 && noWalk_ ? 1 : 0);
  std::int64_t recordAt = indexAt + 32 + static_cast<std::int64_t>(index.size());
  std::vector<std::int64_t> recordOffsets;
  for (const std::string& r : records_) {
    recordOffsets.push_back(recordAt);
    recordAt += static_cast<std::int64_t>(r.size());
  }
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].record < 0) continue;
    std::string v;
    PutI32(v, static_cast<std::int32_t>(recordOffsets[static_cast<size_t>(entries_[i].record)]));
    index.replace(valueAt[i], 4, v);
  }
  out += index;
  for (const std::string& r : records_) out += r;
  return out;
}

std::string BuildFacilityFile(const std::vector<SampleAirport>& airports) {
  FacilityFileBuilder f;
  const SampleAirport* last = nullptr;
  for (const SampleAirport& a : airports) {
    bool region = !last || last->region != a.region;
    bool country = region || last->country != a.country;
    bool state = country || last->state != a.state;
    bool city = state || last->city != a.city;
    if (region) f.Region(a.region);
    if (country) f.Country(a.country);
    if (state) f.State(a.state);
    if (city) f.City(a.city);
    f.Airport(a.name, BuildAirportRecord(a));
    last = &a;
  }
  return f.Build();
}

SampleAirport MakeAirport(const std::string& icao, const std::string& name, double latitude, double longitude,
                        int elevationMetres, unsigned seed) {
  Lcg rng{seed * 2654435761u + 17u};
  SampleAirport a;
  a.icao = icao;
  a.name = name;
  a.latitude = latitude;
  a.longitude = longitude;
  a.elevation = elevationMetres;
  int runways = rng.Range(1, 3);
  int heading = rng.Range(1, 18) * 10;
  for (int i = 0; i < runways; ++i) {
    SampleRunway r;
    r.heading = heading + i * 40 % 180;
    r.number = static_cast<int>(std::lround(r.heading / 10.0));
    if (r.number == 0) r.number = 36;
    r.length = i == 0 ? rng.Range(70, 130) * 100 : rng.Range(30, 90) * 100;
    r.width = i == 0 ? 150 : 100;
    r.surface = i == 0 ? (rng.Range(0, 1) ? 2 : 3) : rng.Range(1, 4);
    r.flags = 0x0F | (rng.Range(0, 1) ? 0x10 : 0x20);
    r.elevation = elevationMetres;
    r.variation = rng.Range(-15, 15);
    if (i == 0) {
      // A landing system channel: 108.10 to 111.95 MHz with an odd tenth,
      // written as the digits of its frequency (0x10815000 is 108.150).
      const auto mhz = static_cast<std::uint32_t>(rng.Range(108, 111));
      const auto channel = static_cast<std::uint32_t>(rng.Range(0, 9));
      r.ilsFrequency = (mhz / 100) << 28 | (mhz / 10 % 10) << 24 | (mhz % 10) << 20 | (channel / 2 * 2 + 1) << 16 |
                       (channel % 2 * 5) << 12;
      r.ilsIdent = "I" + icao.substr(icao.size() > 3 ? 1 : 0, 3);
    }
    a.runways.push_back(r);
  }
  const int gates = rng.Range(4, 20);
  for (int i = 0; i < gates; ++i) {
    SampleParking k;
    k.type = rng.Range(8, 10);
    k.kind = 10;
    k.number = i + 1;
    k.radius = static_cast<float>(k.type == 8 ? 18 : k.type == 9 ? 25 : 36) + 0.5f * rng.Range(0, 4);
    k.heading = rng.Range(0, 359);
    k.rawValue1 = rng.Range(0, 100000);
    k.rawValue2 = rng.Range(0, 100000);
    a.parkings.push_back(k);
  }
  const int ramps = rng.Range(2, 10);
  for (int i = 0; i < ramps; ++i) {
    SampleParking k;
    k.type = rng.Range(2, 4);
    k.kind = 1;
    k.number = i + 1;
    k.radius = static_cast<float>(8 + 2 * (k.type - 2)) + 0.5f * rng.Range(0, 2);
    k.heading = rng.Range(0, 359);
    a.parkings.push_back(k);
  }
  a.frequencies.push_back({static_cast<std::uint32_t>(0x12700000 + rng.Range(0, 9) * 0x10000), 1, name + " ATIS"});
  a.frequencies.push_back({0x12190000, 5, name + " Ground"});
  a.frequencies.push_back({static_cast<std::uint32_t>(0x11800000 + rng.Range(1, 9) * 0x10000), 6, name + " Tower"});
  a.frequencies.push_back({0x12500000, 9, name + " Departure"});
  return a;
}

namespace {

struct KnownAirport {
  const char* icao;
  const char* name;
  const char* region;
  const char* country;
  const char* state;
  const char* city;
  double latitude;
  double longitude;
  int elevationFeet;
};

const KnownAirport kKnownAirports[] = {
    {"KBOS", "General Edward Lawrence Logan Intl", "North America", "United States", "Massachusetts", "Boston", 42.3643, -71.0052, 20},
    {"KJFK", "John F Kennedy Intl", "North America", "United States", "New York", "New York", 40.6398, -73.7789, 13},
    {"KLAX", "Los Angeles Intl", "North America", "United States", "California", "Los Angeles", 33.9425, -118.4081, 125},
    {"KSFO", "San Francisco Intl", "North America", "United States", "California", "San Francisco", 37.6190, -122.3749, 13},
    {"KORD", "Chicago-O'Hare Intl", "North America", "United States", "Illinois", "Chicago", 41.9786, -87.9048, 672},
    {"KATL", "Hartsfield-Jackson Atlanta Intl", "North America", "United States", "Georgia", "Atlanta", 33.6367, -84.4281, 1026},
    {"KDFW", "Dallas-Fort Worth Intl", "North America", "United States", "Texas", "Dallas", 32.8968, -97.0380, 607},
    {"KDEN", "Denver Intl", "North America", "United States", "Colorado", "Denver", 39.8617, -104.6731, 5431},
    {"KSEA", "Seattle-Tacoma Intl", "North America", "United States", "Washington", "Seattle", 47.4490, -122.3093, 433},
    {"KMIA", "Miami Intl", "North America", "United States", "Florida", "Miami", 25.7932, -80.2906, 8},
    {"KIAD", "Washington Dulles Intl", "North America", "United States", "Virginia", "Washington", 38.9445, -77.4558, 313},
    {"KPHX", "Phoenix Sky Harbor Intl", "North America", "United States", "Arizona", "Phoenix", 33.4343, -112.0116, 1135},
    {"KLAS", "McCarran Intl", "North America", "United States", "Nevada", "Las Vegas", 36.0801, -115.1522, 2181},
    {"PANC", "Ted Stevens Anchorage Intl", "North America", "United States", "Alaska", "Anchorage", 61.1744, -149.9964, 152},
    {"PHNL", "Honolulu Intl", "North America", "United States", "Hawaii", "Honolulu", 21.3187, -157.9225, 13},
    {"CYYZ", "Lester B Pearson Intl", "North America", "Canada", "Ontario", "Toronto", 43.6772, -79.6306, 569},
    {"CYVR", "Vancouver Intl", "North America", "Canada", "British Columbia", "Vancouver", 49.1939, -123.1844, 14},
    {"EGLL", "London Heathrow", "Europe", "United Kingdom", "England", "London", 51.4775, -0.4614, 83},
    {"EGKK", "London Gatwick", "Europe", "United Kingdom", "England", "London", 51.1481, -0.1903, 202},
    {"LFPG", "Paris Charles de Gaulle", "Europe", "France", "Ile-de-France", "Paris", 49.0097, 2.5478, 392},
    {"EHAM", "Amsterdam Schiphol", "Europe", "Netherlands", "North Holland", "Amsterdam", 52.3086, 4.7639, -11},
    {"EDDF", "Frankfurt Main", "Europe", "Germany", "Hesse", "Frankfurt", 50.0333, 8.5706, 364},
    {"EDDM", "Munich", "Europe", "Germany", "Bavaria", "Munich", 48.3538, 11.7861, 1487},
    {"LSZH", "Zurich", "Europe", "Switzerland", "Zurich", "Zurich", 47.4647, 8.5492, 1416},
    {"LOWW", "Vienna Schwechat", "Europe", "Austria", "Lower Austria", "Vienna", 48.1103, 16.5697, 600},
    {"LIRF", "Rome Fiumicino", "Europe", "Italy", "Lazio", "Rome", 41.8003, 12.2389, 13},
    {"LEMD", "Madrid Barajas", "Europe", "Spain", "Madrid", "Madrid", 40.4936, -3.5668, 1998},
    {"LEBL", "Barcelona El Prat", "Europe", "Spain", "Catalonia", "Barcelona", 41.2971, 2.0785, 12},
    {"LPPT", "Lisbon Portela", "Europe", "Portugal", "Lisbon", "Lisbon", 38.7813, -9.1359, 374},
    {"EKCH", "Copenhagen Kastrup", "Europe", "Denmark", "Capital Region", "Copenhagen", 55.6181, 12.6561, 17},
    {"ESSA", "Stockholm Arlanda", "Europe", "Sweden", "Stockholm", "Stockholm", 59.6519, 17.9186, 137},
    {"ENGM", "Oslo Gardermoen", "Europe", "Norway", "Akershus", "Oslo", 60.1939, 11.1004, 681},
    {"EFHK", "Helsinki Vantaa", "Europe", "Finland", "Uusimaa", "Helsinki", 60.3172, 24.9633, 179},
    {"RJTT", "Tokyo Haneda", "Asia", "Japan", "Tokyo", "Tokyo", 35.5523, 139.7800, 35},
    {"RKSI", "Seoul Incheon Intl", "Asia", "South Korea", "Incheon", "Seoul", 37.4691, 126.4505, 23},
    {"VHHH", "Hong Kong Intl", "Asia", "Hong Kong", "Hong Kong", "Hong Kong", 22.3080, 113.9185, 28},
    {"WSSS", "Singapore Changi", "Asia", "Singapore", "Singapore", "Singapore", 1.3502, 103.9944, 22},
    {"OMDB", "Dubai Intl", "Middle East", "United Arab Emirates", "Dubai", "Dubai", 25.2528, 55.3644, 62},
    {"YSSY", "Sydney Kingsford Smith", "Oceania", "Australia", "New South Wales", "Sydney", -33.9461, 151.1772, 21},
    {"NZAA", "Auckland Intl", "Oceania", "New Zealand", "Auckland", "Auckland", -37.0081, 174.7917, 23},
    {"NFFN", "Nadi Intl", "Oceania", "Fiji", "Western", "Nadi", -17.7554, 177.4431, 59},
    {"SBGR", "Sao Paulo Guarulhos Intl", "South America", "Brazil", "Sao Paulo", "Sao Paulo", -23.4356, -46.4731, 2459},
    {"SAEZ", "Buenos Aires Ezeiza Intl", "South America", "Argentina", "Buenos Aires", "Buenos Aires", -34.8222, -58.5358, 67},
    {"FAOR", "Johannesburg OR Tambo Intl", "Africa", "South Africa", "Gauteng", "Johannesburg", -26.1392, 28.2460, 5558},
    {"MMMX", "Mexico City Intl", "Central America", "Mexico", "Distrito Federal", "Mexico City", 19.4363, -99.0721, 7316},
    {"EIDW", "Dublin", "Europe", "Ireland", "Leinster", "Dublin", 53.4213, -6.2701, 242},
    {"LGAV", "Athens Eleftherios Venizelos", "Europe", "Greece", "Attica", "Athens", 37.9364, 23.9445, 308},
    {"RJAA", "Tokyo Narita", "Asia", "Japan", "Chiba", "Narita", 35.7647, 140.3864, 141},
};

int FeetToMetres(int feet) { return static_cast<int>(std::lround(feet * 0.3048)); }

SampleAirport FromKnown(const KnownAirport& k, unsigned seed) {
  SampleAirport a = MakeAirport(k.icao, k.name, k.latitude, k.longitude, FeetToMetres(k.elevationFeet), seed);
  a.region = k.region;
  a.country = k.country;
  a.state = k.state;
  a.city = k.city;
  return a;
}

// "N47* 26.99'" -> 47.4498; nothing without the "*".
bool CoordinateDegrees(const std::string& text, double& out) {
  size_t star = text.find('*');
  if (text.empty() || star == std::string::npos) return false;
  double deg = velk::text_number::LeadingNumber(std::string_view(text).substr(1, star - 1));
  double min = velk::text_number::LeadingNumber(std::string_view(text).substr(star + 1));
  out = deg + min / 60.0;
  char h = text[0];
  if (h == 'S' || h == 's' || h == 'W' || h == 'w') out = -out;
  return true;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

std::vector<SampleAirport> SampleAirports() {
  std::vector<SampleAirport> out;
  unsigned seed = 1;
  for (const KnownAirport& k : kKnownAirports) out.push_back(FromKnown(k, seed++));
  return out;
}

std::vector<SampleAirport> GeneratedAirports(int count) {
  std::vector<SampleAirport> out;
  Lcg rng{12345};
  for (int i = 0; i < count; ++i) {
    std::string icao = "ZZZZ";
    int v = i;
    for (int c = 3; c >= 0; --c) {
      icao[static_cast<size_t>(c)] = static_cast<char>('A' + v % 26);
      v /= 26;
    }
    double lat = rng.Range(-6000, 7000) / 100.0;
    double lon = rng.Range(-17999, 17999) / 100.0;
    SampleAirport a = MakeAirport(icao, "Generated Field " + std::to_string(i + 1), lat, lon,
                                rng.Range(0, 1500), static_cast<unsigned>(i + 1));
    // Regions of 500 airports, countries of 100, states of 20, cities of 4.
    a.region = "Region " + std::to_string(i / 500 + 1);
    a.country = "Country " + std::to_string(i / 100 + 1);
    a.state = "State " + std::to_string(i / 20 + 1);
    a.city = "City " + std::to_string(i / 4 + 1);
    out.push_back(std::move(a));
  }
  return out;
}

std::vector<SampleAirport> AirportsFromAirportsTxt(const std::filesystem::path& path) {
  std::vector<SampleAirport> out;
  auto bytes = ReadFileBytes(path);
  if (!bytes) return out;
  unsigned seed = 1000;
  for (std::string_view raw : SplitLines(SkipUtf8Bom(*bytes))) {
    std::string line = Trim(std::string(raw));
    if (line.empty() || line[0] == ';' || line.rfind("//", 0) == 0) continue;
    line = line.substr(0, line.find(';'));
    line = line.substr(0, line.find("//"));
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
      size_t comma = line.find(',', start);
      fields.push_back(Trim(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    double lat, lon;
    if (fields.size() != 4 || fields[0].empty() || !CoordinateDegrees(fields[1], lat) ||
        !CoordinateDegrees(fields[2], lon)) {
      continue;
    }
    const KnownAirport* known = nullptr;
    for (const KnownAirport& k : kKnownAirports) {
      if (fields[0] == k.icao) known = &k;
    }
    SampleAirport a;
    if (known) {
      a = FromKnown(*known, seed++);
      a.latitude = lat;
      a.longitude = lon;
    } else {
      a = MakeAirport(fields[0], fields[0] + " Airport", lat, lon, FeetToMetres(static_cast<int>(velk::text_number::LeadingNumber(fields[3]))), seed++);
      a.region = "Sample Region";
      a.country = "Sample Country";
      a.state = "Sample State";
      a.city = fields[0];
    }
    out.push_back(std::move(a));
  }
  return out;
}

std::vector<SampleAirport> SamplePlanAirports() {
  std::vector<SampleAirport> airports;
  const std::filesystem::path plan = std::filesystem::path(VELK_SAMPLE_SOURCE_DIR) / "sample" / "Airports.txt";
  std::error_code ec;
  if (std::filesystem::exists(plan, ec)) airports = AirportsFromAirportsTxt(plan);
  if (airports.empty()) airports = SampleAirports();
  return airports;
}

bool WriteSceneryFolder(const std::filesystem::path& folder, const std::vector<SampleAirport>& airports,
                        std::string* error, int airportsPerFile, bool keepExisting) {
  if (airportsPerFile < 1) airportsPerFile = 1;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    if (error) *error = "Cannot create " + folder.string() + ": " + ec.message();
    return false;
  }
  int fileNumber = 0;
  for (size_t start = 0; start < airports.size(); start += static_cast<size_t>(airportsPerFile)) {
    size_t end = std::min(airports.size(), start + static_cast<size_t>(airportsPerFile));
    char name[32];
    std::snprintf(name, sizeof name, "SAMPLE_%03d.BGL", ++fileNumber);
    if (keepExisting && std::filesystem::exists(folder / name, ec)) continue;
    std::vector<SampleAirport> part(airports.begin() + static_cast<std::ptrdiff_t>(start),
                                    airports.begin() + static_cast<std::ptrdiff_t>(end));
    if (!WriteFileAtomic(folder / name, BuildFacilityFile(part))) {
      if (error) *error = "Cannot write " + (folder / name).string();
      return false;
    }
  }
  return true;
}

bool WriteSceneryFiles(const std::filesystem::path& simFolder, const std::vector<SampleAirport>& airports,
                       std::string* error, int airportsPerFile) {
  std::filesystem::path unlisted;
  const std::filesystem::path folder = ResolvePathNoCase(simFolder, "SCENEDB/AFDFILES/SCENERY", &unlisted);
  if (folder.empty()) {
    if (error) *error = "Cannot list folder " + unlisted.string();
    return false;
  }
  return WriteSceneryFolder(folder, airports, error, airportsPerFile);
}

}  // namespace velk::sample
