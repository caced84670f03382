#pragma once

#include <QString>

// The journal's words as the operator reads them: in the day files, the journal window and the
// exported CSV.
namespace journaltexts {

// Kinds of entry, in the order the window's kind box lists them.
inline const QString kProgram = QStringLiteral("程序");
inline const QString kSent = QStringLiteral("发送");
inline const QString kJog = QStringLiteral("点动");
inline const QString kReceived = QStringLiteral("接收");
inline const QString kLink = QStringLiteral("连接");
inline const QString kTimetable = QStringLiteral("定时");
inline const QString kPreset = QStringLiteral("预置位");
inline const QString kSettings = QStringLiteral("设置文件");
inline const QString kMessage = QStringLiteral("提示");

// Events. Those the day picture reads are the lamp, cruise and jog ones, and the exit.
inline const QString kStarted = QStringLiteral("启动");
inline const QString kExited = QStringLiteral("退出");
inline const QString kResumed = QStringLiteral("记录恢复");
inline const QString kLampOn = QStringLiteral("开灯");
inline const QString kLampOff = QStringLiteral("关灯");
inline const QString kCruiseStart = QStringLiteral("开始巡航");
inline const QString kCruiseStop = QStringLiteral("停止巡航");
inline const QString kPresetSet = QStringLiteral("设置预置位");
inline const QString kPresetRecall = QStringLiteral("调用预置位");
inline const QString kJogFrame = QStringLiteral("点动帧");
inline const QString kOtherFrame = QStringLiteral("其他控制帧");
inline const QString kStopMotion = QStringLiteral("停止运动");
inline const QString kGoToAngle = QStringLiteral("转到角度");
inline const QString kQueryPosition = QStringLiteral("查询位置");
inline const QString kJogStart = QStringLiteral("开始点动");
inline const QString kJogEnd = QStringLiteral("结束点动");
inline const QString kJogChange = QStringLiteral("点动中途改变");
inline const QString kReplyFrame = QStringLiteral("回复帧");
inline const QString kReplyText = QStringLiteral("文本回复");
inline const QString kReplyTextNoTail = QStringLiteral("文本回复（无结尾）");
inline const QString kReplyOther = QStringLiteral("其他数据（未显示）");
inline const QString kReplyShort = QStringLiteral("不足 8 字节（未显示）");
inline const QString kReplySummary = QStringLiteral("回复汇总");
inline const QString kLinkOpened = QStringLiteral("已打开");
inline const QString kLinkClosed = QStringLiteral("已关闭");
inline const QString kLinkLost = QStringLiteral("已掉线");
inline const QString kLinkFailed = QStringLiteral("连接失败");
inline const QString kSlotOn = QStringLiteral("定时开灯");
inline const QString kSlotOff = QStringLiteral("定时关灯");
inline const QString kDelayedStart = QStringLiteral("延时开始巡航");
inline const QString kDelayedStop = QStringLiteral("延时停止巡航");
inline const QString kLabelsSaved = QStringLiteral("标签已保存");
inline const QString kLabelsNotSaved = QStringLiteral("标签未保存");
inline const QString kSaved = QStringLiteral("已保存");
inline const QString kNotSaved = QStringLiteral("未保存");
inline const QString kLinesUnread = QStringLiteral("有行未读");
inline const QString kShown = QStringLiteral("显示提示");
// What goes on over midnight, as the first entries of the new day.
inline const QString kCarriedLamp = QStringLiteral("延续：灯亮");
inline const QString kCarriedCruise = QStringLiteral("延续：巡航");
inline const QString kCarriedJog = QStringLiteral("延续：点动");

// The end of a field shortened in the journal window: how many characters it has in all.
inline const QString kShortened = QStringLiteral("…（共 %1 字）");

// The message when the journal cannot be written: once, until writing works again.
inline const QString kCannotWrite =
    QStringLiteral("运行记录无法写入：%1\n%2\n控制台照常工作，能够写入时会自动继续记录。");
inline const QString kReasonDiskFull = QStringLiteral("磁盘空间不足");
inline const QString kReasonNoPermission = QStringLiteral("没有写入权限");
inline const QString kReasonReadOnly = QStringLiteral("磁盘为只读");
inline const QString kReasonNoFolder = QStringLiteral("无法创建运行记录文件夹");
inline const QString kReasonIsFolder = QStringLiteral("该位置是一个文件夹，不是文件");
inline const QString kReasonOther = QStringLiteral("写入文件时出错（%1）");
inline const QString kDropped = QStringLiteral("记录丢弃");
inline const QString kDroppedDetail = QStringLiteral("记录来得比磁盘写得快，丢弃了 %1 条");
// Written when writing works again.
inline const QString kResumedDetail = QStringLiteral("此前无法写入，其间丢失 %1 条记录");
// The day's file was removed or replaced while the console wrote it: the entry in the new file
// (its details are the file's path) and the message.
inline const QString kFileRestarted = QStringLiteral("记录文件重建");
inline const QString kRestartedMessage =
    QStringLiteral("运行记录文件已被删除或替换：%1\n已重新建立该文件，此后的记录写入新文件。");
// Past the day's size cap, replies go in only as one summary a minute.
inline const QString kRepliesPerMinute = QStringLiteral("回复改为按分钟汇总");
inline const QString kRepliesPerMinuteDetail =
    QStringLiteral("当日运行记录已超过 %1 MB，当天余下的回复只按分钟汇总，其他记录照常写入");

// An export that could not be written: the file chosen and why.
inline const QString kExportFailed = QStringLiteral("无法导出 CSV 文件：%1\n%2");

} // namespace journaltexts
