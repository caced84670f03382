#include "linesupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair()
{
    closeMaster();
}

bool PtyPair::publish(const QString &programDir, int n)
{
    QDir dir(programDir);
    if (!dir.mkpath(QStringLiteral("ports")))
        return false;
    const QString link = dir.filePath(QStringLiteral("ports/COM%1").arg(n));
    QFile::remove(link);
    return QFile::link(m_slavePath, link);
}

QByteArray PtyPair::read(int minBytes, int timeoutMs)
{
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < minBytes && clock.elapsed() < timeoutMs) {
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            continue;
        }
        // Let the console's event loop run while we wait for its bytes.
        QTest::qWait(2);
    }
    return got;
}

QByteArray PtyPair::drain(int windowMs)
{
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < windowMs) {
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
        else
            QTest::qWait(2);
    }
    return got;
}

bool PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            // The pseudo-terminal is full until the console reads: let it run meanwhile.
            QTest::qWait(2);
        } else {
            return false;
        }
    }
    return true;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

ProgramDir::ProgramDir() = default;

void ProgramDir::hideMachinePorts()
{
    QDir dir(path());
    dir.mkpath(QStringLiteral("ports"));
    for (int n = 1; n <= 36; ++n) {
        QFile port(dir.filePath(QStringLiteral("ports/COM%1").arg(n)));
        if (!QFileInfo(port).isSymLink() && !port.exists() && port.open(QIODevice::WriteOnly))
            port.close();
    }
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

FrameStream::FrameStream(QByteArray expected, bool keepFrames)
    : m_expected(std::move(expected)), m_keep(keepFrames)
{
}

int FrameStream::feed(const char *data, qsizetype n)
{
    const long long read = reads++;
    m_pending.append(data, n);
    for (qsizetype i = 0; i < n; ++i)
        m_pendingRead.append(read);
    int completed = 0;
    qsizetype start = 0;
    const qsizetype size = m_pending.size();
    while (true) {
        while (start < size && quint8(m_pending.at(start)) != 0xFF) {
            ++strayBytes;
            ++start;
        }
        if (size - start < 7)
            break;
        unsigned sum = 0;
        for (qsizetype i = start + 1; i <= start + 5; ++i)
            sum += quint8(m_pending.at(i));
        if ((sum & 0xFF) != quint8(m_pending.at(start + 6))) {
            ++wrongChecksum;
            ++strayBytes;
            ++start;
            continue;
        }
        ++goodFrames;
        ++completed;
        const QByteArray frame = m_pending.mid(start, 7);
        if (!m_expected.isEmpty() && frame != m_expected)
            ++unexpectedFrames;
        if (m_keep)
            frames.append(frame);
        if (m_pendingRead[start] != read)
            ++splitFrames;
        start += 7;
    }
    m_pending.remove(0, start);
    m_pendingRead.remove(0, start);
    return completed;
}

FrameStream framesIn(const QByteArray &bytes)
{
    FrameStream stream({}, true);
    stream.feed(bytes);
    return stream;
}
