#pragma once

#include "control/stickmotion.h"
#include "protocol/command.h"

#include <QObject>
#include <QString>

// What the operator has chosen, apart from the boxes that show it: the selected searchlight,
// the two speeds (as values and as the texts the angle command copies), the cruise pattern.
// Every command of the operator's controls and the timetable is addressed from here, so a
// command can be made, tried and sent without a window.
class ConsoleModel : public QObject
{
    Q_OBJECT
public:
    // Lamp, cruise and preset commands go out this many times.
    static constexpr int kBurst = 3;

    explicit ConsoleModel(QObject *parent = nullptr);

    quint8 device() const { return m_device; }
    quint8 panSpeed() const { return m_panSpeed; }
    quint8 tiltSpeed() const { return m_tiltSpeed; }
    // The speed boxes' texts as they stand; the angle command copies them unchanged.
    const QString &panSpeedText() const { return m_panSpeedText; }
    const QString &tiltSpeedText() const { return m_tiltSpeedText; }
    // Cruise pattern 1 to 3, or 0 when the pattern box names none.
    int pattern() const { return m_pattern; }

    void setDevice(quint8 device);
    void setPanSpeed(quint8 speed, const QString &text);
    void setTiltSpeed(quint8 speed, const QString &text);
    void setPattern(int pattern);

    // The operator's commands for the selected searchlight with the speeds of this moment.
    protocol::Command jog(protocol::Direction direction) const;
    // The stick's motion: each axis's speed is its share of the speed box, from 1 up.
    protocol::Command stick(const stick::Motion &motion) const;
    protocol::Command lamp(bool on) const;
    protocol::Command cruiseStart() const;

signals:
    void deviceChanged(quint8 device);

private:
    quint8 m_device = 0;
    quint8 m_panSpeed = 0;
    quint8 m_tiltSpeed = 0;
    QString m_panSpeedText;
    QString m_tiltSpeedText;
    int m_pattern = 0;
};
