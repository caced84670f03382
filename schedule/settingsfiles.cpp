#include "schedule/settingsfiles.h"

#include "files/wholefile.h"
#include "protocol/decimaltext.h"

#include "schedule/scheduletexts.h"
#include "schedule/timetable.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace schedule {

namespace {

constexpr char kEncoding[] = "GB18030";
constexpr char kLineEnd[] = "\r\n";

// Up to maxLines lines of the file, each decoded on its own.
QList<FileLine> readLines(const QString &path, int maxLines)
{
    QList<FileLine> lines;
    // Anything but a regular file (directory, pipe, device) is not ours to read: a pipe would
    // block start-up.
    if (!QFileInfo(path).isFile())
        return lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    if (!QStringDecoder(kEncoding).isValid())
        return lines;

    QByteArray line;
    line.reserve(kMaxLineBytes);
    bool tooLong = false;
    // GB18030 never uses CR or LF inside a character, so cutting at them first is safe; each line
    // has a decoder of its own, so a broken character at its end stays out of the next line.
    const auto endLine = [&] {
        if (tooLong || line.contains('\0')) {
            lines.append(std::nullopt);
        } else {
            QStringDecoder decoder(kEncoding, QStringConverter::Flag::Stateless);
            const QString text = decoder.decode(line);
            lines.append(decoder.hasError() ? FileLine() : FileLine(text));
        }
        line.clear();
        tooLong = false;
    };

    char chunk[16 * 1024];
    bool afterCarriageReturn = false;
    qint64 scanned = 0;
    while (lines.size() < maxLines && scanned < kMaxScanBytes) {
        const qint64 n = file.read(chunk, qMin<qint64>(sizeof chunk, kMaxScanBytes - scanned));
        // The end of the file, or a read that failed: what was read so far stands.
        if (n <= 0) {
            if (n == 0 && (!line.isEmpty() || tooLong) && lines.size() < maxLines)
                endLine();
            return lines;
        }
        scanned += n;
        for (qint64 i = 0; i < n && lines.size() < maxLines; ++i) {
            const char c = chunk[i];
            if (afterCarriageReturn) {
                afterCarriageReturn = false;
                if (c == '\n')
                    continue;
            }
            if (c == '\r' || c == '\n') {
                endLine();
                afterCarriageReturn = c == '\r';
            } else if (line.size() < kMaxLineBytes) {
                line.append(c);
            } else {
                tooLong = true;
            }
        }
    }
    // Cut short at the scan bound: the line it fell in is not taken.
    return lines;
}

// A decimal number with optional sign, fraction and exponent; non-zero when any digit before the
// exponent is, so no overflow or underflow can change the answer.
std::optional<bool> nonZeroNumber(QStringView text)
{
    using decimaltext::read;
    qsizetype pos = 0;
    const auto sign = [&] {
        if (pos < text.size() && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-')))
            ++pos;
    };
    sign();
    const decimaltext::Digits whole = read(text, pos);
    pos = whole.end;
    decimaltext::Digits fraction;
    if (pos < text.size() && text[pos] == QLatin1Char('.')) {
        fraction = read(text, pos + 1);
        pos = qMax(pos + 1, fraction.end);
    }
    if (whole.count + fraction.count == 0)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == QLatin1Char('e') || text[pos] == QLatin1Char('E'))) {
        ++pos;
        sign();
        const decimaltext::Digits exponent = read(text, pos);
        if (exponent.count == 0)
            return std::nullopt;
        pos = exponent.end;
    }
    if (pos != text.size())
        return std::nullopt;
    return whole.value != 0 || fraction.value != 0;
}

SaveResult writeLines(const QString &path, const QStringList &lines)
{
    QStringEncoder encoder(kEncoding);
    if (!encoder.isValid())
        return {false, scheduletexts::saveFailedText(path, scheduletexts::kReasonNoEncoding)};
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes.append(encoder.encode(line));
        bytes.append(kLineEnd);
    }
    const files::Saved saved = files::writeWhole(path, bytes);
    if (!saved.ok)
        return {false, scheduletexts::saveFailedText(path, files::reasonText(saved.error))};
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

QString SettingsPlace::readPath(FileIn fileIn) const
{
    const QString own = fileIn(dataDir);
    if (fallbackDir.isEmpty() || QFileInfo::exists(own))
        return own;
    const QString beside = fileIn(fallbackDir);
    return QFileInfo(beside).isFile() ? beside : own;
}

std::optional<QString> readDeviceIp(const QString &path)
{
    const QList<FileLine> lines = readLines(path, 1);
    if (lines.isEmpty())
        return std::nullopt;
    return lines.first();
}

QList<FileLine> readRows(const QString &path)
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

QList<FlagLine> readFlags(const QString &path)
{
    QList<FlagLine> flags;
    for (const FileLine &line : readLines(path, kRowCount))
        flags.append(line ? flagOfLine(*line) : std::nullopt);
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
