#pragma once

#include "link/link.h"

#include <QByteArrayList>
#include <QSerialPort>
#include <QString>

// The serial port to the head controller, addressed by port number ("COM3" is port 3) with the
// line settings given as "9600,N,8,1".
class SerialLink : public Link
{
    Q_OBJECT
public:
    // Held: another program has the port. Failed: anything else (no such device, no permission).
    enum class OpenResult { Opened, Held, Failed };
    static constexpr int kDataReceived = 2; // the receive notification's event code

    explicit SerialLink(const QString &programDir, QObject *parent = nullptr);
    ~SerialLink() override;

    bool setPortNumber(int n);
    int portNumber() const { return m_portNumber; }
    // "baud,parity letter,data bits,stop bits"; false (nothing changed) when it cannot be read.
    bool setSettings(const QString &settings);
    QString settings() const { return m_settings; }
    void setBufferSizes(int input, int output);
    // A receive notification for every byte once receive is 1; 0 silences them.
    void setThresholds(int receive, int transmit);
    void setReadLength(int length) { m_readLength = length; }
    void setBinaryInput(bool binary) { m_binary = binary; }

    // Drop bytes waiting in the receive buffer; nothing to do while closed.
    void discardInput();
    // Drop the commands that are queued but not yet started on the line. A command whose first
    // byte has gone to the line driver is always finished, so the head never sees half a frame;
    // the driver's own queue is never flushed.
    void discardOutput();

    OpenResult open();
    QString lastError() const { return m_lastError; }

    bool isOpen() const override;
    void close() override;
    bool sendFrame(const QByteArray &bytes) override;
    bool sendText(const QByteArray &bytes) override;
    // Every byte that has arrived and not been read yet; empty while closed.
    QByteArray readAll();
    // Commands waiting behind the one the line is busy with (at most one, see discardOutput).
    qsizetype queuedCommands() const { return m_queued.size(); }

signals:
    // The receive notification, with its event code (kDataReceived when bytes have arrived).
    void commEvent(int code);

private:
    bool send(const QByteArray &bytes);
    void handOver(const QByteArray &bytes);
    void onBytesWritten();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QString m_programDir;
    QSerialPort m_port;
    int m_portNumber = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
    int m_inputBufferSize = 100;
    int m_outputBufferSize = 100;
    // The receive path relies on these on every open, whatever happened when the port was
    // first prepared: a notification per byte, reads that take everything, raw bytes.
    int m_receiveThreshold = 1;
    int m_transmitThreshold = 1;
    int m_readLength = 0;
    bool m_binary = true;
    bool m_lostReported = false;
    // Whole commands that wait until the port's own buffer has gone to the line.
    QByteArrayList m_queued;
    QString m_lastError;
};
