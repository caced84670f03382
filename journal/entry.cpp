#include "journal/entry.h"

#include "journal/journaltexts.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace journal {

namespace {

const std::array<const QString *, kKindCount> &kindNames()
{
    using namespace journaltexts;
    static const std::array<const QString *, kKindCount> names = {
        &kProgram, &kSent, &kJog, &kReceived, &kLink, &kTimetable, &kPreset, &kSettings, &kMessage};
    return names;
}

// The written bytes a field may take: the time, kind, device and tabs take under 64 bytes, so
// a line stays within kMaxLineBytes.
constexpr qsizetype kEventBytes = 1024;
constexpr qsizetype kCauseBytes = 1024;
constexpr qsizetype kDetailBytes = kMaxLineBytes - kEventBytes - kCauseBytes - 64;
constexpr char kCutEllipsis[] = "\xE2\x80\xA6"; // "…"

// The bytes one byte of a field takes when written.
int escapedSize(quint8 b)
{
    if (b == '\\' || b == '\t' || b == '\n' || b == '\r')
        return 2;
    return b < 0x20 || b == 0x7F ? 4 : 1;
}

// Escapes field into out in at most budget bytes: a longer field is cut before the first
// character that does not fit and ends in the ellipsis.
void escapeInto(QByteArray &out, const QString &field, qsizetype budget)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QByteArray utf8 = field.toUtf8();
    qsizetype size = 0;
    for (const char c : utf8)
        size += escapedSize(static_cast<quint8>(c));
    const bool cut = size > budget;
    const qsizetype end = out.size() + (cut ? budget - qsizetype(sizeof kCutEllipsis - 1) : size);
    // Where the character being written began, to cut before it rather than inside it.
    qsizetype characterStart = out.size();
    for (const char c : utf8) {
        const auto b = static_cast<quint8>(c);
        if ((b & 0xC0) != 0x80)
            characterStart = out.size();
        if (out.size() + escapedSize(b) > end) {
            out.truncate(characterStart);
            break;
        }
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (b < 0x20 || b == 0x7F) {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        } else {
            out += c;
        }
    }
    if (cut)
        out += kCutEllipsis;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<QString> unescape(QByteArrayView field)
{
    QByteArray raw;
    raw.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            raw += c;
            continue;
        }
        if (++i >= field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\':
            raw += '\\';
            break;
        case 't':
            raw += '\t';
            break;
        case 'n':
            raw += '\n';
            break;
        case 'r':
            raw += '\r';
            break;
        case 'x': {
            const int high = i + 1 < field.size() ? hexDigit(field[i + 1]) : -1;
            const int low = i + 2 < field.size() ? hexDigit(field[i + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            raw += char(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(raw);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Digits at text[from, from + count) as a number, or -1.
int digits(QByteArrayView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool parseTime(QByteArrayView t, QDate *day, QTime *clock)
{
    // yyyy-MM-dd HH:mm:ss.zzz
    if (t.size() != 23 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':' ||
        t[16] != ':' || t[19] != '.')
        return false;
    *day = QDate(digits(t, 0, 4), digits(t, 5, 2), digits(t, 8, 2));
    *clock = QTime(digits(t, 11, 2), digits(t, 14, 2), digits(t, 17, 2), digits(t, 20, 3));
    return day->isValid() && clock->isValid();
}

} // namespace

QString kindName(Kind kind)
{
    return *kindNames()[std::size_t(kind)];
}

std::optional<Kind> kindNamed(const QString &name)
{
    for (int k = 0; k < kKindCount; ++k) {
        if (*kindNames()[std::size_t(k)] == name)
            return Kind(k);
    }
    return std::nullopt;
}

Entry stamped(const QDateTime &at, Kind kind, int device, const QString &event,
              const QString &cause, const QString &detail)
{
    return {at.date(), at.time(), kind, device, event, cause, detail};
}

QString timeText(QDate d, QTime t)
{
    // Written for every entry and searched in: filled in place rather than formatted.
    char text[24];
    const auto put = [&text](int from, int value, int width) {
        for (int i = from + width - 1; i >= from; --i, value /= 10)
            text[i] = char('0' + value % 10);
    };
    put(0, d.year(), 4);
    text[4] = '-';
    put(5, d.month(), 2);
    text[7] = '-';
    put(8, d.day(), 2);
    text[10] = ' ';
    put(11, t.hour(), 2);
    text[13] = ':';
    put(14, t.minute(), 2);
    text[16] = ':';
    put(17, t.second(), 2);
    text[19] = '.';
    put(20, t.msec(), 3);
    return QString::fromLatin1(text, 23);
}

QString deviceText(int device)
{
    if (device < 0 || device > 255)
        return {};
    return QStringLiteral("%1").arg(device, 2, 10, QLatin1Char('0'));
}

QByteArray toLine(const Entry &entry)
{
    QByteArray line;
    line.reserve(64 + std::min(entry.detail.size() * 3, kDetailBytes));
    line += timeText(entry).toLatin1();
    line += '\t';
    escapeInto(line, kindName(entry.kind), kEventBytes);
    line += '\t';
    line += deviceText(entry.device).toLatin1();
    line += '\t';
    escapeInto(line, entry.event, kEventBytes);
    line += '\t';
    escapeInto(line, entry.cause, kCauseBytes);
    line += '\t';
    escapeInto(line, entry.detail, kDetailBytes);
    line += '\n';
    return line;
}

std::optional<Entry> parseLine(QByteArrayView line)
{
    if (line.size() > kMaxLineBytes)
        return std::nullopt;
    std::array<QByteArrayView, 6> fields;
    int count = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i < line.size()) {
            const auto b = static_cast<quint8>(line[i]);
            if (b != '\t' && b >= 0x20 && b != 0x7F)
                continue;
            if (b != '\t')
                return std::nullopt;
        }
        if (count == 6)
            return std::nullopt;
        fields[std::size_t(count++)] = line.sliced(start, i - start);
        start = i + 1;
    }
    if (count != 6)
        return std::nullopt;

    Entry entry;
    if (!parseTime(fields[0], &entry.day, &entry.time))
        return std::nullopt;
    const std::optional<QString> kind = unescape(fields[1]);
    const std::optional<Kind> k = kind ? kindNamed(*kind) : std::nullopt;
    if (!k)
        return std::nullopt;
    entry.kind = *k;
    if (!fields[2].isEmpty()) {
        if (fields[2].size() > 3)
            return std::nullopt;
        entry.device = digits(fields[2], 0, fields[2].size());
        if (entry.device < 0 || entry.device > 255)
            return std::nullopt;
    }
    const std::optional<QString> event = unescape(fields[3]);
    const std::optional<QString> cause = unescape(fields[4]);
    const std::optional<QString> detail = unescape(fields[5]);
    if (!event || !cause || !detail)
        return std::nullopt;
    entry.event = *event;
    entry.cause = *cause;
    entry.detail = *detail;
    return entry;
}

} // namespace journal
