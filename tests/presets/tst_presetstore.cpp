#include "presets/presetservice.h"
#include "presets/presetstore.h"
#include "presets/presettexts.h"
#include "tests/support/asoperator.h"
#include "tests/support/otherprogram.h"
#include "tests/support/threadnames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace {

PresetLabels labelsOf(const QStringList &texts)
{
    PresetLabels labels;
    std::copy(texts.begin(), texts.end(), labels.begin());
    return labels;
}

QStringList listOf(const PresetLabels &labels)
{
    return QStringList(labels.begin(), labels.end());
}

// A row as SQLite's quote() writes it, so that NULL, numbers and empty texts all differ.
QString quotedRow(int rowid, const QString &key, const QStringList &labels)
{
    QStringList fields{QString::number(rowid)};
    for (QString text : QStringList{key} + labels)
        fields << "'" + text.replace("'", "''") + "'";
    return fields.join('|');
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The preset store against real SQLite files, including files other programs wrote or hold.
class TestPresetStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void freshFolder();
    void roundTrip_data();
    void roundTrip();
    void keys_data();
    void keys();
    void brokenFile_data();
    void brokenFile();
    void lockedFile_data();
    void lockedFile();
    void unstorableTexts_data();
    void unstorableTexts();
    void serviceEndsWithItsThread();

private:
    // Rows another program left: 00, 05, 255, 7 with a NULL label, and 05 once more.
    void fillTable();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    const QStringList m_row05{"东门", "西门", "", "码头", "A区", "仓库", "7", "8", "九"};
    const QStringList m_new{"新1", "新2", "新3", "新4", "新5", "新6", "新7", "新8", "新9"};
};

void TestPresetStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = presettable::filePathIn(m_dir->path());
}

void TestPresetStore::cleanup()
{
    // Lets the temporary folder go after a read-only case.
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(m_dir->filePath("123"), all);
    QFile::setPermissions(m_path, all);
    m_dir.reset();
}

void TestPresetStore::fillTable()
{
    OtherProgram other(m_path);
    QVERIFY(other.createTable());
    QVERIFY(other.insert("00", {"a", "b", "c", "d", "e", "f", "g", "h", "i"}));
    QVERIFY(other.insert("05", QVariant(m_row05).toList()));
    QVERIFY(other.insert("255", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    QVERIFY(other.insert("7", {"1", "2", QVariant(), "4", "5", "6", "7", "8", "9"}));
    QVERIFY(other.insert("05", {"dup", "", "", "", "", "", "", "", ""}));
}

void TestPresetStore::freshFolder()
{
    QCOMPARE(m_path, m_dir->path() + "/123/信息.db");
    const PresetStore store(m_path);
    const PresetLoad before = store.load("05");
    QVERIFY(before.ok);
    QCOMPARE(listOf(before.labels), QStringList(9, QString()));
    QVERIFY(!QFileInfo::exists(m_dir->filePath("123")));

    const PresetSave saved = store.save("05", labelsOf(m_row05));
    QVERIFY2(saved.ok, qPrintable(saved.error));
    OtherProgram other(m_path);
    QCOMPARE(other.rows("SELECT name FROM sqlite_master"), QStringList{"预置位信息"});
    // Column, type, primary-key flag: plain TEXT columns, so duplicate keys stay possible.
    QCOMPARE(
        other.rows("SELECT name, type, pk FROM pragma_table_info('预置位信息')"),
        QStringList({"探照灯|TEXT|0", "A1号|TEXT|0", "A2号|TEXT|0", "A3号|TEXT|0", "A4号|TEXT|0",
                     "A5号|TEXT|0", "A6号|TEXT|0", "A7号|TEXT|0", "A8号|TEXT|0", "A9号|TEXT|0"}));
    QCOMPARE(other.dump(), QStringList{quotedRow(1, "05", m_row05)});
}

void TestPresetStore::roundTrip_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("chinese") << "05" << m_row05;
    QTest::newRow("empty") << "255" << QStringList(9, QString());
    QTest::newRow("quotes and blanks")
        << "7" << QStringList{"仓库'顶", "\"北\"", " 空格 ", "a;b", "--", "\t", "1\n2", "%_", "末"};
    QTest::newRow("long") << "00" << QStringList(9, QString(2000, QChar(u'灯')));
}

void TestPresetStore::roundTrip()
{
    QFETCH(QString, key);
    QFETCH(QStringList, labels);
    const PresetStore store(m_path);

    QVERIFY(store.save(key, labelsOf(m_new)).ok);
    const PresetSave saved = store.save(key, labelsOf(labels));
    QVERIFY2(saved.ok, qPrintable(saved.error));
    const PresetLoad loaded = store.load(key);
    QVERIFY2(loaded.ok, qPrintable(loaded.error));
    QCOMPARE(listOf(loaded.labels), labels);
    // The second save overwrote the first; empty labels are stored as empty texts, not NULL.
    QCOMPARE(OtherProgram(m_path).dump(), QStringList{quotedRow(1, key, labels)});
}

void TestPresetStore::keys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("loaded");
    QTest::addColumn<int>("savedRowid"); // the row the save lands in

    const QStringList none(9, QString());
    QTest::newRow("first of two rows") << "05" << m_row05 << 2;
    QTest::newRow("null column") << "7" << QStringList{"1", "2", "", "4", "5", "6", "7", "8", "9"}
                                 << 4;
    QTest::newRow("07 is not 7") << "07" << none << 6;
    QTest::newRow("drop table") << "05'; DROP TABLE 预置位信息; --" << none << 6;
    QTest::newRow("or true") << "' OR '1'='1" << none << 6;
    QTest::newRow("double quotes") << "\" OR \"\"=\"" << none << 6;
    QTest::newRow("empty") << "" << none << 6;
    // Found by fuzzing: a null text (an empty selector) was bound as NULL, which no row matches,
    // so every save added a row that no load found.
    QTest::newRow("null text") << QString() << none << 6;
}

void TestPresetStore::keys()
{
    QFETCH(QString, key);
    QFETCH(QStringList, loaded);
    QFETCH(int, savedRowid);
    fillTable();
    QStringList expected = OtherProgram(m_path).dump();
    const PresetStore store(m_path);

    const PresetLoad load = store.load(key);
    QVERIFY2(load.ok, qPrintable(load.error));
    QCOMPARE(listOf(load.labels), loaded);
    // Saved twice, so that the key meets both the insert and the update.
    QVERIFY(store.save(key, labelsOf(m_row05)).ok);
    QVERIFY(store.save(key, labelsOf(m_new)).ok);
    QCOMPARE(listOf(store.load(key).labels), m_new);
    if (savedRowid > expected.size())
        expected << QString();
    expected[savedRowid - 1] = quotedRow(savedRowid, key, m_new);
    QCOMPARE(OtherProgram(m_path).dump(), expected);
}

void TestPresetStore::brokenFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("loadFails");
    QTest::addColumn<QString>("reason");

    QTest::newRow("not a database") << "garbage" << true << presettexts::kNotDatabase;
    QTest::newRow("folder in its place") << "folder" << true << presettexts::kIsFolder;
    QTest::newRow("column missing") << "no A9号" << true << presettexts::missingColumns({"A9号"});
    QTest::newRow("123 is a file") << "123 file" << false << presettexts::kCannotCreateFolder;
    QTest::newRow("read-only file") << "read-only file" << false << presettexts::kReadOnly;
    QTest::newRow("read-only folder, no file")
        << "read-only folder" << false << presettexts::kCannotCreate;
    QTest::newRow("read-only folder")
        << "read-only folder, file" << false << presettexts::kFolderReadOnly;
}

void TestPresetStore::brokenFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, loadFails);
    QFETCH(QString, reason);
    const QString folder = QFileInfo(m_path).absolutePath();
    QVERIFY(kind == "123 file" || QDir().mkpath(kind == "folder" ? m_path : folder));

    if (kind == "garbage") {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 4096; ++i)
            file.putChar(char(i * 37 + 11));
    } else if (kind == "no A9号") {
        QVERIFY(OtherProgram(m_path).createTable(8));
    } else if (kind == "123 file") {
        QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
    } else if (kind.startsWith("read-only")) {
        if (kind.endsWith("file"))
            fillTable();
        const bool onFile = kind == "read-only file";
        QVERIFY(
            QFile::setPermissions(onFile ? m_path : folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    const QByteArray bytes = bytesOf(m_path);
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    // Permissions stop root nowhere: those cases run as an ordinary user.
    std::optional<AsOperator> user;
    if (kind.startsWith("read-only")) {
        user.emplace(QStringList{m_dir->path()});
        QVERIFY(user->ok());
    }
    const PresetStore store(m_path);

    const PresetLoad load = store.load("05");
    QCOMPARE(load.ok, !loadFails);
    if (loadFails)
        QCOMPARE(load.error, presettexts::failure(presettexts::kLoadFailed, m_path, reason));
    // Labels unlike the stored ones: SQLite skips a write that would change nothing.
    const PresetSave save = store.save("05", labelsOf(m_new));
    QVERIFY(!save.ok);
    QCOMPARE(save.error, presettexts::failure(presettexts::kSaveFailed, m_path, reason));
    // Nothing written, no journal left behind.
    QCOMPARE(bytesOf(m_path), bytes);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries);
}

void TestPresetStore::lockedFile_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<bool>("loadWaits");

    // An exclusive lock keeps readers out too; a write in progress lets them read the old row.
    QTest::newRow("exclusive") << "BEGIN EXCLUSIVE" << true;
    QTest::newRow("write in progress") << "BEGIN IMMEDIATE" << false;
}

void TestPresetStore::lockedFile()
{
    QFETCH(QString, lock);
    QFETCH(bool, loadWaits);
    fillTable();
    const PresetStore store(m_path);
    OtherProgram other(m_path);
    QVERIFY(other.run(lock));
    QVERIFY(other.run("UPDATE 预置位信息 SET A1号 = '未提交' WHERE 探照灯 = '05'"));

    QElapsedTimer waited;
    waited.start();
    const PresetSave refused = store.save("05", labelsOf(m_new));
    QVERIFY(waited.elapsed() >= 1500);
    const auto lockedText = [this](const QString &operation) {
        return presettexts::failure(operation, m_path, presettexts::kLocked);
    };
    QCOMPARE(refused.error, lockedText(presettexts::kSaveFailed));
    const PresetLoad load = store.load("05");
    QCOMPARE(load.ok, !loadWaits);
    QCOMPARE(load.error, loadWaits ? lockedText(presettexts::kLoadFailed) : QString());
    QCOMPARE(listOf(load.labels), loadWaits ? QStringList(9, QString()) : m_row05);

    QVERIFY(other.run("ROLLBACK"));
    const PresetSave saved = store.save("05", labelsOf(m_new));
    QVERIFY2(saved.ok, qPrintable(saved.error));
    QCOMPARE(listOf(store.load("05").labels), m_new);
}

void TestPresetStore::unstorableTexts_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("labels");

    // Found by fuzzing: SQLite reads a lone surrogate together with the unit after it, so
    // "\uD800A" was stored as "𐁁" and the save landed in that searchlight's row.
    QTest::newRow("lone surrogate in the key") << QChar(0xD800) + QStringLiteral("A") << m_new;
    QTest::newRow("lone surrogate in a label")
        << "05" << QStringList(m_new.mid(0, 8)) + QStringList{QStringLiteral("x") + QChar(0xDC41)};
    // SQLite drops a U+FEFF at the start as a byte-order mark, so this was the key "05".
    QTest::newRow("byte-order mark first in the key")
        << QChar(0xFEFF) + QStringLiteral("05") << m_new;
    // SQLite reads U+FFFF back as U+FFFD: the label would change on its way through the file.
    QTest::newRow("noncharacter in a label")
        << "05" << QStringList{QString(QChar(0xFFFF))} + QStringList(m_new.mid(1));
}

void TestPresetStore::unstorableTexts()
{
    QFETCH(QString, key);
    QFETCH(QStringList, labels);
    fillTable();
    QVERIFY(OtherProgram(m_path).insert("𐁁", QVariant(m_row05).toList()));
    const QStringList rows = OtherProgram(m_path).dump();
    const PresetStore store(m_path);
    const PresetLoad before = store.load(key);

    const PresetSave save = store.save(key, labelsOf(labels));
    QVERIFY(!save.ok);
    QCOMPARE(save.error,
             presettexts::failure(presettexts::kSaveFailed, m_path, presettexts::kUnstorableText));
    QCOMPARE(OtherProgram(m_path).dump(), rows);
    const PresetLoad after = store.load(key);
    QVERIFY(after.ok);
    QCOMPARE(listOf(after.labels), listOf(before.labels));
    // A key SQLite cannot hold has no row, not the row of the key it would be mistaken for.
    if (key != "05")
        QCOMPARE(listOf(after.labels), QStringList(9, QString()));
}

void TestPresetStore::serviceEndsWithItsThread()
{
    // A save asked for just before the end still reaches the file, its answer is not given, and
    // once the service is gone so is its thread: not ending, gone, so that a program that ends
    // next has no thread of ours running under it. Ending threads linger only now and then,
    // hence the rounds.
    for (int round = 0; round < 50; ++round) {
        const QStringList labels(9, QString::number(round));
        int answers = 0;
        {
            PresetService service{PresetStore(m_path)};
            QTRY_COMPARE(threadsNamed("corvane-presets"), 1);
            service.save("05", labelsOf(labels), [&](const PresetSave &) { ++answers; });
        }
        QCOMPARE(threadsNamed("corvane-presets"), 0);
        QCoreApplication::processEvents();
        QCOMPARE(answers, 0);
        QCOMPARE(listOf(PresetStore(m_path).load("05").labels), labels);
    }
}

QTEST_GUILESS_MAIN(TestPresetStore)
#include "tst_presetstore.moc"
