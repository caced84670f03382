#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

// One line of the journal: when, what kind, which device, what happened, why, and the details
// (bytes in hexadecimal, a text command, a message). A day file holds one entry a line, as UTF-8
// with the six fields separated by tabs:
//   2026-12-08 08:00:00.125<TAB>发送<TAB>01<TAB>开灯<TAB>定时第 05 行 开<TAB>FF 01 02 00 00 00 03
// A tab, a line break or a backslash inside a field is written as \t, \n, \r or \\, and any other
// control character as \xHH, so a line never holds a raw control character but the tabs.
namespace journal {

// The longest line, its end not counted. A longer one is a bad line; the journal shortens long
// fields so that it never writes one.
inline constexpr qsizetype kMaxLineBytes = 64 * 1024;

enum class Kind : quint8 {
    Program,
    Sent,
    Jog,
    Received,
    Link,
    Timetable,
    Preset,
    Settings,
    Message,
};
inline constexpr int kKindCount = 9;

QString kindName(Kind kind);
std::optional<Kind> kindNamed(const QString &name);

struct Entry
{
    // The console's date and time of day, as written; kept apart because turning them into one
    // local QDateTime asks the time zone, which reading a million lines cannot afford.
    QDate day;
    QTime time;
    Kind kind = Kind::Program;
    // 0..255; -1 when the entry concerns no one device.
    int device = -1;
    QString event;
    QString cause;
    QString detail;

    QDateTime at() const { return QDateTime(day, time); }
};

Entry stamped(const QDateTime &at, Kind kind, int device, const QString &event,
              const QString &cause = {}, const QString &detail = {});

// The entry as its line, the line end included. A field too long for kMaxLineBytes is cut at a
// character and ends in "…".
QByteArray toLine(const Entry &entry);
// A line without its line end. Nothing for a line that is not whole: longer than kMaxLineBytes,
// a field missing or extra, a raw control character (the mark of a line cut short), a time, kind
// or device that does not read, or bytes that are not UTF-8.
std::optional<Entry> parseLine(QByteArrayView line);

// "yyyy-MM-dd HH:mm:ss.zzz"
QString timeText(QDate day, QTime time);
inline QString timeText(const Entry &entry)
{
    return timeText(entry.day, entry.time);
}
// The two-digit device number, or empty for none.
QString deviceText(int device);

} // namespace journal
