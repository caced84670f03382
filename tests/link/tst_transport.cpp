// The transport on its own: the log text, the serial gathering, the send path's bytes on a real
// pseudo-terminal, and how a port that cannot be opened is told apart. No window anywhere.
#include "linesupport.h"

#include "link/links.h"
#include "link/logtext.h"
#include "link/receivepath.h"
#include "link/sendpath.h"
#include "link/tcplink.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The serial link open on a pseudo-terminal published as COM4, as the link panel leaves it.
struct OpenSerial
{
    ProgramDir dir;
    PtyPair pty;
    Links links{dir.path()};
    LogText log;
    SendPath send{links, log};
    ReceivePath receive{links.all(), log};

    bool open()
    {
        if (!pty.publish(dir.path(), 4) || !links.serial().setPortNumber(4))
            return false;
        if (links.serial().open() != Link::OpenResult::Opened)
            return false;
        links.setOpen(true);
        return true;
    }
};

} // namespace

class TransportTest : public QObject
{
    Q_OBJECT
private slots:
    void logLimit_data();
    void logLimit();
    void gatheringReadsOnTheThirdTick();
    void framesStayWholeWhenTheFarEndStalls();
    void refusedFramesAndUnsendableText();
    void repeatedFrameHoldsTheRestBack();
    void closingDropsWhatIsLeft();
    void deniedPortIsNotHeld();
    void tcpFloodArrivesInPieces();
};

void TransportTest::logLimit_data()
{
    QTest::addColumn<QList<int>>("entries"); // lengths; a negative one is a partial entry
    QTest::addColumn<int>("length");

    QTest::newRow("four frame lines") << QList<int>{31, 31, 31, 31} << 124;
    QTest::newRow("the fifth empties") << QList<int>{31, 31, 31, 31, 31} << 0;
    QTest::newRow("127 stays") << QList<int>{31, 31, 31, 34} << 127;
    QTest::newRow("exactly 128 empties") << QList<int>{31, 31, 31, 35} << 0;
    QTest::newRow("one long entry") << QList<int>{128} << 0;
    QTest::newRow("six text lines") << QList<int>{21, 21, 21, 21, 21, 21} << 126;
    // A partial entry is not checked, but never lands on a full log.
    QTest::newRow("partial past the limit") << QList<int>{31, 31, 31, -60} << 153;
    QTest::newRow("partial on a full log") << QList<int>{31, 31, 31, -60, -10} << 10;
}

void TransportTest::logLimit()
{
    QFETCH(QList<int>, entries);
    QFETCH(int, length);
    LogText log;
    for (const int n : entries) {
        if (n < 0)
            log.addPartial(QString(-n, u'x'));
        else
            log.addEntry(QString(n, u'x'));
    }
    QCOMPARE(log.text().size(), length);
}

void TransportTest::gatheringReadsOnTheThirdTick()
{
    OpenSerial s;
    QVERIFY(s.open());
    QSignalSpy received(&s.links.serial(), &Link::received);
    QVERIFY(s.pty.write(wire::kPanReply));
    QVERIFY(received.wait(2000));
    QVERIFY(s.receive.gathering());

    // The ticks by hand, with no turn of the event loop in between: the window's own timer
    // cannot add one.
    s.receive.Rtimer_Timer();
    s.receive.Rtimer_Timer();
    QCOMPARE(s.receive.RxTickCount, qint16(2));
    QCOMPARE(s.log.text(), QString());
    s.receive.Rtimer_Timer();
    QCOMPARE(s.log.text(), QStringLiteral("\r\n<--接收：FF 01 00 59 00 00 5A \r\n"));
    QCOMPARE(s.receive.RxTickCount, qint16(0));
    QVERIFY(!s.receive.gathering());
}

void TransportTest::framesStayWholeWhenTheFarEndStalls()
{
    OpenSerial s;
    QVERIFY(s.open());
    // The head falls behind: it reads a few bytes now and then while the console keeps sending
    // far more than the line holds, so the line is full and takes a frame only in part.
    constexpr int kFrames = 20000;
    FrameStream head({}, true);
    for (int i = 0; i < kFrames; ++i) {
        // Numbered in the address and the tilt speed.
        s.send.send(protocol::motion(quint8(i), protocol::kUpBit, 0, quint8(i >> 8)), {});
        QVERIFY(s.links.serial().queuedCommands() <= 1);
        if (i % 16 == 0) {
            QCoreApplication::processEvents();
            char some[3];
            const ssize_t n = ::read(s.pty.master(), some, sizeof some);
            if (n > 0)
                head.feed(some, n);
        }
    }
    // Then it catches up: whatever arrives is whole frames, in the order they were sent.
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 300) {
        const QByteArray got = s.pty.drain(20);
        if (!got.isEmpty()) {
            head.feed(got);
            quiet.restart();
        }
    }
    QVERIFY(head.goodFrames > 100);
    QCOMPARE(head.wrongChecksum, 0);
    QCOMPARE(head.strayBytes, 0);
    QCOMPARE(head.pending(), 0);
    int last = -1;
    for (const QByteArray &frame : head.frames) {
        const int number = quint8(frame[1]) | quint8(frame[5]) << 8;
        QVERIFY2(number > last, "frames out of order");
        last = number;
    }
    // The last command sent is never the one dropped.
    QCOMPARE(last, kFrames - 1);
}

void TransportTest::refusedFramesAndUnsendableText()
{
    OpenSerial s;
    QVERIFY(s.open());
    QSignalSpy refusedFrame(&s.send, &SendPath::frameRefused);
    QSignalSpy refusedText(&s.send, &SendPath::textRefused);

    s.send.send(protocol::goToAngles(QStringLiteral("060度"), QStringLiteral("06"),
                                     QStringLiteral("06"), QStringLiteral("363")),
                {});
    QCOMPARE(refusedText.size(), 1);
    QCOMPARE(s.log.text(), QString());
    s.send.send(protocol::queryPosition(), {});
    QCOMPARE(s.pty.read(11), QByteArray("Rllllllllll"));
    QCOMPARE(s.log.text(), QStringLiteral("\r\n-->发送：Rllllllllll\r\n"));

    // With the link shown closed, frames are refused before anything is logged or written,
    // and text commands still log although nothing can go out.
    s.links.setOpen(false);
    s.links.serial().close();
    s.send.send(protocol::lamp(1, true), {});
    QCOMPARE(refusedFrame.size(), 1);
    s.send.send(protocol::textStop(), {});
    QCOMPARE(s.log.text(),
             QStringLiteral("\r\n-->发送：Rllllllllll\r\n\r\n-->发送：Rssssssssss\r\n"));
    QCOMPARE(s.pty.drain(30), QByteArray());
}

void TransportTest::repeatedFrameHoldsTheRestBack()
{
    using namespace std::chrono_literals;
    OpenSerial s;
    QVERIFY(s.open());
    QStringList told;
    connect(&s.send, &SendPath::sent, this,
            [&](const protocol::Command &, const QString &cause, const QByteArray &bytes) {
                told << QString::fromLatin1(bytes.toHex(' ').toUpper()) + " / " + cause;
            });

    const QString key = QStringLiteral("键盘");
    s.send.sendRepeated(protocol::presetRecall(1, 3), 3, 50ms, QStringLiteral("预置位 3"));
    s.send.send(protocol::jog(1, protocol::Direction::Up, 0, 0x3F), key); // dropped
    s.send.send(protocol::lamp(1, true), key);
    s.send.send(protocol::textStop(), key);
    s.send.send(protocol::motion(1, 0, 0, 0), key); // no direction: stops the head
    s.send.sendRepeated(protocol::presetSet(1, 4), 2, 50ms, QStringLiteral("预置位 4"));
    s.send.send(protocol::cruiseStop(1, 1), key);
    QCOMPARE(told.size(), 1);
    QCOMPARE(s.log.text(), QStringLiteral("\r\n-->发送：FF 01 33 00 00 00 34 \r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(!s.send.repeating(), 5000);

    const QStringList expected{"FF 01 33 00 00 00 34 / 预置位 3",
                               "FF 01 33 00 00 00 34 / 预置位 3",
                               "FF 01 33 00 00 00 34 / 预置位 3",
                               "FF 01 02 00 00 00 03 / 键盘",
                               "52 73 73 73 73 73 73 73 73 73 73 / 键盘",
                               "FF 01 00 00 00 00 01 / 键盘",
                               "FF 01 64 00 00 00 65 / 预置位 4",
                               "FF 01 64 00 00 00 65 / 预置位 4",
                               "FF 01 01 00 00 00 02 / 键盘"};
    QCOMPARE(told, expected);
    QByteArray wire;
    for (const QString &line : expected)
        wire += QByteArray::fromHex(line.section(u'/', 0, 0).toLatin1());
    QCOMPARE(s.pty.read(int(wire.size())).toHex(' '), wire.toHex(' '));
    // Logged as written: the text line emptied the full log, and four frame lines followed.
    QCOMPARE(s.log.text(), QStringLiteral("\r\n-->发送：FF 01 00 00 00 00 01 \r\n"
                                          "\r\n-->发送：FF 01 64 00 00 00 65 \r\n"
                                          "\r\n-->发送：FF 01 64 00 00 00 65 \r\n"
                                          "\r\n-->发送：FF 01 01 00 00 00 02 \r\n"));
}

void TransportTest::closingDropsWhatIsLeft()
{
    using namespace std::chrono_literals;
    OpenSerial s;
    QVERIFY(s.open());
    const QByteArray lamp = QByteArray::fromHex("FF01020000"
                                                "0003");
    s.send.sendRepeated(protocol::presetRecall(1, 3), 3, 50ms, QStringLiteral("预置位 3"));
    s.send.send(protocol::lamp(1, true), {});
    QCOMPARE(s.pty.read(7).toHex(' '), QByteArray::fromHex("FF01330000"
                                                           "0034")
                                           .toHex(' '));

    // Closed and opened again at once: the copies still due and the lamp frame are gone, and a
    // frame sent now goes out straight away.
    s.links.setOpen(false);
    s.links.serial().close();
    QVERIFY(!s.send.repeating());
    QCOMPARE(s.links.serial().open(), Link::OpenResult::Opened);
    s.links.setOpen(true);
    s.send.send(protocol::lamp(1, true), {});
    QCOMPARE(s.pty.read(7).toHex(' '), lamp.toHex(' '));
    QCOMPARE(s.pty.drain(200).toHex(' '), QByteArray());
}

void TransportTest::deniedPortIsNotHeld()
{
    // A port this user may not open is no port at all; only one another program holds is
    // "held". Root may open anything, so the attempt is made as an ordinary user.
    ProgramDir dir;
    PtyPair pty;
    QVERIFY(pty.publish(dir.path(), 9));
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.path() + "/ports").constData(), 0755) == 0);
    if (::geteuid() != 0)
        QVERIFY(::chmod(QFile::encodeName(pty.slavePath()).constData(), 0) == 0);

    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        SerialLink port(dir.path());
        if (!port.setPortNumber(9))
            ::_exit(11);
        const Link::OpenResult result = port.open();
        ::_exit(result == Link::OpenResult::Failed ? 0 : result == Link::OpenResult::Held ? 1 : 2);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == 10)
        QSKIP("cannot become an ordinary user here");
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TransportTest::tcpFloodArrivesInPieces()
{
    // A megabyte written at once arrives whole and in order, at most kArrivalLimit bytes at an
    // arrival, so that the window thread has its turns between the pieces.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.71")), TcpLink::kRemotePort));
    TcpLink link;
    link.setRemoteHost(QStringLiteral("127.0.0.71"));
    QSignalSpy opened(&link, &Link::opened);
    QCOMPARE(link.open(), Link::OpenResult::Pending);
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 20000);
    QTcpSocket *peer = server.nextPendingConnection();

    QByteArray flood(1 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < flood.size(); ++i)
        flood[i] = char(i % 251);
    QByteArray got;
    qsizetype largest = 0;
    connect(&link, &Link::received, this, [&](const QByteArray &chunk) {
        got += chunk;
        largest = std::max(largest, chunk.size());
    });
    peer->write(flood);
    QTRY_COMPARE_WITH_TIMEOUT(got.size(), flood.size(), 20000);
    QVERIFY(got == flood);
    QVERIFY2(largest <= TcpLink::kArrivalLimit, qPrintable(QString::number(largest)));
}

QTEST_GUILESS_MAIN(TransportTest)
#include "tst_transport.moc"
