#include "database_checker.h"

#include <cstdint>
#include <string>

namespace traffic::test {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view f) : f_(f) {}
  bool Has(std::uint64_t at, std::uint64_t n) const { return at + n <= f_.size(); }
  std::uint32_t U8(std::uint64_t at) const { return static_cast<unsigned char>(f_[at]); }
  std::uint32_t U16(std::uint64_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::uint64_t at) const { return U16(at) | U16(at + 2) << 16; }
  std::int32_t I32(std::uint64_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::string_view Bytes(std::uint64_t at, std::uint64_t n) const { return f_.substr(at, n); }
  std::uint64_t size() const { return f_.size(); }

 private:
  std::string_view f_;
};

// The airport order: bytes 3 to 0, signed.
int CompareCodes(std::string_view a, std::string_view b) {
  for (int i = 3; i >= 0; --i) {
    const int x = static_cast<signed char>(a[i]), y = static_cast<signed char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace

std::vector<std::string> CheckTrafficDatabase(std::string_view file) {
  std::vector<std::string> problems;
  auto fail = [&](const std::string& what) { problems.push_back(what); };
  const Reader r(file);
  if (!r.Has(0, 252)) {
    fail("shorter than header and table");
    return problems;
  }
  // Header: fixed values, zeros elsewhere.
  for (std::uint64_t i = 0; i < 168; ++i) {
    const bool fixed = i < 18 || (i >= 46 && i < 50) || (i >= 118 && i < 122);
    if (!fixed && r.U8(i) != 0) fail("header byte " + std::to_string(i) + " not zero");
  }
  if (r.U16(0) != 1 || r.I32(2) != 10001750 || r.I32(6) != -10001750 || r.U32(10) != 0xFFFFFFFFu ||
      r.U32(14) != 0 || r.U32(46) != 168 || r.U32(118) != 0x87654321u)
    fail("header values");
  if (r.U32(168) != 4) fail("section count");
  std::uint32_t count[4], index[4];
  for (int s = 0; s < 4; ++s) {
    const std::uint64_t e = 172 + 20 * s;
    count[s] = r.U32(e);
    index[s] = r.U32(e + 16);
    if (r.U32(e + 4) != (s == 0 ? 16u : 0u) || r.U32(e + 8) != 1 || r.U32(e + 12) != static_cast<std::uint32_t>(s + 1))
      fail("table entry " + std::to_string(s));
  }
  if (index[0] != 252) fail("airport index offset");

  // Airports.
  const std::uint64_t n = count[0];
  if (!r.Has(252, 24 * n)) {
    fail("airport section past the end");
    return problems;
  }
  for (std::uint64_t i = 0; i < n; ++i) {
    const std::uint64_t entry = 252 + 8 * i, record = 252 + 8 * n + 16 * i;
    if (r.U32(entry + 4) != record) fail("airport record offset " + std::to_string(i));
    if (r.Bytes(entry, 4) != r.Bytes(record, 4)) fail("airport index code " + std::to_string(i));
    if (i > 0 && CompareCodes(r.Bytes(entry - 8, 4), r.Bytes(entry, 4)) > 0) fail("airport order at " + std::to_string(i));
    const std::int32_t lat = r.I32(record + 4);
    if (lat > 10001750 || lat < -10001750) fail("airport latitude " + std::to_string(i));
  }

  // Aircraft.
  const std::uint64_t a = 252 + 24 * n;
  if (index[1] != a) fail("aircraft index offset");
  const std::uint64_t m = count[1];
  if (!r.Has(a, 8 * m)) {
    fail("aircraft index past the end");
    return problems;
  }
  std::uint64_t at = a + 8 * m;
  for (std::uint64_t i = 0; i < m; ++i) {
    const std::uint64_t entry = a + 8 * i;
    if (r.U32(entry + 4) != at) fail("aircraft record offset " + std::to_string(i));
    if (i > 0 && r.U32(entry - 8) > r.U32(entry)) fail("aircraft order at " + std::to_string(i));
    if (!r.Has(at, 11)) {
      fail("aircraft record past the end");
      return problems;
    }
    const std::uint32_t size = r.U16(at);
    if (size < 12 || size > 111 || !r.Has(at, size)) {
      fail("aircraft record size " + std::to_string(i));
      return problems;
    }
    if (r.U16(at + 2) != 0 || r.U16(at + 6) != 0) fail("aircraft reserved fields " + std::to_string(i));
    if (r.U16(at + 4) != r.U32(entry)) fail("aircraft number " + std::to_string(i));
    if (r.U16(at + 8) == 0) fail("aircraft speed 0");
    const std::string_view name = r.Bytes(at + 10, size - 10);
    if (name.back() != '\0' || name.find('\0') != name.size() - 1) fail("aircraft name end " + std::to_string(i));
    at += size;
  }

  // Plans.
  const std::uint64_t p = count[2];
  if (index[2] != at) fail("plan index offset");
  const std::uint64_t plans_index = at;
  if (!r.Has(plans_index, 8 * p)) {
    fail("plan index past the end");
    return problems;
  }
  at += 8 * p;
  for (std::uint64_t k = 0; k < p; ++k) {
    const std::uint64_t entry = plans_index + 8 * k;
    const std::int64_t id = static_cast<std::int64_t>(k) - static_cast<std::int64_t>(p) - 1;
    if (r.I32(entry) != id) fail("plan id in index " + std::to_string(k));
    if (r.U32(entry + 4) != at) fail("plan record offset " + std::to_string(k));
    if (!r.Has(at, 22)) {
      fail("plan record past the end");
      return problems;
    }
    const std::uint32_t size = r.U32(at);
    if (size < 22 + 24 || (size - 22) % 12 != 0 || !r.Has(at, size)) {
      fail("plan record size " + std::to_string(k));
      return problems;
    }
    if (r.I32(at + 4) != id) fail("plan id in record " + std::to_string(k));
    if (r.Bytes(at + 12, 8).find('\0') == std::string_view::npos) fail("registration without NUL");
    const std::uint32_t flags = r.U16(at + 20);
    const std::uint32_t percent = flags & 0xFF, period = flags >> 8 & 0xF;
    if (percent < 1 || percent > 100 || period > 7 || (flags >> 13) != 0) fail("plan flags " + std::to_string(k));
    for (std::uint64_t leg = at + 22; leg < at + size; leg += 12) {
      if ((r.U16(leg) >> 13) != period || (r.U16(leg + 2) >> 13) != period) fail("leg period bits " + std::to_string(k));
      const std::uint32_t bits = r.U32(leg + 8);
      if ((bits >> 26) != 0 || (bits >> 10 & 0x3FFF) > 16383 || (bits & 0x3FF) > 1023) fail("leg bits " + std::to_string(k));
      if (r.U8(leg + 4) == 0) fail("leg without destination " + std::to_string(k));
    }
    at += size;
  }

  // Sectors.
  if (index[3] != at) fail("sector index offset");
  const std::uint64_t q = count[3];
  const std::uint64_t sectors = at;
  if (!r.Has(sectors, 8 * q)) {
    fail("sector index past the end");
    return problems;
  }
  at += 8 * q;
  std::int64_t previous = -1;
  for (std::uint64_t i = 0; i < q; ++i) {
    const std::uint64_t entry = sectors + 8 * i;
    const std::uint32_t cell = r.U16(entry), band = r.U16(entry + 2);
    if (cell >= 384 || band >= 256) fail("sector outside the grid");
    const std::int64_t key = static_cast<std::int64_t>(band) << 16 | cell;
    if (key <= previous) fail("sector index order at " + std::to_string(i));
    previous = key;
    if (r.U32(entry + 4) != at) fail("sector block offset " + std::to_string(i));
    if (!r.Has(at, 8)) {
      fail("sector block past the end");
      return problems;
    }
    const std::uint32_t size = r.U32(at);
    if (size < 16 || (size - 8) % 8 != 0 || !r.Has(at, size)) {
      fail("sector block size " + std::to_string(i));
      return problems;
    }
    if (r.U32(at + 4) != (cell | band << 16)) fail("sector block head " + std::to_string(i));
    std::uint32_t last_entry = 0;
    for (std::uint64_t rec = at + 8; rec < at + size; rec += 8) {
      const std::int32_t id = r.I32(rec);
      if (id < -static_cast<std::int64_t>(p) - 1 || id > -2) fail("sector plan id " + std::to_string(id));
      const std::uint32_t in = r.U16(rec + 4), out = r.U16(rec + 6);
      if (rec > at + 8 && in < last_entry) fail("sector records out of order in block " + std::to_string(i));
      last_entry = in;
      if ((in & 0x1FFF) != 0 && (in & 0x1FFF) == (out & 0x1FFF)) fail("sector record that should be dropped");
    }
    at += size;
  }
  if (at != r.size()) fail("bytes after the last sector block");
  return problems;
}

}  // namespace traffic::test
