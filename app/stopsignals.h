#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

// The system's requests that the console end: SIGTERM (a shutdown, a logout, systemctl stop,
// kill), SIGINT (Ctrl-C in its terminal) and SIGHUP (its terminal gone). A signal handler may do
// next to nothing, so it only leaves a note, and the note becomes stopRequested on the thread
// that made the StopSignals, through the event loop. On Unix the note is the signal's number
// written into a socket pair that the event loop watches; elsewhere (and in a build with
// CORVANE_GENERIC_PATHS) standard C's signal() sets a flag that a timer looks at ten times a
// second.
//
// The first request of each kind is caught; a second one of the same kind ends the program at
// once, as the system would have ended it: the way out of a console that hangs. A signal that
// was ignored when the program started (nohup) stays ignored.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    // Catches the signals from now on. Called first thing in main, so that a request that comes
    // while the window is still being built waits for the event loop instead of ending the
    // program; the constructor calls it too.
    static void catchFromNow();

    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

signals:
    // name is the signal's, such as "SIGTERM".
    void stopRequested(const QString &name);

private:
    void takeNotes();

    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_timer = nullptr;
};
