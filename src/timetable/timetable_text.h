#pragma once
// The timetable as one fixed-width text, the same for the printer and the
// text file: a title line, the column header and one line per row, each
// line ended by CR LF. Texts are Windows-1252 bytes.
#include <string>
#include <string_view>
#include <vector>

#include "timetable/timetable_rows.h"

namespace velk {

// The list's rows in the order given (the list's current sort order).
// `airports` is the airport box as typed (upper-cased here, blanks kept),
// `dateText` the current date and time as the user's locale writes it,
// `zone` the zone the rows are shown in.
std::string TimetableText(const std::vector<TimetableRow>& rows, std::string_view airports,
                          std::string_view dateText, std::string_view zone);

}  // namespace velk
