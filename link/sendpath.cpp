#include "link/sendpath.h"

#include "link/linkcontroller.h"
#include "link/logbox.h"

namespace {
const QString kSentLabel = QStringLiteral("-->发送：");
const QString kLineEnd = QStringLiteral("\r\n");
} // namespace

SendPath::SendPath(LinkController &link, LogBox &log, QObject *parent)
    : QObject(parent), m_link(link), m_log(log)
{
}

void SendPath::SendFrame(protocol::Frame &buffer, qint16 length)
{
    m_checksum = 0;
    if (!m_link.linkOpen()) {
        emit frameRefused();
        return;
    }
    const qint16 size = std::clamp<qint16>(length, 2, qint16(buffer.size()));
    for (int i = 1; i <= size - 2; ++i)
        m_checksum = qint16(m_checksum + buffer[i]);
    buffer[size - 1] = quint8(m_checksum & 0xFF);

    const QByteArray bytes(reinterpret_cast<const char *>(buffer.data()), size);
    LogSentFrame(bytes);
    // A write that fails under an open caption (the device went away a moment ago) is dropped;
    // the loss itself is reported by the link.
    m_link.selectedLink().sendFrame(bytes);
}

void SendPath::SendTextCommand(const QString &text)
{
    m_link.selectedLink().sendText(text.toLatin1());
}

void SendPath::LogSentFrame(const QByteArray &bytes)
{
    m_log.addEntry(kLineEnd + kSentLabel + protocol::hexText(bytes) + kLineEnd);
}

void SendPath::LogSentText(const QString &text)
{
    m_log.addEntry(kLineEnd + kSentLabel + text + kLineEnd);
}
