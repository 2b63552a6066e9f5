#pragma once
// Little-endian reads from a binary file held in memory (facility files,
// traffic databases). The files are untrusted: a read answers only for a
// range that lies completely inside the bytes. Offsets and lengths are 64-bit
// unsigned, so no sum of two 32-bit file values can wrap, and an offset that
// a caller computed in signed arithmetic and that came out negative converts
// to a huge value, which is simply out of range.
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace velk {

class ByteView {
 public:
  explicit ByteView(std::string_view bytes) : bytes_(bytes) {}

  std::uint64_t size() const { return bytes_.size(); }
  // True when `length` bytes from `offset` on all lie inside.
  bool Has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  // ---- Checked reads: false, with `value` untouched, when out of range ----
  bool ReadU16(std::uint64_t at, std::uint16_t& value) const {
    if (!Has(at, 2)) return false;
    value = U16(at);
    return true;
  }
  bool ReadU32(std::uint64_t at, std::uint32_t& value) const {
    if (!Has(at, 4)) return false;
    value = U32(at);
    return true;
  }
  bool ReadI32(std::uint64_t at, std::int32_t& value) const {
    if (!Has(at, 4)) return false;
    value = I32(at);
    return true;
  }
  bool ReadF32(std::uint64_t at, float& value) const {
    if (!Has(at, 4)) return false;
    std::uint32_t u = U32(at);
    std::memcpy(&value, &u, 4);
    return true;
  }
  // The zero-terminated text starting at `at`, without its terminator;
  // false when it has none inside the bytes.
  bool ReadCString(std::uint64_t at, std::string_view& text) const {
    if (!Has(at, 1)) return false;
    size_t end = bytes_.find('\0', static_cast<size_t>(at));
    if (end == std::string_view::npos) return false;
    text = bytes_.substr(static_cast<size_t>(at), end - static_cast<size_t>(at));
    return true;
  }

  // ---- Unchecked reads, for callers that tested Has() for the whole record
  std::uint16_t U16(std::uint64_t at) const {
    return static_cast<std::uint16_t>(Byte(at) | Byte(at + 1) << 8);
  }
  std::uint32_t U32(std::uint64_t at) const {
    return static_cast<std::uint32_t>(Byte(at)) | static_cast<std::uint32_t>(Byte(at + 1)) << 8 |
           static_cast<std::uint32_t>(Byte(at + 2)) << 16 | static_cast<std::uint32_t>(Byte(at + 3)) << 24;
  }
  std::int32_t I32(std::uint64_t at) const { return static_cast<std::int32_t>(U32(at)); }
  template <size_t N>
  std::array<char, N> Chars(std::uint64_t at) const {
    std::array<char, N> out;
    std::memcpy(out.data(), bytes_.data() + at, N);
    return out;
  }
  const char* At(std::uint64_t at) const { return bytes_.data() + at; }

 private:
  unsigned Byte(std::uint64_t at) const { return static_cast<unsigned char>(bytes_[at]); }

  std::string_view bytes_;
};

}  // namespace velk
