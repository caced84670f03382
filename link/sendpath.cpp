#include "link/sendpath.h"

#include "link/links.h"
#include "link/logtext.h"
#include "protocol/textcommand.h"

#include <cmath>

namespace {
const QString kSentLabel = QStringLiteral("\r\n-->发送\uFF1A");
const QString kLineEnd = QStringLiteral("\r\n");

// A motion frame that moves the head: what the jog scan and the stick send a hundred times a
// second while held. One with no direction bit stops the head and is not one of them.
bool isMoveFrame(const protocol::Frame &frame)
{
    constexpr quint8 directions =
        protocol::kRightBit | protocol::kLeftBit | protocol::kUpBit | protocol::kDownBit;
    return frame[2] == 0x00 && frame[3] != 0x00 && (frame[3] & ~directions) == 0;
}
} // namespace

SendPath::SendPath(Links &links, LogText &log, QObject *parent)
    : QObject(parent), m_links(links), m_log(log)
{
    m_pacer.setSingleShot(true);
    m_pacer.setTimerType(Qt::PreciseTimer);
    connect(&m_pacer, &QTimer::timeout, this, &SendPath::copyDue);
    connect(&m_links, &Links::openChanged, this, [this](bool open) {
        if (!open)
            dropRepeat();
    });
}

void SendPath::SendFrame(const protocol::Frame &frame)
{
    if (!m_links.isOpen()) {
        emit frameRefused();
        return;
    }
    const QByteArray bytes = protocol::toBytes(protocol::withChecksum(frame));
    if (m_repeat) {
        if (!isMoveFrame(frame))
            m_waiting.push_back([this, bytes, cause = m_cause] { writeFrame(bytes, cause); });
        return;
    }
    writeFrame(bytes, m_cause);
}

void SendPath::writeFrame(const QByteArray &bytes, const QString &cause)
{
    LogSentFrame(bytes);
    // A write that fails under an open link (the device went away a moment ago) is dropped;
    // the loss itself is reported by the link.
    if (m_links.selected().sendFrame(bytes))
        emit frameSent(bytes, cause);
}

bool SendPath::SendTextCommand(const QByteArray &bytes)
{
    if (m_repeat) {
        m_waiting.push_back([this, bytes, cause = m_cause] { writeText(bytes, cause); });
        return true;
    }
    return writeText(bytes, m_cause);
}

bool SendPath::writeText(const QByteArray &bytes, const QString &cause)
{
    const bool written = m_links.selected().sendText(bytes);
    if (written)
        emit textSent(bytes, cause);
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
    // Its log line goes with the write, so that the log shows it where it went out.
    const auto send = [this, bytes = *bytes](const QString &cause) {
        writeText(bytes, cause);
        LogSentText(QString::fromLatin1(bytes));
    };
    if (m_repeat) {
        m_waiting.push_back([send, cause = m_cause] { send(cause); });
        return;
    }
    send(m_cause);
}

void SendPath::sendRepeated(const protocol::Frame &frame, int times, std::chrono::milliseconds gap,
                            const QString &cause)
{
    if (!m_links.isOpen()) {
        emit frameRefused();
        return;
    }
    if (times <= 0)
        return;
    Repeat repeat{protocol::toBytes(protocol::withChecksum(frame)), times, gap, cause};
    if (m_repeat) {
        m_waiting.push_back([this, repeat] { startRepeat(repeat); });
        return;
    }
    startRepeat(std::move(repeat));
}

void SendPath::startRepeat(Repeat repeat)
{
    m_repeat = std::move(repeat);
    writeCopy();
}

void SendPath::writeCopy()
{
    writeFrame(m_repeat->bytes, m_repeat->cause);
    // Counted from after the write and its listeners, so that no part of the next copy can
    // leave sooner than the gap after this one.
    m_sinceCopy.start();
    if (--m_repeat->left > 0) {
        m_pacer.start(m_repeat->gap);
        return;
    }
    m_repeat.reset();
    sendWaiting();
}

void SendPath::copyDue()
{
    if (!m_repeat)
        return;
    // A link lost a moment ago may not be shown closed yet.
    if (!m_links.isOpen()) {
        dropRepeat();
        return;
    }
    // A timer may fire a little early; the gap is a floor the head relies on.
    const qint64 earlyNs =
        std::chrono::nanoseconds(m_repeat->gap).count() - m_sinceCopy.nsecsElapsed();
    if (earlyNs > 0) {
        m_pacer.start(int(std::ceil(double(earlyNs) / 1e6)));
        return;
    }
    writeCopy();
}

void SendPath::sendWaiting()
{
    // Each goes out in turn with the cause it was asked under; a repetition among them holds
    // back the rest again until its own last copy.
    while (!m_repeat && !m_waiting.empty()) {
        const std::function<void()> next = std::move(m_waiting.front());
        m_waiting.pop_front();
        next();
    }
}

void SendPath::dropRepeat()
{
    m_pacer.stop();
    m_repeat.reset();
    m_waiting.clear();
}
