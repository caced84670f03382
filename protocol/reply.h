#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Sorting one chunk of bytes from the head into a log entry. Replies are shown, never decoded.
namespace protocol {

enum class ReplyKind {
    Dropped,         // fewer than 8 bytes not starting with 0xFF, or empty: nothing happens
    Other,           // 8 bytes or more, neither 0xFF nor "T" first: nothing logged
    Frame,           // first byte 0xFF
    TextWithTail,    // "T" first and byte 7 is 'l'
    TextWithoutTail, // "T" first and byte 7 is not 'l'
};

struct ReplyLog
{
    ReplyKind kind = ReplyKind::Dropped;
    // What the chunk adds to the end of the log ("\r\n<--接收：..."); empty for Dropped and Other.
    QString text;
    // False when the chunk was abandoned part-way (Dropped, or a digit that would not convert):
    // the log then skips its 128-character check for this chunk.
    bool completed = false;
};

ReplyLog classifyReply(const QByteArray &chunk);

// The digit text of one reply byte: its hex text read as a decimal number, minus 30
// (0x35 gives "5", 0x40 gives "10", 0x05 gives "-25"); no value when the hex text has A-F.
std::optional<QString> replyDigitText(quint8 byte);

} // namespace protocol
