// The console as a program, as an operator starts it from a terminal and as the system ends it:
// in its first seconds it says nothing on standard output or standard error, also where the
// session gives no XDG_RUNTIME_DIR (root on a text console, su, a bare container); and a
// shutdown, Ctrl-C or a closed terminal saves what the exit button saves before it ends.
#include "support/journalsupport.h"

#include "app/apptexts.h"
#include "journal/journaltexts.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class QuietStartTest : public QObject
{
    Q_OBJECT
private slots:
    void silentWithoutRuntimeDir();
    void signalSavesAndEnds_data();
    void signalSavesAndEnds();
};

namespace {

const QString kConsole = QStringLiteral(CORVANE_PATH);

// The console and its pictures in a program directory of their own, so that nothing the console
// reads or writes is the build's; returns the program, or nothing.
QString install(const QTemporaryDir &programDir)
{
    const QString program = programDir.filePath(QStringLiteral("corvane"));
    const QDir pictures(QFileInfo(kConsole).dir().filePath(QStringLiteral("123")));
    if (!QFile::copy(kConsole, program) || !QDir(programDir.path()).mkdir(QStringLiteral("123")))
        return {};
    for (const QString &name : pictures.entryList(QDir::Files)) {
        if (!QFile::copy(pictures.filePath(name), programDir.filePath("123/" + name)))
            return {};
    }
    return program;
}

} // namespace

void QuietStartTest::silentWithoutRuntimeDir()
{
    // A temporary directory of its own, where Qt's fallback runtime directory goes.
    QTemporaryDir programDir;
    QTemporaryDir tempDir;
    QVERIFY(programDir.isValid() && tempDir.isValid());
    const QString program = install(programDir);
    QVERIFY(!program.isEmpty());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    // Qt files that warning under its platform category, which the other tests silence.
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    environment.insert(QStringLiteral("TMPDIR"), tempDir.path());
    environment.insert(QStringLiteral("HOME"), tempDir.path());

    // The second start finds the runtime directory the first one left.
    for (int start = 1; start <= 2; ++start) {
        QProcess console;
        console.setProcessEnvironment(environment);
        console.start(program, {});
        QVERIFY2(console.waitForStarted(10000), qPrintable(console.errorString()));
        QTest::qWait(3000);
        const bool running = console.state() == QProcess::Running;
        console.terminate();
        QVERIFY(console.waitForFinished(10000));
        const QByteArray said = console.readAllStandardOutput() + console.readAllStandardError();
        QVERIFY2(running, qPrintable(QStringLiteral("start %1 ended by itself").arg(start)));
        QVERIFY2(
            said.isEmpty(),
            qPrintable(
                QStringLiteral("start %1 said: %2").arg(start).arg(QString::fromLocal8Bit(said))));
    }
}

void QuietStartTest::signalSavesAndEnds_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("folderInTheWay");
    QTest::newRow("SIGTERM") << SIGTERM << false;
    QTest::newRow("SIGINT") << SIGINT << false;
    QTest::newRow("SIGHUP") << SIGHUP << false;
    QTest::newRow("SIGTERM, 322.ini a folder") << SIGTERM << true;
}

void QuietStartTest::signalSavesAndEnds()
{
    QFETCH(int, signal);
    QFETCH(bool, folderInTheWay);
    QTemporaryDir programDir;
    const QString program = install(programDir);
    QVERIFY(!program.isEmpty());
    const auto bytes = [&](const char *name) {
        QFile file(programDir.filePath(QString::fromUtf8(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    };
    // Files as another program left them, which the exit writes anew; no 321.ini yet.
    QFile ip(programDir.filePath("123.ini")), flags(programDir.filePath("322.ini"));
    QVERIFY(ip.open(QIODevice::WriteOnly) && ip.write("10.0.0.9") == 8);
    ip.close();
    QVERIFY(folderInTheWay ? QDir(programDir.path()).mkdir("322.ini")
                           : flags.open(QIODevice::WriteOnly) && flags.write("1\n0\n1\n") == 6);
    flags.close();

    QProcess console;
    console.start(program, {});
    QVERIFY2(console.waitForStarted(10000), qPrintable(console.errorString()));
    // The start entry is written once the window is built; a signal that comes before the
    // event loop runs waits for it.
    QVERIFY(QTest::qWaitFor(
        [&] { return !readJournal(programDir.path()).withEvent(journaltexts::kStarted).isEmpty(); },
        30000));
    QCOMPARE(::kill(pid_t(console.processId()), signal), 0);
    QVERIFY(console.waitForFinished(30000));
    QCOMPARE(console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(console.exitCode(), folderInTheWay ? 1 : 0);

    QCOMPARE(bytes("123.ini"), QByteArray("10.0.0.9\r\n"));
    QCOMPARE(bytes("321.ini").count("\r\n"), 99);
    const JournalDay day = readJournal(programDir.path());
    QVERIFY(!day.entries.isEmpty());
    QCOMPARE(day.entries.last().event, journaltexts::kExited);
    const QString name = QString::fromLatin1(QTest::currentDataTag()).section(u',', 0, 0);
    QCOMPARE(day.entries.last().cause, apptexts::stopSignalCause(name));
    QCOMPARE(day.withEvent(journaltexts::kNotSaved).size(), folderInTheWay ? 1 : 0);
    // Nobody may be there to answer a message: what was not saved goes to standard error.
    const QByteArray said = console.readAllStandardOutput() + console.readAllStandardError();
    if (folderInTheWay) {
        QVERIFY2(said.startsWith("corvane: ") && said.contains("322.ini"), said.constData());
    } else {
        QCOMPARE(bytes("322.ini"),
                 "True\r\nFalse\r\nTrue\r\n" + QByteArray("False\r\n").repeated(96));
        QVERIFY2(said.isEmpty(), said.constData());
    }
}

QTEST_GUILESS_MAIN(QuietStartTest)
#include "tst_quietstart.moc"
