#pragma once

#include <QString>
#include <QStringList>

// The simulated head's own texts: its window and its command line.
namespace headsimtexts {

inline const QString kWindowTitle = QStringLiteral("Corvane 模拟云台");
inline const QString kAddress = QStringLiteral("地址");
inline const QString kLamp = QStringLiteral("灯");
inline const QString kLampOn = QStringLiteral("亮");
inline const QString kLampOff = QStringLiteral("灭");
inline const QString kCruise = QStringLiteral("巡航");
inline const QString kCruiseNone = QStringLiteral("无");
inline const QStringList kCruiseNames = {QStringLiteral("巡航一"), QStringLiteral("巡航二"),
                                         QStringLiteral("巡航三")};
inline const QString kPan = QStringLiteral("水平");
inline const QString kTilt = QStringLiteral("垂直");
inline const QString kGood = QStringLiteral("正确");
inline const QString kBad = QStringLiteral("错误");

inline const QString kDescription =
    QStringLiteral("Simulated pan-tilt head for the Corvane console.");
inline const QString kTcpHelp =
    QStringLiteral("Listen for the console on TCP port 4196 at <address> (e.g. 127.0.0.1).");
inline const QString kPtyHelp = QStringLiteral(
    "Create a pseudo-terminal and publish it as the link <path> (e.g. build/ports/COM1).");
inline const QString kHeadlessHelp =
    QStringLiteral("No window: print one line per command on standard output.");
inline const QString kNoLink = QStringLiteral("corvane-headsim: give --tcp ADDRESS, --pty PATH "
                                              "or both; see --help.");
inline const QString kBadAddress = QStringLiteral("corvane-headsim: not an IP address: %1");
inline const QString kTcpFailed = QStringLiteral("corvane-headsim: cannot listen on %1:%2: %3");
inline const QString kPtyFailed = QStringLiteral("corvane-headsim: cannot publish %1: %2");

} // namespace headsimtexts
