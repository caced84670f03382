#pragma once

#include "link/seriallink.h"
#include "link/tcplink.h"

#include <QString>

// The console's two links to the head controller, which one the operator has selected, and
// whether it is open. The link panel on the window decides both; the send and receive paths,
// the timetable and the cruise only ask here.
class Links
{
public:
    enum class Kind { Serial, Tcp };

    explicit Links(const QString &programDir) : m_serial(programDir) {}

    SerialLink &serial() { return m_serial; }
    TcpLink &tcp() { return m_tcp; }

    Kind kind() const { return m_kind; }
    void setKind(Kind kind) { m_kind = kind; }
    Link &selected()
    {
        if (m_kind == Kind::Serial)
            return m_serial;
        return m_tcp;
    }

    // True exactly while the link panel shows the link open (its button offers to disconnect).
    bool isOpen() const { return m_open; }
    void setOpen(bool open) { m_open = open; }

private:
    SerialLink m_serial;
    TcpLink m_tcp;
    Kind m_kind = Kind::Serial;
    bool m_open = false;
};
