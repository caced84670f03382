#pragma once

#include <QDir>
#include <QString>

// Messages of the preset store, shown to the operator in a "提示信息" box.
namespace presettexts {

// What failed.
inline const QString kLoadFailed = QStringLiteral("读取预置位信息失败");
inline const QString kSaveFailed = QStringLiteral("保存预置位信息失败");

// Why, in a few words.
inline const QString kLocked = QStringLiteral("数据库被其它程序锁定");
inline const QString kNotDatabase = QStringLiteral("不是有效的数据库文件");
inline const QString kDamaged = QStringLiteral("数据库文件已损坏");
inline const QString kReadOnly = QStringLiteral("文件只读，无法写入");
inline const QString kFolderReadOnly = QStringLiteral("文件夹只读，无法写入");
inline const QString kCannotOpen = QStringLiteral("无法打开数据库文件，请检查文件权限");
inline const QString kCannotCreate = QStringLiteral("无法创建数据库文件");
inline const QString kCannotCreateFolder = QStringLiteral("无法创建数据库所在的文件夹");
inline const QString kCannotCopy = QStringLiteral("无法把程序目录中的数据库复制到数据目录");
inline const QString kIsFolder = QStringLiteral("该位置是一个文件夹，不是数据库文件");
inline const QString kDiskFull = QStringLiteral("磁盘已满，无法写入");
inline const QString kIoError = QStringLiteral("读写数据库文件出错");
inline const QString kUnstorableText = QStringLiteral("探照灯编号或名称中含有无法保存的字符");
inline const QString kMissingColumnsPrefix = QStringLiteral("预置位信息表缺少列：");

inline QString missingColumns(const QStringList &columns)
{
    return kMissingColumnsPrefix + columns.join(QStringLiteral("、"));
}

// A preset button was pressed in a dialog whose labels had not been read: writing its boxes
// would put empty or stale texts over the labels in the file.
inline const QString kLabelsNotSaved =
    QStringLiteral("预置位名称未保存：打开对话框时未能读取已存的名称，为免覆盖，本次未写入");

// Anything the store cannot name, with SQLite's own code or text for whoever looks into it.
inline QString otherError(const QString &detail)
{
    return QStringLiteral("数据库出错（%1）").arg(detail);
}

// The whole message: what failed, why, and which file.
inline QString failure(const QString &operation, const QString &filePath, const QString &reason)
{
    return operation + QStringLiteral("：") + reason + QStringLiteral("\n文件：") +
           QDir::toNativeSeparators(filePath);
}

// The preset dialog.
inline const QString kDialogTitle = QStringLiteral("Form1");
// What a label box shows until the labels of a searchlight are loaded into it.
inline const QString kDesignLabel = QStringLiteral("A区");

// The caption of preset button 1 to 9: the digit, a space, then the words.
inline QString presetCaption(int preset)
{
    return QStringLiteral("%1 号位置").arg(preset);
}

} // namespace presettexts
