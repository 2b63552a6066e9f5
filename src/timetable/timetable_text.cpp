#include "timetable/timetable_text.h"

#include "platform/text_codec.h"

namespace velk {
namespace {

// Fields start at these columns while none overflows; a longer field pushes
// the rest of its line to the right, it is never cut.
constexpr size_t kColumnEnds[5] = {21, 29, 35, 54, 60};

void AppendLine(std::string& out, const std::string_view (&fields)[6]) {
  size_t lineStart = out.size();
  for (size_t k = 0; k < 5; ++k) {
    out += fields[k];
    size_t length = out.size() - lineStart;
    if (length < kColumnEnds[k]) out.append(kColumnEnds[k] - length, ' ');
  }
  out += fields[5];
  out += "\r\n";
}

}  // namespace

std::string TimetableText(const std::vector<TimetableRow>& rows, std::string_view airports,
                          std::string_view dateText, std::string_view zone) {
  std::string out;
  out.reserve(160 + rows.size() * 96);
  out += "Airport timetable for ";
  out += UpperCp1252(airports);
  out += " - ";
  out += dateText;
  out += " (";
  out += zone;
  out += ")\r\n\r\n";
  const std::string_view header[6] = {"Time", "Ar./Dp.", "F/T", "Airline", "No.", "Aircraft (Registration)"};
  AppendLine(out, header);
  out += "\r\n";
  std::string aircraft;
  for (const TimetableRow& row : rows) {
    aircraft = row.aircraft + " (" + row.registration + ")";
    const std::string_view fields[6] = {row.time,    TimetableKindText(row.kind), row.fromTo,
                                        row.airline, row.flightNumber,            aircraft};
    AppendLine(out, fields);
  }
  return out;
}

}  // namespace velk
