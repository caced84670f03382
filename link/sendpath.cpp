#include "link/sendpath.h"

#include "link/links.h"
#include "link/logtext.h"
#include "protocol/textcommand.h"

namespace {
const QString kSentLabel = QStringLiteral("\r\n-->发送\uFF1A");
const QString kLineEnd = QStringLiteral("\r\n");
} // namespace

SendPath::SendPath(Links &links, LogText &log, QObject *parent)
    : QObject(parent), m_links(links), m_log(log)
{
}

void SendPath::SendFrame(const protocol::Frame &frame)
{
    if (!m_links.isOpen()) {
        emit frameRefused();
        return;
    }
    const QByteArray bytes = protocol::toBytes(protocol::withChecksum(frame));
    LogSentFrame(bytes);
    // A write that fails under an open link (the device went away a moment ago) is dropped;
    // the loss itself is reported by the link.
    if (m_links.selected().sendFrame(bytes))
        emit frameSent(bytes, m_cause);
}

bool SendPath::SendTextCommand(const QByteArray &bytes)
{
    const bool written = m_links.selected().sendText(bytes);
    if (written)
        emit textSent(bytes, m_cause);
    return written;
}

void SendPath::LogSentFrame(const QByteArray &bytes)
{
    m_log.addEntry(kSentLabel + protocol::hexText(bytes) + kLineEnd);
}

void SendPath::LogSentText(const QString &text)
{
    m_log.addEntry(kSentLabel + text + kLineEnd);
}

void SendPath::SendText(const QString &command)
{
    const std::optional<QByteArray> bytes = protocol::textCommandBytes(command);
    if (!bytes) {
        emit textRefused(command);
        return;
    }
    SendTextCommand(*bytes);
    LogSentText(QString::fromLatin1(*bytes));
}
