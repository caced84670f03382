#include "tools/headsim/channel.h"

#include "tools/headsim/simulator.h"

namespace headsim {

Channel::Channel(Simulator &simulator, QObject *parent) : QObject(parent), m_simulator(simulator)
{
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceMs);
    connect(&m_silence, &QTimer::timeout, this, &Channel::onSilence);
}

void Channel::receive(const QByteArray &bytes)
{
    handle(m_decoder.feed(bytes));
    if (m_decoder.waitingForSilence())
        m_silence.start();
    else
        m_silence.stop();
}

void Channel::handle(const std::vector<Piece> &pieces)
{
    for (const Piece &piece : pieces) {
        const QByteArray answer = m_simulator.handle(piece);
        if (!answer.isEmpty())
            emit reply(answer);
    }
}

void Channel::onSilence()
{
    handle(m_decoder.flush());
}

} // namespace headsim
