#pragma once
// Conversions of number texts shared by the geodesy and time functions:
// blanks around the number are allowed, the value is rounded to the nearest
// whole number with a half going to the even neighbour, and a text that is not
// a number gives nothing.
#include <cmath>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace velk::text_number {

inline std::optional<double> ParseDecimal(std::string_view text) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return std::nullopt;
  size_t e = text.find_last_not_of(" \t");
  std::string s(text.substr(b, e - b + 1));
  size_t i = 0;
  if (s[i] == '+' || s[i] == '-') ++i;
  bool digits = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') { ++i; digits = true; }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') { ++i; digits = true; }
  }
  if (!digits || i != s.size()) return std::nullopt;
  // Parsed by hand above so that the locale's decimal mark never matters.
  double value = 0;
  double scale = 0;
  for (size_t k = 0; k < s.size(); ++k) {
    char c = s[k];
    if (c == '.') { scale = 1; continue; }
    if (c < '0' || c > '9') continue;
    if (scale == 0) {
      value = value * 10 + (c - '0');
    } else {
      scale /= 10;
      value += (c - '0') * scale;
    }
  }
  return s[0] == '-' ? -value : value;
}

// std::nearbyint rounds halves to even under the default rounding mode.
// Values beyond the range saturate and NaN gives 0, so that a garbled
// number read from a file can never make the conversion undefined.
inline std::int64_t RoundHalfEven(double v) {
  if (std::isnan(v)) return 0;
  double r = std::nearbyint(v);
  if (r >= 9.2e18) return INT64_MAX;
  if (r <= -9.2e18) return INT64_MIN;
  return static_cast<std::int64_t>(r);
}

// As RoundHalfEven, saturating at the 32-bit range.
inline std::int32_t RoundToInt32(double v) {
  std::int64_t r = RoundHalfEven(v);
  if (r > INT32_MAX) return INT32_MAX;
  if (r < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(r);
}

// A 32-bit whole number from text, or nothing when the text is no number or
// the rounded value does not fit.
inline std::optional<std::int32_t> ParseInt32(std::string_view text) {
  auto d = ParseDecimal(text);
  if (!d) return std::nullopt;
  double r = std::nearbyint(*d);
  if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(r);
}

// `value` with exactly `decimals` (0 to 6) digits after a "." whatever the
// locale, rounded half away from zero as the windows' number formats do
// ("0.00": 95.5 gives "95.50", -0.125 gives "-0.13"). A value too large to
// round this way is written as it is, with the same number of decimals.
inline std::string FormatFixed(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 6) decimals = 6;
  double scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  double scaled = std::round(value * scale);
  if (std::isnan(scaled) || std::fabs(scaled) >= 9e15) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
  }
  long long units = static_cast<long long>(std::fabs(scaled));
  long long whole = units / static_cast<long long>(scale);
  long long fraction = units % static_cast<long long>(scale);
  std::string text = (scaled < 0 ? "-" : "") + std::to_string(whole);
  if (decimals > 0) {
    std::string digits = std::to_string(fraction);
    text += "." + std::string(static_cast<size_t>(decimals) - digits.size(), '0') + digits;
  }
  return text;
}

}  // namespace velk::text_number
