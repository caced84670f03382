#include "tools/headsim/streamdecoder.h"

#include <array>

namespace headsim {

namespace {

constexpr char kSync = char(0xFF);
constexpr char kTextStart = 'R';
constexpr int kFrameLength = 7;

// The text commands with nothing variable in them end as soon as they are complete.
bool isFixedText(const QByteArray &text)
{
    static const std::array<QByteArray, 4> fixed = {
        QByteArrayLiteral("Roooooooooo"), QByteArrayLiteral("Rcccccccccc"),
        QByteArrayLiteral("Rssssssssss"), QByteArrayLiteral("Rllllllllll")};
    for (const QByteArray &f : fixed) {
        if (text == f)
            return true;
    }
    return false;
}

bool checksumMatches(const QByteArray &frame)
{
    unsigned sum = 0;
    for (int i = 1; i < kFrameLength - 1; ++i)
        sum += quint8(frame.at(i));
    return quint8(sum) == quint8(frame.at(kFrameLength - 1));
}

} // namespace

std::vector<Piece> StreamDecoder::feed(const QByteArray &bytes)
{
    std::vector<Piece> out;
    for (const char byte : bytes)
        take(byte, out);
    return out;
}

std::vector<Piece> StreamDecoder::flush()
{
    std::vector<Piece> out;
    if (m_state == State::Text)
        endText(out);
    endGarbage(out);
    return out;
}

void StreamDecoder::take(char byte, std::vector<Piece> &out)
{
    switch (m_state) {
    case State::Idle:
        takeIdle(byte, out);
        break;
    case State::Frame:
        m_pending.append(byte);
        if (m_pending.size() == kFrameLength)
            endFrame(out);
        break;
    case State::Text:
        if (byte == kSync || byte == kTextStart) {
            endText(out);
            takeIdle(byte, out);
            break;
        }
        m_pending.append(byte);
        if (isFixedText(m_pending) || m_pending.size() >= kMaxText)
            endText(out);
        break;
    }
}

void StreamDecoder::takeIdle(char byte, std::vector<Piece> &out)
{
    if (byte == kSync || byte == kTextStart) {
        endGarbage(out);
        m_pending = QByteArray(1, byte);
        m_state = byte == kSync ? State::Frame : State::Text;
        return;
    }
    m_garbage.append(byte);
    if (m_garbage.size() >= kMaxGarbage)
        endGarbage(out);
}

void StreamDecoder::endFrame(std::vector<Piece> &out)
{
    const QByteArray frame = m_pending;
    m_pending.clear();
    m_state = State::Idle;
    if (checksumMatches(frame)) {
        out.push_back({Piece::Kind::Frame, frame});
        return;
    }
    out.push_back({Piece::Kind::BadFrame, frame});
    // The 0xFF taken for a sync may have been noise in front of a real frame: start again at the
    // next 0xFF inside the rejected bytes. Bytes before it belong to the bad frame already
    // reported, so they are not reported again as garbage.
    const qsizetype next = frame.indexOf(kSync, 1);
    if (next > 0) {
        m_pending = frame.mid(next);
        m_state = State::Frame;
    }
}

void StreamDecoder::endGarbage(std::vector<Piece> &out)
{
    if (m_garbage.isEmpty())
        return;
    out.push_back({Piece::Kind::Garbage, m_garbage});
    m_garbage.clear();
}

void StreamDecoder::endText(std::vector<Piece> &out)
{
    out.push_back({Piece::Kind::Text, m_pending});
    m_pending.clear();
    m_state = State::Idle;
}

} // namespace headsim
