#include "platform/text_codec.h"

#include <algorithm>
#include <array>

namespace velk {
namespace {

// 0x80..0x9F; 0 marks the bytes that have no character of their own.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

char32_t Cp1252ToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    char16_t mapped = kHigh[byte - 0x80];
    return mapped ? mapped : byte;
  }
  return byte;
}

int CodePointToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp) return 0x80 + i;
    if (kHigh[i] == 0 && cp == static_cast<char32_t>(0x80 + i)) return 0x80 + i;
  }
  return -1;
}

bool DecodeUtf8At(std::string_view s, size_t& i, char32_t& cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int extra = (c >= 0xC2 && c < 0xE0) ? 1 : (c >= 0xE0 && c < 0xF0) ? 2 : (c >= 0xF0 && c < 0xF5) ? 3 : 0;
  if (!extra || i + static_cast<size_t>(extra) >= s.size()) return false;
  char32_t v = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((cc & 0xC0) != 0x80) return false;
    v = (v << 6) | (cc & 0x3F);
  }
  cp = v;
  i += static_cast<size_t>(extra) + 1;
  return true;
}

char32_t FoldCaseCp1252(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
  switch (cp) {
    case 0x0160: return 0x0161;  // S caron
    case 0x0152: return 0x0153;  // OE
    case 0x017D: return 0x017E;  // Z caron
    case 0x0178: return 0x00FF;  // Y diaeresis
    default: return cp;
  }
}

unsigned char UpperCp1252Byte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
  }
}

std::string UpperCp1252(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(UpperCp1252Byte(static_cast<unsigned char>(c)));
  return out;
}

int CompareNoCaseCp1252(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = UpperCp1252Byte(static_cast<unsigned char>(a[i]));
    unsigned char y = UpperCp1252Byte(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (unsigned char c : bytes) {
    if (c < 0x80) out.push_back(static_cast<char>(c));
    else AppendUtf8(out, Cp1252ToCodePoint(c));
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view s, char replacement) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    char32_t cp = 0;
    if (!DecodeUtf8At(s, i, cp)) {
      // Not UTF-8: keep the byte as it is.
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    int b = CodePointToCp1252(cp);
    out.push_back(b >= 0 ? static_cast<char>(b) : replacement);
  }
  return out;
}

}  // namespace velk
