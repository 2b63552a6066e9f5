#pragma once
// Conversions of number texts shared by the readers of the program's files:
// blanks around the number are allowed, the value is rounded to the nearest
// whole number with a half going to the even neighbour, and a text that is not
// a number gives nothing. Numbers in files always use "." whatever the
// locale (the window layer sets LC_NUMERIC from the environment), so nothing
// here goes through the C library's locale-bound conversions.
#include <charconv>
#include <cmath>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ascii_text.h"

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

// A number as a whole text (blanks around it allowed): sign, digits with an
// optional fraction, an optional exponent. Words such as "inf" or "nan" are
// no numbers here.
inline std::optional<double> ParseNumberText(std::string_view text) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return std::nullopt;
  std::string_view s = text.substr(b, text.find_last_not_of(" \t") - b + 1);
  bool negative = false;
  if (s.front() == '+' || s.front() == '-') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || !((s.front() >= '0' && s.front() <= '9') || s.front() == '.')) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return negative ? -value : value;
}

// A Boolean as the settings and the aircraft.cfg flags write it: "True" or
// "False" in any case, or a number (0 false, any other true); nothing for
// any other text.
inline std::optional<bool> ParseBooleanText(std::string_view text) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return std::nullopt;
  std::string_view s = text.substr(b, text.find_last_not_of(" \t") - b + 1);
  if (EqualsNoCase(s, "true")) return true;
  if (EqualsNoCase(s, "false")) return false;
  if (auto number = ParseNumberText(s)) return *number != 0;
  return std::nullopt;
}

// The leading number of a text the way a loose conversion reads it: blanks
// are skipped (also between digits), then an optional sign, digits, a
// fraction and an exponent ("e" or "d"); reading stops at the first other
// character. 0 when no digit comes first or the value is not finite.
inline double LeadingNumber(std::string_view s) {
  std::string digits;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  };
  auto takeDigits = [&] {
    bool any = false;
    for (skipBlanks(); i < s.size() && s[i] >= '0' && s[i] <= '9'; skipBlanks()) {
      digits += s[i++];
      any = true;
    }
    return any;
  };
  skipBlanks();
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool whole = takeDigits();
  bool fraction = false;
  if (i < s.size() && s[i] == '.') {
    digits += s[i++];
    fraction = takeDigits();
  }
  if (!whole && !fraction) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::string exponent = "e";
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
    size_t k = j;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9') ++k;
    if (k > j) digits += exponent + std::string(s.substr(j, k - j));
  }
  double v = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  (void)end;
  if (ec != std::errc() || !std::isfinite(v)) return 0;
  return negative ? -v : v;
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
