#pragma once

#include "link/seriallink.h"
#include "link/tcplink.h"

#include <QObject>
#include <QString>

#include <array>

// The console's two links to the head controller, which one the operator has selected, and
// whether it is open: the one place that says so. The link panel changes it and shows it (the
// connect button's caption and the indicator follow openChanged); the send and receive paths,
// the timetable and the cruise only ask here.
class Links : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Serial, Tcp };

    explicit Links(const QString &programDir, QObject *parent = nullptr)
        : QObject(parent), m_serial(programDir)
    {
    }

    SerialLink &serial() { return m_serial; }
    TcpLink &tcp() { return m_tcp; }
    // Both links, serial first.
    std::array<Link *, 2> all() { return {&m_serial, &m_tcp}; }

    Kind kind() const { return m_kind; }
    void setKind(Kind kind) { m_kind = kind; }
    Link &selected()
    {
        if (m_kind == Kind::Serial)
            return m_serial;
        return m_tcp;
    }

    bool isOpen() const { return m_open; }
    void setOpen(bool open)
    {
        if (open == m_open)
            return;
        m_open = open;
        emit openChanged(open);
    }

    // The serial port first, then the TCP connection, as the exit closes them.
    void closeAll()
    {
        if (m_serial.isOpen())
            m_serial.close();
        m_tcp.close();
    }

signals:
    void openChanged(bool open);

private:
    SerialLink m_serial;
    TcpLink m_tcp;
    Kind m_kind = Kind::Serial;
    bool m_open = false;
};
