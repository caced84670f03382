#pragma once

#include "protocol/frame.h"

class ByteBox;
class SendPath;

// The frame builders: each fills the frame buffer with the address and speeds read from the
// boxes at that moment and sends it. Repeated frames read the boxes again for every repetition.
class HeadCommands
{
public:
    HeadCommands(SendPath &send, const ByteBox &address, const ByteBox &panSpeed,
                 const ByteBox &tiltSpeed);

    void SendJogFrame(protocol::Direction direction);
    void SendLampFrames(bool on);
    void SendPresetSet(int preset);
    void SendPresetRecall(int preset);
    // Patterns 1 to 3 with the speeds in the boxes; anything else sends nothing.
    void SendCruiseStart(int pattern);
    // Patterns 1 to 3 with the timetable's fixed speeds; anything else sends nothing.
    void SendTimetableCruiseStart(int pattern);
    // Patterns 1 to 3 all stop the same way; 0 (no cruise) sends nothing.
    void SendCruiseStop(int pattern);

private:
    void send(const protocol::Frame &frame);

    SendPath &m_send;
    const ByteBox &m_address;
    const ByteBox &m_panSpeed;
    const ByteBox &m_tiltSpeed;
};
