#pragma once

#include <QByteArray>

#include <vector>

namespace headsim {

// One piece cut from the byte stream of a link.
struct Piece
{
    enum class Kind {
        Frame,    // seven bytes, sync 0xFF first, checksum right
        BadFrame, // seven bytes, sync 0xFF first, checksum wrong
        Text,     // "R" and what followed it, not yet checked
        Garbage,  // bytes that started neither a frame nor a text command
    };
    Kind kind;
    QByteArray bytes;

    bool operator==(const Piece &) const = default;
};

// Cuts the bytes of one link into control frames and text commands. Frames carry their own
// length; text commands have no terminator, so one ends at the next "R" or 0xFF, when it spells
// one of the four fixed commands, or when the link falls silent (the owner calls flush()).
class StreamDecoder
{
public:
    // Longest text command kept before it is cut off; the console's are at most about 15 bytes.
    static constexpr int kMaxText = 24;
    // Longest run of garbage reported as one piece.
    static constexpr int kMaxGarbage = 64;

    std::vector<Piece> feed(const QByteArray &bytes);
    // The link fell silent: end a text command or a garbage run. A partial frame keeps waiting
    // for its remaining bytes, as its length says where it ends.
    std::vector<Piece> flush();
    // True while a text command or garbage waits for an end that only silence can give.
    bool waitingForSilence() const { return m_state == State::Text || !m_garbage.isEmpty(); }

private:
    enum class State { Idle, Frame, Text };

    void take(char byte, std::vector<Piece> &out);
    void takeIdle(char byte, std::vector<Piece> &out);
    void endFrame(std::vector<Piece> &out);
    void endGarbage(std::vector<Piece> &out);
    void endText(std::vector<Piece> &out);

    State m_state = State::Idle;
    QByteArray m_pending;
    QByteArray m_garbage;
};

} // namespace headsim
