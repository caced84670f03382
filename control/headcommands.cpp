#include "control/headcommands.h"

#include "link/sendpath.h"

using namespace protocol;

HeadCommands::HeadCommands(SendPath &send, FrameSources sources)
    : m_send(send), m_sources(std::move(sources))
{
}

void HeadCommands::burst(const Builder &build)
{
    for (int i = 0; i < kBurst; ++i) {
        const std::optional<Frame> frame = build();
        if (!frame)
            return;
        m_send.SendFrame(*frame);
    }
}

void HeadCommands::sendIf(const std::optional<Frame> &frame)
{
    if (frame)
        m_send.SendFrame(*frame);
}

void HeadCommands::SendJogFrame(Direction direction)
{
    m_send.SendFrame(
        jogFrame(m_sources.address(), direction, m_sources.panSpeed(), m_sources.tiltSpeed()));
}

void HeadCommands::SendStickFrame(const stick::Motion &motion)
{
    m_send.SendFrame(motionFrame(m_sources.address(), stick::directionBits(motion),
                                 stick::speedFor(motion.pan, m_sources.panSpeed()),
                                 stick::speedFor(motion.tilt, m_sources.tiltSpeed())));
}

void HeadCommands::SendLampFrames(bool on)
{
    burst([&] { return std::optional(lampFrame(m_sources.address(), on)); });
}

void HeadCommands::SendPresetSet(int preset)
{
    sendIf(presetSetFrame(m_sources.address(), preset));
}

void HeadCommands::SendPresetRecall(int preset)
{
    sendIf(presetRecallFrame(m_sources.address(), preset));
}

void HeadCommands::SendCruiseStart(int pattern)
{
    burst([&] {
        return cruiseStartFrame(m_sources.address(), pattern, m_sources.panSpeed(),
                                m_sources.tiltSpeed());
    });
}

void HeadCommands::SendTimetableCruiseStart(int pattern)
{
    burst([&] { return timetableCruiseStartFrame(m_sources.address(), pattern); });
}

void HeadCommands::SendCruiseStop(int pattern)
{
    burst([&] { return cruiseStopFrame(m_sources.address(), pattern); });
}
