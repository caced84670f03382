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

// The pattern a name stands for, 0 when it names none.
inline int patternOf(const QString &name)
{
    return int(kPatternNames.indexOf(name)) + 1;
}

} // namespace controltexts
