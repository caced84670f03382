#pragma once

#include "files/filetexts.h"

#include <QString>

// Texts of the timetable as the operator sees them: the pieces of a row, the cruise words and
// the messages of the editor and the settings files.
namespace scheduletexts {

// Pieces of a row text, in the order they appear after the two-digit slot number.
inline const QString kOnLabel = QStringLiteral("开：");
inline const QString kOffLabel = QStringLiteral("关：");
inline const QString kCruiseLabel = QStringLiteral("自动巡航：");
inline const QString kGap = QStringLiteral("   ");
// Cruise word and times of a row that was never edited.
inline const QString kDesignCruiseWord = QStringLiteral("NO");
inline const QString kDesignTime = QStringLiteral("00:00:00");

// Cruise words written into a row, for the editor's Check1 .. Check4 in this order;
// the second to fourth name patterns 1 to 3.
inline const QString kNoCruise = QStringLiteral("无巡航");
inline const QString kCruiseOne = QStringLiteral("巡航一");
inline const QString kCruiseTwo = QStringLiteral("巡航二");
inline const QString kCruiseThree = QStringLiteral("巡航三");

// Shown by the editor when a time box holds no valid date or time; it only warns.
inline const QString kInvalidTimeMessage =
    QStringLiteral("输入时间有误，请重新输入，如有疑问请点击面板上的“定时配置说明”查看");
// Shown by the help button of the timetable region.
inline const QString kTimetableHelpMessage =
    QStringLiteral("自动巡航模式的定时设置，必须在“英文输入法”下设置时间,格式如下：12:12:12");

// What became of the rows whose lines a timetable file had but the console could not take, as
// the journal tells it; no message box is shown.
inline const QString kUnreadFlagsEffect = QStringLiteral("不是 True、False 或数字，对应的行未选中");
inline const QString kUnreadRowsEffect = QStringLiteral("无法读取，对应的行保持原样");

// A settings file could not be written at exit.
inline const QString kSaveFailedPrefix = QStringLiteral("无法保存设置文件：");

// Why, in a few words: the words of every file the console saves, and the one of these files.
using filetexts::kReasonDiskFull;
using filetexts::kReasonIsFolder;
using filetexts::kReasonNoFolder;
using filetexts::kReasonNoPermission;
using filetexts::kReasonReadOnlyDisk;
using filetexts::kReasonWriteFailed;
inline const QString kReasonNoEncoding = QStringLiteral("系统缺少 GB18030 编码，无法写入");

// "无法保存设置文件：<path>", then the reason on its own line.
inline QString saveFailedText(const QString &path, const QString &reason)
{
    return kSaveFailedPrefix + path + QLatin1Char('\n') + reason;
}

// The marks beside each row: whether its on and off times are waiting for the clock, have
// fired, or will not fire (never confirmed in this run, or the row is not selected).
inline const QString kMarkArmed = QStringLiteral("待执行");
inline const QString kMarkFired = QStringLiteral("已执行");
inline const QString kMarkNotArmed = QStringLiteral("未生效");
inline const QString kMarkOn = QStringLiteral("开灯");
inline const QString kMarkOff = QStringLiteral("关灯");

// The line under the list: what the timetable does next.
inline const QString kNextToday = QStringLiteral("下一次定时：今天 %1，第 %2 行%3");
inline const QString kNextTomorrow = QStringLiteral("今天不再有定时；下一次：明天 %1，第 %2 行%3");
inline const QString kNothingArmed =
    QStringLiteral("已选中 %1 行，但没有一个时间生效：重启后须双击该行并按“确定”重新确认");
inline const QString kNothingToDo = QStringLiteral("没有待执行的定时");
inline const QString kNextLampOn = QStringLiteral("开灯");
inline const QString kNextLampOff = QStringLiteral("关灯");
// The cruise the firing starts or stops one second after the lamp; %1 is the pattern's name.
inline const QString kNextCruiseStart = QStringLiteral("，1 秒后开始%1");
inline const QString kNextCruiseStop = QStringLiteral("，1 秒后停止巡航");

// The editor window.
inline const QString kEditorTitle = QStringLiteral("Form2");
inline const QString kTimesFrame = QStringLiteral("灯开关时间配置");
inline const QString kCruiseFrame = QStringLiteral("巡航模式配置");
// Captions of Check1 .. Check4; the words they write into a row are the cruise words.
inline const QString kCheckCaptions[4] = {
    QStringLiteral("不自动巡航"),
    QStringLiteral("巡航模式一"),
    QStringLiteral("巡航模式二"),
    QStringLiteral("巡航模式三"),
};
inline const QString kConfirm = QStringLiteral("确定");

} // namespace scheduletexts
