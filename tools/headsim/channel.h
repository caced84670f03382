#pragma once

#include "tools/headsim/streamdecoder.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

namespace headsim {

class Simulator;

// One byte stream into the head (a TCP client or the pty): cuts it into pieces, hands them to
// the simulator and passes the replies back to the link.
class Channel : public QObject
{
    Q_OBJECT
public:
    // A text command has no terminator; this much silence ends it.
    static constexpr int kSilenceMs = 15;

    explicit Channel(Simulator &simulator, QObject *parent = nullptr);

    void receive(const QByteArray &bytes);

signals:
    void reply(const QByteArray &bytes);

private:
    void handle(const std::vector<Piece> &pieces);
    void onSilence();

    Simulator &m_simulator;
    StreamDecoder m_decoder;
    QTimer m_silence;
};

} // namespace headsim
