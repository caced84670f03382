#include "control/headcommands.h"

#include "control/choicebox.h"
#include "link/sendpath.h"

using namespace protocol;

HeadCommands::HeadCommands(SendPath &send, const ByteBox &address, const ByteBox &panSpeed,
                           const ByteBox &tiltSpeed)
    : m_send(send), m_address(address), m_panSpeed(panSpeed), m_tiltSpeed(tiltSpeed)
{
}

void HeadCommands::send(const Frame &frame)
{
    m_send.FrameBuf = frame;
    m_send.SendFrame(m_send.FrameBuf, qint16(m_send.FrameBuf.size()));
}

void HeadCommands::SendJogFrame(Direction direction)
{
    send(jogFrame(m_address.value(), direction, m_panSpeed.value(), m_tiltSpeed.value()));
}

void HeadCommands::SendLampFrames(bool on)
{
    for (int i = 0; i < 3; ++i)
        send(lampFrame(m_address.value(), on));
}

void HeadCommands::SendPresetSet(int preset)
{
    if (const auto frame = presetSetFrame(m_address.value(), preset))
        send(*frame);
}

void HeadCommands::SendPresetRecall(int preset)
{
    if (const auto frame = presetRecallFrame(m_address.value(), preset))
        send(*frame);
}

void HeadCommands::SendCruiseStart(int pattern)
{
    for (int i = 0; i < 3; ++i) {
        const auto frame =
            cruiseStartFrame(m_address.value(), pattern, m_panSpeed.value(), m_tiltSpeed.value());
        if (!frame)
            return;
        send(*frame);
    }
}

void HeadCommands::SendTimetableCruiseStart(int pattern)
{
    for (int i = 0; i < 3; ++i) {
        const auto frame = timetableCruiseStartFrame(m_address.value(), pattern);
        if (!frame)
            return;
        send(*frame);
    }
}

void HeadCommands::SendCruiseStop(int pattern)
{
    for (int i = 0; i < 3; ++i) {
        const auto frame = cruiseStopFrame(m_address.value(), pattern);
        if (!frame)
            return;
        send(*frame);
    }
}
