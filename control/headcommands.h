#pragma once

#include "control/stickmotion.h"
#include "protocol/frame.h"

#include <functional>
#include <optional>

class SendPath;

// Where the frame builders read the address and the speeds: the searchlight and speed boxes,
// read at the moment each frame is built.
struct FrameSources
{
    std::function<quint8()> address;
    std::function<quint8()> panSpeed;
    std::function<quint8()> tiltSpeed;
};

// The frame builders: each builds its frame from the address and speeds of this moment and
// hands it to the send path. Repeated frames read the sources again for every repetition.
class HeadCommands
{
public:
    // Lamp, cruise and preset commands go out this many times.
    static constexpr int kBurst = 3;

    HeadCommands(SendPath &send, FrameSources sources);

    // Where the frames go; callers name their cause there (SendPath::Cause).
    SendPath &path() { return m_send; }

    void SendJogFrame(protocol::Direction direction);
    // The stick's motion frame: each axis's speed is its share of the speed box, from 1 up.
    void SendStickFrame(const stick::Motion &motion);
    void SendLampFrames(bool on);
    // One frame per call; the preset dialog repeats it with pauses between.
    void SendPresetSet(int preset);
    void SendPresetRecall(int preset);
    // Patterns 1 to 3 with the speeds in the boxes; anything else sends nothing.
    void SendCruiseStart(int pattern);
    // Patterns 1 to 3 with the timetable's fixed speeds; anything else sends nothing.
    void SendTimetableCruiseStart(int pattern);
    // Patterns 1 to 3 all stop the same way; 0 (no cruise) sends nothing.
    void SendCruiseStop(int pattern);

private:
    using Builder = std::function<std::optional<protocol::Frame>()>;
    // Builds and sends kBurst frames back to back, or none when the builder gives no frame.
    void burst(const Builder &build);
    void sendIf(const std::optional<protocol::Frame> &frame);

    SendPath &m_send;
    FrameSources m_sources;
};
