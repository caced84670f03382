#pragma once

#include "protocol/frame.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <utility>

class Links;
class LogText;

// Everything that leaves the console passes here: control frames (link test, checksum, log
// line, write) and text commands (write, and the log line of exactly the bytes written).
class SendPath : public QObject
{
    Q_OBJECT
public:
    SendPath(Links &links, LogText &log, QObject *parent = nullptr);

    // Refused without a word while no link is open; then every held jog direction is let go.
    // Otherwise byte 6 is replaced by the checksum, and the frame is logged and written.
    void SendFrame(const protocol::Frame &frame);
    // Written to the selected link whether or not it is open; a failed write is dropped.
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
    Links &m_links;
    LogText &m_log;
    QString m_cause;
};
