#include "tools/headsim/simulator.h"

#include "tools/headsim/framecommand.h"
#include "tools/headsim/textcommand.h"

namespace headsim {

Simulator::Simulator(const Clock &clock, QObject *parent)
    : QObject(parent), m_clock(clock), m_model(clock.nowMs())
{
    m_tick.setInterval(kTickMs);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &Simulator::tick);
}

QByteArray Simulator::handle(const Piece &piece)
{
    QByteArray reply;
    switch (piece.kind) {
    case Piece::Kind::Frame: {
        const FrameCommand command = decodeFrame(piece.bytes);
        m_model.apply(command, m_clock.nowMs());
        ++m_good;
        log(describe(command));
        break;
    }
    case Piece::Kind::BadFrame:
        ++m_bad;
        log(QStringLiteral("bad frame (checksum) ") + hexText(piece.bytes));
        break;
    case Piece::Kind::Text:
        log(applyText(piece.bytes, reply));
        break;
    case Piece::Kind::Garbage:
        ++m_bad;
        log(QStringLiteral("bad bytes (no sync) ") + hexText(piece.bytes));
        break;
    }
    keepTicking();
    emit changed();
    return reply;
}

void Simulator::noteLink(const QString &event)
{
    log(QStringLiteral("link ") + event);
}

QString Simulator::applyText(const QByteArray &raw, QByteArray &reply)
{
    const TextCommand command = parseText(raw);
    const QString head = QStringLiteral("text ") + printable(raw);
    if (command.kind == TextCommand::Kind::Bad) {
        ++m_bad;
        return QStringLiteral("bad text (%1) %2").arg(command.reason, printable(raw));
    }
    ++m_good;
    reply = m_model.apply(command, m_clock.nowMs());
    switch (command.kind) {
    case TextCommand::Kind::LampOn:
        return head + QStringLiteral(" lamp on");
    case TextCommand::Kind::LampOff:
        return head + QStringLiteral(" lamp off");
    case TextCommand::Kind::Stop:
        return head + QStringLiteral(" stop");
    case TextCommand::Kind::Query:
        return head + QStringLiteral(" -> ") + QString::fromLatin1(reply);
    case TextCommand::Kind::GoTo:
        return head + QStringLiteral(" goto pan %1 tilt %2")
                          .arg(QString::number(command.pan), QString::number(command.tilt));
    case TextCommand::Kind::Bad:
        break;
    }
    return head;
}

void Simulator::log(const QString &line)
{
    m_recent.append(line);
    while (m_recent.size() > kRecentLines)
        m_recent.removeFirst();
    emit lineLogged(line);
}

void Simulator::tick()
{
    m_model.advance(m_clock.nowMs());
    keepTicking();
    emit changed();
}

// The tick runs only while some head moves, so an idle simulator costs nothing.
void Simulator::keepTicking()
{
    if (m_model.moving()) {
        if (!m_tick.isActive())
            m_tick.start();
    } else {
        m_tick.stop();
    }
}

} // namespace headsim
