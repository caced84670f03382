#pragma once

#include <QByteArray>
#include <QObject>

// One link to the head controller, a serial port or a TCP connection. The send path writes to
// whichever is selected without caring which it is.
class Link : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isOpen() const = 0;
    // Ends the link or an attempt to make it; closing a closed link is harmless.
    virtual void close() = 0;
    // A control frame, written the way frames go out on this link. False when nothing went out.
    virtual bool sendFrame(const QByteArray &bytes) = 0;
    // A text command, in one write. False when nothing went out.
    virtual bool sendText(const QByteArray &bytes) = 0;

signals:
    // The device or the peer went away while the link was open; said once per loss.
    void lost();
};
