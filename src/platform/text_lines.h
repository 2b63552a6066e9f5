#pragma once
// How every reader of the programs cuts a text into lines. A line ends at
// CR LF, at LF or at a lone CR (files from Windows, Linux and old Mac
// editors read alike); a last line without an end is kept; an empty text has
// no lines. A UTF-8 byte-order mark that a Windows editor put at the start of
// a file is not text: readers take it off with SkipUtf8Bom before cutting
// lines.
#include <bit>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velk {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// `text` without a leading UTF-8 byte-order mark.
inline std::string_view SkipUtf8Bom(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return text;
}

// One line: its text without the end, and the end itself ("\r\n", "\n",
// "\r", or empty for a last line without one). Both point into the text.
struct TextLine {
  std::string_view text;
  std::string_view end;
};

// Walks the lines of a text of any length in one pass.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  // The next line; false after the last one.
  bool Next(TextLine& line) {
    const size_t size = text_.size();
    if (pos_ >= size) return false;
    const size_t end = FindLineEnd();
    size_t after = end;
    if (end < size) {
      after = end + 1;
      if (text_[end] == '\r' && after < size && text_[after] == '\n') ++after;
    }
    line.text = text_.substr(pos_, end - pos_);
    line.end = text_.substr(end, after - end);
    pos_ = after;
    return true;
  }

  // Where the next line starts.
  size_t Position() const { return pos_; }

 private:
  // The first CR or LF from the reading position on, or the end: one pass
  // over the line's bytes, sixteen at a time where the processor can.
  size_t FindLineEnd() const {
    const char* p = text_.data();
    const size_t size = text_.size();
    size_t i = pos_;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; i + 16 <= size; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
      if (hits) return i + static_cast<size_t>(std::countr_zero(hits));
    }
#endif
    while (i < size && p[i] != '\r' && p[i] != '\n') ++i;
    return i;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

// Calls fn(line text) for every line of `text`.
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  LineReader reader(text);
  TextLine line;
  while (reader.Next(line)) fn(line.text);
}

// The lines of `text`, without their ends.
std::vector<std::string_view> SplitLines(std::string_view text);

// The first place at or after `pos` where a line starts: `pos` itself when a
// line ends right before it (or it is 0 or the end of the text), else the
// place after the next line end. Cuts a text into pieces of whole lines, so
// a CR LF pair is never split between two pieces.
size_t LineStartAtOrAfter(std::string_view text, size_t pos);

// The number of lines of `text`, as LineReader counts them.
size_t CountLines(std::string_view text);

}  // namespace velk
