#pragma once

#include <QString>

// Captions, status texts and messages of the link panel, as the operator sees them.
namespace linktexts {

inline const QString kConnect = QStringLiteral("连   接");
inline const QString kDisconnect = QStringLiteral("断开连接");
inline const QString kSerialReady = QStringLiteral("串口已就绪");
inline const QString kTcpReady = QStringLiteral("网络已就绪");
inline const QString kOpenedInfix = QStringLiteral("，已打开，");
inline const QString kClosedSuffix = QStringLiteral("，已关闭");
inline const QString kOpenFailedSuffix = QStringLiteral("，打开失败");
inline const QString kNoPortChosen = QStringLiteral("未选择串口");
inline const QString kTcpClosed = QStringLiteral("连接已断开...");
inline const QString kConnectedTo = QStringLiteral("已连接到 : ");
inline const QString kCannotConnectTo = QStringLiteral("无法连接到 : ");
inline const QString kDeviceDropped = QStringLiteral("设备已断开连接");
inline const QString kDeviceConnected = QStringLiteral("设 备 已 连 接 ！ ！ ！");
inline const QString kPortHeldSuffix = QStringLiteral("已被其它程序打开，请选择其它串口！");

// A text command that would have gone out changed is not sent; the operator is told why.
inline const QString kTextRefused = QStringLiteral("命令中含有云台不能识别的字符，未发送：");

} // namespace linktexts
