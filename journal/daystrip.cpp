#include "journal/daystrip.h"

#include <QPainter>

namespace {

constexpr int kLabelWidth = 56;
constexpr int kLegendHeight = 16;
constexpr int kAxisHeight = kLegendHeight + 16;
constexpr int kRowHeight = 22;
constexpr int kBar = 5;
constexpr int kDayMs = 24 * 3600 * 1000;

const QColor kLampColour(230, 170, 0);
const QColor kMovingColour(40, 110, 220);
const QColor kCruiseColour(40, 160, 70);

} // namespace

DayStrip::DayStrip(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("当日概览"));
    setAccessibleDescription(journal::describe(m_devices));
}

void DayStrip::setDevices(std::vector<journal::DeviceDay> devices, int now)
{
    m_devices = std::move(devices);
    m_now = now;
    const QString description = journal::describe(m_devices);
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
    updateGeometry();
    update();
}

QSize DayStrip::sizeHint() const
{
    return {720, kAxisHeight + kRowHeight * std::max<int>(1, int(m_devices.size())) + 4};
}

QSize DayStrip::minimumSizeHint() const
{
    return {360, kAxisHeight + kRowHeight + 4};
}

void DayStrip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    const int left = kLabelWidth;
    const int width = std::max(1, this->width() - left - 8);
    const auto x = [&](int ms) { return left + int(qint64(ms) * width / kDayMs); };

    // The hours, and what the colours mean.
    p.setPen(palette().color(QPalette::Mid));
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    p.setFont(small);
    for (int hour = 0; hour <= 24; hour += 2) {
        const int hx = x(hour * 3600 * 1000);
        p.setPen(palette().color(QPalette::Midlight));
        p.drawLine(hx, kAxisHeight - 3, hx, height());
        p.setPen(palette().color(QPalette::Text));
        if (hour < 24)
            p.drawText(QRect(hx + 2, kLegendHeight, 30, kAxisHeight - kLegendHeight - 2),
                       Qt::AlignLeft | Qt::AlignVCenter, QString::number(hour));
    }
    int legend = this->width() - 8;
    for (const auto &[name, colour] : {std::pair{QStringLiteral("巡航"), kCruiseColour},
                                       std::pair{QStringLiteral("移动"), kMovingColour},
                                       std::pair{QStringLiteral("灯亮"), kLampColour}}) {
        const int textWidth = p.fontMetrics().horizontalAdvance(name);
        legend -= textWidth;
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(legend, 0, textWidth, kLegendHeight), Qt::AlignVCenter, name);
        legend -= 12;
        p.fillRect(QRect(legend, kLegendHeight / 2 - 4, 9, 8), colour);
        legend -= 10;
    }

    if (m_devices.empty()) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(QRect(left, kAxisHeight, width, kRowHeight), Qt::AlignVCenter,
                   QStringLiteral("当天没有驱动任何设备"));
    }
    int top = kAxisHeight;
    for (const journal::DeviceDay &device : m_devices) {
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(4, top, left - 8, kRowHeight), Qt::AlignVCenter,
                   QStringLiteral("设备%1").arg(journal::deviceText(device.device)));
        const auto bars = [&](const std::vector<journal::Span> &spans, int offset,
                              const QColor &colour) {
            for (const journal::Span &s : spans)
                p.fillRect(QRect(x(s.from), top + offset, std::max(1, x(s.to) - x(s.from)), kBar),
                           colour);
        };
        bars(device.lamp, 3, kLampColour);
        bars(device.moving, 3 + kBar + 1, kMovingColour);
        bars(device.cruise, 3 + 2 * (kBar + 1), kCruiseColour);
        top += kRowHeight;
    }
    if (m_now >= 0) {
        p.setPen(QPen(QColor(200, 0, 0), 1));
        p.drawLine(x(m_now), kAxisHeight - 3, x(m_now), height());
    }
}
