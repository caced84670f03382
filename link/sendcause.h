#pragma once

#include <QString>

// Why a command leaves the console, as the journal names it. The callers give it with every
// command they send; the send path hands it on with the command written.
namespace sendcause {

inline const QString kNone = QStringLiteral("");
inline const QString kDirectionButton = QStringLiteral("方向按钮");
inline const QString kKey = QStringLiteral("键盘");
inline const QString kStick = QStringLiteral("摇杆");
inline const QString kPad = QStringLiteral("摇杆方向键");
inline const QString kLampButton = QStringLiteral("灯光按钮");
inline const QString kCruiseButton = QStringLiteral("巡航按钮");
inline const QString kSpeedChoice = QStringLiteral("选择速度，巡航重新开始");
inline const QString kStopButton = QStringLiteral("停止运动按钮");
inline const QString kAngleButton = QStringLiteral("确认发送角度按钮");
inline const QString kQueryButton = QStringLiteral("位置查询按钮");

// "预置位按钮 3"
inline QString presetButton(int preset)
{
    return QStringLiteral("预置位按钮 %1").arg(preset);
}

// "定时第 05 行 开" (rows counted as the list numbers them, from 00)
inline QString timetableSlot(int slot, bool on)
{
    return QStringLiteral("定时第 %1 行 %2")
        .arg(slot, 2, 10, QLatin1Char('0'))
        .arg(on ? QStringLiteral("开") : QStringLiteral("关"));
}

// The cruise command one second after slot n fired.
inline QString timetableDelay(int slot, bool on)
{
    return timetableSlot(slot, on) + QStringLiteral("，延时 1 秒");
}

} // namespace sendcause
