#pragma once

#include <QString>

// The timetable rows as text: how a slot is written into its row and how its cruise pattern is
// read back from the row.
namespace schedule {

// Rows of the timetable list, slots 0 to 98.
inline constexpr int kRowCount = 99;

// "05 开：08:00:00   关：18:00:00   自动巡航：巡航一": the slot as two digits (the plain number
// from 10 up), one space, the on label and time, three spaces, the off label and time, three
// spaces, the cruise label and the word. The times and the word are taken as given.
QString rowText(int slot, const QString &onTime, const QString &offTime, const QString &cruiseWord);

// The row of a slot never edited: "00 开：00:00:00   关：00:00:00   自动巡航：NO" with its number.
QString designRow(int slot);

// The word the editor's check box 1 to 4 writes into a row ("无巡航", "巡航一", "巡航二",
// "巡航三"); any other box number gives the empty text.
QString cruiseWordOfCheck(int check);

// The cruise pattern (0 none, 1 to 3) named by a row. The text is cut at every ASCII ":" and
// full-width "：" alike; a row built from two hh:mm:ss times gives eight pieces, the eighth being
// the cruise word, compared exactly with "巡航一", "巡航二", "巡航三". Fewer than eight pieces
// give 0, and so do more than eight (a time typed with an extra colon, a row edited by hand in
// the settings file): there is no telling which piece is the word, and starting a cruise the
// operator did not choose is worse than starting none.
int ParseRowCruise(const QString &row);

} // namespace schedule
