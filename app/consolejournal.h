#pragma once

#include "journal/journal.h"
#include "journal/replygate.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <array>
#include <memory>

class CruiseControl;
class JogControl;
class LinkController;
class PresetController;
class QTimer;
class QWidget;
class ReceivePath;
class SendPath;
class TimetableController;

namespace prompt {
class Watch;
}
namespace protocol {
struct ReplyLog;
}
namespace schedule {
struct SaveResult;
}

// What the console's parts report, as journal entries: the commands sent with their cause (a
// held direction as one entry at its start and one at its end), the replies through the reply
// gate, the link, the timetable, the preset labels, the settings files, every message, start-up
// and exit. The journal's own trouble is told to the operator once.
class ConsoleJournal : public QObject
{
    Q_OBJECT
public:
    struct Sources
    {
        SendPath *send = nullptr;
        ReceivePath *receive = nullptr;
        JogControl *jog = nullptr;
        LinkController *link = nullptr;
        TimetableController *timetable = nullptr;
        PresetController *presets = nullptr;
    };

    ConsoleJournal(const QString &dataDir, journal::Journal::Clock clock, const Sources &sources,
                   QWidget *window);
    ~ConsoleJournal() override;

    journal::Journal &journal() { return m_journal; }

    void started(const QString &dataDir);
    void settingsSaved(const schedule::SaveResult &result, const QString &file);
    // why: what ended the console, empty for the exit button.
    void exiting(const QString &why = {});

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

    void frameSent(const QByteArray &bytes, const QString &cause);
    void textSent(const QByteArray &bytes, const QString &cause);
    void chunk(const QByteArray &bytes, const protocol::ReplyLog &reply);
    void writeSummary(bool now);
    // Switches the reply gate to a summary a minute while the day's file is past its cap.
    void followDayCap();
    void jogStarted(int index);
    void jogEnded(int index);
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
