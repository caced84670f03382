// Choosing, opening and closing the link on a real pseudo-terminal and a real loopback socket.
#include "support.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "link/hostpart.h"
#include "link/links.h"
#include "link/portpaths.h"
#include "link/tcplink.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QString kConnect = QStringLiteral("连   接");
const QString kDisconnect = QStringLiteral("断开连接");
const QString kConnected = QStringLiteral("设 备 已 连 接 ！ ！ ！");

// The window in a program directory of its own, started once the test has laid out its ports.
// COM0 is no port: the console's own pseudo-terminal stays out of every port list.
const ConsoleOptions kLaidOutFirst = ConsoleOptions().com(0).laidOutFirst();

QString connectCaption(Console &c)
{
    return c.get<QPushButton>("连接And断开连接")->text();
}

void clickConnect(Console &c)
{
    c.click("连接And断开连接");
}

bool enabled(Console &c, const char *name)
{
    return c.get<QWidget>(name)->isEnabled();
}

bool lampOn(Console &c)
{
    return c.get<QLabel>("ImgSwitchOn")->isVisible();
}

bool lampOff(Console &c)
{
    return c.get<QLabel>("ImgSwitchOff")->isVisible();
}

} // namespace

class LinkTest : public QObject
{
    Q_OBJECT
private slots:
    void portNumbersAndDevices_data();
    void portNumbersAndDevices();
    void deviceIpHost_data();
    void deviceIpHost();
    void switchingLinkKinds();
    void linkKindFollowsEveryWayOfTicking_data();
    void linkKindFollowsEveryWayOfTicking();
    void lossWhileTheConnectMessageIsUp();
    void nothingFoundEmptiesThePortBox();
    void serialConnectAndDisconnect();
    void serialPortHeldElsewhere();
    void serialOpenFailureReturnsToReady();
    void serialDeviceLost();
    void portSearchListsInOrder();
    void tcpConnectAndDisconnect();
    void tcpCancelWhileConnecting();
    void tcpRefused();
    void tcpPeerCloses();
    void searchlightChangeOnTcp();
    void searchlightChangeOnSerialChangesNothing();
    void linkStatesInOrder();
};

void LinkTest::portNumbersAndDevices_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("COM3") << "COM3" << 3;
    QTest::newRow("COM12") << "COM12" << 12;
    QTest::newRow("COM36") << "COM36" << 36;
    QTest::newRow("blank before") << "COM 7" << 7;
    QTest::newRow("trailing text") << "COM4x" << 4;
    QTest::newRow("no number") << "COM" << 0;
    QTest::newRow("letters") << "abcdef" << 0;
    QTest::newRow("empty") << "" << 0;
}

void LinkTest::portNumbersAndDevices()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(portpaths::portNumberFromText(text), number);

    // The fixed mapping, unless ports/COMn says otherwise.
    ProgramDir dir;
#ifndef CORVANE_GENERIC_PATHS
    QCOMPARE(portpaths::devicePath(dir.path(), 1), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(portpaths::devicePath(dir.path(), 16), QStringLiteral("/dev/ttyS15"));
    QCOMPARE(portpaths::devicePath(dir.path(), 17), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(portpaths::devicePath(dir.path(), 26), QStringLiteral("/dev/ttyUSB9"));
    QCOMPARE(portpaths::devicePath(dir.path(), 27), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(portpaths::devicePath(dir.path(), 36), QStringLiteral("/dev/ttyACM9"));
#else
    // The ports the system lists by name: Linux names none of its ports COMn.
    for (int n : {1, 17, 36})
        QVERIFY(portpaths::devicePath(dir.path(), n).isEmpty());
    // A search looks every number up in one listing.
    const portpaths::SystemPorts listed{{QStringLiteral("COM5"), QStringLiteral("/dev/ttyS4")}};
    QCOMPARE(portpaths::devicePath(dir.path(), 5, listed), QStringLiteral("/dev/ttyS4"));
    QVERIFY(portpaths::devicePath(dir.path(), 6, listed).isEmpty());
#endif
    QVERIFY(portpaths::devicePath(dir.path(), 37).isEmpty());
    QVERIFY(portpaths::devicePath(dir.path(), 0).isEmpty());
    PtyPair pty;
    QVERIFY(pty.publish(dir.path(), 2));
    QCOMPARE(portpaths::devicePath(dir.path(), 2), pty.slavePath());
    QCOMPARE(portpaths::devicePath(dir.path(), 2, {{QStringLiteral("COM2"), QStringLiteral("/x")}}),
             pty.slavePath());
}

void LinkTest::deviceIpHost_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("result");
    QTest::newRow("four parts") << "192.168.1.20" << 3 << "192.168.1.3";
    QTest::newRow("three parts") << "10.0.0" << 5 << "10.0.0.5";
    QTest::newRow("empty") << "" << 7 << "0.0.0.7";
    QTest::newRow("leading zeros") << "010.001.002.003" << 12 << "10.1.2.12";
    QTest::newRow("255") << "192.168.0.7" << 255 << "192.168.0.255";
    // Addresses the operator mistyped never stop the console: extra parts are ignored and a
    // part that is not a number 0-255 counts as 0.
    QTest::newRow("five parts") << "1.2.3.4.5" << 9 << "1.2.3.9";
    QTest::newRow("letters") << "a.b.c.d" << 1 << "0.0.0.1";
    QTest::newRow("above 255") << "300.1.2.3" << 4 << "0.1.2.4";
    QTest::newRow("negative") << "-1.2.3.4" << 4 << "0.2.3.4";
    QTest::newRow("blanks") << " 10 . 1 .2.3" << 8 << "10.1.2.8";
    QTest::newRow("host name") << "head.local" << 2 << "0.0.0.2";
    // Found by fuzzing: a NUL ended the number early ("9\0x" was 9); a sign is no part of one.
    QTest::newRow("NUL in a part") << QString::fromUtf16(u"9\0x.1.2.3", 9) << 6 << "0.1.2.6";
    QTest::newRow("sign") << "+10.1.2.3" << 6 << "0.1.2.6";
}

void LinkTest::deviceIpHost()
{
    QFETCH(QString, address);
    QFETCH(int, n);
    QFETCH(QString, result);
    QCOMPARE(replaceHostPart(address, n), result);
}

void LinkTest::switchingLinkKinds()
{
    Console c(kLaidOutFirst);
    c.start();
    c.clickBox("串口");
    QVERIFY(!c.get<QCheckBox>("串口")->isChecked());
    QVERIFY(c.get<QCheckBox>("网络")->isChecked());
    QCOMPARE(c.status(), QStringLiteral("网络已就绪"));
    QVERIFY(!enabled(c, "ComboComm"));
    QVERIFY(enabled(c, "设备IP"));
    QCOMPARE(connectCaption(c), kConnect);

    c.clickBox("网络");
    QVERIFY(c.get<QCheckBox>("串口")->isChecked());
    QVERIFY(!c.get<QCheckBox>("网络")->isChecked());
    QCOMPARE(c.status(), QStringLiteral("串口已就绪"));
    QVERIFY(enabled(c, "ComboComm"));
    QVERIFY(!enabled(c, "设备IP"));

    // Ticking the other box works the same way round.
    c.clickBox("网络");
    QVERIFY(c.get<QCheckBox>("网络")->isChecked());
    QVERIFY(!c.get<QCheckBox>("串口")->isChecked());
    c.clickBox("串口");
    QVERIFY(c.get<QCheckBox>("串口")->isChecked());
    QVERIFY(!c.get<QCheckBox>("网络")->isChecked());
    QCOMPARE(c.status(), QStringLiteral("串口已就绪"));
    QVERIFY(c.prompts.messages.isEmpty());
}

void LinkTest::linkKindFollowsEveryWayOfTicking_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("mouse") << "mouse";
    QTest::newRow("space") << "space";
    QTest::newRow("accessibility toggle") << "toggle";
    QTest::newRow("code") << "code";
}

void LinkTest::linkKindFollowsEveryWayOfTicking()
{
    QFETCH(QString, way);
    TcpPeer peer;
    QVERIFY(peer.listen("127.0.0.26"));
    Console c(kLaidOutFirst);
    c.start();
    auto *serial = c.get<QCheckBox>("串口");
    auto *tcp = c.get<QCheckBox>("网络");
    const auto flip = [&](QCheckBox *box) {
        if (way == "mouse") {
            c.clickBox(box->objectName().toUtf8().constData());
        } else if (way == "space") {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
        } else if (way == "toggle") {
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(box);
            QVERIFY(face && face->actionInterface());
            face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        } else {
            box->setChecked(!box->isChecked());
        }
    };

    flip(serial);
    QVERIFY(!serial->isChecked());
    QVERIFY(tcp->isChecked());
    QCOMPARE(c.status(), QStringLiteral("网络已就绪"));
    QVERIFY(!enabled(c, "ComboComm"));
    QVERIFY(enabled(c, "设备IP"));

    // The connect that follows really uses TCP.
    c.get<QLineEdit>("设备IP")->setText("127.0.0.26");
    clickConnect(c);
    QTRY_COMPARE(connectCaption(c), kDisconnect);
    QTRY_VERIFY(peer.socket);
    clickConnect(c);

    flip(tcp);
    QVERIFY(serial->isChecked());
    QVERIFY(!tcp->isChecked());
    QCOMPARE(c.status(), QStringLiteral("串口已就绪"));
    QVERIFY(enabled(c, "ComboComm"));
    QVERIFY(!enabled(c, "设备IP"));
    QCOMPARE(c.prompts.messages.size(), 1);
}

void LinkTest::lossWhileTheConnectMessageIsUp()
{
    Console c(kLaidOutFirst);
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(pty->publish(c.dir.path(), 8));
    c.start();
    c.get<QComboBox>("ComboComm")->setEditText("COM8");
    // The adapter is pulled out while the operator reads "device connected".
    c.prompts.onMessage = [&](const QString &) {
        pty.reset();
        (void)QTest::qWaitFor([&] { return c.status() == QStringLiteral("设备已断开连接"); }, 3000);
    };
    clickConnect(c);
    c.prompts.onMessage = nullptr;
    QCOMPARE(c.status(), QStringLiteral("设备已断开连接"));
    QCOMPARE(connectCaption(c), kConnect);
    for (const char *name : {"串口", "网络", "ComboComm", "搜索"})
        QVERIFY2(enabled(c, name), name);
    // The operator can change the link kind.
    c.clickBox("网络");
    QCOMPARE(c.status(), QStringLiteral("网络已就绪"));
}

void LinkTest::nothingFoundEmptiesThePortBox()
{
    Console c(kLaidOutFirst);
    c.dir.hideMachinePorts();
    c.start();
    auto *ports = c.get<QComboBox>("ComboComm");
    QCOMPARE(ports->count(), 0);
    ports->setEditText("COM9");
    QTest::mouseClick(c.get<QPushButton>("搜索"), Qt::LeftButton);
    QCOMPARE(ports->count(), 0);
    QCOMPARE(ports->currentText(), QString());

    // Connecting with nothing chosen says so.
    clickConnect(c);
    QCOMPARE(c.status(), QStringLiteral("未选择串口，打开失败"));
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(c.prompts.messages.isEmpty());
}

void LinkTest::serialConnectAndDisconnect()
{
    Console c(kLaidOutFirst);
    PtyPair pty;
    QVERIFY(pty.publish(c.dir.path(), 3));
    c.start();
    auto *ports = c.get<QComboBox>("ComboComm");
    QVERIFY(ports->findText("COM3") >= 0);
    ports->setCurrentIndex(ports->findText("COM3"));

    clickConnect(c);
    QCOMPARE(c.status(), QStringLiteral("COM3，已打开，9600,N,8,1"));
    QCOMPARE(connectCaption(c), kDisconnect);
    QCOMPARE(c.prompts.messages, QStringList{kConnected});
    QVERIFY(lampOn(c));
    QVERIFY(!lampOff(c));
    QVERIFY(c.link().LinkOn);
    QVERIFY(c.links().serial().isOpen());
    for (const char *name : {"串口", "网络", "ComboComm", "搜索"})
        QVERIFY2(!enabled(c, name), name);

    // The port really is the pseudo-terminal: bytes written at the far end arrive.
    QSignalSpy received(&c.links().serial(), &Link::received);
    QVERIFY(pty.write("ping"));
    QByteArray got;
    QTRY_VERIFY((got += received.isEmpty() ? QByteArray()
                                           : received.takeFirst().first().toByteArray()) == "ping");

    clickConnect(c);
    QCOMPARE(c.status(), QStringLiteral("COM3，已关闭"));
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(!lampOn(c));
    QVERIFY(lampOff(c));
    QVERIFY(!c.links().serial().isOpen());
    for (const char *name : {"串口", "网络", "ComboComm", "搜索"})
        QVERIFY2(enabled(c, name), name);
    QCOMPARE(c.prompts.messages.size(), 1);
}

void LinkTest::serialPortHeldElsewhere()
{
    Console c(kLaidOutFirst);
    PtyPair pty;
    QVERIFY(pty.publish(c.dir.path(), 5));
    QSerialPort other(pty.slavePath());
    QVERIFY(other.open(QIODevice::ReadWrite));
    c.start();
    auto *ports = c.get<QComboBox>("ComboComm");
    QVERIFY2(ports->findText("COM5") >= 0, "a held port is still listed");
    ports->setCurrentIndex(ports->findText("COM5"));
    const QString before = c.status();

    clickConnect(c);
    QCOMPARE(c.prompts.messages,
             QStringList{QStringLiteral("COM5已被其它程序打开，请选择其它串口！")});
    QVERIFY(!c.link().LinkOn);
    QCOMPARE(connectCaption(c), kConnect);
    QCOMPARE(c.status(), before);
    QVERIFY(enabled(c, "串口"));
    QVERIFY(enabled(c, "ComboComm"));

    // Once the other program lets go, the next click connects.
    other.close();
    clickConnect(c);
    QCOMPARE(connectCaption(c), kDisconnect);
    QCOMPARE(c.status(), QStringLiteral("COM5，已打开，9600,N,8,1"));
}

void LinkTest::serialOpenFailureReturnsToReady()
{
    Console c(kLaidOutFirst);
    c.start();
    auto *ports = c.get<QComboBox>("ComboComm");
    // COM35 would be /dev/ttyACM8: nothing there.
    QVERIFY(!QFile::exists("/dev/ttyACM8"));
    ports->setEditText("COM35");
    clickConnect(c);
    QCOMPARE(c.status(), QStringLiteral("COM35，打开失败"));
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(!c.link().LinkOn);
    QVERIFY(c.prompts.messages.isEmpty());

    // The next click tries again rather than running the disconnect path.
    PtyPair pty;
    QVERIFY(pty.publish(c.dir.path(), 35));
    clickConnect(c);
    QCOMPARE(connectCaption(c), kDisconnect);
    QCOMPARE(c.status(), QStringLiteral("COM35，已打开，9600,N,8,1"));

    clickConnect(c);
    ports->setEditText("no port");
    clickConnect(c);
    QCOMPARE(c.status(), QStringLiteral("no port，打开失败"));
    QVERIFY(!c.link().LinkOn);
    QCOMPARE(connectCaption(c), kConnect);
}

void LinkTest::serialDeviceLost()
{
    Console c(kLaidOutFirst);
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(pty->publish(c.dir.path(), 6));
    c.start();
    c.get<QComboBox>("ComboComm")->setEditText("COM6");
    clickConnect(c);
    QCOMPARE(connectCaption(c), kDisconnect);

    pty.reset(); // the adapter is pulled out
    QTRY_COMPARE(c.status(), QStringLiteral("设备已断开连接"));
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(!c.link().LinkOn);
    QVERIFY(!c.links().serial().isOpen());
    QVERIFY(lampOff(c));
    for (const char *name : {"串口", "网络", "ComboComm", "搜索"})
        QVERIFY2(enabled(c, name), name);
    QCOMPARE(c.prompts.messages.size(), 1); // only the connect message, nothing for the loss
}

void LinkTest::portSearchListsInOrder()
{
    Console c(kLaidOutFirst);
    PtyPair a, b, held;
    QVERIFY(a.publish(c.dir.path(), 33));
    QVERIFY(b.publish(c.dir.path(), 31));
    QVERIFY(held.publish(c.dir.path(), 32));
    c.start();
    QSerialPort other(held.slavePath());
    QVERIFY(other.open(QIODevice::ReadWrite));
    PtyPair late;
    QVERIFY(late.publish(c.dir.path(), 30));

    QTest::mouseClick(c.get<QPushButton>("搜索"), Qt::LeftButton);
    auto *ports = c.get<QComboBox>("ComboComm");
    QStringList listed;
    QList<int> numbers;
    for (int i = 0; i < ports->count(); ++i) {
        listed << ports->itemText(i);
        numbers << portpaths::portNumberFromText(ports->itemText(i));
    }
    for (const char *name : {"COM30", "COM31", "COM32", "COM33"})
        QVERIFY2(listed.contains(name), qPrintable(listed.join(' ')));
    QVERIFY(std::is_sorted(numbers.begin(), numbers.end()));
    QCOMPARE(ports->currentIndex(), 0);
    QCOMPARE(ports->currentText(), listed.first());
}

void LinkTest::tcpConnectAndDisconnect()
{
    TcpPeer peer;
    QVERIFY(peer.listen("127.0.0.21"));
    Console c(kLaidOutFirst);
    c.start();
    dialTcp(c, "127.0.0.21");
    // Nothing changes until the connection is made.
    QCOMPARE(connectCaption(c), kConnect);
    QCOMPARE(c.links().tcp().remotePort(), quint16(4196));
    QTRY_COMPARE(connectCaption(c), kDisconnect);
    QCOMPARE(c.status(), QStringLiteral("已连接到 : 127.0.0.21"));
    QCOMPARE(c.prompts.messages, QStringList{kConnected});
    QTRY_VERIFY(peer.socket);
    QVERIFY(lampOn(c));
    for (const char *name : {"串口", "网络", "ComboComm", "搜索", "设备IP"})
        QVERIFY2(!enabled(c, name), name);

    clickConnect(c);
    QCOMPARE(c.status(), QStringLiteral("连接已断开..."));
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(lampOff(c));
    QTRY_COMPARE(peer.socket->state(), QAbstractSocket::UnconnectedState);
    for (const char *name : {"串口", "网络", "搜索", "设备IP"})
        QVERIFY2(enabled(c, name), name);
    QVERIFY(!enabled(c, "ComboComm"));
}

void LinkTest::tcpCancelWhileConnecting()
{
    TcpPeer peer;
    QVERIFY(peer.listen("127.0.0.22"));
    Console c(kLaidOutFirst);
    c.start();
    dialTcp(c, "127.0.0.22");
    clickConnect(c); // before the connection is reported
    QCOMPARE(connectCaption(c), kConnect);
    QCOMPARE(c.status(), QStringLiteral("连接已断开..."));
    QVERIFY(!c.link().LinkOn);
    QTest::qWait(200);
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(c.prompts.messages.isEmpty());

    // Ticking the serial box also leaves the attempt.
    clickConnect(c);
    c.clickBox("串口");
    QCOMPARE(c.status(), QStringLiteral("串口已就绪"));
    QTest::qWait(200);
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(c.prompts.messages.isEmpty());
}

void LinkTest::tcpRefused()
{
    Console c(kLaidOutFirst);
    c.start();
    dialTcp(c, "127.0.0.23"); // nobody listens there
    QTRY_COMPARE(c.status(), QStringLiteral("无法连接到 : 127.0.0.23"));
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(!c.link().LinkOn);
    QVERIFY(c.prompts.messages.isEmpty());

    // Back in TCP ready: the next click connects once a peer is there.
    TcpPeer peer;
    QVERIFY(peer.listen("127.0.0.23"));
    clickConnect(c);
    QTRY_COMPARE(connectCaption(c), kDisconnect);
}

void LinkTest::tcpPeerCloses()
{
    Console c(kLaidOutFirst);
    c.start();
    QVERIFY(c.openTcp("127.0.0.24"));
    QCOMPARE(connectCaption(c), kDisconnect);

    c.peer->close();
    QTRY_COMPARE(c.status(), QStringLiteral("设备已断开连接"));
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(!c.link().LinkOn);
    QVERIFY(lampOff(c));
    for (const char *name : {"串口", "网络", "搜索", "设备IP"})
        QVERIFY2(enabled(c, name), name);
    QVERIFY(c.prompts.messages.isEmpty()); // the loss says nothing

    // And it can be opened again.
    clickConnect(c);
    QTRY_COMPARE(connectCaption(c), kDisconnect);
}

void LinkTest::searchlightChangeOnTcp()
{
    Console c(kLaidOutFirst);
    c.start();
    QVERIFY(c.openTcp("127.0.0.25"));

    // The operator steps the searchlight list from 11 to 12.
    auto *light = c.get<QComboBox>("探照灯");
    light->setCurrentIndex(11);
    QTest::keyClick(light, Qt::Key_Down);
    QCOMPARE(light->currentText(), QStringLiteral("12"));
    QCOMPARE(c.get<QLineEdit>("设备IP")->text(), QStringLiteral("127.0.0.12"));
    QCOMPARE(c.status(), QStringLiteral("设备已断开连接"));
    QCOMPARE(connectCaption(c), kConnect);
    QVERIFY(!c.link().LinkOn);
    QTRY_COMPARE(c.peer->state(), QAbstractSocket::UnconnectedState);
    for (const char *name : {"串口", "网络", "搜索", "ComboComm", "设备IP"})
        QVERIFY2(enabled(c, name), name);

    c.get<QLineEdit>("设备IP")->setText("192.168.0.7");
    QTest::keyClick(light, Qt::Key_Down);
    QCOMPARE(c.get<QLineEdit>("设备IP")->text(), QStringLiteral("192.168.0.13"));
}

void LinkTest::searchlightChangeOnSerialChangesNothing()
{
    Console c(kLaidOutFirst);
    c.start();
    auto *light = c.get<QComboBox>("探照灯");
    c.get<QLineEdit>("设备IP")->setText("192.168.0.7");
    QTest::keyClick(light, Qt::Key_Down);
    QCOMPARE(light->currentText(), QStringLiteral("01"));
    QCOMPARE(c.get<QLineEdit>("设备IP")->text(), QStringLiteral("192.168.0.7"));
    QCOMPARE(c.status(), QStringLiteral("串口已就绪"));
}

QTEST_MAIN(LinkTest)
#include "tst_link.moc"

void LinkTest::linkStatesInOrder()
{
    Console c(kLaidOutFirst);
    c.start();
    Links &links = c.links();
    QList<Links::State> seen;
    connect(&links, &Links::stateChanged, &links, [&](Links::State s) { seen << s; });
    using S = Links::State;

    // Made, then lost: the loss closes it the way the button does, and the send path refuses
    // frames as soon as closing begins.
    QVERIFY(c.openTcp("127.0.0.91"));
    QCOMPARE(seen, (QList{S::Opening, S::Open}));
    connect(&links, &Links::stateChanged, &links, [&](Links::State s) {
        if (s == S::Closing)
            QVERIFY(!links.isOpen());
    });
    c.peer->close();
    QTRY_COMPARE(seen, (QList{S::Opening, S::Open, S::Closing, S::Closed}));

    // Nobody listens: opening, then closed again without ever being open.
    seen.clear();
    c.peer = nullptr;
    c.tcp.reset();
    clickConnect(c);
    QCOMPARE(seen, QList{S::Opening});
    QTRY_COMPARE_WITH_TIMEOUT(seen, (QList{S::Opening, S::Closed}), 10000);
    QCOMPARE(connectCaption(c), kConnect);
}
