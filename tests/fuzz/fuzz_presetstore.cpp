// The preset store with any searchlight text and any labels, on a real SQLite file that already
// holds rows another tool could have left: duplicates, NULLs, a blob key, texts outside the BMP.
// After a save every other row is the same to the byte (read through a connection of our own),
// and the saved searchlight loads back the labels.
#include "fuzzsupport.h"
#include "presets/presetstore.h"
#include "presets/presettable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace {

// The application object stays until the process ends: libFuzzer leaves by exit(), when Qt's
// own global objects may already be gone. The folder goes at exit with what the run left in it.
struct Application
{
    int argc = 1;
    char name[20] = "fuzz_presetstore";
    char *argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

struct Fixture
{
    QTemporaryDir dir;
    QString templatePath = dir.filePath(QStringLiteral("template.db"));
    QString path = dir.filePath(QStringLiteral("123/信息.db"));
};

Application *application = nullptr;
std::unique_ptr<Fixture> fixture;

// One row as stored: the type and the bytes of every column.
struct Row
{
    QString key; // type and hex of the key column
    QString all; // type and hex of every column
};

using Dump = QMap<qint64, Row>;

QString columnList()
{
    QStringList columns{presettable::kKeyColumn};
    for (int preset = 1; preset <= presettable::kPresetCount; ++preset)
        columns << presettable::labelColumn(preset);
    return columns.join(QLatin1Char(','));
}

// Runs some SQL on a connection of the harness's own, never through the store.
template <typename Work> void withConnection(const QString &path, Work work)
{
    const QString name = QStringLiteral("fuzz-own");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            fuzz::fail("own connection", db.lastError().text());
        QSqlQuery query(db);
        work(query);
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void exec(QSqlQuery &query, const QString &sql)
{
    if (!query.exec(sql))
        fuzz::fail("fixture SQL", sql + QLatin1Char('\n') + query.lastError().text());
}

void makeTemplate()
{
    const QString table = presettable::quoted(presettable::kTable);
    const QString columns = columnList();
    withConnection(fixture->templatePath, [&](QSqlQuery &query) {
        exec(query,
             QStringLiteral("CREATE TABLE %1 (%2)")
                 .arg(table, QString(columns).replace(QLatin1Char(','), QStringLiteral(" TEXT,")) +
                                 QStringLiteral(" TEXT")));
        const QStringList rows = {
            QStringLiteral("'00','一','二','三','四','五','六','七','八','九'"),
            QStringLiteral("'07',NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL"),
            QStringLiteral("'7','a','b','c','d','e','f','g','h','i'"),
            QStringLiteral("'12','first','','','','','','','',''"),
            QStringLiteral("'12','second','','','','','','','',''"),
            QStringLiteral("NULL,'no key','','','','','','','',''"),
            QStringLiteral("X'3037',X'00FF',1.5,7,'','','','','',''"),
            QStringLiteral("'𐁁','outside the BMP','','','','','','','',''"),
            QStringLiteral("'A','upper','','','','','','','',''"),
            QStringLiteral("'',' ','','','','','','','',''"),
        };
        for (const QString &row : rows)
            exec(query, QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, row));
    });
}

Dump dump(const QString &path)
{
    QStringList typed;
    for (const QString &column : columnList().split(QLatin1Char(','))) {
        const QString c = presettable::quoted(column);
        typed << QStringLiteral("typeof(%1)||':'||hex(%1)").arg(c);
    }
    Dump rows;
    withConnection(path, [&](QSqlQuery &query) {
        exec(query,
             QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid")
                 .arg(typed.join(QLatin1Char(',')), presettable::quoted(presettable::kTable)));
        while (query.next()) {
            QStringList all;
            for (int i = 1; i <= 1 + presettable::kPresetCount; ++i)
                all << query.value(i).toString();
            rows.insert(query.value(0).toLongLong(), {all.first(), all.join(QLatin1Char('|'))});
        }
    });
    return rows;
}

// The key column as SQLite holds a text key: its UTF-8 bytes.
QString storedKey(const QString &searchlight)
{
    return QStringLiteral("text:") + QString::fromLatin1(searchlight.toUtf8().toHex().toUpper());
}

QString describe(const QString &searchlight, const PresetLabels &labels)
{
    QString text = QStringLiteral("searchlight \"%1\"").arg(fuzz::escaped(searchlight));
    for (const QString &label : labels)
        text += QStringLiteral(" \"%1\"").arg(fuzz::escaped(label, 40));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    application = new Application;
    fixture = std::make_unique<Fixture>();
    if (!fixture->dir.isValid() || !QDir().mkpath(QFileInfo(fixture->path).absolutePath()))
        fuzz::fail("temporary folder");
    makeTemplate();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    QFile::remove(fixture->path);
    if (!QFile::copy(fixture->templatePath, fixture->path))
        fuzz::fail("copy of the template");
    const PresetStore store(fixture->path);

    const QString searchlight = fuzz::consumeText(input, 24);
    PresetLabels labels;
    for (QString &label : labels)
        label = fuzz::consumeText(input, 48);
    const QString detail = describe(searchlight, labels);

    const PresetLoad before = store.load(searchlight);
    fuzz::require(before.ok, "load of a sound file", detail + QLatin1Char('\n') + before.error);

    const Dump was = dump(fixture->path);
    const PresetSave saved = store.save(searchlight, labels);
    const Dump is = dump(fixture->path);

    // SQLite's text cannot keep a lone surrogate, U+FEFF first, U+FFFE or U+FFFF: such a save is
    // refused whole.
    const auto keptAsIs = [](const QString &text) {
        return text.isValidUtf16() && !text.startsWith(QChar(0xFEFF)) &&
               !text.contains(QChar(0xFFFE)) && !text.contains(QChar(0xFFFF));
    };
    const bool storable =
        keptAsIs(searchlight) && std::all_of(labels.begin(), labels.end(), keptAsIs);
    if (!storable) {
        fuzz::require(!saved.ok, "a text SQLite cannot keep is refused", detail);
        fuzz::require(is.keys() == was.keys(), "a refused save adds nothing", detail);
        for (auto it = was.cbegin(); it != was.cend(); ++it)
            fuzz::require(is.value(it.key()).all == it->all, "a refused save changes nothing",
                          detail);
        if (!keptAsIs(searchlight)) {
            const PresetLoad load = store.load(searchlight);
            fuzz::require(load.ok && std::all_of(load.labels.begin(), load.labels.end(),
                                                 [](const QString &l) { return l.isEmpty(); }),
                          "a key SQLite cannot keep has no row", detail);
        }
        return 0;
    }
    fuzz::require(saved.ok, "save to a sound file", detail + QLatin1Char('\n') + saved.error);

    // The row the save may change: the first with this key, or one new row when there was none.
    const QString key = storedKey(searchlight);
    qint64 target = -1;
    for (auto it = was.cbegin(); it != was.cend() && target < 0; ++it) {
        if (it->key == key)
            target = it.key();
    }
    for (auto it = was.cbegin(); it != was.cend(); ++it) {
        fuzz::require(is.contains(it.key()), "no row removed", detail);
        if (it.key() != target)
            fuzz::require(is.value(it.key()).all == it->all, "other rows unchanged",
                          detail + QStringLiteral("\nrow %1 was %2\nis %3")
                                       .arg(it.key())
                                       .arg(it->all, is.value(it.key()).all));
    }
    const qsizetype added = is.size() - was.size();
    fuzz::require(added == (target < 0 ? 1 : 0), "one row added exactly when there was none",
                  detail);
    if (added == 1)
        fuzz::require(is.last().key == key, "the added row has the key", detail);

    const PresetLoad after = store.load(searchlight);
    fuzz::require(after.ok, "load after a save", detail + QLatin1Char('\n') + after.error);
    for (int i = 0; i < presettable::kPresetCount; ++i) {
        fuzz::require(after.labels[i] == labels[i], "labels load back",
                      detail + QStringLiteral("\nlabel %1 loaded as \"%2\"")
                                   .arg(i + 1)
                                   .arg(fuzz::escaped(after.labels[i], 40)));
    }
    return 0;
}
