// The real console against the simulated head running as a program of its own, over the serial
// link (the head's pseudo-terminal published as COM3 of the console's program directory) and
// over TCP (the head listening on a loopback address): what the operator does, what the head
// reads, and where the head then points, as the console's own position query reports it.
// Every test runs once on each link: the rows of initTestCase_data().
#include "support.h"
#include "virtualstick.h"

#include "app/mainform.h"
#include "control/stickcontrol.h"
#include "link/linktexts.h"
#include "link/logtext.h"
#include "presets/form1.h"
#include "schedule/form2.h"
#include "schedule/timetablecontroller.h"
#include "tools/headsim/headmodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const QString kProgram = QStringLiteral(HEADSIM_PATH);
// The head's pseudo-terminal is COM3 of the console's program directory.
constexpr int kHeadPort = 3;
// Loopback hosts the simulator may listen on; a copy of this test running alongside takes the
// next free one.
constexpr int kFirstHost = 70;
constexpr int kLastHost = 79;
// The searchlight driven throughout, so that a frame sent to the default 00 shows up as wrong.
const QString kSearchlight = QStringLiteral("05");
// Speed 0x3F is 40 degrees a second: a half-second hold turns about 20. Even a single frame moves
// the head for 100 ms, 4 degrees, so however slowly the console runs the head gets that far, while
// a head that did not move, or moved the wrong way, does not.
constexpr int kMinTurn = 4;

// Where the head points, in whole degrees, as its position reply gives it.
struct Angles
{
    int pan = -1;
    int tilt = -1;
    bool operator==(const Angles &) const = default;
};

QString text(const Angles &a)
{
    return QStringLiteral("pan %1 tilt %2").arg(a.pan).arg(a.tilt);
}

char *toString(const std::optional<Angles> &a)
{
    return QTest::toString(a ? text(*a) : QStringLiteral("no reply"));
}

// Signed pan change from one bearing to another, the shorter way: -179 .. 180.
int panChange(int from, int to)
{
    const int d = ((to - from) % 360 + 360) % 360;
    return d > 180 ? d - 360 : d;
}

bool near(const Angles &a, const Angles &b)
{
    return std::abs(panChange(a.pan, b.pan)) <= 1 && std::abs(a.tilt - b.tilt) <= 1;
}

// No turn at all where none was asked for, else at least the least turn the asked way.
bool turnedAsAsked(int turn, int sign)
{
    return sign == 0 ? turn == 0 : turn * sign >= kMinTurn;
}

// The simulated head as a separate process on both links, with its headless lines gathered as
// they arrive and stamped with their arrival.
class HeadProcess
{
public:
    ~HeadProcess() { stop(); }
    QString address() const { return m_address; }
    qsizetype count(const QString &line) const { return m_lines.count(line); }

    // Starts the simulator on the first free host of 127.0.0.70-79 and on a pseudo-terminal
    // published as portLink; empty on success, else why not.
    QString start(const QString &portLink)
    {
        QString failure;
        for (int host = kFirstHost; host <= kLastHost; ++host) {
            m_address = QStringLiteral("127.0.0.%1").arg(host);
            m_lines.clear();
            m_arrivals.clear();
            m_partial.clear();
            m_process = std::make_unique<QProcess>();
            QObject::connect(m_process.get(), &QProcess::readyReadStandardOutput,
                             [this] { read(); });
#ifdef Q_OS_LINUX
            // A test killed on its timeout must not leave a head listening behind it.
            m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
            m_process->start(kProgram, {QStringLiteral("--headless"), QStringLiteral("--tcp"),
                                        m_address, QStringLiteral("--pty"), portLink});
            const QString listening = QStringLiteral("link tcp listening %1:4196").arg(m_address);
            const auto ready = [&] { return count(listening) == 1 && !ptyDevice().isEmpty(); };
            const bool ended = QTest::qWaitFor(
                [&] { return ready() || m_process->state() == QProcess::NotRunning; }, 20000);
            if (ready())
                return {};
            stop();
            if (!ended)
                return QStringLiteral("the simulator showed no links within 20 s");
            // Most likely another test holds this address: try the next one.
            failure = QString::fromLocal8Bit(m_process->readAllStandardError()) +
                      m_process->errorString();
        }
        return QStringLiteral("the simulator did not start: ") + failure;
    }

    // SIGTERM as a desktop session sends it, then a kill if it does not go.
    void stop()
    {
        if (!m_process || m_process->state() == QProcess::NotRunning)
            return;
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }

    // The lines that contain any of the words, in order.
    QStringList linesWith(const QStringList &words) const
    {
        QStringList found;
        for (const QString &line : m_lines) {
            if (std::any_of(words.begin(), words.end(), [&](auto &w) { return line.contains(w); }))
                found.append(line);
        }
        return found;
    }
    const QStringList &lines() const
    {
        return m_lines;
    }
    const QList<Clock::time_point> &arrivals() const
    {
        return m_arrivals;
    }
    std::optional<Clock::time_point> arrivalOf(const QString &line) const
    {
        const qsizetype i = m_lines.indexOf(line);
        return i < 0 ? std::nullopt : std::optional(m_arrivals.at(i));
    }
    // The pseudo-terminal the simulator says it published, from its "link pty" line.
    QString ptyDevice() const
    {
        static const QRegularExpression published(QStringLiteral("^link pty (\\S+) published as "));
        for (const QString &line : m_lines) {
            const auto match = published.match(line);
            if (match.hasMatch())
                return match.captured(1);
        }
        return {};
    }

private:
    void read()
    {
        m_partial += m_process->readAllStandardOutput();
        qsizetype end = 0;
        while ((end = m_partial.indexOf('\n')) >= 0) {
            m_lines.append(QString::fromUtf8(m_partial.left(end)));
            m_arrivals.append(Clock::now());
            m_partial.remove(0, end + 1);
        }
    }

    std::unique_ptr<QProcess> m_process;
    QString m_address;
    QByteArray m_partial;
    QStringList m_lines;
    QList<Clock::time_point> m_arrivals;
};

// Every text the console's log shows, as it shows it, with the moment: the log empties itself
// once it holds 128 characters, so an entry read afterwards may already be gone.
class LogWatch
{
public:
    explicit LogWatch(LogText &log)
        : m_connection(QObject::connect(&log, &LogText::changed, [this, &log] {
              m_texts.append(log.text());
              m_times.append(Clock::now());
          }))
    {
    }
    ~LogWatch() { QObject::disconnect(m_connection); }
    LogWatch(const LogWatch &) = delete;
    LogWatch &operator=(const LogWatch &) = delete;

    // The first text shown that matches, and when it was shown.
    std::optional<std::pair<QRegularExpressionMatch, Clock::time_point>>
    first(const QRegularExpression &pattern) const
    {
        for (qsizetype i = 0; i < m_texts.size(); ++i) {
            const QRegularExpressionMatch match = pattern.match(m_texts.at(i));
            if (match.hasMatch())
                return std::pair(match, m_times.at(i));
        }
        return std::nullopt;
    }

private:
    QMetaObject::Connection m_connection;
    QStringList m_texts;
    QList<Clock::time_point> m_times;
};

// One end-to-end set-up: the simulated head on both links, and the console in a program
// directory of its own, driving searchlight 05 over the link of the test row.
class Bench
{
public:
    // The console's own pseudo-terminal is published as COM3 first; the simulator replaces that
    // link with its own, so COM3 is the head.
    Bench() : console(kHeadPort, false) {}

    // Empty on success, else what went wrong.
    QString open(const QString &link)
    {
        const QString portLink =
            QFileInfo(console.dir.path() + QStringLiteral("/ports/COM%1").arg(kHeadPort))
                .absoluteFilePath();
        if (const QString failure = head.start(portLink); !failure.isEmpty())
            return failure;
        if (QFileInfo(portLink).symLinkTarget() != head.ptyDevice())
            return QStringLiteral("COM3 is not the simulator's pseudo-terminal");
        console.start();
        console.setClock([this] { return now; });
        console.get<QComboBox>("探照灯")->setEditText(kSearchlight);

        if (link == QLatin1String("serial")) {
            if (!console.openSerial())
                return QStringLiteral("COM3 did not open: ") + console.status();
            return {};
        }
        dialTcp(console, head.address());
        auto *connect = console.get<QPushButton>("连接And断开连接");
        if (!QTest::qWaitFor([&] { return connect->text() == linktexts::kDisconnect; }, 10000))
            return QStringLiteral("no TCP connection: ") + console.status();
        console.prompts.messages.clear();
        const auto accepted = [&] { return !head.linesWith({" connected"}).isEmpty(); };
        if (!QTest::qWaitFor(accepted, 10000))
            return QStringLiteral("the simulator saw no client");
        return {};
    }

    // Asks the head where it points with 位置查询 and reads the reply off the console's log,
    // emptied first so that the reply cannot be the entry that fills it. The reply must be the
    // one the simulator says it sent.
    std::optional<Angles> query()
    {
        static const QRegularExpression reply(
            QStringLiteral("\r\n<--接收\uFF1AT(\\d{3})(\\d{3})llll\r\n"));
        static const QString asked = QStringLiteral("text Rllllllllll -> ");
        const qsizetype answered = head.linesWith({asked}).size();
        console.click("CmdClearReceive");
        LogWatch log(console.logText());
        console.click("查询位置");
        const auto answeredBoth = [&] {
            return log.first(reply) && head.linesWith({asked}).size() > answered;
        };
        if (!QTest::qWaitFor(answeredBoth, 10000))
            return std::nullopt;
        const QRegularExpressionMatch match = log.first(reply)->first;
        const QString sent = head.linesWith({asked}).at(answered).mid(asked.size());
        if (sent != QStringLiteral("T%1%2llll").arg(match.captured(1), match.captured(2))) {
            qWarning("the console logged %s, the simulator sent %s", qPrintable(match.captured()),
                     qPrintable(sent));
            return std::nullopt;
        }
        return Angles{match.captured(1).toInt(), match.captured(2).toInt()};
    }

    // Queries until two replies 300 ms apart agree: where the head has come to rest. Nothing
    // when it is still moving after a few seconds.
    std::optional<Angles> resting()
    {
        std::optional<Angles> last = query();
        for (int attempt = 0; attempt < 15 && last; ++attempt) {
            QTest::qWait(300);
            const std::optional<Angles> next = query();
            if (next == last)
                return next;
            last = next;
        }
        return std::nullopt;
    }
    std::optional<Angles> queryAfter(int ms)
    {
        QTest::qWait(ms);
        return query();
    }

    // Holds a direction button down with the mouse for a while.
    void hold(const char *button, int ms)
    {
        auto *b = console.get<QPushButton>(button);
        QTest::mousePress(b, Qt::LeftButton);
        QTest::qWait(ms);
        QTest::mouseRelease(b, Qt::LeftButton);
    }

    // Back to the main window after a dialog, so that no deactivation lets go of a held button.
    bool activateConsole()
    {
        console.form->activateWindow();
        return QTest::qWaitForWindowActive(console.form.get());
    }

    Form1 *presetDialog() { return console.form->findChild<Form1 *>(QStringLiteral("Form1")); }
    // As an operator does, once the dialog shows its labels.
    void pressPreset(int preset)
    {
        QVERIFY(console.presetsSettled());
        QTest::mouseClick(
            presetDialog()->findChild<QPushButton *>(QStringLiteral("预置位%1").arg(preset)),
            Qt::LeftButton);
    }

    template <typename T> T *editor(const char *name)
    {
        return child<T>(console.timetable().editor(), name);
    }

    // The simulator's lines with any of the words, for searchlight 05 or a text command.
    QStringList commands(const QStringList &words) const
    {
        QStringList found;
        for (const QString &line : head.linesWith(words)) {
            if (line.startsWith(QStringLiteral("addr ") + kSearchlight + u' ') ||
                line.startsWith(QStringLiteral("text ")))
                found.append(line);
        }
        return found;
    }

    // Declared first, so the console closes its links before the head goes.
    HeadProcess head;
    Console console;
    QDateTime now = QDateTime(QDate(2026, 12, 8), QTime(7, 59, 59));
};

QString addr(const QString &rest)
{
    return QStringLiteral("addr ") + kSearchlight + u' ' + rest;
}

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void holdDirection_data();
    void holdDirection();
    void lamp_data();
    void lamp();
    void presetReturns();
    void cruiseStartAndCancel();
    void positionQuery();
    void timetableSlot();
    void stickSetsTheRate();

private:
    std::unique_ptr<Bench> m_bench;
};

void EndToEndTest::initTestCase_data()
{
    QTest::addColumn<QString>("link");
    QTest::newRow("serial") << QStringLiteral("serial");
    QTest::newRow("tcp") << QStringLiteral("tcp");
}

// Starts the head and the console and opens the link of the row.
void EndToEndTest::init()
{
    QFETCH_GLOBAL(QString, link);
    m_bench = std::make_unique<Bench>();
    const QString failure = m_bench->open(link);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void EndToEndTest::cleanup()
{
    if (!m_bench)
        return;
    // Whatever the console sent, the head read every frame and text command whole.
    const QStringList bad = m_bench->head.linesWith({QStringLiteral("bad ")});
    m_bench.reset();
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join(u'\n')));
}

void EndToEndTest::holdDirection_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("panSign");
    QTest::addColumn<int>("tiltSign");
    QTest::addColumn<QString>("frame");
    QTest::newRow("right") << "右" << 1 << 0 << "jog right pan 0x3F tilt 0x00";
    QTest::newRow("up") << "上" << 0 << 1 << "jog up pan 0x00 tilt 0x3F";
    QTest::newRow("down-left") << "左下" << -1 << -1 << "jog down-left pan 0x3F tilt 0x3F";
}

void EndToEndTest::holdDirection()
{
    QFETCH(QString, button);
    QFETCH(int, panSign);
    QFETCH(int, tiltSign);
    QFETCH(QString, frame);
    Bench &b = *m_bench;
    const Angles before{0, 90}; // where every head starts
    QCOMPARE(b.query(), std::optional(before));

    b.hold(button.toUtf8(), 500);
    // The head stops by itself once the frames stop, and then stays put.
    const std::optional<Angles> after = b.resting();
    QVERIFY(after);
    QCOMPARE(b.queryAfter(300), after);

    // Well short of the tilt's end stops, where a head that ran on after the release would
    // come to rest as well.
    QVERIFY2(after->tilt > 0 && after->tilt < 180, qPrintable(text(*after)));
    const int panTurn = panChange(before.pan, after->pan);
    const int tiltTurn = after->tilt - before.tilt;
    QVERIFY2(turnedAsAsked(panTurn, panSign) && turnedAsAsked(tiltTurn, tiltSign),
             qPrintable(QStringLiteral("turned pan %1 tilt %2").arg(panTurn).arg(tiltTurn)));

    // Every jog frame the head read was this direction's, at the searchlight's address.
    const QStringList jogs = b.head.linesWith({QStringLiteral(" jog ")});
    QVERIFY(!jogs.isEmpty());
    QCOMPARE(jogs, QStringList(jogs.size(), addr(frame)));
}

void EndToEndTest::lamp_data()
{
    QTest::addColumn<bool>("angleControl");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("frames") << false
                            << QStringList(3, addr("lamp on")) + QStringList(3, addr("lamp off"));
    QTest::newRow("text") << true
                          << QStringList{"text Roooooooooo lamp on", "text Rcccccccccc lamp off"};
}

void EndToEndTest::lamp()
{
    QFETCH(bool, angleControl);
    QFETCH(QStringList, heard);
    Bench &b = *m_bench;
    if (angleControl)
        b.console.clickBox("角度控制");
    QCOMPARE(b.console.get<QCheckBox>("角度控制")->isChecked(), angleControl);

    b.console.click("开");
    QTRY_COMPARE(b.commands({"lamp "}), heard.mid(0, heard.size() / 2));
    b.console.click("关");
    QTRY_COMPARE(b.commands({"lamp "}), heard);
    // Nothing more follows.
    QTest::qWait(200);
    QCOMPARE(b.commands({"lamp "}), heard);
}

void EndToEndTest::presetReturns()
{
    Bench &b = *m_bench;
    b.hold("右", 400);
    const std::optional<Angles> stored = b.resting();
    QVERIFY(stored);
    QVERIFY2(stored->pan >= kMinTurn, qPrintable(text(*stored)));

    b.console.click("设置预置位");
    QVERIFY(b.presetDialog() && b.presetDialog()->isVisible());
    b.pressPreset(2);
    QTRY_COMPARE(b.commands({"preset "}), QStringList(3, addr("preset set 2")));
    QVERIFY(b.activateConsole());

    // Away up and to the left, past pan 0, so the way back crosses north.
    b.hold("左上", 700);
    const std::optional<Angles> away = b.resting();
    QVERIFY(away);
    QVERIFY2(!near(*away, *stored) && away->tilt >= stored->tilt + kMinTurn,
             qPrintable(text(*away)));

    b.console.click("调用预置位");
    QVERIFY(b.presetDialog()->isVisible());
    b.pressPreset(2);
    QTRY_COMPARE(b.commands({"preset "}),
                 QStringList(3, addr("preset set 2")) + QStringList(3, addr("preset recall 2")));
    const std::optional<Angles> back = b.resting();
    QVERIFY(back);
    QVERIFY2(near(*back, *stored),
             qPrintable(text(*back) + QStringLiteral(", stored ") + text(*stored)));
}

void EndToEndTest::cruiseStartAndCancel()
{
    Bench &b = *m_bench;
    // The pattern box starts on 巡航三 with both speeds at 63.
    const QStringList started = QStringList(3, addr("cruise start 3 pan 0x3F tilt 0x3F"));
    b.console.click("中");
    QTRY_COMPARE(b.commands({"cruise "}), started);

    const std::optional<Angles> first = b.query();
    const std::optional<Angles> second = b.queryAfter(300);
    QVERIFY(first && second);
    qInfo("cruising from %s to %s", qPrintable(text(*first)), qPrintable(text(*second)));
    // Pattern 3 turns the pan to the right and sweeps the tilt.
    QVERIFY(panChange(first->pan, second->pan) >= kMinTurn);
    QVERIFY(second->tilt != first->tilt);

    b.console.click("中");
    QTRY_COMPARE(b.commands({"cruise "}), started + QStringList(3, addr("cruise stop")));
    // The stop came before the query on the same line: the head stands from the first reply on.
    const std::optional<Angles> stopped = b.query();
    QVERIFY(stopped);
    QCOMPARE(b.queryAfter(300), stopped);
}

void EndToEndTest::positionQuery()
{
    Bench &b = *m_bench;
    b.console.click("CmdClearReceive");
    b.console.click("查询位置");
    QTRY_COMPARE(b.console.log(),
                 QStringLiteral("\r\n-->发送：Rllllllllll\r\n\r\n<--接收：T000090llll\r\n"));
    QCOMPARE(b.head.count("text Rllllllllll -> T000090llll"), 1);

    // Sent to an angle, the head's reply carries other digits.
    retype(b.console.get<QLineEdit>("水平角度"), "123");
    retype(b.console.get<QLineEdit>("垂直角度"), "45");
    b.console.click("确认发送角度");
    QTRY_COMPARE(b.head.count("text R1230456363 goto pan 123 tilt 45"), 1);
    QCOMPARE(b.resting(), std::optional(Angles{123, 45}));
}

void EndToEndTest::timetableSlot()
{
    Bench &b = *m_bench;
    // The operator's speeds are not the timetable's.
    b.console.get<QComboBox>("水平速度")->setEditText("10");
    b.console.get<QComboBox>("垂直速度")->setEditText("20");

    doubleClickRow(b.console, 3);
    QVERIFY(b.console.timetable().editor());
    retype(b.editor<QLineEdit>("开_00"), "08:00:00");
    clickCheck(b.editor<QCheckBox>("Check4"));
    QTest::mouseClick(b.editor<QPushButton>("退出配置"), Qt::LeftButton);
    QVERIFY(b.console.get<QListWidget>("定时配置")->item(3)->isSelected());
    QVERIFY(b.activateConsole());
    // At 07:59:59 the slot does not fire.
    QTest::qWait(300);
    QCOMPARE(b.commands({"lamp ", "cruise "}), QStringList());

    // The clock's own tick finds the slot; the lamp frames go out at once, the cruise a second
    // later from the delay timer.
    LogWatch log(b.console.logText());
    b.now = QDateTime(QDate(2026, 12, 8), QTime(8, 0, 0));
    const QString cruise = addr("cruise start 3 pan 0x3F tilt 0x3F");
    QTRY_VERIFY_WITH_TIMEOUT(b.head.count(cruise) == 3, 15000);
    QTest::qWait(200);
    QCOMPARE(b.commands({"lamp ", "cruise "}),
             QStringList(3, addr("lamp on")) + QStringList(3, cruise));

    // From the console sending its first lamp frame to the head reading the cruise: only a
    // lower bound, as a loaded machine can only lengthen it.
    const auto lampSent =
        log.first(QRegularExpression(QStringLiteral("-->发送：FF 05 02 00 00 00 07 ")));
    QVERIFY(lampSent);
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(
        *b.head.arrivalOf(cruise) - lampSent->second);
    qInfo("cruise read %lld ms after the lamp was sent", static_cast<long long>(gap.count()));
    QVERIFY2(gap >= 800ms, qPrintable(QString::number(gap.count())));

    const std::optional<Angles> first = b.query();
    const std::optional<Angles> second = b.queryAfter(300);
    QVERIFY(first && second);
    QVERIFY(panChange(first->pan, second->pan) >= kMinTurn);
}

void EndToEndTest::stickSetsTheRate()
{
    Bench &b = *m_bench;
    VirtualStick pad;
    QVERIFY(QTest::qWaitFor([&] { return b.console.stick().attached(); }, 3000));
    // Holds the stick over to the right and centres it. The head turns from its first jog frame
    // until its hold time after the last; all those frames carry one speed byte. Positions are
    // asked only while the head stands, so that no reply is lost in a log full of jog frames.
    const auto hold = [&](double deflection, int ms, int *speed) {
        static const QRegularExpression jog(
            QStringLiteral("^addr 05 jog right pan 0x(..) tilt 0x00$"));
        const std::optional<Angles> from = b.resting();
        const qsizetype first = b.head.lines().size();
        pad.setStick(deflection, 0);
        QTest::qWait(ms);
        pad.centre();
        const std::optional<Angles> to = b.resting();
        QStringList jogs;
        QList<Clock::time_point> times;
        for (qsizetype i = first; i < b.head.lines().size(); ++i) {
            if (b.head.lines().at(i).contains(QStringLiteral(" jog "))) {
                jogs << b.head.lines().at(i);
                times << b.head.arrivals().at(i);
            }
        }
        if (!from || !to || jogs.isEmpty() || jogs.count(jogs.first()) != jogs.size())
            return -1.0;
        *speed = jog.match(jogs.first()).captured(1).toInt(nullptr, 16);
        const double seconds = std::chrono::duration<double>(times.last() - times.first()).count();
        return panChange(from->pan, to->pan) / (seconds + headsim::HeadModel::kJogHoldMs / 1000.0);
    };

    int halfSpeed = 0;
    const double half = hold(0.5, 3000, &halfSpeed);
    const double model = headsim::HeadModel::rateForSpeed(halfSpeed);
    qInfo("half deflection: speed 0x%02X, %.2f deg/s (the head's model: %.2f)", halfSpeed, half,
          model);
    // Whole degrees at both ends of about three seconds, and a few milliseconds either way.
    QVERIFY2(halfSpeed > 0 && std::abs(half - model) <= 1.0 / 3.0 + 0.1 * model,
             qPrintable(QString::number(half)));
    int fullSpeed = 0;
    const double full = hold(1.0, 500, &fullSpeed);
    qInfo("full deflection: speed 0x%02X, %.2f deg/s", fullSpeed, full);
    QVERIFY(fullSpeed > halfSpeed && full > 2 * half);
    // Centred, the head stays put.
    const std::optional<Angles> stopped = b.query();
    QVERIFY(stopped);
    QCOMPARE(b.queryAfter(300), stopped);
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
