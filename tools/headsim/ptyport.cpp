#include "tools/headsim/ptyport.h"

#include "tools/headsim/simulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace headsim {

PtyPort::PtyPort(Simulator &simulator, QObject *parent)
    : QObject(parent), m_simulator(simulator), m_channel(simulator)
{
    connect(&m_channel, &Channel::reply, this, &PtyPort::write);
}

PtyPort::~PtyPort()
{
    close();
}

#ifdef Q_OS_UNIX

bool PtyPort::open(const QString &linkPath)
{
    close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(QStringLiteral("posix_openpt"));
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail(QStringLiteral("ptsname"));
    m_slavePath = QString::fromLocal8Bit(name);

    // Holding the slave open means the master never sees a hang-up when the console closes its
    // end, so the same pty serves every later open. No lock and no exclusive mode: the console
    // must be able to open it.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(QStringLiteral("open ") + m_slavePath);
    // Raw from the start, so nothing sent before the console sets its own mode is echoed back
    // or translated.
    termios mode{};
    if (::tcgetattr(m_slave, &mode) != 0)
        return fail(QStringLiteral("tcgetattr"));
    ::cfmakeraw(&mode);
    if (::tcsetattr(m_slave, TCSANOW, &mode) != 0)
        return fail(QStringLiteral("tcsetattr"));

    if (!publish(linkPath))
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyPort::onReadable);
    m_simulator.noteLink(QStringLiteral("pty %1 published as %2")
                             .arg(m_slavePath, QFileInfo(linkPath).absoluteFilePath()));
    return true;
}

bool PtyPort::fail(const QString &what)
{
    m_error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    close();
    return false;
}

bool PtyPort::publish(const QString &linkPath)
{
    const QFileInfo link(linkPath);
    if (!QDir().mkpath(link.absolutePath())) {
        m_error = QStringLiteral("cannot create ") + link.absolutePath();
        close();
        return false;
    }
    if (link.isSymLink()) {
        QFile::remove(linkPath);
    } else if (link.exists()) {
        m_error = linkPath + QStringLiteral(" exists and is not a link");
        close();
        return false;
    }
    if (::symlink(m_slavePath.toLocal8Bit().constData(), linkPath.toLocal8Bit().constData()) != 0)
        return fail(QStringLiteral("symlink"));
    m_linkPath = linkPath;
    return true;
}

void PtyPort::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_channel.receive(QByteArray(buffer, qsizetype(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // Cannot happen while the slave is held; stop watching rather than spin on it.
            m_simulator.noteLink(
                QStringLiteral("pty %1 read failed: %2")
                    .arg(m_slavePath, QString::fromLocal8Bit(std::strerror(errno))));
            m_notifier->setEnabled(false);
        }
        return;
    }
}

// Never blocks: when nobody reads the slave and its buffer is full, the rest is dropped, as a
// line with nobody listening would drop it.
void PtyPort::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return;
    }
}

void PtyPort::close()
{
    m_notifier.reset();
    // Only our own link is removed; a newer simulator may have replaced it.
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    m_linkPath.clear();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

#else

// Elsewhere there are no pseudo-terminals: the simulated head answers on TCP only.
bool PtyPort::open(const QString &)
{
    m_error = QStringLiteral("pseudo-terminals are not available on this system; use --tcp");
    return false;
}

bool PtyPort::fail(const QString &what)
{
    m_error = what;
    return false;
}

bool PtyPort::publish(const QString &)
{
    return false;
}

void PtyPort::onReadable() {}

void PtyPort::write(const QByteArray &) {}

void PtyPort::close() {}

#endif

} // namespace headsim
