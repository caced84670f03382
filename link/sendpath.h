#pragma once

#include "protocol/frame.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <utility>

class Links;
class LogText;

// Everything that leaves the console passes here: control frames (link test, checksum, log
// line, write) and text commands (write, and the log line of exactly the bytes written).
// A repeated frame (sendRepeated) goes out paced by a timer; while its copies are going out,
// whatever else is asked for waits and follows its last copy in order, except the jog's motion
// frames, which the scan repeats anyway and which are dropped meanwhile. The window thread never
// waits for a copy.
class SendPath : public QObject
{
    Q_OBJECT
public:
    SendPath(Links &links, LogText &log, QObject *parent = nullptr);

    // Refused without a word while no link is open; then every held jog direction is let go.
    // Otherwise byte 6 is replaced by the checksum, and the frame is logged and written.
    void SendFrame(const protocol::Frame &frame);
    // Written to the selected link whether or not it is open; a failed write is dropped. While
    // repeated copies are going out it waits for them, and true only says it was taken.
    bool SendTextCommand(const QByteArray &bytes);
    void LogSentFrame(const QByteArray &bytes);
    void LogSentText(const QString &text);
    // A text command as the operator's buttons send it: written and then logged. A command the
    // head cannot take (a character outside printable ASCII) is neither sent nor logged.
    void SendText(const QString &command);

    // Names the cause of every command sent while it lives (sendcause.h); the cause before it
    // is back when it goes, so causes nest.
    class Cause
    {
    public:
        Cause(SendPath &path, const QString &cause)
            : m_path(path), m_previous(std::exchange(path.m_cause, cause))
        {
        }
        ~Cause() { m_path.m_cause = m_previous; }
        Cause(const Cause &) = delete;
        Cause &operator=(const Cause &) = delete;

    private:
        SendPath &m_path;
        QString m_previous;
    };
    const QString &cause() const { return m_cause; }

    // The frame times times, the first copy at once and each further one no sooner than gap
    // after the one before, each logged and told (frameSent, with cause) as it is written.
    // Refused like SendFrame while no link is open. Asked for while another repetition is
    // going out, it starts after that one's last copy. When the link closes, the copies still
    // to go and everything waiting for them are dropped: nothing is written on a closed link.
    void sendRepeated(const protocol::Frame &frame, int times, std::chrono::milliseconds gap,
                      const QString &cause);
    // Copies of a repeated frame are still to go out.
    bool repeating() const { return m_repeat.has_value(); }

signals:
    // A control frame was written (with its checksum), and why.
    void frameSent(const QByteArray &bytes, const QString &cause);
    // A text command was written, and why.
    void textSent(const QByteArray &bytes, const QString &cause);
    // A frame was refused because no link is open.
    void frameRefused();
    // A text command held characters the head cannot take, so nothing went out.
    void textRefused(const QString &command);

private:
    struct Repeat
    {
        QByteArray bytes;
        int left = 0;
        std::chrono::milliseconds gap{};
        QString cause;
    };

    void writeFrame(const QByteArray &bytes, const QString &cause);
    bool writeText(const QByteArray &bytes, const QString &cause);
    void startRepeat(Repeat repeat);
    void writeCopy();
    void copyDue();
    void sendWaiting();
    void dropRepeat();

    Links &m_links;
    LogText &m_log;
    QString m_cause;
    std::optional<Repeat> m_repeat;
    // Asked for while copies were going out, each with the cause it was asked under.
    std::deque<std::function<void()>> m_waiting;
    QTimer m_pacer;
    // Since the last copy was written and told.
    QElapsedTimer m_sinceCopy;
};
