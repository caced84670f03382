#include "journal/daypicture.h"

#include "journal/journaltexts.h"

#include <QStringList>
#include <QTime>

namespace journal {

int DayPicture::msOfDay(const QDateTime &at)
{
    return at.time().msecsSinceStartOfDay();
}

void DayPicture::close(int &since, std::vector<Span> &spans, int at)
{
    if (since < 0)
        return;
    spans.push_back({since, std::max(since, at)});
    since = -1;
}

void DayPicture::feed(const Entry &entry)
{
    using namespace journaltexts;
    const int at = msOfDay(entry);
    if (entry.kind == Kind::Program && entry.event == kExited) {
        for (auto &[number, s] : m_devices) {
            close(s.lampSince, s.day.lamp, at);
            close(s.cruiseSince, s.day.cruise, at);
            close(s.movingSince, s.day.moving, at);
            s.jogs = 0;
        }
        return;
    }
    if (entry.device < 0 ||
        (entry.kind != Kind::Sent && entry.kind != Kind::Jog && entry.kind != Kind::Program))
        return;
    State &s = m_devices[entry.device];
    s.day.device = entry.device;
    if (entry.kind == Kind::Program) {
        // Going on since the day before.
        if (entry.event == kCarriedLamp && s.lampSince < 0)
            s.lampSince = at;
        else if (entry.event == kCarriedCruise && s.cruiseSince < 0)
            s.cruiseSince = at;
        else if (entry.event == kCarriedJog && s.jogs++ == 0)
            s.movingSince = at;
        return;
    }
    if (entry.kind == Kind::Sent) {
        if (entry.event == kLampOn && s.lampSince < 0)
            s.lampSince = at;
        else if (entry.event == kLampOff)
            close(s.lampSince, s.day.lamp, at);
        else if (entry.event == kCruiseStart && s.cruiseSince < 0)
            s.cruiseSince = at;
        else if (entry.event == kCruiseStop)
            close(s.cruiseSince, s.day.cruise, at);
        return;
    }
    if (entry.event == kJogStart) {
        if (s.jogs++ == 0)
            s.movingSince = at;
    } else if (entry.event == kJogEnd && s.jogs > 0) {
        if (--s.jogs == 0)
            close(s.movingSince, s.day.moving, at);
    }
}

std::vector<DeviceDay> DayPicture::devices(int end) const
{
    std::vector<DeviceDay> all;
    for (const auto &[number, s] : m_devices) {
        DeviceDay day = s.day;
        if (s.lampSince >= 0)
            day.lamp.push_back({s.lampSince, std::max(s.lampSince, end)});
        if (s.cruiseSince >= 0)
            day.cruise.push_back({s.cruiseSince, std::max(s.cruiseSince, end)});
        if (s.movingSince >= 0)
            day.moving.push_back({s.movingSince, std::max(s.movingSince, end)});
        all.push_back(std::move(day));
    }
    return all;
}

QString describe(const std::vector<DeviceDay> &devices)
{
    const auto clock = [](int ms) {
        return QTime::fromMSecsSinceStartOfDay(std::min(ms, 86399999))
            .toString(QStringLiteral("HH:mm:ss"));
    };
    const auto spans = [&](const QString &what, const std::vector<Span> &list) {
        QStringList parts;
        for (const Span &s : list)
            parts << clock(s.from) + QStringLiteral("–") + clock(s.to);
        return what + QLatin1Char(' ') +
               (parts.isEmpty() ? QStringLiteral("无") : parts.join(QStringLiteral("，")));
    };
    QStringList lines;
    for (const DeviceDay &d : devices) {
        lines << QStringLiteral("设备%1：").arg(deviceText(d.device)) +
                     QStringList{spans(QStringLiteral("灯亮"), d.lamp),
                                 spans(QStringLiteral("移动"), d.moving),
                                 spans(QStringLiteral("巡航"), d.cruise)}
                         .join(QStringLiteral("；"));
    }
    if (lines.isEmpty())
        return QStringLiteral("当天没有驱动任何设备");
    return lines.join(QLatin1Char('\n'));
}

} // namespace journal
