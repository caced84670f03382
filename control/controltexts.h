#pragma once

#include <QString>
#include <QStringList>

// Captions and messages of the head controls.
namespace controltexts {

inline const QString kCruiseIdle = QStringLiteral("自动  巡航");
inline const QString kCruiseRunning = QStringLiteral("取消  巡航");
inline const QString kConnectFirst = QStringLiteral("请先连接设备再操作!");
// The cruise patterns 1, 2 and 3 as the pattern box and the timetable rows name them.
inline const QStringList kPatternNames = {QStringLiteral("巡航一"), QStringLiteral("巡航二"),
                                          QStringLiteral("巡航三")};

// Status notices of the joystick or gamepad, with the name the device gives itself.
inline QString stickAttached(const QString &name)
{
    return QStringLiteral("摇杆已接入：") + name;
}
inline QString stickDetached(const QString &name)
{
    return QStringLiteral("摇杆已拔出，停止转动：") + name;
}
// The one message about a joystick settings file that could not be used whole.
inline QString stickFileUnreadable(const QString &path, const QString &reason)
{
    return QStringLiteral("摇杆设置文件 %1 无法读取（%2），摇杆按默认设置工作。").arg(path, reason);
}
// deadZoneFloor, when not 0, is the smallest dead zone in per cent, which holds in place of the
// smaller one asked for.
inline QString stickFileBadLines(const QString &path, const QString &lines, int deadZoneFloor = 0)
{
    const QString floor =
        deadZoneFloor ? QStringLiteral("，但死区小于 %1% 时按 %1%").arg(deadZoneFloor) : QString();
    return QStringLiteral("摇杆设置文件 %1 第 %2 行无法识别，这些设置按默认值使用%3；文件未改动。")
        .arg(path, lines, floor);
}

// The pattern a name stands for, 0 when it names none.
inline int patternOf(const QString &name)
{
    return int(kPatternNames.indexOf(name)) + 1;
}

} // namespace controltexts
