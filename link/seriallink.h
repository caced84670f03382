#pragma once

#include "link/link.h"

#include <QSerialPort>
#include <QString>

// The serial port to the head controller, addressed by port number like the Windows consoles
// ("COM3"), with the line settings given as "9600,N,8,1".
class SerialLink : public Link
{
    Q_OBJECT
public:
    enum class OpenResult { Opened, Held, Failed };

    explicit SerialLink(const QString &programDir, QObject *parent = nullptr);
    ~SerialLink() override;

    bool setPortNumber(int n);
    int portNumber() const { return m_portNumber; }
    // "baud,parity letter,data bits,stop bits"; false (nothing changed) when it cannot be read.
    bool setSettings(const QString &settings);
    QString settings() const { return m_settings; }
    void setBufferSizes(int input, int output);
    void setThresholds(int receive, int transmit);
    void setReadLength(int length) { m_readLength = length; }
    void setBinaryInput(bool binary) { m_binary = binary; }

    // Drop bytes waiting in the receive buffer; nothing to do while closed.
    void discardInput();
    // Drop what the console has queued but not yet handed to the line driver, so commands never
    // pile up behind a stalled line. A frame already handed over is never cut in half.
    void discardOutput();

    OpenResult open();
    QString lastError() const { return m_lastError; }

    bool isOpen() const override;
    void close() override;
    bool sendFrame(const QByteArray &bytes) override;
    bool sendText(const QByteArray &bytes) override;
    QByteArray readAll() override;

private:
    bool write(const QByteArray &bytes);
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QString m_programDir;
    QSerialPort m_port;
    int m_portNumber = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
    int m_inputBufferSize = 100;
    int m_outputBufferSize = 100;
    int m_receiveThreshold = 0;
    int m_transmitThreshold = 0;
    int m_readLength = 0;
    bool m_binary = false;
    bool m_lostReported = false;
    QString m_lastError;
};
