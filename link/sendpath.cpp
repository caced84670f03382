#include "link/sendpath.h"

#include "link/links.h"
#include "link/logtext.h"

namespace {
const QString kSentLabel = QStringLiteral("\r\n-->发送\uFF1A");
const QString kLineEnd = QStringLiteral("\r\n");
} // namespace

SendPath::SendPath(Links &links, LogText &log, QObject *parent)
    : QObject(parent), m_links(links), m_log(log)
{
}

bool SendPath::send(const protocol::Command &command, const QString &cause)
{
    return command.isText() ? sendText(command, cause) : sendFrame(command, cause);
}

void SendPath::burst(const protocol::Command &command, int copies, const QString &cause)
{
    for (int i = 0; i < copies; ++i)
        send(command, cause);
}

bool SendPath::sendFrame(const protocol::Command &command, const QString &cause)
{
    if (!m_links.isOpen()) {
        emit frameRefused();
        return false;
    }
    // A preset or a pattern out of range has no frame: nothing goes out.
    const std::optional<QByteArray> bytes = protocol::bytesOf(command);
    if (!bytes)
        return false;
    m_log.addEntry(kSentLabel + protocol::hexText(*bytes) + kLineEnd);
    // A write that fails under an open link (the device went away a moment ago) is dropped;
    // the loss itself is reported by the link.
    if (!m_links.selected().sendFrame(*bytes))
        return false;
    emit sent(command, cause, *bytes);
    return true;
}

bool SendPath::sendText(const protocol::Command &command, const QString &cause)
{
    const std::optional<QByteArray> bytes = protocol::bytesOf(command);
    if (!bytes) {
        emit textRefused(command.text);
        return false;
    }
    const bool written = m_links.selected().sendText(*bytes);
    if (written)
        emit sent(command, cause, *bytes);
    m_log.addEntry(kSentLabel + QString::fromLatin1(*bytes) + kLineEnd);
    return written;
}
