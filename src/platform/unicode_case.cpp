// FoldCaseUnicode of text_codec.h, apart for the size of its table.
#include "platform/text_codec.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace velk {
namespace {

struct CasePair {
  std::uint16_t lower;
  std::uint16_t upper;
};

// In the order of the lowercase letters. The table is made from the Unicode
// character data by scripts/make-case-table.py, so the build needs neither.
constexpr CasePair kUpperCase[] = {
#include "platform/unicode_case_table.inc"
};

}  // namespace

char32_t FoldCaseUnicode(char32_t cp) {
  if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - ('a' - 'A') : cp;
  if (cp > 0xFFFF) return cp;
  const auto* found = std::lower_bound(std::begin(kUpperCase), std::end(kUpperCase), cp,
                                       [](const CasePair& pair, char32_t c) { return pair.lower < c; });
  return found != std::end(kUpperCase) && found->lower == cp ? found->upper : cp;
}

}  // namespace velk
