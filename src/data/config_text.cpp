#include "data/config_text.h"

#include <limits>
#include <system_error>

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "platform/text_lines.h"

namespace velk {

bool ConfigFileExists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

std::optional<std::vector<std::string>> ReadConfigLines(const std::filesystem::path& path) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  std::vector<std::string> lines;
  for (std::string_view line : SplitLines(SkipUtf8Bom(*bytes))) lines.emplace_back(line);
  return lines;
}

std::vector<std::string_view> SplitAtCommas(std::string_view s) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    size_t comma = s.find(',', start);
    if (comma == std::string_view::npos) {
      fields.push_back(s.substr(start));
      return fields;
    }
    fields.push_back(s.substr(start, comma - start));
    start = comma + 1;
  }
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

enum class NumberStatus { kOk, kNotANumber, kTooLarge };

// Parses exactly, without floating point, so that halves round the same way
// on every machine.
NumberStatus ParseNumber(std::string_view text, std::int64_t& value) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return NumberStatus::kNotANumber;
  size_t e = text.find_last_not_of(" \t");
  text = text.substr(b, e - b + 1);
  bool negative = false;
  size_t i = 0;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  const std::int64_t kLimit = std::int64_t{1} << 40;  // far beyond 32 bits
  std::int64_t whole = 0;
  bool anyDigit = false;
  bool huge = false;
  while (i < text.size() && IsDigit(text[i])) {
    anyDigit = true;
    if (!huge) {
      whole = whole * 10 + (text[i] - '0');
      if (whole > kLimit) huge = true;
    }
    ++i;
  }
  // Fraction: only the first digit and whether anything non-zero follows it
  // decide the rounding.
  int firstFraction = 0;
  bool restNonZero = false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    bool first = true;
    while (i < text.size() && IsDigit(text[i])) {
      anyDigit = true;
      if (first) {
        firstFraction = text[i] - '0';
        first = false;
      } else if (text[i] != '0') {
        restNonZero = true;
      }
      ++i;
    }
  }
  if (!anyDigit || i != text.size()) return NumberStatus::kNotANumber;
  if (huge) {
    value = negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    return NumberStatus::kTooLarge;
  }
  bool roundUp = firstFraction > 5 || (firstFraction == 5 && (restNonZero || (whole % 2) == 1));
  if (roundUp) ++whole;
  value = negative ? -whole : whole;
  if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min()) {
    return NumberStatus::kTooLarge;
  }
  return NumberStatus::kOk;
}

}  // namespace

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  std::int64_t value = 0;
  if (ParseNumber(text, value) != NumberStatus::kOk) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ParseWholeNumberClamped(std::string_view text) {
  std::int64_t value = 0;
  switch (ParseNumber(text, value)) {
    case NumberStatus::kOk:
      return static_cast<std::int32_t>(value);
    case NumberStatus::kTooLarge:
      return value < 0 ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    case NumberStatus::kNotANumber:
      break;
  }
  return std::nullopt;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  if (haystack.empty()) return false;
  if (needle.size() > haystack.size()) return false;
  for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
    size_t k = 0;
    while (k < needle.size() && UpperCp1252Byte(static_cast<unsigned char>(haystack[start + k])) ==
                                    UpperCp1252Byte(static_cast<unsigned char>(needle[k]))) {
      ++k;
    }
    if (k == needle.size()) return true;
  }
  return false;
}

void ShowConfigMessage(const std::string& prompt) {
  ShowMessageBox(prompt, kMbOk | kMbIconCritical, kProgramTitle);
}

std::string ConfigLineErrorText(std::string_view fileName, std::string_view line) {
  std::string text = "Error in file '";
  text += fileName;
  text += "' in line:\r\n";
  text += line;
  return text;
}

}  // namespace velk
