// Replies of any size from the head, checked entry by entry against a second, plainer reading of
// the rules of protocol/reply.h.
#include "fuzzsupport.h"
#include "protocol/reply.h"

#include <cstring>
#include <optional>

using protocol::ReplyKind;
using protocol::ReplyLog;

namespace {

// Written out again here so that a wrong colon or line break in the code is caught.
const QString kLabel = QStringLiteral(u"\r\n<--接收：");

// The digit text the long way round: print the byte in hex, refuse A-F, read what is left as a
// decimal number and take 30.
std::optional<QString> digitText(quint8 byte)
{
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    if (std::strpbrk(hex, "ABCDEF") != nullptr)
        return std::nullopt;
    return QString::number(std::atoi(hex) - 30);
}

QString hexOf(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", static_cast<quint8>(c));
        text += QLatin1String(hex);
    }
    return text;
}

// The digit texts of the bytes at first..last in order; the first byte that has none ends the
// text there and leaves the entry abandoned.
bool appendDigits(QString &text, const QByteArray &chunk, qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i <= last; ++i) {
        const std::optional<QString> digits = digitText(static_cast<quint8>(chunk[i]));
        if (!digits)
            return false;
        text += *digits;
    }
    return true;
}

ReplyLog expectedLog(const QByteArray &chunk)
{
    const qsizetype n = chunk.size();
    if (n > 0 && static_cast<quint8>(chunk[0]) == 0xFF)
        return {ReplyKind::Frame, kLabel + hexOf(chunk) + QStringLiteral("\r\n"), true};
    if (n < 8)
        return {ReplyKind::Dropped, {}, false};
    if (chunk[0] != 'T')
        return {ReplyKind::Other, {}, true};

    QString text = kLabel + QLatin1Char('T');
    if (chunk[7] == 'l') {
        // The last four bytes stand for the tail whatever they hold.
        if (!appendDigits(text, chunk, 1, n - 5))
            return {ReplyKind::TextWithTail, text, false};
        return {ReplyKind::TextWithTail, text + QStringLiteral("llll\r\n"), true};
    }
    if (!appendDigits(text, chunk, 1, n - 1))
        return {ReplyKind::TextWithoutTail, text, false};
    return {ReplyKind::TextWithoutTail, text + QStringLiteral("\r\n"), true};
}

QString describe(const ReplyLog &log)
{
    return QStringLiteral("kind %1 completed %2 text %3")
        .arg(int(log.kind))
        .arg(log.completed)
        .arg(fuzz::escaped(log.text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray chunk(reinterpret_cast<const char *>(data), qsizetype(size));
    const ReplyLog got = protocol::classifyReply(chunk);
    const ReplyLog want = expectedLog(chunk);
    const QString detail =
        QStringLiteral("chunk %1\ngot  %2\nwant %3")
            .arg(QString::fromLatin1(chunk.left(64).toHex(' ')), describe(got), describe(want));
    fuzz::require(got.kind == want.kind, "reply kind", detail);
    fuzz::require(got.completed == want.completed, "reply completed", detail);
    fuzz::require(got.text == want.text, "reply log text", detail);

    for (const char c : chunk.left(32)) {
        const auto byte = static_cast<quint8>(c);
        fuzz::require(protocol::replyDigitText(byte) == digitText(byte), "digit text",
                      QStringLiteral("byte %1").arg(byte, 2, 16, QLatin1Char('0')));
    }
    return 0;
}
