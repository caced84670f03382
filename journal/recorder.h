#pragma once

#include "journal/journal.h"
#include "journal/replygate.h"
#include "link/links.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <array>
#include <memory>

class QTimer;
class QWidget;

namespace prompt {
class Watch;
}
namespace protocol {
struct Command;
struct ReplyLog;
} // namespace protocol
namespace schedule {
struct SaveResult;
}

// What the console's parts report, as journal entries: the commands sent with their cause (a
// held direction as one entry at its start and one at its end), the replies through the reply
// gate, the link, the timetable, the preset labels, the settings files, every message, start-up
// and exit. The journal's own trouble is told to the operator once. Whoever builds the console
// connects its parts' signals to the functions here.
class JournalRecorder : public QObject
{
    Q_OBJECT
public:
    // The index jogStarted and jogEnded give the stick, after the eight directions.
    static constexpr int kStickJog = 8;

    JournalRecorder(const QString &dataDir, journal::Journal::Clock clock, QWidget *window);
    ~JournalRecorder() override;

    journal::Journal &journal() { return m_journal; }

    void started(const QString &dataDir);
    void settingsSaved(const schedule::SaveResult &result, const QString &file);
    // why: what ended the console, empty for the exit button.
    void exiting(const QString &why = {});

    // A command went out: the send path's report.
    void sent(const protocol::Command &command, const QString &cause, const QByteArray &bytes);
    // A received chunk as the receive path sorted it.
    void chunk(const QByteArray &bytes, const protocol::ReplyLog &reply);
    // A held direction (in scan order) or the stick began or ended sending.
    void jogStarted(int index);
    void jogEnded(int index);
    void linkChanged(LinkEvent event, const QString &detail);
    // A timetable slot fired, and its cruise command one second later.
    void slotFired(int slot, bool lampOn, int pattern);
    void cruiseDelayed(int slot, bool start, int pattern);
    // Lines of a settings file that could not be read, and what became of their rows.
    void linesUnread(const QString &path, const QList<int> &lines, const QString &effect);
    void labelsSaved(const QString &searchlight, bool saved, const QString &why);

private:
    struct Jog
    {
        bool running = false;
        qint64 frames = 0;
        QByteArray first;
        QDateTime since;
        int device = -1;
        QString cause;
    };

    void writeSummary(bool now);
    // Switches the reply gate to a summary a minute while the day's file is past its cap.
    void followDayCap();
    // The first entries of a new day: what goes on from the day before.
    void dayBegins(QDate day);

    journal::Journal m_journal;
    QWidget *m_window;
    // The eight directions in scan order, then the stick.
    std::array<Jog, 9> m_jogs;
    // What the commands sent so far have left on, by device: the lamp and the cruise.
    std::array<bool, 256> m_lampOn{};
    std::array<bool, 256> m_cruising{};
    journal::ReplyGate m_gate;
    QElapsedTimer m_steady;
    QTimer *m_summaryTimer;
    std::unique_ptr<prompt::Watch> m_watch;
};
