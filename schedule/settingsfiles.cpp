#include "schedule/settingsfiles.h"

#include "schedule/scheduletexts.h"
#include "schedule/timetable.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace schedule {

namespace {

constexpr char kEncoding[] = "GB18030";
constexpr char kLineEnd[] = "\r\n";

// Up to maxLines decoded lines of the file, cut short at the first line that is too long or
// holds a NUL byte.
QStringList readLines(const QString &path, int maxLines)
{
    QStringList lines;
    // Anything but a regular file (directory, pipe, device) is not ours to read: a pipe would
    // block start-up.
    if (!QFileInfo(path).isFile())
        return lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    // Every accepted line with its end fits in kMaxLineBytes + 2 bytes, so maxLines of them
    // always fit in this much; a line still without its end within kMaxLineBytes is too long.
    const qint64 limit = qint64(maxLines) * (kMaxLineBytes + 2) + 1;
    const QByteArray bytes = file.read(limit);
    file.close();

    QStringDecoder decoder(kEncoding, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return lines;
    qsizetype pos = 0;
    while (lines.size() < maxLines && pos < bytes.size()) {
        const qsizetype window = qMin<qsizetype>(bytes.size() - pos, kMaxLineBytes + 1);
        qsizetype end = pos;
        while (end < pos + window && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end - pos > kMaxLineBytes)
            break;
        const QByteArrayView line(bytes.constData() + pos, end - pos);
        if (line.contains('\0'))
            break;
        // GB18030 never uses CR or LF inside a character, so cutting at them first is safe; the
        // stateless decoder keeps a broken character at a line's end out of the next line.
        lines.append(decoder.decode(line));
        pos = end;
        if (pos < bytes.size()) {
            const bool carriageReturn = bytes[pos] == '\r';
            ++pos;
            if (carriageReturn && pos < bytes.size() && bytes[pos] == '\n')
                ++pos;
        }
    }
    return lines;
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A decimal number with optional sign, fraction and exponent; non-zero when any digit before the
// exponent is, so no overflow or underflow can change the answer.
std::optional<bool> nonZeroNumber(QStringView text)
{
    qsizetype pos = 0;
    if (pos < text.size() && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-')))
        ++pos;
    int digits = 0;
    bool nonZero = false;
    bool point = false;
    for (; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (isAsciiDigit(c)) {
            ++digits;
            nonZero = nonZero || c != QLatin1Char('0');
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == QLatin1Char('e') || text[pos] == QLatin1Char('E'))) {
        ++pos;
        if (pos < text.size() && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-')))
            ++pos;
        const qsizetype exponentStart = pos;
        while (pos < text.size() && isAsciiDigit(text[pos]))
            ++pos;
        if (pos == exponentStart)
            return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;
    return nonZero;
}

SaveResult writeLines(const QString &path, const QStringList &lines)
{
    QStringEncoder encoder(kEncoding);
    if (!encoder.isValid())
        return {false, scheduletexts::saveFailedText(path, QString::fromLatin1(kEncoding))};
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes.append(encoder.encode(line));
        bytes.append(kLineEnd);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, scheduletexts::saveFailedText(path, file.errorString())};
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, scheduletexts::saveFailedText(path, reason)};
    }
    if (!file.commit())
        return {false, scheduletexts::saveFailedText(path, file.errorString())};
    return {true, {}};
}

} // namespace

QString deviceIpPath(const QString &programDir)
{
    return programDir + QStringLiteral("/123.ini");
}

QString rowsPath(const QString &programDir)
{
    return programDir + QStringLiteral("/321.ini");
}

QString flagsPath(const QString &programDir)
{
    return programDir + QStringLiteral("/322.ini");
}

std::optional<QString> readDeviceIp(const QString &path)
{
    const QStringList lines = readLines(path, 1);
    if (lines.isEmpty())
        return std::nullopt;
    return lines.first();
}

QStringList readRows(const QString &path)
{
    return readLines(path, kRowCount);
}

std::optional<bool> flagOfLine(const QString &line)
{
    const QString word = line.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return nonZeroNumber(word);
}

QList<bool> readFlags(const QString &path)
{
    QList<bool> flags;
    for (const QString &line : readLines(path, kRowCount)) {
        const std::optional<bool> flag = flagOfLine(line);
        if (!flag)
            break;
        flags.append(*flag);
    }
    return flags;
}

SaveResult writeDeviceIp(const QString &path, const QString &ip)
{
    return writeLines(path, {ip});
}

SaveResult writeRows(const QString &path, const QStringList &rows)
{
    return writeLines(path, rows);
}

SaveResult writeFlags(const QString &path, const QList<bool> &flags)
{
    QStringList lines;
    lines.reserve(flags.size());
    for (bool flag : flags)
        lines.append(flag ? QStringLiteral("True") : QStringLiteral("False"));
    return writeLines(path, lines);
}

} // namespace schedule
