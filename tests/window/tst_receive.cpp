// Replies from the head and the angle entry, through the real window on a real
// pseudo-terminal and a real loopback socket.
#include "support.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/anglecontrol.h"
#include "link/hostpart.h"
#include "link/links.h"
#include "link/logtext.h"
#include "link/receivepath.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

// The console on COM8.
const ConsoleOptions kConsole = ConsoleOptions().com(8);

// Types into an angle box key by key, starting from an empty box.
void typeAngle(Console &c, const char *box, const char *keys)
{
    auto *edit = c.get<QLineEdit>(box);
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, QString::fromLatin1(keys));
}

const QString kReceived = QStringLiteral("\r\n<--接收：");

} // namespace

class ReceiveTest : public QObject
{
    Q_OBJECT
private slots:
    void serialBurstsWithinTheWindowAreOneChunk();
    void serialHalvesFortyMsApartAreTwoChunks();
    void replyKindsOnTcp_data();
    void replyKindsOnTcp();
    void clearButtonDropsWaitingInput();
    void replyAfterTheLogIsFull();
    void adversarialChunksOnBothLinks();
    void angleEntry_data();
    void angleEntry();
    void refusedAnglesAreEmptied();
    void goToAngleAndQuery();
    void noPortAtStartUpStillReceives();
    void angleTheHeadCannotTakeIsNotSent();
};

void ReceiveTest::serialBurstsWithinTheWindowAreOneChunk()
{
    Console c(kConsole);
    QVERIFY(c.openSerial());
    QVERIFY(c.pty.write(hex("FF 01 00")));
    QTest::qWait(5);
    QVERIFY(c.pty.write(hex("59 00 00 5A")));
    QTRY_VERIFY(!c.log().isEmpty());
    QTest::qWait(60);
    QCOMPARE(c.log(), kReceived + "FF 01 00 59 00 00 5A \r\n");
    QVERIFY(!c.receive().gathering());
    QCOMPARE(c.receive().RxTickCount, qint16(0));
}

void ReceiveTest::serialHalvesFortyMsApartAreTwoChunks()
{
    // A half that comes once the gathering of the one before has ended is a chunk of its own.
    // The second half waits for the first chunk in the log rather than a fixed 40 ms, which a
    // loaded machine can stretch past the three ticks of the gathering.
    Console c(kConsole);
    QVERIFY(c.openSerial());
    QVERIFY(c.pty.write(hex("FF 01 00")));
    QTRY_COMPARE(c.log(), kReceived + "FF 01 00 \r\n");
    QVERIFY(c.pty.write(hex("59 00 00 5A")));
    QTest::qWait(80);
    // The second half is short and starts with neither 0xFF nor "T": it is dropped.
    QCOMPARE(c.log(), kReceived + "FF 01 00 \r\n");
    QVERIFY(!c.receive().gathering());

    // A second half that is a reply of its own is shown as one.
    QVERIFY(c.pty.write("T12"));
    QTRY_VERIFY(c.receive().gathering());
    QTRY_VERIFY(!c.receive().gathering());
    QVERIFY(c.pty.write("3456llll"));
    QTest::qWait(80);
    QCOMPARE(c.log(), kReceived + "FF 01 00 \r\n");
    QVERIFY(c.pty.write(hex("FF 02")));
    QTRY_COMPARE(c.log(), kReceived + "FF 01 00 \r\n" + kReceived + "FF 02 \r\n");
    QVERIFY(c.pty.write(hex("FF 03")));
    QTRY_COMPARE(c.log(),
                 kReceived + "FF 01 00 \r\n" + kReceived + "FF 02 \r\n" + kReceived + "FF 03 \r\n");
}

void ReceiveTest::replyKindsOnTcp_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("logged");
    QTest::newRow("frame reply") << wire::kPanReply
                                 << kReceived + wire::text(wire::kPanReply) + " \r\n";
    QTest::newRow("single FF") << hex("FF") << kReceived + "FF \r\n";
    QTest::newRow("text with tail") << QByteArray("T123456llll") << kReceived + "T123456llll\r\n";
    QTest::newRow("text without tail") << QByteArray("T7654321") << kReceived + "T7654321\r\n";
    // Byte 7 is a digit, so the tail is not recognised; the first 'l' stops the entry.
    QTest::newRow("twelve bytes") << QByteArray("T1234567llll") << kReceived + "T1234567";
    QTest::newRow("odd payload") << hex("54 40 99 05 30 31 32 6C 6C 6C 6C")
                                 << kReceived + "T1069-25012llll\r\n";
    QTest::newRow("short other") << hex("06") << QString();
    QTest::newRow("short text") << QByteArray("T12345") << QString();
    QTest::newRow("long other") << QByteArray("ABCDEFGHIJ") << QString();
    QTest::newRow("40-byte frame") << QByteArray(40, '\xFF') << QString();
}

void ReceiveTest::replyKindsOnTcp()
{
    QFETCH(QByteArray, chunk);
    QFETCH(QString, logged);
    Console c(kConsole);
    QVERIFY(c.openTcp("127.0.0.51"));
    const QString marker = kReceived + "FF AA \r\n";
    // Replies are recognised whether or not the angle-control box is ticked.
    for (const bool angleControl : {false, true}) {
        if (angleControl) {
            c.clickBox("角度控制");
            QVERIFY(c.get<QCheckBox>("角度控制")->isChecked());
            c.click("CmdClearReceive");
        }
        c.peer->write(chunk);
        c.peer->flush();
        // Follow with a marker frame so that "nothing logged" is told apart from "not yet".
        QTest::qWait(50);
        c.peer->write(hex("FF AA"));
        QTRY_VERIFY(c.log().endsWith(marker));
        QCOMPARE(c.log(), logged + marker);
    }
}

void ReceiveTest::clearButtonDropsWaitingInput()
{
    Console c(kConsole);
    QVERIFY(c.openSerial());
    QVERIFY(c.pty.write(wire::kPanReply));
    QTRY_VERIFY(c.receive().gathering());
    c.click("CmdClearReceive");
    QTest::qWait(80);
    QCOMPARE(c.log(), QString());
    QVERIFY(!c.receive().gathering());
    // The next reply is read normally.
    QVERIFY(c.pty.write(hex("FF 02")));
    QTRY_COMPARE(c.log(), kReceived + "FF 02 \r\n");
}

void ReceiveTest::replyAfterTheLogIsFull()
{
    Console c(kConsole);
    QVERIFY(c.openTcp("127.0.0.52"));
    const QByteArray frame = wire::kPanReply;
    const QString entry = kReceived + wire::text(wire::kPanReply) + " \r\n";
    for (int i = 1; i <= 4; ++i) {
        c.peer->write(frame);
        QTRY_COMPARE(c.log().size(), 31 * i);
    }
    c.peer->write(frame);
    QTRY_COMPARE(c.log(), QString());
    // The log is shared with the send path: a text command goes on after a reply.
    c.peer->write(frame);
    QTRY_COMPARE(c.log(), entry);
    c.click("查询位置");
    QCOMPARE(c.log(), entry + "\r\n-->发送：Rllllllllll\r\n");
}

void ReceiveTest::adversarialChunksOnBothLinks()
{
    Console serial(kConsole);
    QVERIFY(serial.openSerial());
    Console tcp(kConsole);
    QVERIFY(tcp.openTcp("127.0.0.53"));

    QRandomGenerator random(20261208);
    QList<QByteArray> chunks = {
        QByteArray(10240, '\xFF'),
        "T" + QByteArray(10239, 'x'),
        "T" + QByteArray(10239, '5'),
        "T1234567" + QByteArray(3000, 'A'),
        "T12345678AB",
        QByteArray(1, 'T'),
        QByteArray(1, '\xFF'),
        QByteArray(1, '\0'),
        "Tllllllllll",
        QByteArray(10240, 'l'),
    };
    // Text replies that break off part-way, one after the other.
    for (int i = 0; i < 20; ++i)
        chunks << "T12345Z" + QByteArray(i * 10, 'Z');
    for (int i = 0; i < 300; ++i) {
        const int size = random.bounded(4) == 0 ? random.bounded(1, 4000) : random.bounded(1, 24);
        QByteArray chunk(size, Qt::Uninitialized);
        for (char &b : chunk)
            b = char(random.bounded(256));
        if (i % 3 == 0)
            chunk[0] = 'T';
        else if (i % 3 == 1)
            chunk[0] = '\xFF';
        chunks << chunk;
    }

    // Whatever arrives, the log holds at most 127 characters before its newest entry. Every
    // entry starts with a line break and a label that no payload can contain.
    qsizetype worst = 0;
    const auto beforeNewest = [](const QString &log) {
        const qsizetype received = log.lastIndexOf(QStringLiteral("\r\n<--接收："));
        const qsizetype sent = log.lastIndexOf(QStringLiteral("\r\n-->发送："));
        const qsizetype newest = std::max(received, sent);
        return newest < 0 ? log.size() : newest;
    };
    for (Console *c : {&serial, &tcp}) {
        QObject::connect(
            c->get<QPlainTextEdit>("TxtDisplay"), &QPlainTextEdit::textChanged, c->form.get(),
            [c, &worst, beforeNewest] { worst = std::max(worst, beforeNewest(c->log())); });
    }
    auto *clock = serial.get<QLineEdit>("TxtTime");
    int clockChanges = 0;
    QObject::connect(clock, &QLineEdit::textChanged, clock, [&] { ++clockChanges; });

    QElapsedTimer elapsed;
    elapsed.start();
    // A megabyte of digits that breaks off at the end: shown, but never laid out whole.
    // (On the serial line the same would take minutes to arrive.)
    tcp.peer->write("T" + QByteArray(1 << 20, '5') + "A");
    for (int i = 0; i < chunks.size(); ++i) {
        QVERIFY(serial.pty.write(chunks[i]));
        tcp.peer->write(chunks[i]);
        // Mostly faster than the serial gathering window, now and then a pause.
        QTest::qWait(i % 10 == 0 ? 35 : 2);
    }
    QTest::qWait(100);
    QVERIFY2(worst <= 127, qPrintable(QString::number(worst)));
    // The window kept running: the clock went on ticking throughout.
    QVERIFY2(clockChanges >= int(elapsed.elapsed() / 1000) - 1,
             qPrintable(QString::number(clockChanges)));

    // Both links still log a normal reply exactly.
    for (Console *c : {&serial, &tcp}) {
        c->click("CmdClearReceive");
        QTest::qWait(50);
        c->click("CmdClearReceive");
    }
    QVERIFY(serial.pty.write("T000123llll"));
    tcp.peer->write("T000123llll");
    QTRY_COMPARE(serial.log(), kReceived + "T000123llll\r\n");
    QTRY_COMPARE(tcp.log(), kReceived + "T000123llll\r\n");
    QVERIFY(serial.link().linkOpen());
    QVERIFY(tcp.link().linkOpen());
}

void ReceiveTest::angleEntry_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("stored");
    const auto add = [](const char *name, const char *box, const char *keys, const char *stored) {
        QTest::newRow(name) << QString::fromUtf8(box) << QString(keys) << QString(stored);
    };
    add("7", "水平角度", "7", "007");
    add("45", "水平角度", "45", "045");
    add("180", "垂直角度", "180", "180");
    add("360", "水平角度", "360", "360");
    add("7.5", "水平角度", "7.5", "007.5");
    add("007", "垂直角度", "007", "00007");
    add("lone minus", "水平角度", "-", "00-");
    add("trailing letters", "垂直角度", "90x", "090x");
}

void ReceiveTest::angleEntry()
{
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, stored);
    Console c(kConsole);
    typeAngle(c, box.toUtf8().constData(), keys.toLatin1().constData());
    const AngleControl &angles = c.angles();
    QCOMPARE(box == u"水平角度" ? angles.PanAngleText : angles.TiltAngleText, stored);
    QCOMPARE(c.get<QLineEdit>(box.toUtf8().constData())->text(), keys);
    QVERIFY(c.prompts.messages.isEmpty());
}

void ReceiveTest::refusedAnglesAreEmptied()
{
    Console c(kConsole);
    const QString panMessage = QStringLiteral("角度范围：0-360，请输入正确的角度");
    const QString tiltMessage = QStringLiteral("角度范围：0-180，请输入正确的角度");
    auto *pan = c.get<QLineEdit>("水平角度");
    AngleControl &angles = c.angles();

    typeAngle(c, "水平角度", "361");
    QCOMPARE(c.prompts.messages, QStringList{panMessage});
    QCOMPARE(pan->text(), QString());
    QCOMPARE(angles.PanAngleText, QStringLiteral("00"));

    c.prompts.messages.clear();
    typeAngle(c, "垂直角度", "181");
    QCOMPARE(c.prompts.messages, QStringList{tiltMessage});
    QCOMPARE(angles.TiltAngleText, QStringLiteral("00"));

    // 365 key by key: 003, 036, then refused on the third key.
    c.prompts.messages.clear();
    QStringList seen;
    auto watch = connect(pan, &QLineEdit::textChanged, this, [&] { seen << angles.PanAngleText; });
    typeAngle(c, "水平角度", "365");
    disconnect(watch);
    // The refusal empties the box inside the third change, whose own report comes last.
    QCOMPARE(seen, (QStringList{"003", "036", "00", "00"}));
    QCOMPARE(c.prompts.messages, QStringList{panMessage});
    QCOMPARE(pan->text(), QString());

    // A 5 typed after the design-time 60 makes 605.
    c.prompts.messages.clear();
    pan->setText("60");
    pan->setFocus();
    pan->end(false);
    QTest::keyClick(pan, Qt::Key_5);
    QCOMPARE(c.prompts.messages, QStringList{panMessage});
    QCOMPARE(angles.PanAngleText, QStringLiteral("00"));

    // -5: the lone minus stores 00-, the 5 is refused.
    c.prompts.messages.clear();
    typeAngle(c, "垂直角度", "-5");
    QCOMPARE(c.prompts.messages, QStringList{tiltMessage});
    QCOMPARE(angles.TiltAngleText, QStringLiteral("00"));
}

void ReceiveTest::goToAngleAndQuery()
{
    Console c(kConsole);
    // Before any edit the stored angles are 060 while the boxes show 60.
    c.click("确认发送角度");
    QCOMPARE(c.log(), QStringLiteral("\r\n-->发送：R0600606363\r\n"));

    QVERIFY(c.openSerial());
    c.get<QComboBox>("水平速度")->setEditText("20");
    c.get<QComboBox>("垂直速度")->setEditText("10");
    typeAngle(c, "水平角度", "45");
    typeAngle(c, "垂直角度", "90");
    c.click("CmdClearReceive");
    c.click("确认发送角度");
    QCOMPARE(c.pty.read(11), QByteArray("R0450902010"));
    QCOMPARE(c.log(), QStringLiteral("\r\n-->发送：R0450902010\r\n"));

    c.click("查询位置");
    QCOMPARE(c.pty.read(11), QByteArray("Rllllllllll"));
    // The head answers and the answer is only shown.
    QVERIFY(c.pty.write("T045090llll"));
    QTRY_COMPARE(c.log(),
                 QStringLiteral("\r\n-->发送：R0450902010\r\n\r\n-->发送：Rllllllllll\r\n") +
                     kReceived + "T045090llll\r\n");
    QCOMPARE(c.get<QLineEdit>("水平角度")->text(), QStringLiteral("45"));

    // Without a link both buttons still log their line.
    c.click("连接And断开连接");
    c.click("CmdClearReceive");
    c.click("查询位置");
    QCOMPARE(c.log(), QStringLiteral("\r\n-->发送：Rllllllllll\r\n"));
    QCOMPARE(c.pty.drain(40), QByteArray());
}

void ReceiveTest::noPortAtStartUpStillReceives()
{
    // Start-up finds no port, so the port set-up stops at its first step; a port that turns up
    // later still gets every reply.
    Console c(ConsoleOptions().com(5).laidOutFirst());
    QFile::remove(c.dir.path() + "/ports/COM5");
    c.dir.hideMachinePorts();
    c.start();
    auto *ports = c.get<QComboBox>("ComboComm");
    QCOMPARE(ports->count(), 0);
    QVERIFY(c.pty.publish(c.dir.path(), 5));
    c.click("搜索");
    QCOMPARE(ports->currentText(), QStringLiteral("COM5"));
    QVERIFY(c.openSerial());
    QVERIFY(c.pty.write(hex("FF 01 00 00 00 00 01")));
    QTRY_COMPARE(c.log(), kReceived + "FF 01 00 00 00 00 01 \r\n");
}

void ReceiveTest::angleTheHeadCannotTakeIsNotSent()
{
    Console c(kConsole);
    QVERIFY(c.openSerial());
    typeAngle(c, "水平角度", "60");
    c.get<QLineEdit>("水平角度")->insert(QStringLiteral("度"));
    QCOMPARE(c.angles().PanAngleText, QStringLiteral("060度"));
    c.click("确认发送角度");
    QCOMPARE(c.prompts.messages.size(), 1);
    QVERIFY(c.prompts.messages.first().endsWith(QStringLiteral("R060度06063 63").remove(' ')));
    QCOMPARE(c.log(), QString());
    QCOMPARE(c.pty.drain(40), QByteArray());
}

QTEST_MAIN(ReceiveTest)
#include "tst_receive.moc"
