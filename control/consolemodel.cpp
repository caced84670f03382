#include "control/consolemodel.h"

ConsoleModel::ConsoleModel(QObject *parent) : QObject(parent) {}

void ConsoleModel::setDevice(quint8 device)
{
    if (device == m_device)
        return;
    m_device = device;
    emit deviceChanged(device);
}

void ConsoleModel::setPanSpeed(quint8 speed, const QString &text)
{
    m_panSpeed = speed;
    m_panSpeedText = text;
}

void ConsoleModel::setTiltSpeed(quint8 speed, const QString &text)
{
    m_tiltSpeed = speed;
    m_tiltSpeedText = text;
}

void ConsoleModel::setPattern(int pattern)
{
    m_pattern = pattern;
}

protocol::Command ConsoleModel::jog(protocol::Direction direction) const
{
    return protocol::jog(m_device, direction, m_panSpeed, m_tiltSpeed);
}

protocol::Command ConsoleModel::lamp(bool on) const
{
    return protocol::lamp(m_device, on);
}

protocol::Command ConsoleModel::cruiseStart() const
{
    return protocol::cruiseStart(m_device, m_pattern, m_panSpeed, m_tiltSpeed);
}

protocol::Command ConsoleModel::stick(const stick::Motion &motion) const
{
    return protocol::motion(m_device, stick::directionBits(motion),
                            stick::speedFor(motion.pan, m_panSpeed),
                            stick::speedFor(motion.tilt, m_tiltSpeed));
}
