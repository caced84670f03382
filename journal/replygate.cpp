#include "journal/replygate.h"

#include <utility>

namespace journal {

bool ReplyGate::admit(qint64 steadyMs, int kind, qint64 bytes)
{
    if (!m_open || steadyMs - m_windowStart >= windowMs()) {
        m_open = true;
        m_windowStart = steadyMs;
        m_admitted = 0;
    }
    if (!m_perMinute && m_admitted < kPerSecond) {
        ++m_admitted;
        return true;
    }
    ++m_held.chunks;
    m_held.bytes += bytes;
    if (kind >= 0 && kind < kKinds)
        ++m_held.byKind[std::size_t(kind)];
    return false;
}

std::optional<ReplyGate::Summary> ReplyGate::takeSummary(qint64 steadyMs, bool now)
{
    if (m_held.chunks == 0)
        return std::nullopt;
    if (!now && steadyMs - m_windowStart < windowMs())
        return std::nullopt;
    m_held.windowMs = windowMs();
    return std::exchange(m_held, Summary{});
}

void ReplyGate::setPerMinute(bool on)
{
    if (on == m_perMinute)
        return;
    m_perMinute = on;
    m_open = false;
}

} // namespace journal
