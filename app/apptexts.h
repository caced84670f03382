#pragma once

#include <QString>

// Captions of the main window that are not owned by one of the panels.
namespace apptexts {

inline const QString kWindowTitle = QStringLiteral("CorvaneV1.0");
inline const QString kLogoPath = QStringLiteral("/123/Chinese&English.jpg");
inline const QString kAboutPicturePath = QStringLiteral("/123/BQ.jpg");

// What ended the console when it was not the exit button, as the cause of the journal's exit
// entry: a signal, named as the system names it, or the session manager at a logout or shutdown.
inline QString stopSignalCause(const QString &signal)
{
    return QStringLiteral("系统要求结束（%1）").arg(signal);
}
inline const QString kSessionEndsCause = QStringLiteral("会话管理器要求保存（注销或关机）");

// Tooltips that tell the operator the keys of a control.
inline QString hotkeyTip(const QString &keys)
{
    return QStringLiteral("快捷键：") + keys;
}
inline QString presetHotkeysTip(const QString &first, const QString &last)
{
    return QStringLiteral("直接调用预置位 1-9：%1 至 %2").arg(first, last);
}
inline QString holdKeysTip(const QString &keys)
{
    return QStringLiteral("按住转动：") + keys;
}

} // namespace apptexts
