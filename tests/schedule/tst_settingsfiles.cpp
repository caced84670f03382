#include "schedule/scheduletexts.h"
#include "schedule/settingsfiles.h"
#include "schedule/timetable.h"
#include "tests/support/asoperator.h"
#include "tests/support/diskfaults.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace schedule;

// The three settings files on a real disk: bytes written, what the readers make of good and
// of hostile files, and that a failed save leaves the old file whole.
class TestSettingsFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writtenBytes();
    void flagWords_data();
    void flagWords();
    void badFlagLineSpoilsOnlyItself();
    void rowsAsWritten_data();
    void rowsAsWritten();
    void deviceIp_data();
    void deviceIp();
    void chineseRowsRoundTrip();
    void hostileFiles_data();
    void hostileFiles();
    void notRegularFilesReadNothing();
    void unwritableFolder();
    void replaceLeavesNoTemporaryFiles();
    void savedWholeOrNotAtAll_data();
    void savedWholeOrNotAtAll();

private:
    QString put(const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestSettingsFiles::put(const QByteArray &bytes)
{
    const QString path = rowsPath(m_dir->path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot prepare %s", qPrintable(path));
    return path;
}

// Rows as read, a line the readers could not take shown as kUnread.
const QString kUnread = QStringLiteral("<unread>");
static QStringList texts(const QList<FileLine> &lines)
{
    QStringList all;
    for (const FileLine &line : lines)
        all << line.value_or(kUnread);
    return all;
}

// Selections as read: 1, 0, or ? for a line that is none.
static QString flags(const QList<FlagLine> &lines)
{
    QString all;
    for (const FlagLine &line : lines)
        all += line ? QLatin1Char(*line ? '1' : '0') : QLatin1Char('?');
    return all;
}

static QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestSettingsFiles::writtenBytes()
{
    const QString dir = m_dir->path();
    QCOMPARE(deviceIpPath(dir), dir + "/123.ini");
    QVERIFY(writeDeviceIp(deviceIpPath(dir), QStringLiteral("192.168.1.20")).ok);
    QCOMPARE(contents(deviceIpPath(dir)), QByteArray("192.168.1.20\r\n"));

    QStringList rows;
    for (int n = 0; n < kRowCount; ++n)
        rows.append(designRow(n));
    rows[5] =
        rowText(5, QStringLiteral("08:00:00"), QStringLiteral("18:00:00"), cruiseWordOfCheck(2));
    QVERIFY(writeRows(rowsPath(dir), rows).ok);
    const QByteArray bytes = contents(rowsPath(dir));
    QCOMPARE(bytes.size(), 99 * 47 + 4); // the cruise word 巡航一 is 2 bytes longer than NO
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 100); // the last line ends with CR LF too
    QCOMPARE(lines.first(), QByteArray("00 \xbf\xaa\xa3\xba"
                                       "00:00:00   \xb9\xd8\xa3\xba"
                                       "00:00:00   \xd7\xd4\xb6\xaf\xd1\xb2\xba\xbd\xa3\xba"
                                       "NO\r"));
    QCOMPARE(lines.at(5), QByteArray("05 \xbf\xaa\xa3\xba"
                                     "08:00:00   \xb9\xd8\xa3\xba"
                                     "18:00:00   \xd7\xd4\xb6\xaf\xd1\xb2\xba\xbd\xa3\xba"
                                     "\xd1\xb2\xba\xbd\xd2\xbb\r"));
    QVERIFY(lines.last().isEmpty());

    QList<bool> selected(kRowCount, false);
    selected[3] = true;
    QVERIFY(writeFlags(flagsPath(dir), selected).ok);
    const QByteArray flagBytes = contents(flagsPath(dir));
    QVERIFY(flagBytes.startsWith("False\r\nFalse\r\nFalse\r\nTrue\r\nFalse\r\n"));
    QCOMPARE(flagBytes.size(), 98 * 7 + 6);
    QCOMPARE(flags(readFlags(flagsPath(dir))), "0001" + QString(kRowCount - 4, u'0'));
}

void TestSettingsFiles::flagWords_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("flag"); // -1: not a flag

    const QList<std::pair<const char *, int>> rows = {
        {"True", 1},   {"False", 0},  {"TRUE", 1}, {"false", 0}, {" True\t", 1}, {"-1", 1},
        {"1", 1},      {"0", 0},      {"2.5", 1},  {"-0.0", 0},  {"+.5", 1},     {"1e3", 1},
        {"0e9", 0},    {"1e-999", 1}, {"", -1},    {" ", -1},    {"yes", -1},    {"Truex", -1},
        {"1.2.3", -1}, {"1e", -1},    {".", -1},   {"-", -1},    {"nan", -1},    {"inf", -1},
        {"１", -1},    {"1,5", -1}};
    for (const auto &[line, flag] : rows)
        QTest::newRow(*line ? line : "empty") << QString::fromUtf8(line) << flag;
}

void TestSettingsFiles::flagWords()
{
    QFETCH(QString, line);
    QFETCH(int, flag);
    const std::optional<bool> read = flagOfLine(line);
    QCOMPARE(read.has_value() ? int(*read) : -1, flag);
}

void TestSettingsFiles::badFlagLineSpoilsOnlyItself()
{
    QCOMPARE(flags(readFlags(put("False\r\n-1\r\n\r\nTrue\r\n"))), "01?1");
    QCOMPARE(flags(readFlags(put("True\r\nmaybe\r\nTrue\r\n"))), "1?1");
    QCOMPARE(flags(readFlags(put(QByteArray("True\r\n").repeated(150)))), QString(kRowCount, u'1'));
    // A line the readers cannot take is no flag either.
    QCOMPARE(flags(readFlags(put(QByteArray("True\r\n1\0\r\nTrue\r\n", 16)))), "1?1");
    QVERIFY(readFlags(rowsPath(m_dir->path()) + "-missing").isEmpty());
}

void TestSettingsFiles::rowsAsWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    QByteArray ten;
    QStringList tenRows;
    for (int n = 0; n < 10; ++n) {
        ten += "row " + QByteArray::number(n) + "\r\n";
        tenRows << QStringLiteral("row %1").arg(n);
    }
    QTest::newRow("10 lines") << ten << tenRows;
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("mixed line ends")
        << QByteArray("a\nb\rc\r\n\r\nd") << QStringList{"a", "b", "c", "", "d"};
    QTest::newRow("CR CR is two lines") << QByteArray("a\r\rb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("blanks kept") << QByteArray("  x  \r\n") << QStringList{"  x  "};
    QTest::newRow("BOM is not skipped") << QByteArray("\xef\xbb\xbfx\r\n") << QStringList{"锘縳"};
}

void TestSettingsFiles::rowsAsWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QCOMPARE(texts(readRows(put(bytes))), rows);
}

void TestSettingsFiles::deviceIp_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<QString>("ip");

    QTest::newRow("address") << QByteArray("10.0.0.7\r\nignored\r\n") << true << "10.0.0.7";
    QTest::newRow("no line end") << QByteArray("10.0.0.7") << true << "10.0.0.7";
    QTest::newRow("empty first line") << QByteArray("\r\n10.0.0.7\r\n") << true << "";
    QTest::newRow("empty file") << QByteArray() << false << "";
    QTest::newRow("over-long line") << QByteArray(kMaxLineBytes + 1, '1') << false << "";
    QTest::newRow("longest line") << QByteArray(kMaxLineBytes, '1') + "\r\n"
                                  << true << QString(kMaxLineBytes, QLatin1Char('1'));
}

void TestSettingsFiles::deviceIp()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hasValue);
    QFETCH(QString, ip);
    const std::optional<QString> read = readDeviceIp(put(bytes));
    QCOMPARE(read.has_value(), hasValue);
    QCOMPARE(read.value_or(QString()), ip);
}

void TestSettingsFiles::chineseRowsRoundTrip()
{
    char32_t outsideGbk = 0x1F526; // a flashlight: GB18030 has four bytes for it, GBK none
    const QStringList rows = {
        rowText(5, QStringLiteral("08:00:00"), QStringLiteral("18:00:00"), cruiseWordOfCheck(3)),
        rowText(6, QStringLiteral("８：００"), QString(), cruiseWordOfCheck(1)),
        QStringLiteral("手工编辑：探照灯 ") + QString::fromUcs4(&outsideGbk, 1), QString()};
    const QString path = rowsPath(m_dir->path());
    QVERIFY(writeRows(path, rows).ok);
    QCOMPARE(texts(readRows(path)), rows);
    QVERIFY(readDeviceIp(deviceIpPath(m_dir->path())) == std::nullopt); // never written
}

void TestSettingsFiles::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    // Each line the readers cannot take spoils only its own row; memory stays small whatever the
    // file, and no more than kMaxScanBytes of it are looked at.
    QTest::newRow("50 MB without a line end") << QByteArray(50 << 20, 'x') << QStringList();
    QByteArray manyLines = QByteArray("x\r\n").repeated((50 << 20) / 3);
    QTest::newRow("50 MB of lines") << manyLines << QStringList(kRowCount, QStringLiteral("x"));
    QTest::newRow("5 MB on line 3") << "a\r\nb\r\n" + QByteArray(5 << 20, 'z') + "\r\nc\r\n"
                                    << QStringList{"a", "b", kUnread, "c"};
    QTest::newRow("line past the scan bound")
        << "a\r\n" + QByteArray(kMaxScanBytes, 'z') + "\r\nc\r\n"
        << QStringList{"a"};
    QTest::newRow("NUL on line 2")
        << QByteArray("a\r\nb\0c\r\nd\r\n", 11) << QStringList{"a", kUnread, "d"};
    QTest::newRow("UTF-16 file") << QByteArray("\xff\xfe"
                                               "a\0\r\0\n\0",
                                               8)
                                 << QStringList{kUnread, kUnread, kUnread};
    QTest::newRow("bytes that are not GB18030")
        << QByteArray("a\x81\r\nb\r\n\xff\xbf\xaa\r\n\xbf\xaa")
        << QStringList{kUnread, "b", kUnread, "开"};
}

void TestSettingsFiles::hostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    const QString path = put(bytes);
    QCOMPARE(texts(readRows(path)), rows);
}

void TestSettingsFiles::notRegularFilesReadNothing()
{
    const QString dir = m_dir->path();
    QVERIFY(QDir(dir).mkdir(QStringLiteral("321.ini")));
    QVERIFY(readRows(rowsPath(dir)).isEmpty());
    // A pipe with no writer would block a reader that opened it.
    QCOMPARE(::mkfifo(QFile::encodeName(flagsPath(dir)).constData(), 0600), 0);
    QVERIFY(readFlags(flagsPath(dir)).isEmpty());
    QVERIFY(!readDeviceIp(dir + "/missing.ini").has_value());
    // Writing over a directory fails with the message and leaves it a directory.
    const SaveResult result = writeRows(rowsPath(dir), {QStringLiteral("x")});
    QVERIFY(!result.ok);
    QVERIFY(result.message.startsWith(scheduletexts::kSaveFailedPrefix + rowsPath(dir)));
    QVERIFY(QFileInfo(rowsPath(dir)).isDir());
}

void TestSettingsFiles::unwritableFolder()
{
    // A folder nobody may write in: a file that may itself be written is written in place, one
    // that may not keeps what it held, and the message says why in the console's words.
    const QString dir = m_dir->path();
    const QString rows = rowsPath(dir);
    const QString flags = flagsPath(dir);
    QVERIFY(writeRows(rows, {designRow(0), designRow(1)}).ok);
    QVERIFY(writeFlags(flags, {true}).ok);
    const QByteArray oldRows = contents(rows);
    QVERIFY(QFile::setPermissions(rows, QFileDevice::ReadOwner));
    QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    {
        const AsOperator user({dir});
        QVERIFY(user.ok());
        const SaveResult result = writeRows(rows, {QStringLiteral("new")});
        QVERIFY(!result.ok);
        QCOMPARE(result.message,
                 scheduletexts::saveFailedText(rows, scheduletexts::kReasonNoPermission));
        QCOMPARE(contents(rows), oldRows);
        QVERIFY(writeFlags(flags, {false, true}).ok);
        QCOMPARE(contents(flags), QByteArray("False\r\nTrue\r\n"));
        // A file that is not there cannot be made either.
        const SaveResult missing = writeDeviceIp(deviceIpPath(dir), QStringLiteral("10.0.0.1"));
        QCOMPARE(missing.message, scheduletexts::saveFailedText(
                                      deviceIpPath(dir), scheduletexts::kReasonNoPermission));
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"321.ini", "322.ini"}));
    }
    QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner));
}

void TestSettingsFiles::replaceLeavesNoTemporaryFiles()
{
    const QString dir = m_dir->path();
    QVERIFY(writeFlags(flagsPath(dir), QList<bool>(kRowCount, true)).ok);
    QVERIFY(writeFlags(flagsPath(dir), {false}).ok);
    QVERIFY(writeDeviceIp(deviceIpPath(dir), QString()).ok);
    QCOMPARE(contents(flagsPath(dir)), QByteArray("False\r\n"));
    QCOMPARE(contents(deviceIpPath(dir)), QByteArray("\r\n"));
    QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"123.ini", "322.ini"}));
}

void TestSettingsFiles::savedWholeOrNotAtAll_data()
{
    using namespace scheduletexts;
    QTest::addColumn<int>("oldRows"); // 0: no file yet
    QTest::addColumn<int>("newRows");
    QTest::addColumn<int>("freePages"); // -1: the test folder's own disk, not a full one
    QTest::addColumn<bool>("immutable");
    QTest::addColumn<QString>("reason"); // empty: saved
    QTest::newRow("full disk, a page free") << 99 << 99 << 1 << false << kReasonDiskFull;
    QTest::newRow("immutable folder") << 99 << 99 << -1 << true << QString();
    QTest::newRow("immutable, no file") << 0 << 1 << -1 << true << kReasonNoPermission;
    QTest::newRow("immutable, full, growing") << 10 << 99 << 0 << true << kReasonDiskFull;
    QTest::newRow("immutable, full, shrinking") << 99 << 1 << 0 << true << QString();
}

void TestSettingsFiles::savedWholeOrNotAtAll()
{
    // Saved only with every byte on the disk, else left as it was; written in place where the
    // folder refuses a new file.
    QFETCH(int, oldRows);
    QFETCH(int, newRows);
    QFETCH(int, freePages);
    QFETCH(bool, immutable);
    QFETCH(QString, reason);
    if (::geteuid() != 0)
        QSKIP("a disk of its own and an immutable folder need root");
    std::optional<SmallDisk> disk;
    QVERIFY(freePages < 0 || disk.emplace(m_dir->path()).ok());
    const QString dir = m_dir->path() + "/settings";
    const auto rows = [](int count, const char *on) {
        QStringList all;
        for (int n = 0; n < count; ++n)
            all << rowText(n, on, "18:00:00", scheduletexts::kCruiseOne);
        return all;
    };
    QVERIFY(QDir().mkpath(dir) &&
            (oldRows == 0 || writeRows(rowsPath(dir), rows(oldRows, "07:00:00")).ok));
    const QByteArray old = contents(rowsPath(dir));
    QVERIFY(!disk || disk->fill(freePages * 4096));
    std::optional<ImmutableFolder> frozen;
    QVERIFY(!immutable || frozen.emplace(dir).ok());

    const SaveResult result = writeRows(rowsPath(dir), rows(newRows, "08:00:00"));
    QCOMPARE(result.ok, reason.isEmpty());
    QCOMPARE(result.message,
             reason.isEmpty() ? QString() : scheduletexts::saveFailedText(rowsPath(dir), reason));
    const QByteArray saved =
        QStringEncoder("GB18030").encode(rows(newRows, "08:00:00").join("\r\n") + "\r\n");
    QCOMPARE(contents(rowsPath(dir)), reason.isEmpty() ? saved : old);
    QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             oldRows > 0 || reason.isEmpty() ? QStringList("321.ini") : QStringList());
}

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
