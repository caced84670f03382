#pragma once

#include "tools/headsim/channel.h"

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace headsim {

class Simulator;

// The serial port the console opens: a pseudo-terminal whose slave is published as a link
// (for example ports/COM1 beside the console), usable however often the console opens and
// closes it.
class PtyPort : public QObject
{
    Q_OBJECT
public:
    explicit PtyPort(Simulator &simulator, QObject *parent = nullptr);
    ~PtyPort() override;

    // Creates the pty and publishes its slave at linkPath, replacing an older link there;
    // false, with errorString(), when it cannot.
    bool open(const QString &linkPath);
    QString errorString() const { return m_error; }
    QString slavePath() const { return m_slavePath; }

private:
    bool fail(const QString &what);
    bool publish(const QString &linkPath);
    void onReadable();
    void write(const QByteArray &bytes);
    void close();

    Simulator &m_simulator;
    Channel m_channel;
    int m_master = -1;
    int m_slave = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QString m_slavePath;
    QString m_linkPath;
    QString m_error;
};

} // namespace headsim
