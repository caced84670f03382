#pragma once

// The simulator's log: one line per piece received, in this form (fields separated by single
// spaces; NN is the address in decimal, at least two digits: "00", "07", "200"; HH two upper-case
// hex digits). The end-to-end tests read these lines, so the forms stay as they are.
//
//   addr NN jog DIR pan 0xHH tilt 0xHH   DIR: up, down, left, right, up-left, up-right,
//                                        down-left, down-right, or stop (no direction bit)
//   addr NN lamp on
//   addr NN lamp off
//   addr NN preset set N                 N 1-9
//   addr NN preset recall N
//   addr NN cruise start P pan 0xHH tilt 0xHH   P 1-3
//   addr NN cruise stop
//   addr NN unknown HH HH HH HH HH HH HH       a good frame with codes the head does not know
//   text Roooooooooo lamp on             text commands act on the address of the last frame
//   text Rcccccccccc lamp off            line (00 before any)
//   text Rssssssssss stop
//   text Rllllllllll -> T000090llll      the reply sent back, "T", pan, tilt, "llll"
//   text R0900452010 goto pan 90 tilt 45 angles as plain numbers ("7.5" when a fraction)
//   bad frame (checksum) HH HH HH HH HH HH HH
//   bad text (REASON) RAW                REASON: short, not an angle, out of range; RAW with
//                                        spaces and other unprintable bytes as \xHH
//   bad bytes (no sync) HH HH ...        bytes before any 0xFF or "R"
//   link ...                             the links: "link tcp listening 127.0.0.1:4196",
//                                        "link tcp client 127.0.0.1:40000 connected",
//                                        "link tcp client 127.0.0.1:40000 closed",
//                                        "link pty /dev/pts/3 published as /path/COM1"
//
// "addr" and "text" lines count as good, "bad" lines as bad; "link" lines count as neither.

#include "tools/headsim/clock.h"
#include "tools/headsim/headmodel.h"
#include "tools/headsim/streamdecoder.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

namespace headsim {

// The simulated head as a whole: applies what the links receive to the model, keeps it moving
// with time, counts and logs every command.
class Simulator : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 15;
    static constexpr int kRecentLines = 8;

    explicit Simulator(const Clock &clock, QObject *parent = nullptr);

    // Applies one piece of a link's stream; the result is the reply for that link, or empty.
    QByteArray handle(const Piece &piece);
    // Logs an event of a link ("tcp listening ...") as a "link" line.
    void noteLink(const QString &event);

    const HeadModel &model() const { return m_model; }
    int goodCount() const { return m_good; }
    int badCount() const { return m_bad; }
    // The last few lines, oldest first.
    const QStringList &recentLines() const { return m_recent; }

signals:
    void lineLogged(const QString &line);
    // The heads moved or a command was applied.
    void changed();

private:
    QString applyText(const QByteArray &raw, QByteArray &reply);
    void log(const QString &line);
    void tick();
    void keepTicking();

    const Clock &m_clock;
    HeadModel m_model;
    QTimer m_tick;
    int m_good = 0;
    int m_bad = 0;
    QStringList m_recent;
};

} // namespace headsim
