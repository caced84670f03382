#pragma once

#include "protocol/command.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class Links;
class LogText;

// Everything that leaves the console passes here, as a command with its cause (sendcause.h):
// control frames (link test, log line, write) and text commands (write, and the log line of
// exactly the bytes written). What went out is told as the command, its cause and its bytes.
class SendPath : public QObject
{
    Q_OBJECT
public:
    SendPath(Links &links, LogText &log, QObject *parent = nullptr);

    // A control frame is refused without a word while no link is open (frameRefused: every
    // held jog direction is let go); otherwise it is logged and written to the selected link.
    // A text command is written to the selected link whether or not it is open, then logged;
    // one the head cannot take (a character outside printable ASCII) is neither sent nor
    // logged (textRefused). True when the bytes were written.
    bool send(const protocol::Command &command, const QString &cause);
    // Lamp, cruise and preset commands: copies back to back, each sent as send() sends it.
    void burst(const protocol::Command &command, int copies, const QString &cause);

signals:
    // A command was written: its bytes as they went out, and why.
    void sent(const protocol::Command &command, const QString &cause, const QByteArray &bytes);
    // A frame was refused because no link is open.
    void frameRefused();
    // A text command held characters the head cannot take, so nothing went out.
    void textRefused(const QString &command);

private:
    bool sendFrame(const protocol::Command &command, const QString &cause);
    bool sendText(const protocol::Command &command, const QString &cause);

    Links &m_links;
    LogText &m_log;
};
