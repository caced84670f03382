#pragma once

#include "link/seriallink.h"
#include "link/tcplink.h"

#include <QObject>
#include <QString>

#include <array>

// What happened to the link, as the status line and the journal tell it.
enum class LinkEvent { Opened, Closed, Lost, ConnectFailed };

// The console's two links to the head controller, which one the operator has selected, and
// the state of the link: the one place that says so. The link panel changes it and shows it
// (the connect button's caption and the indicator follow stateChanged); the send and receive
// paths, the timetable and the cruise only ask here.
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

    // Opening: a TCP connection or a serial port is being made; Closing: the link is being
    // closed (by the operator or a loss). Only an open link takes frames.
    enum class State { Closed, Opening, Open, Closing };
    State state() const { return m_state; }
    bool isOpen() const { return m_state == State::Open; }
    void setState(State state)
    {
        if (state == m_state)
            return;
        m_state = state;
        emit stateChanged(state);
    }
    void setOpen(bool open) { setState(open ? State::Open : State::Closed); }

    // The serial port first, then the TCP connection, as the exit closes them.
    void closeAll()
    {
        if (m_serial.isOpen())
            m_serial.close();
        m_tcp.close();
    }

signals:
    void stateChanged(Links::State state);

private:
    SerialLink m_serial;
    TcpLink m_tcp;
    Kind m_kind = Kind::Serial;
    State m_state = State::Closed;
};
