#pragma once

#include "journal/daypicture.h"

#include <QWidget>

#include <vector>

// The picture of a day on top of the journal window: for each device that was driven, a
// 24-hour strip with when its lamp was on, when it moved and when a cruise ran.
class DayStrip : public QWidget
{
    Q_OBJECT
public:
    explicit DayStrip(QWidget *parent = nullptr);

    // now: a line at this time of day (ms) for today; -1 for none.
    void setDevices(std::vector<journal::DeviceDay> devices, int now);
    const std::vector<journal::DeviceDay> &devices() const { return m_devices; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<journal::DeviceDay> m_devices;
    int m_now = -1;
};
