#pragma once

#include "protocol/command.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

class Links;
class LogText;

// Everything that leaves the console passes here, as a command with its cause (sendcause.h):
// control frames (link test, log line, write) and text commands (write, and the log line of
// exactly the bytes written). What went out is told as the command, its cause and its bytes.
// A repeated command (sendRepeated) goes out paced by a timer; while its copies are going out,
// whatever else is asked for waits and follows its last copy in order, except the jog's motion
// frames, which the scan repeats anyway and which are dropped meanwhile. The window thread never
// waits for a copy.
class SendPath : public QObject
{
    Q_OBJECT
public:
    SendPath(Links &links, LogText &log, QObject *parent = nullptr);

    // A control frame is refused without a word while no link is open (frameRefused: every
    // held jog direction is let go); otherwise it is logged and written to the selected link.
    // A text command is written to the selected link whether or not it is open, then logged;
    // one the head cannot take (a character outside printable ASCII) is neither sent nor
    // logged (textRefused). True when the bytes were written, or, while repeated copies are
    // going out, taken to follow them.
    bool send(const protocol::Command &command, const QString &cause);
    // Lamp and cruise commands: copies back to back, each sent as send() sends it.
    void burst(const protocol::Command &command, int copies, const QString &cause);
    // The command times times, the first copy at once and each further one no sooner than gap
    // after the one before, each logged and told as it is written. Refused like send() while
    // no link is open. Asked for while another repetition is going out, it starts after that
    // one's last copy. When the link closes, the copies still to go and everything waiting for
    // them are dropped: nothing is written on a closed link.
    void sendRepeated(const protocol::Command &command, int times, std::chrono::milliseconds gap,
                      const QString &cause);
    // Copies of a repeated command are still to go out.
    bool repeating() const { return m_repeat.has_value(); }

signals:
    // A command was written: its bytes as they went out, and why.
    void sent(const protocol::Command &command, const QString &cause, const QByteArray &bytes);
    // A frame was refused because no link is open.
    void frameRefused();
    // A text command held characters the head cannot take, so nothing went out.
    void textRefused(const QString &command);

private:
    struct Repeat
    {
        protocol::Command command;
        int left = 0;
        std::chrono::milliseconds gap{};
        QString cause;
    };

    bool writeFrame(const protocol::Command &command, const QString &cause);
    bool writeText(const protocol::Command &command, const QByteArray &bytes, const QString &cause);
    void startRepeat(Repeat repeat);
    void writeCopy();
    void copyDue();
    void sendWaiting();
    void dropRepeat();

    Links &m_links;
    LogText &m_log;
    std::optional<Repeat> m_repeat;
    // Asked for while copies were going out, each with the cause it was asked under.
    std::deque<std::function<void()>> m_waiting;
    QTimer m_pacer;
    // Since the last copy was written and told.
    QElapsedTimer m_sinceCopy;
};
