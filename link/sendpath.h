#pragma once

#include "protocol/frame.h"

#include <QObject>
#include <QString>

class LinkController;
class LogBox;

// Everything that leaves the console passes here: control frames (link test, checksum, log
// line, write) and text commands (write only; the caller adds the log line).
class SendPath : public QObject
{
    Q_OBJECT
public:
    SendPath(LinkController &link, LogBox &log, QObject *parent = nullptr);

    // The one frame buffer the builders fill (bytes 0 to 5) before handing it to SendFrame.
    protocol::Frame FrameBuf{};

    // Refused without a word while no link is open; then every held jog direction is let go.
    void SendFrame(protocol::Frame &buffer, qint16 length);
    // Written to the selected link whether or not it is open; a failed write is dropped.
    void SendTextCommand(const QString &text);
    void LogSentFrame(const QByteArray &bytes);
    void LogSentText(const QString &text);

signals:
    // A frame was refused because no link is open.
    void frameRefused();

private:
    LinkController &m_link;
    LogBox &m_log;
    qint16 m_checksum = 0;
};
