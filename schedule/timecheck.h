#pragma once

#include <QString>

// The editor's check of a typed on or off time. It only decides whether to warn: the text is
// stored as typed either way, and only the clock's own "hh:mm:ss" form can ever fire.
namespace schedule {

// True when the whole text is a date or a time of day in one of these notations (ASCII digits,
// ASCII separators, no blanks before or after):
//   H:mm        HH:mm        hours 0-23 in one or two digits, minutes 00-59 in two
//   H:mm:ss     HH:mm:ss     seconds 00-59 in two digits ("08:00:00", "8:00:00", "23:59")
//   any of these times followed by one space and AM or PM, in any case, with hours 1-12
//                            ("8:00:00 PM", "12:30 am")
//   yyyy-MM-dd  yyyy/MM/dd   a four-digit year, month and day in one or two digits each and
//   yyyy-M-d    yyyy/M/d     the same separator twice; the date must exist ("2024-2-29")
//   a date, one space and any of the times above ("2026-12-08 8:00", "2026/1/5 8:00:00 PM")
// Everything else is refused, among it the empty text, "25:00:00", "12:60:00",
// "12:12:12:12", "abc", full-width digits or colons, and blanks around the text.
bool isDateOrTime(const QString &text);

} // namespace schedule
