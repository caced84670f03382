#pragma once

#include <QString>

// Why a file of ours could not be saved, in a few words, as the operator reads them after the
// file's name.
namespace filetexts {

inline const QString kReasonIsFolder = QStringLiteral("该位置是一个文件夹，不是文件");
inline const QString kReasonNoFolder = QStringLiteral("所在的文件夹不存在");
inline const QString kReasonNoPermission =
    QStringLiteral("没有写入权限：文件本身和所在的文件夹都不允许写入");
inline const QString kReasonReadOnlyDisk = QStringLiteral("磁盘为只读，无法写入");
inline const QString kReasonDiskFull = QStringLiteral("磁盘空间不足，无法写入");
inline const QString kReasonWriteFailed = QStringLiteral("写入文件时出错");

} // namespace filetexts
