#pragma once

#include <QByteArray>
#include <QObject>

// One link to the head controller, a serial port or a TCP connection. The send path, the
// receive path and everything above them use it without knowing which it is.
class Link : public QObject
{
    Q_OBJECT
public:
    // Held: another program has the device. Pending: opening goes on, and opened() or
    // openFailed() follows. Failed: anything else (no such device, no permission).
    enum class OpenResult { Opened, Pending, Held, Failed };

    using QObject::QObject;

    // Opens the link as it is set up; an open link is closed first.
    virtual OpenResult open() = 0;
    virtual bool isOpen() const = 0;
    // Ends the link or an attempt to make it; closing a closed link is harmless.
    virtual void close() = 0;
    // A control frame, written the way frames go out on this link. False when nothing went out.
    virtual bool sendFrame(const QByteArray &bytes) = 0;
    // A text command, in one write. False when nothing went out.
    virtual bool sendText(const QByteArray &bytes) = 0;
    // Drops bytes that have arrived but not been handed on yet; nothing to do while closed.
    virtual void discardInput() {}
    // Replies on this link come a few bytes at a time (a serial line at 9600 baud), so the
    // receive path gathers them for a moment before it logs them; otherwise each arrival is a
    // reply of its own.
    virtual bool arrivesInPieces() const { return false; }

signals:
    // An open that was pending has succeeded, or has failed.
    void opened();
    void openFailed();
    // Bytes that have arrived, in the order they came.
    void received(const QByteArray &chunk);
    // The device or the peer went away while the link was open; said once per loss.
    void lost();
};
