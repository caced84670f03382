#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// Where the preset labels are kept and how their table is laid out: one row per searchlight,
// keyed by the searchlight text, so that any SQLite tool can read and edit the file.
namespace presettable {

inline constexpr int kPresetCount = 9;

inline const QString kTable = QStringLiteral("预置位信息");
inline const QString kKeyColumn = QStringLiteral("探照灯");

// The column that holds the label of preset 1 to 9.
inline QString labelColumn(int preset)
{
    return QStringLiteral("A%1号").arg(preset);
}

// The file lives below the program directory, not the working directory, so that the labels
// are found however the console was started.
inline QString filePathIn(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("123/信息.db"));
}

// A table or column name as it is written into SQL text.
inline QString quoted(const QString &identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace presettable
