#include "protocol/reply.h"

#include "protocol/frame.h"

namespace protocol {

namespace {

// The colon is the full-width U+FF1A, as in the rest of the log; written as an escape so it
// cannot be mistaken for an ASCII colon when edited.
const QString kReceiveLabel = QStringLiteral(u"\r\n<--接收\uFF1A");
const QString kLineEnd = QStringLiteral("\r\n");

constexpr quint8 kTextStart = 0x54; // 'T'
constexpr quint8 kTail = 0x6C;      // 'l'

quint8 byteAt(const QByteArray &chunk, qsizetype i)
{
    return static_cast<quint8>(chunk.at(i));
}

// Appends the digit texts of bytes first..last; false as soon as one does not convert, with the
// text left as far as it got, so the log shows the reply up to the byte that did not convert.
bool appendDigits(QString &text, const QByteArray &chunk, qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i <= last; ++i) {
        const std::optional<QString> digits = replyDigitText(byteAt(chunk, i));
        if (!digits)
            return false;
        text += *digits;
    }
    return true;
}

} // namespace

std::optional<QString> replyDigitText(quint8 byte)
{
    // The head sends ASCII digits: the hex text of each byte read as a decimal number, minus 30,
    // turns '5' (0x35) into 5; other bytes give odd numbers, and a hex letter gives none.
    if ((byte >> 4) > 9 || (byte & 0x0F) > 9)
        return std::nullopt;
    const int asDecimal = (byte >> 4) * 10 + (byte & 0x0F);
    return QString::number(asDecimal - 30);
}

ReplyLog classifyReply(const QByteArray &chunk)
{
    ReplyLog log;
    const qsizetype n = chunk.size();
    if (n == 0)
        return log;

    if (byteAt(chunk, 0) == kSync) {
        log.kind = ReplyKind::Frame;
        log.text = kReceiveLabel + hexText(chunk) + kLineEnd;
        log.completed = true;
        return log;
    }

    // Byte 7 was read before anything else was looked at, so short chunks never get further.
    if (n < 8)
        return log;

    if (byteAt(chunk, 0) != kTextStart) {
        log.kind = ReplyKind::Other;
        log.completed = true;
        return log;
    }

    log.text = kReceiveLabel + QLatin1Char('T');
    if (byteAt(chunk, 7) == kTail) {
        // The last four bytes are taken to be the "llll" tail and are not converted.
        log.kind = ReplyKind::TextWithTail;
        if (!appendDigits(log.text, chunk, 1, n - 5))
            return log;
        log.text += QStringLiteral("llll") + kLineEnd;
    } else {
        log.kind = ReplyKind::TextWithoutTail;
        if (!appendDigits(log.text, chunk, 1, n - 1))
            return log;
        log.text += kLineEnd;
    }
    log.completed = true;
    return log;
}

} // namespace protocol
