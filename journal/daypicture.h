#pragma once

#include "journal/entry.h"

#include <QString>

#include <map>
#include <vector>

namespace journal {

// A stretch of a day, in milliseconds since midnight.
struct Span
{
    int from = 0;
    int to = 0;
    friend bool operator==(const Span &, const Span &) = default;
};

// When one device's lamp was on, when it moved (jogged) and when a cruise ran.
struct DeviceDay
{
    int device = 0;
    std::vector<Span> lamp;
    std::vector<Span> moving;
    std::vector<Span> cruise;
};

// The picture of a day drawn from its entries in order: the lamp from a lamp-on command to the
// next lamp-off, moving from a jog's start to its end, a cruise from its start to a stop; what
// went on over midnight from the day's first entries that say so. The console's exit ends them
// all, as nothing after it is known.
class DayPicture
{
public:
    void feed(const Entry &entry);
    // Every device that was driven, by number; what is still going runs to end.
    std::vector<DeviceDay> devices(int end) const;

    static int msOfDay(const QDateTime &at);
    static int msOfDay(const Entry &entry) { return entry.time.msecsSinceStartOfDay(); }

private:
    struct State
    {
        DeviceDay day;
        int lampSince = -1;
        int cruiseSince = -1;
        int movingSince = -1;
        int jogs = 0;
    };
    void close(int &since, std::vector<Span> &spans, int at);

    std::map<int, State> m_devices;
};

// The picture in words, for screen readers: "设备01：灯亮 08:00–18:00；移动 …；巡航 …".
QString describe(const std::vector<DeviceDay> &devices);

} // namespace journal
