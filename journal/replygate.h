#pragma once

#include <QDateTime>

#include <array>
#include <optional>

namespace journal {

// Keeps a flood of replies from growing the journal without bound: in each second of the
// console's clock the first kPerSecond chunks are entered one by one; the rest of that second
// are only counted, by kind, and summed up in one entry when the second is over. So replies
// add at most kPerSecond + 1 lines a second, however fast they come.
class ReplyGate
{
public:
    static constexpr int kPerSecond = 10;
    // protocol::ReplyKind has five values.
    static constexpr int kKinds = 5;

    struct Summary
    {
        QDateTime second; // the second the counted chunks came in
        qint64 chunks = 0;
        qint64 bytes = 0;
        std::array<qint64, kKinds> byKind{};
    };

    // True: enter this chunk. False: it is counted for its second's summary.
    bool admit(const QDateTime &at, int kind, qint64 bytes);
    // The summary of the chunks held back, once their second is over (or at once when now):
    // nothing when none was held back.
    std::optional<Summary> takeSummary(const QDateTime &at, bool now = false);

private:
    qint64 m_second = -1;
    int m_admitted = 0;
    Summary m_held;
};

} // namespace journal
