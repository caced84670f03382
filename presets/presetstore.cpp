#include "presets/presetstore.h"

#include "presets/presetconnection.h"
#include "presets/presettexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <utility>

using presettable::quoted;

namespace {

// SQLite's primary result codes, the low byte of the code Qt reports.
enum SqliteCode {
    kPermission = 3,
    kBusy = 5,
    kTableLocked = 6,
    kReadOnlyCode = 8,
    kIoErr = 10,
    kCorrupt = 11,
    kFull = 13,
    kCantOpen = 14,
    kNotADatabase = 26,
};
// The extended code SQLite gives when the journal cannot be made beside the file.
constexpr int kReadOnlyDirectory = kReadOnlyCode | (6 << 8);

QString reasonFor(const QSqlError &error, bool fileExisted)
{
    bool known = false;
    const int code = error.nativeErrorCode().toInt(&known);
    if (!known)
        return presettexts::otherError(error.text());
    if (code == kReadOnlyDirectory)
        return presettexts::kFolderReadOnly;
    switch (code & 0xff) {
    case kBusy:
    case kTableLocked:
        return presettexts::kLocked;
    case kReadOnlyCode:
        return presettexts::kReadOnly;
    case kNotADatabase:
        return presettexts::kNotDatabase;
    case kCorrupt:
        return presettexts::kDamaged;
    case kFull:
        return presettexts::kDiskFull;
    case kIoErr:
        return presettexts::kIoError;
    case kPermission:
    case kCantOpen:
        return fileExisted ? presettexts::kCannotOpen : presettexts::kCannotCreate;
    default:
        return presettexts::otherError(error.nativeErrorCode());
    }
}

QStringList labelColumns()
{
    QStringList columns;
    for (int preset = 1; preset <= presettable::kPresetCount; ++preset)
        columns << presettable::labelColumn(preset);
    return columns;
}

QStringList quotedAll(const QStringList &names)
{
    QStringList list;
    for (const QString &name : names)
        list << quoted(name);
    return list;
}

// A NULL or missing value is an empty label.
QString labelOf(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

// Qt binds a null text as NULL; other tools should find an empty text instead, and a key bound
// as NULL would match no row, so an empty searchlight would gain a new row on every save.
QString storedText(const QString &label)
{
    return label.isNull() ? QStringLiteral("") : label;
}

// Whether SQLite keeps a text as it is. It stores UTF-8 and reads a lone surrogate together with
// the unit after it, so "\uD800A" would be stored as U+10041, another searchlight's key; it takes
// a U+FEFF at the start for a byte-order mark and drops it ("\uFEFF05" would be "05"); and it
// reads U+FFFE and U+FFFF back as U+FFFD.
bool keptAsIs(const QString &text)
{
    return text.isValidUtf16() && !text.startsWith(QChar(0xFEFF)) &&
           !text.contains(QChar(0xFFFE)) && !text.contains(QChar(0xFFFF));
}

bool storable(const QString &searchlight, const PresetLabels &labels)
{
    return keptAsIs(searchlight) && std::all_of(labels.begin(), labels.end(), keptAsIs);
}

// Prepares, binds and runs one statement; when it fails, the query's lastError() says why.
bool run(QSqlQuery &query, const QString &sql, const QVariantList &values = {})
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

// How the table in the file looks: not there, or there with some of our columns missing.
struct TableShape
{
    QSqlError error;
    bool exists = false;
    QStringList missing;
};

TableShape tableShape(QSqlQuery &query)
{
    TableShape shape;
    QStringList present;
    if (run(query, QStringLiteral("SELECT name FROM pragma_table_info(?)"),
            {presettable::kTable})) {
        while (query.next())
            present << query.value(0).toString();
    }
    if (query.lastError().isValid()) {
        shape.error = query.lastError();
        return shape;
    }
    query.finish();
    shape.exists = !present.isEmpty();
    // SQLite matches column names without regard to ASCII case.
    for (const QString &column : QStringList{presettable::kKeyColumn} + labelColumns()) {
        if (!present.contains(column, Qt::CaseInsensitive))
            shape.missing << column;
    }
    return shape;
}

QString createTableText()
{
    QStringList columns;
    for (const QString &name : QStringList{presettable::kKeyColumn} + labelColumns())
        columns << quoted(name) + QStringLiteral(" TEXT");
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoted(presettable::kTable), columns.join(QStringLiteral(", ")));
}

// The first row of a key, also where another tool has left several rows with it.
QString firstRowText()
{
    return QStringLiteral("SELECT rowid FROM %1 WHERE %2 = ? ORDER BY rowid LIMIT 1")
        .arg(quoted(presettable::kTable), quoted(presettable::kKeyColumn));
}

QString selectText()
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE rowid = (%3)")
        .arg(quotedAll(labelColumns()).join(QStringLiteral(", ")), quoted(presettable::kTable),
             firstRowText());
}

QString updateText()
{
    QStringList assignments;
    for (const QString &column : quotedAll(labelColumns()))
        assignments << column + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (%3)")
        .arg(quoted(presettable::kTable), assignments.join(QStringLiteral(", ")), firstRowText());
}

QString insertText()
{
    const QStringList columns = QStringList{presettable::kKeyColumn} + labelColumns();
    QStringList marks;
    marks.fill(QStringLiteral("?"), columns.size());
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quoted(presettable::kTable), quotedAll(columns).join(QStringLiteral(", ")),
             marks.join(QStringLiteral(", ")));
}

// The work of a save inside its transaction. Returns the reason it failed, or an empty text.
QString writeRow(QSqlQuery &query, const QString &searchlight, const PresetLabels &labels)
{
    const TableShape shape = tableShape(query);
    if (shape.error.isValid())
        return reasonFor(shape.error, true);
    if (!shape.exists) {
        if (!run(query, createTableText()))
            return reasonFor(query.lastError(), true);
    } else if (!shape.missing.isEmpty()) {
        return presettexts::missingColumns(shape.missing);
    }

    QVariantList values;
    for (const QString &label : labels)
        values << storedText(label);
    if (!run(query, updateText(), values + QVariantList{storedText(searchlight)}))
        return reasonFor(query.lastError(), true);
    if (query.numRowsAffected() > 0)
        return {};

    // No row for this searchlight yet: the operator's labels are never dropped.
    if (!run(query, insertText(), QVariantList{storedText(searchlight)} + values))
        return reasonFor(query.lastError(), true);
    return {};
}

} // namespace

PresetStore::PresetStore(QString filePath, QString fallbackPath)
    : m_filePath(std::move(filePath)), m_fallbackPath(std::move(fallbackPath))
{
}

QString PresetStore::sourcePath() const
{
    if (!m_fallbackPath.isEmpty() && !QFileInfo::exists(m_filePath) &&
        QFileInfo(m_fallbackPath).isFile())
        return m_fallbackPath;
    return m_filePath;
}

PresetLoad PresetStore::load(const QString &searchlight) const
{
    const QString source = sourcePath();
    const auto failed = [&source](const QString &reason) {
        return PresetLoad{
            false, presettexts::failure(presettexts::kLoadFailed, source, reason), {}};
    };
    const PresetLoad nothingStored{true, {}, {}};

    const QFileInfo file(source);
    if (file.isDir())
        return failed(presettexts::kIsFolder);
    // A console that has never saved has no file yet; reading does not create one.
    if (!file.exists())
        return nothingStored;

    PresetConnection connection(source, PresetConnection::Access::ReadOnly);
    if (!connection.isOpen())
        return failed(reasonFor(connection.openError(), true));
    QSqlQuery query = connection.query();

    const TableShape shape = tableShape(query);
    if (shape.error.isValid())
        return failed(reasonFor(shape.error, true));
    if (!shape.exists)
        return nothingStored;
    if (!shape.missing.isEmpty())
        return failed(presettexts::missingColumns(shape.missing));

    // A key SQLite cannot hold has no row; bound as it is, it could find another key's row.
    if (!keptAsIs(searchlight))
        return nothingStored;
    if (!run(query, selectText(), {storedText(searchlight)}))
        return failed(reasonFor(query.lastError(), true));
    if (!query.next()) {
        if (query.lastError().isValid())
            return failed(reasonFor(query.lastError(), true));
        return nothingStored;
    }
    PresetLoad result{true, {}, {}};
    for (int i = 0; i < presettable::kPresetCount; ++i)
        result.labels[i] = labelOf(query.value(i));
    return result;
}

PresetSave PresetStore::save(const QString &searchlight, const PresetLabels &labels) const
{
    const auto failed = [this](const QString &reason) {
        return PresetSave{false,
                          presettexts::failure(presettexts::kSaveFailed, m_filePath, reason)};
    };

    if (!storable(searchlight, labels))
        return failed(presettexts::kUnstorableText);
    const QFileInfo file(m_filePath);
    if (file.isDir())
        return failed(presettexts::kIsFolder);
    if (!QDir().mkpath(file.absolutePath()))
        return failed(presettexts::kCannotCreateFolder);
    const QString source = sourcePath();
    if (source != m_filePath && !QFile::copy(source, m_filePath))
        return failed(presettexts::kCannotCopy);
    const bool existed = file.exists();

    PresetConnection connection(m_filePath, PresetConnection::Access::ReadWrite);
    if (!connection.isOpen())
        return failed(reasonFor(connection.openError(), existed));
    QSqlQuery query = connection.query();

    // The write lock is taken first, so the busy wait covers the whole save and nothing is read
    // that another writer could change before the update.
    if (!run(query, QStringLiteral("BEGIN IMMEDIATE")))
        return failed(reasonFor(query.lastError(), existed));
    QString reason = writeRow(query, searchlight, labels);
    if (reason.isEmpty() && run(query, QStringLiteral("COMMIT")))
        return {true, {}};
    if (reason.isEmpty())
        reason = reasonFor(query.lastError(), true);
    run(query, QStringLiteral("ROLLBACK"));
    return failed(reason);
}
