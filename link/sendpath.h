#pragma once

#include "protocol/frame.h"

#include <QByteArray>
#include <QObject>
#include <QString>

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

signals:
    // A frame was refused because no link is open.
    void frameRefused();
    // A text command held characters the head cannot take, so nothing went out.
    void textRefused(const QString &command);

private:
    Links &m_links;
    LogText &m_log;
};
