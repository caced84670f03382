// The console started as a program, as an operator starts it from a terminal: in its first
// seconds it says nothing on standard output or standard error, also where the session gives
// no XDG_RUNTIME_DIR (root on a text console, su, a bare container).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class QuietStartTest : public QObject
{
    Q_OBJECT
private slots:
    void silentWithoutRuntimeDir();
};

namespace {

const QString kConsole = QStringLiteral(CORVANE_PATH);

} // namespace

void QuietStartTest::silentWithoutRuntimeDir()
{
    // A program directory of its own, so nothing the console reads or writes is the build's;
    // a temporary directory of its own, where Qt's fallback runtime directory goes.
    QTemporaryDir programDir;
    QTemporaryDir tempDir;
    QVERIFY(programDir.isValid() && tempDir.isValid());
    const QString program = programDir.filePath(QStringLiteral("corvane"));
    QVERIFY(QFile::copy(kConsole, program));
    QVERIFY(QDir(programDir.path()).mkdir(QStringLiteral("123")));
    const QDir pictures(QFileInfo(kConsole).dir().filePath(QStringLiteral("123")));
    for (const QString &name : pictures.entryList(QDir::Files))
        QVERIFY(QFile::copy(pictures.filePath(name), programDir.filePath(QStringLiteral("123/") + name)));

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
        QVERIFY2(said.isEmpty(), qPrintable(QStringLiteral("start %1 said: %2")
                                                .arg(start)
                                                .arg(QString::fromLocal8Bit(said))));
    }
}

QTEST_GUILESS_MAIN(QuietStartTest)
#include "tst_quietstart.moc"
