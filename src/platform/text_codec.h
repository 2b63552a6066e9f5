#pragma once
// Windows-1252 <-> UTF-8. Every text file the programs read or write is
// Windows-1252; in memory the plan keeps those bytes unchanged, and only the
// window layer converts to Unicode for display.
#include <string>
#include <string_view>

namespace velk {

// Each byte becomes its Unicode character; the five unassigned bytes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value so
// that a round trip keeps every byte.
std::string Cp1252ToUtf8(std::string_view bytes);

// Characters outside Windows-1252 become `replacement`. Malformed UTF-8
// sequences are taken byte by byte.
std::string Utf8ToCp1252(std::string_view utf8, char replacement = '?');

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t cp);

// Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);
// Windows-1252 byte of a code point, or -1 when it has none.
int CodePointToCp1252(char32_t cp);

// Decodes the well-formed UTF-8 sequence of two or more bytes at `i` into
// `cp` and moves `i` past it; false (with `i` unchanged) for an ASCII byte, a
// malformed sequence or one cut off by the end of `s`.
bool DecodeUtf8At(std::string_view s, size_t& i, char32_t& cp);

// Lower case of the letters that Windows-1252 has (ASCII, Latin-1, S/Z
// caron, OE, Y diaeresis), for comparing names without regard to case.
char32_t FoldCaseCp1252(char32_t cp);

// The case in which file names are compared when case does not count, as
// Wine compares them, in every script: the uppercase letter of the simple
// case mappings of the Unicode character data, where that letter's own
// lowercase mapping leads back (so dotless i, the final sigma and the Kelvin
// sign stay apart from i, sigma and k). Characters beyond the Basic
// Multilingual Plane are compared as UTF-16 code units, which have no case,
// and come back unchanged, as does every character without such a letter.
char32_t FoldCaseUnicode(char32_t cp);

// Upper case of one Windows-1252 byte and of a Windows-1252 text: ASCII and
// the accented letters (a grave..thorn, s/z caron, oe, y diaeresis).
unsigned char UpperCp1252Byte(unsigned char c);
std::string UpperCp1252(std::string_view s);
// Three-way comparison of two Windows-1252 texts by their UpperCp1252 bytes
// (unsigned): negative, 0 or positive.
int CompareNoCaseCp1252(std::string_view a, std::string_view b);

}  // namespace velk
