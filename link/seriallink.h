#pragma once

#include "link/link.h"
#include "link/portpaths.h"
#include "link/serialsettings.h"

#include <QByteArrayList>
#include <QSerialPort>
#include <QString>

#include <optional>

// The serial port to the head controller, addressed by port number ("COM3" is port 3). Every
// byte that arrives is handed on at once, in received().
class SerialLink : public Link
{
    Q_OBJECT
public:
    explicit SerialLink(const QString &programDir, QObject *parent = nullptr);
    ~SerialLink() override;

    bool setPortNumber(int n);
    int portNumber() const { return m_portNumber; }
    // For a search that opens every number in turn: the opens look the numbers up in this
    // listing of the system's ports until it is let go, instead of listing them each time.
    void holdSystemPorts(portpaths::SystemPorts listed);
    void letGoOfSystemPorts();
    // Applied at once to an open port, and at every open.
    void setSettings(const SerialSettings &settings);
    const SerialSettings &settings() const { return m_settings; }

    // Drop the commands that are queued but not yet started on the line. A command whose first
    // byte has gone to the line driver is always finished, so the head never sees half a frame;
    // the driver's own queue is never flushed.
    void discardOutput();

    // Never pending: the port is open, held by another program, or could not be opened.
    OpenResult open() override;
    QString lastError() const { return m_lastError; }

    bool isOpen() const override;
    void close() override;
    bool sendFrame(const QByteArray &bytes) override;
    bool sendText(const QByteArray &bytes) override;
    // Drops what the port has received and not handed on yet.
    void discardInput() override;
    bool arrivesInPieces() const override { return true; }
    // Commands waiting behind the one the line is busy with (at most one, see discardOutput).
    qsizetype queuedCommands() const { return m_queued.size(); }

private:
    bool send(const QByteArray &bytes);
    void handOver(const QByteArray &bytes);
    void onBytesWritten();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    void applySettings();

    QString m_programDir;
    QSerialPort m_port;
    int m_portNumber = 1;
    std::optional<portpaths::SystemPorts> m_listed;
    SerialSettings m_settings;
    bool m_lostReported = false;
    // Whole commands that wait until the port's own buffer has gone to the line.
    QByteArrayList m_queued;
    QString m_lastError;
};
