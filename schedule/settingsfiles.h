#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The three settings files beside the program: 123.ini (device IP, one line), 321.ini (the 99
// row texts) and 322.ini (the 99 row selections, "True"/"False"). Plain lists of lines in
// GB18030, which writes every GBK character as the same bytes as GBK (save the euro sign, 0x80
// in code page 936, A2 E3 here), so files stay interchangeable with GBK files while a character
// outside GBK still survives; CR LF after every line, the last included; no byte-order mark.
//
// The readers take what the files hold; the caller applies line k to row k. A file we did not
// write is untrusted: only regular files are opened, it is read in small pieces, a line is kept to
// kMaxLineBytes and no more than kMaxScanBytes of a file are looked at, so a huge file, a pipe or
// a directory costs neither memory nor a long wait. Lines end at CR LF, LF or CR; a last line
// without an end counts. A line the console cannot take (longer than kMaxLineBytes, holding a NUL
// byte, never part of a text we write, or holding bytes that are not GB18030) spoils only itself:
// it comes back as no value and the lines after it are read as usual.
namespace schedule {

// Longest line a reader takes, in bytes without the line end. A row built by the editor from two
// times of normal length is about 45 bytes.
inline constexpr int kMaxLineBytes = 4096;
// How much of a file the readers look at, at most; what lies beyond is not read.
inline constexpr qint64 kMaxScanBytes = 16 * 1024 * 1024;

// One line as read: its text, or no value for a line the console cannot take.
using FileLine = std::optional<QString>;
// One selection as read, or no value for a line that is no selection.
using FlagLine = std::optional<bool>;

QString deviceIpPath(const QString &programDir); // <dir>/123.ini
QString rowsPath(const QString &programDir);     // <dir>/321.ini
QString flagsPath(const QString &programDir);    // <dir>/322.ini

// Where the settings files are kept: always written in dataDir; read from there while the file
// exists there (whatever it is), else from fallbackDir when it holds that file (the program
// directory, when it is not the data directory: files copied from an older installation).
struct SettingsPlace
{
    QString dataDir;
    QString fallbackDir;

    using FileIn = QString (*)(const QString &dir);
    QString readPath(FileIn fileIn) const;
    QString writePath(FileIn fileIn) const { return fileIn(dataDir); }
};

// Line 1 of 123.ini. No value when the file is missing, unreadable, has no line at all or a first
// line the console cannot take (the box stays as it is); the empty text when it is empty.
std::optional<QString> readDeviceIp(const QString &path);

// Up to 99 row texts, each as written, without checking their form; no value for a line the
// console cannot take, whose row keeps what it shows.
QList<FileLine> readRows(const QString &path);

// Up to 99 selections. A line is "True" or "False" in any case, or a decimal number with an
// optional sign, fraction and exponent ("-1", "0", "2.5", "1e3"), non-zero meaning true; blanks
// around it do not count. Any other line (the empty line and a line the console cannot take
// included) comes back as no value, and the lines after it are read as usual.
QList<FlagLine> readFlags(const QString &path);

// One of the selection lines of 322.ini read as a Boolean; no value when it is neither.
std::optional<bool> flagOfLine(const QString &line);

// Outcome of a writer: on failure, the operator text naming the file and the reason.
struct SaveResult
{
    bool ok = false;
    QString message;
};

// Each writer saves the whole file or nothing (files::WholeFile): it is reported saved only when
// every byte is on the disk; until then the old file stays as it was, so a kill, a crash or a full
// disk never leaves half a file behind. Where the folder refuses a new file but the file itself
// may be written, it is written in place, once the room for all of it is taken.
SaveResult writeDeviceIp(const QString &path, const QString &ip);
SaveResult writeRows(const QString &path, const QStringList &rows);
SaveResult writeFlags(const QString &path, const QList<bool> &flags);

} // namespace schedule
