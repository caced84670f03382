// Any bytes as the three settings files, and any row text through the cruise parse. The readers
// must keep to their bounds (99 lines, kMaxLineBytes a line, no line breaks inside a line) and
// agree with a plainer cut of the same bytes, a line they cannot take spoiling only itself; the
// flags must agree line by line with flagOfLine and stop at the first line that is no flag;
// the cruise parse must name a pattern only for a row of exactly eight pieces ending in a word.
#include "fuzzsupport.h"
#include "schedule/scheduletexts.h"
#include "schedule/settingsfiles.h"
#include "schedule/timetable.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace {

std::unique_ptr<QTemporaryDir> programDir;

QString put(const QByteArray &bytes)
{
    const QString path = schedule::rowsPath(programDir->path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        fuzz::fail("cannot write the settings file", path);
    return path;
}

// The same bytes cut into lines another way: find each line end with indexOf, and decode each
// line on its own; a line over the limit, holding NUL or failing to decode has no text.
QList<schedule::FileLine> plainLines(const QByteArray &bytes, int maxLines)
{
    QList<schedule::FileLine> lines;
    qsizetype pos = 0;
    while (lines.size() < maxLines && pos < bytes.size()) {
        const qsizetype cr = bytes.indexOf('\r', pos);
        const qsizetype lf = bytes.indexOf('\n', pos);
        qsizetype end = bytes.size();
        if (cr >= 0)
            end = cr;
        if (lf >= 0 && lf < end)
            end = lf;
        const QByteArray line = bytes.mid(pos, end - pos);
        // Each line on its own: a character cut off at the line's end is an error of that line.
        QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(line);
        if (line.size() > schedule::kMaxLineBytes || line.contains('\0') || decoder.hasError())
            lines.append(std::nullopt);
        else
            lines.append(text);
        pos = end;
        if (bytes.mid(pos, 2) == "\r\n")
            pos += 2;
        else if (pos < bytes.size())
            pos += 1;
    }
    return lines;
}

// "True" and "False" in any case, or a decimal number (non-zero is true), blanks around ignored.
std::optional<bool> plainFlag(const QString &line)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    const QString word = line.trimmed();
    if (word.toLower() == QLatin1String("true"))
        return true;
    if (word.toLower() == QLatin1String("false"))
        return false;
    const QRegularExpressionMatch match = number.match(word);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).contains(QRegularExpression(QStringLiteral("[1-9]")));
}

void checkLines(const QList<schedule::FileLine> &lines, const QList<schedule::FileLine> &want,
                const char *reader)
{
    const QString detail = QStringLiteral("%1: %2 lines, a plain cut gives %3")
                               .arg(QLatin1String(reader))
                               .arg(lines.size())
                               .arg(want.size());
    fuzz::require(lines.size() <= schedule::kRowCount, "at most 99 lines", detail);
    for (const schedule::FileLine &line : lines) {
        if (!line)
            continue;
        // A decoded line never has more code units than the bytes it came from.
        fuzz::require(line->size() <= schedule::kMaxLineBytes, "line length", detail);
        fuzz::require(!line->contains(QLatin1Char('\r')) && !line->contains(QLatin1Char('\n')),
                      "no line break inside a line",
                      detail + QLatin1Char(' ') + fuzz::escaped(*line));
    }
    fuzz::require(lines == want, "lines as cut plainly", detail);
}

void checkCruise(const QString &row)
{
    QString cut = row;
    cut.replace(QChar(0xFF1A), QLatin1Char(':'));
    const QStringList pieces = cut.split(QLatin1Char(':'));
    int want = 0;
    if (pieces.size() == 8) {
        const QString &word = pieces.last();
        want = word == scheduletexts::kCruiseOne     ? 1
               : word == scheduletexts::kCruiseTwo   ? 2
               : word == scheduletexts::kCruiseThree ? 3
                                                     : 0;
    }
    const int got = schedule::ParseRowCruise(row);
    fuzz::require(
        got == want, "cruise of a row",
        QStringLiteral("\"%1\" got %2 want %3").arg(fuzz::escaped(row)).arg(got).arg(want));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    programDir = std::make_unique<QTemporaryDir>();
    if (!programDir->isValid())
        fuzz::fail("temporary program directory");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = put(bytes);

    const QList<schedule::FileLine> rows = schedule::readRows(path);
    checkLines(rows, plainLines(bytes, schedule::kRowCount), "rows");

    const std::optional<QString> ip = schedule::readDeviceIp(path);
    const QList<schedule::FileLine> firstLine = plainLines(bytes, 1);
    fuzz::require(ip.has_value() == (!firstLine.isEmpty() && firstLine.first().has_value()),
                  "device IP only from a first line that can be taken");
    if (ip)
        checkLines({*ip}, firstLine, "device IP");

    const QList<schedule::FlagLine> flags = schedule::readFlags(path);
    fuzz::require(flags.size() == rows.size(), "a selection for every line");
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const schedule::FileLine &line = rows[i];
        const std::optional<bool> flag = line ? schedule::flagOfLine(*line) : std::nullopt;
        if (line)
            fuzz::require(flag == plainFlag(*line), "flag of a line", fuzz::escaped(*line));
        // A line that is no flag spoils only itself.
        fuzz::require(flags[i] == flag, "flags line by line",
                      fuzz::escaped(line.value_or(QString())));
    }

    for (const schedule::FileLine &row : rows)
        checkCruise(row.value_or(QString()));
    // Rows typed or pasted rather than read: the same bytes as UTF-8 and as UTF-16 units.
    for (const QString &row : QString::fromUtf8(bytes).split(QLatin1Char('\n')))
        checkCruise(row);
    checkCruise(fuzz::utf16Units(bytes));
    return 0;
}
