#include "linesupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

// The built simulator as the console meets it: a separate process on a loopback socket and on
// a published pseudo-terminal, with its headless log on standard output.
class TestHeadsimProcess : public QObject
{
    Q_OBJECT

private slots:
    void refusesWithoutLink();
    void tcp();
    void pty();
};

namespace {

const QString kProgram = QStringLiteral(HEADSIM_PATH);
const QByteArray kJogUp = QByteArray::fromHex("FF 07 00 08 00 3F 4E");

// The simulator with its standard output gathered line by line.
class Headsim
{
public:
    explicit Headsim(const QStringList &arguments)
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            m_output += QString::fromUtf8(m_process.readAllStandardOutput());
        });
        m_process.start(kProgram, QStringList{QStringLiteral("--headless")} + arguments);
    }
    ~Headsim()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    QStringList lines() const { return m_output.split(u'\n', Qt::SkipEmptyParts); }
    bool hasLine(const QString &line) const { return lines().contains(line); }
    // SIGTERM, as a desktop session ends it; true when it then exits cleanly.
    bool stop()
    {
        m_process.terminate();
        return m_process.waitForFinished(10000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
    QString m_output;
};

QByteArray readAvailable(int fd)
{
    QByteArray bytes;
    char buffer[256];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, qsizetype(n));
    return bytes;
}

} // namespace

void TestHeadsimProcess::refusesWithoutLink()
{
    QProcess process;
    process.start(kProgram, {QStringLiteral("--headless")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY(process.exitCode() != 0);
    QVERIFY(process.readAllStandardError().contains("--tcp"));
}

void TestHeadsimProcess::tcp()
{
    Headsim headsim({QStringLiteral("--tcp"), QStringLiteral("127.0.0.61")});
    QTRY_VERIFY(headsim.hasLine(QStringLiteral("link tcp listening 127.0.0.61:4196")));

    // Clients one after another: the second finds the head as the first left it.
    for (int client = 0; client < 2; ++client) {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.61"), 4196);
        QVERIFY(socket.waitForConnected(10000));
        socket.write(wire::threeOf(wire::kLampOn) + "Rllllllllll");
        QByteArray reply;
        QTRY_VERIFY((reply += socket.readAll()).size() >= 11);
        QCOMPARE(reply, QByteArray("T000090llll"));
    }
    QTRY_COMPARE(headsim.lines().count(QStringLiteral("addr 01 lamp on")), 6);
    QCOMPARE(headsim.lines().count(QStringLiteral("text Rllllllllll -> T000090llll")), 2);
    QVERIFY(headsim.stop());
}

void TestHeadsimProcess::pty()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ports/COM1"));
    // A link left behind by an earlier run is replaced.
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("ports"))));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/tty"), link));

    Headsim headsim({QStringLiteral("--pty"), link});
    QTRY_VERIFY(headsim.lines().filter(QStringLiteral("link pty /dev/")).size() == 1);
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo(link).symLinkTarget().startsWith(QStringLiteral("/dev/pts/")));

    // The console opens and closes the port many times; each open must find it working.
    for (int round = 1; round <= 3; ++round) {
        const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        termios mode{};
        QCOMPARE(::tcgetattr(fd, &mode), 0);
        ::cfmakeraw(&mode);
        QCOMPARE(::tcsetattr(fd, TCSANOW, &mode), 0);
        const QByteArray command = kJogUp + "Rllllllllll";
        QCOMPARE(::write(fd, command.constData(), size_t(command.size())), ssize_t(command.size()));
        QByteArray reply;
        QTRY_VERIFY((reply += readAvailable(fd)).size() >= 11);
        ::close(fd);
        // Nothing echoed, only the reply; the tilt has started up from 90.
        QCOMPARE(reply.size(), 11);
        QVERIFY2(reply.startsWith("T000") && reply.endsWith("llll"), reply.constData());
        QVERIFY(reply.mid(4, 3).toInt() >= 90);
        QTRY_COMPARE(headsim.lines().count(QStringLiteral("addr 07 jog up pan 0x00 tilt 0x3F")),
                     round);
    }
    QVERIFY(headsim.stop());
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestHeadsimProcess)
#include "tst_headsim_process.moc"
