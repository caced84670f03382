#include "link/sendpath.h"

#include "link/links.h"
#include "link/logtext.h"

#include <cmath>

namespace {
const QString kSentLabel = QStringLiteral("\r\n-->发送\uFF1A");
const QString kLineEnd = QStringLiteral("\r\n");

// A motion that moves the head: what the jog scan and the stick send a hundred times a second
// while held. One with no direction bit stops the head and is not one of them.
bool isMove(const protocol::Command &command)
{
    return command.kind == protocol::Command::Kind::Move && command.bits != 0;
}
} // namespace

SendPath::SendPath(Links &links, LogText &log, QObject *parent)
    : QObject(parent), m_links(links), m_log(log)
{
    m_pacer.setSingleShot(true);
    m_pacer.setTimerType(Qt::PreciseTimer);
    connect(&m_pacer, &QTimer::timeout, this, &SendPath::copyDue);
    connect(&m_links, &Links::stateChanged, this, [this](Links::State state) {
        if (state != Links::State::Open)
            dropRepeat();
    });
}

bool SendPath::send(const protocol::Command &command, const QString &cause)
{
    if (command.isText()) {
        const std::optional<QByteArray> bytes = protocol::bytesOf(command);
        if (!bytes) {
            emit textRefused(command.text);
            return false;
        }
        if (m_repeat) {
            m_waiting.push_back(
                [this, command, bytes = *bytes, cause] { writeText(command, bytes, cause); });
            return true;
        }
        return writeText(command, *bytes, cause);
    }
    if (!m_links.isOpen()) {
        emit frameRefused();
        return false;
    }
    if (m_repeat) {
        if (isMove(command))
            return false;
        m_waiting.push_back([this, command, cause] { writeFrame(command, cause); });
        return true;
    }
    return writeFrame(command, cause);
}

void SendPath::burst(const protocol::Command &command, int copies, const QString &cause)
{
    for (int i = 0; i < copies; ++i)
        send(command, cause);
}

bool SendPath::writeFrame(const protocol::Command &command, const QString &cause)
{
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

bool SendPath::writeText(const protocol::Command &command, const QByteArray &bytes,
                         const QString &cause)
{
    const bool written = m_links.selected().sendText(bytes);
    if (written)
        emit sent(command, cause, bytes);
    // Its log line goes with the write, so that the log shows it where it went out.
    m_log.addEntry(kSentLabel + QString::fromLatin1(bytes) + kLineEnd);
    return written;
}

void SendPath::sendRepeated(const protocol::Command &command, int times,
                            std::chrono::milliseconds gap, const QString &cause)
{
    if (!m_links.isOpen()) {
        emit frameRefused();
        return;
    }
    if (times <= 0 || !protocol::bytesOf(command))
        return;
    Repeat repeat{command, times, gap, cause};
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
    writeFrame(m_repeat->command, m_repeat->cause);
    // A listener may have closed the link and dropped the rest.
    if (!m_repeat)
        return;
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
