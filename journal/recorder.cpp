#include "journal/recorder.h"

#include "journal/journaltexts.h"
#include "link/sendcause.h"
#include "protocol/command.h"
#include "protocol/reply.h"
#include "protocol/textcommand.h"
#include "schedule/settingsfiles.h"
#include "ui/prompt.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>

using namespace journaltexts;
using journal::Kind;

namespace {

// Long chunks are cut in the journal; the byte count says how long they were.
constexpr qsizetype kShownBytes = 64;

QString hex(const QByteArray &bytes)
{
    QString text = protocol::hexText(bytes.left(kShownBytes)).trimmed();
    if (bytes.size() > kShownBytes)
        text += QStringLiteral(" …（共 %1 字节）").arg(bytes.size());
    return text;
}

// Line numbers in order, runs joined: "5、7-9".
QString lineList(const QList<int> &lines)
{
    QStringList parts;
    for (qsizetype i = 0; i < lines.size();) {
        qsizetype last = i;
        while (last + 1 < lines.size() && lines[last + 1] == lines[last] + 1)
            ++last;
        parts << (last == i ? QString::number(lines[i])
                            : QStringLiteral("%1-%2").arg(lines[i]).arg(lines[last]));
        i = last + 1;
    }
    return parts.join(QStringLiteral("、"));
}

QString patternName(int pattern)
{
    static const QString names[] = {QStringLiteral("巡航一"), QStringLiteral("巡航二"),
                                    QStringLiteral("巡航三")};
    return pattern >= 1 && pattern <= 3 ? names[pattern - 1] : QStringLiteral("无巡航");
}

QString speeds(const protocol::Command &c)
{
    return QStringLiteral("水平速度 %1，垂直速度 %2").arg(c.pan).arg(c.tilt);
}

// What a jog entry names: the direction of a held one, or the stick, whose direction follows it.
QString jogName(int index)
{
    return index < 8
               ? QStringLiteral("方向 ") + protocol::directionName(protocol::kScanOrder[index])
               : QStringLiteral("摇杆");
}

int directionIndex(protocol::Direction d)
{
    for (int i = 0; i < 8; ++i) {
        if (protocol::kScanOrder[std::size_t(i)] == d)
            return i;
    }
    return -1;
}

const QString &replyName(protocol::ReplyKind kind)
{
    switch (kind) {
    case protocol::ReplyKind::Frame:
        return kReplyFrame;
    case protocol::ReplyKind::TextWithTail:
        return kReplyText;
    case protocol::ReplyKind::TextWithoutTail:
        return kReplyTextNoTail;
    case protocol::ReplyKind::Other:
        return kReplyOther;
    case protocol::ReplyKind::Dropped:
        break;
    }
    return kReplyShort;
}

} // namespace

JournalRecorder::JournalRecorder(const QString &dataDir, journal::Journal::Clock clock,
                                 QWidget *window)
    : QObject(window), m_journal(dataDir, std::move(clock)), m_window(window)
{
    connect(&m_journal, &journal::Journal::cannotWrite, this,
            [this](const QString &message) { prompt::show(m_window, message); });
    connect(&m_journal, &journal::Journal::restarted, this,
            [this](QDate, const QString &message) { prompt::show(m_window, message); });
    m_watch = std::make_unique<prompt::Watch>(
        [this](const QString &text) { m_journal.record(Kind::Message, -1, kShown, {}, text); });

    m_journal.setDayBegins([this](QDate day) { dayBegins(day); });
    m_steady.start();
    m_summaryTimer = new QTimer(this);
    m_summaryTimer->setSingleShot(true);
    connect(m_summaryTimer, &QTimer::timeout, this, [this] { writeSummary(true); });
}

JournalRecorder::~JournalRecorder() = default;

void JournalRecorder::started(const QString &dataDir)
{
    m_journal.record(Kind::Program, -1, kStarted, {}, QStringLiteral("数据目录 %1").arg(dataDir));
}

void JournalRecorder::settingsSaved(const schedule::SaveResult &result, const QString &file)
{
    m_journal.record(Kind::Settings, -1, result.ok ? kSaved : kNotSaved, {},
                     result.ok ? file : result.message);
}

void JournalRecorder::exiting(const QString &why)
{
    for (int i = 0; i < int(m_jogs.size()); ++i)
        jogEnded(i);
    writeSummary(true);
    m_journal.record(Kind::Program, -1, kExited, why);
}

void JournalRecorder::sent(const protocol::Command &c, const QString &cause,
                           const QByteArray &bytes)
{
    using K = protocol::Command::Kind;
    if (c.isText()) {
        QString event = kGoToAngle;
        if (c.kind == K::TextLamp)
            event = c.on ? kLampOn : kLampOff;
        else if (c.kind == K::TextStop)
            event = kStopMotion;
        else if (c.kind == K::QueryPosition)
            event = kQueryPosition;
        // Text commands carry no device number.
        m_journal.record(Kind::Sent, -1, event, cause,
                         QStringLiteral("文本命令 ") + QString::fromLatin1(bytes));
        return;
    }
    const std::optional<protocol::Direction> moved = c.direction();
    if (moved) {
        // The stick's frames are one jog whatever way it leans.
        const int direction = std::max(0, directionIndex(*moved));
        const bool stick = cause == sendcause::kStick;
        const int i = stick ? kStickJog : direction;
        Jog &jog = m_jogs[std::size_t(i)];
        if (jog.running) {
            if (jog.frames == 0) {
                jog.first = bytes;
                jog.since = m_journal.now();
                jog.device = c.device;
                jog.cause = cause;
                m_journal.record(journal::stamped(
                    jog.since, Kind::Jog, jog.device, kJogStart, cause,
                    QStringLiteral("%1，%2 · %3").arg(jogName(i), speeds(c), hex(bytes))));
            } else if (bytes != jog.first && !stick) {
                // The speeds or the device changed while the button was held.
                jog.first = bytes;
                jog.device = c.device;
                m_journal.record(
                    Kind::Jog, c.device, kJogChange, cause,
                    QStringLiteral("%1，%2 · %3").arg(jogName(i), speeds(c), hex(bytes)));
            }
            ++jog.frames;
            return;
        }
        m_journal.record(Kind::Sent, c.device, kJogFrame, cause,
                         QStringLiteral("方向 %1，%2 · %3")
                             .arg(protocol::directionName(*moved), speeds(c), hex(bytes)));
        return;
    }
    QString event = kOtherFrame;
    QString what;
    bool known = true;
    switch (c.kind) {
    case K::Lamp:
        event = c.on ? kLampOn : kLampOff;
        m_lampOn[c.device] = c.on;
        break;
    case K::PresetSet:
        event = kPresetSet;
        what = QStringLiteral("预置位 %1").arg(c.number);
        break;
    case K::PresetRecall:
        event = kPresetRecall;
        what = QStringLiteral("预置位 %1").arg(c.number);
        break;
    case K::CruiseStart:
        event = kCruiseStart;
        what = patternName(c.number) + QStringLiteral("，") + speeds(c);
        m_cruising[c.device] = true;
        break;
    case K::CruiseStop:
        event = kCruiseStop;
        m_cruising[c.device] = false;
        break;
    default:
        // A motion frame that is none of the eight directions.
        known = false;
        break;
    }
    m_journal.record(Kind::Sent, known ? int(c.device) : -1, event, cause,
                     what.isEmpty() ? hex(bytes) : what + QStringLiteral(" · ") + hex(bytes));
}

void JournalRecorder::linkChanged(LinkEvent event, const QString &detail)
{
    static const QString *const names[] = {&kLinkOpened, &kLinkClosed, &kLinkLost, &kLinkFailed};
    m_journal.record(Kind::Link, -1, *names[int(event)], {}, detail);
}

void JournalRecorder::slotFired(int slot, bool lampOn, int pattern)
{
    m_journal.record(Kind::Timetable, -1, lampOn ? kSlotOn : kSlotOff,
                     sendcause::timetableSlot(slot, lampOn),
                     QStringLiteral("巡航：%1").arg(patternName(pattern)));
}

void JournalRecorder::cruiseDelayed(int slot, bool start, int pattern)
{
    // Pattern 0 sends nothing: the entry says so.
    m_journal.record(Kind::Timetable, -1, start ? kDelayedStart : kDelayedStop,
                     sendcause::timetableDelay(slot, start),
                     pattern == 0 ? QStringLiteral("无巡航，不发送") : patternName(pattern));
}

void JournalRecorder::linesUnread(const QString &path, const QList<int> &lines,
                                  const QString &effect)
{
    m_journal.record(Kind::Settings, -1, kLinesUnread, {},
                     QStringLiteral("%1：第 %2 行").arg(path, lineList(lines)) + effect);
}

void JournalRecorder::labelsSaved(const QString &searchlight, bool saved, const QString &why)
{
    const std::optional<quint8> device = protocol::parseByteText(searchlight);
    m_journal.record(Kind::Preset, device ? int(*device) : -1,
                     saved ? kLabelsSaved : kLabelsNotSaved, {},
                     saved ? QStringLiteral("探照灯 %1").arg(searchlight) : why);
}

void JournalRecorder::chunk(const QByteArray &bytes, const protocol::ReplyLog &reply)
{
    // A flood calls this thousands of times a second: no reading of the console's clock (a
    // time zone lookup) for the chunks that are only counted.
    followDayCap();
    writeSummary(false);
    if (!m_gate.admit(m_steady.elapsed(), int(reply.kind), bytes.size())) {
        if (!m_summaryTimer->isActive())
            m_summaryTimer->start(int(m_gate.windowMs()));
        return;
    }
    QString shown = reply.text.trimmed();
    m_journal.record(Kind::Received, -1, replyName(reply.kind), {},
                     shown.isEmpty() ? hex(bytes) : shown + QStringLiteral(" · ") + hex(bytes));
}

void JournalRecorder::writeSummary(bool now)
{
    const std::optional<journal::ReplyGate::Summary> s =
        m_gate.takeSummary(m_steady.elapsed(), now);
    if (!s)
        return;
    QStringList kinds;
    for (int k = 0; k < journal::ReplyGate::kKinds; ++k) {
        if (s->byKind[std::size_t(k)] > 0)
            kinds << QStringLiteral("%1 %2")
                         .arg(replyName(protocol::ReplyKind(k)))
                         .arg(s->byKind[std::size_t(k)]);
    }
    m_journal.record(Kind::Received, -1, kReplySummary, {},
                     QStringLiteral("此前 %1内另收到 %2 段、%3 字节，未逐条记录：%4")
                         .arg(s->windowMs == journal::ReplyGate::kMinuteWindowMs
                                  ? QStringLiteral("1 分钟")
                                  : QStringLiteral("1 秒"))
                         .arg(s->chunks)
                         .arg(s->bytes)
                         .arg(kinds.join(QStringLiteral("，"))));
}

void JournalRecorder::followDayCap()
{
    // Past the cap a babbling line cannot crowd the other days out of the journal: the commands,
    // the link, the timetable and the messages still go in one by one, the replies a minute at
    // a time. The next day's file starts with the usual gate.
    const bool full = m_journal.dayFull();
    if (full == m_gate.perMinute())
        return;
    writeSummary(true);
    m_summaryTimer->stop();
    m_gate.setPerMinute(full);
    if (full)
        m_journal.record(Kind::Program, -1, kRepliesPerMinute, {},
                         kRepliesPerMinuteDetail.arg(m_journal.dayBytes() / (1024 * 1024)));
}

void JournalRecorder::dayBegins(QDate day)
{
    const QDateTime midnight(day, QTime(0, 0));
    const QString since = QStringLiteral("自前一天起");
    for (int d = 0; d < 256; ++d) {
        if (m_lampOn[std::size_t(d)])
            m_journal.record(journal::stamped(midnight, Kind::Program, d, kCarriedLamp, {}, since));
        if (m_cruising[std::size_t(d)])
            m_journal.record(
                journal::stamped(midnight, Kind::Program, d, kCarriedCruise, {}, since));
    }
    for (int i = 0; i < int(m_jogs.size()); ++i) {
        const Jog &jog = m_jogs[std::size_t(i)];
        if (jog.running && jog.frames > 0)
            m_journal.record(journal::stamped(midnight, Kind::Program, jog.device, kCarriedJog,
                                              jog.cause, jogName(i)));
    }
}

void JournalRecorder::jogStarted(int index)
{
    if (index < 0 || index >= int(m_jogs.size()))
        return;
    m_jogs[std::size_t(index)] = Jog{};
    m_jogs[std::size_t(index)].running = true;
}

void JournalRecorder::jogEnded(int index)
{
    if (index < 0 || index >= int(m_jogs.size()))
        return;
    Jog &jog = m_jogs[std::size_t(index)];
    if (jog.running && jog.frames > 0) {
        const qint64 ms = jog.since.msecsTo(m_journal.now());
        m_journal.record(Kind::Jog, jog.device, kJogEnd, jog.cause,
                         QStringLiteral("%1，共 %2 帧，历时 %3 秒")
                             .arg(jogName(index))
                             .arg(jog.frames)
                             .arg(double(ms) / 1000.0, 0, 'f', 3));
    }
    jog = Jog{};
}
