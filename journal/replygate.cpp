#include "journal/replygate.h"

namespace journal {

bool ReplyGate::admit(const QDateTime &at, int kind, qint64 bytes)
{
    const qint64 second = at.toMSecsSinceEpoch() / 1000;
    if (second != m_second) {
        m_second = second;
        m_admitted = 0;
    }
    if (m_admitted < kPerSecond) {
        ++m_admitted;
        return true;
    }
    if (m_held.chunks == 0)
        m_held.second = QDateTime::fromMSecsSinceEpoch(second * 1000);
    ++m_held.chunks;
    m_held.bytes += bytes;
    if (kind >= 0 && kind < kKinds)
        ++m_held.byKind[std::size_t(kind)];
    return false;
}

std::optional<ReplyGate::Summary> ReplyGate::takeSummary(const QDateTime &at, bool now)
{
    if (m_held.chunks == 0)
        return std::nullopt;
    if (!now && at.toMSecsSinceEpoch() / 1000 == m_second)
        return std::nullopt;
    return std::exchange(m_held, Summary{});
}

} // namespace journal
