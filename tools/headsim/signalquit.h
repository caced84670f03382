#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace headsim {

// Turns SIGINT and SIGTERM into a normal end of the event loop, so the published link is
// removed on the way out; a closed standard output (SIGPIPE) does not end the program.
class SignalQuit : public QObject
{
    Q_OBJECT
public:
    explicit SignalQuit(QObject *parent = nullptr);
    ~SignalQuit() override;

    bool install();

private:
    static void onSignal(int number);
    void onWoken();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace headsim
