#include "benchsupport.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

namespace {

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

double msBetween(TimePoint from, TimePoint to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double processCpuSeconds()
{
    return cpuSeconds(RUSAGE_SELF);
}

double threadCpuSeconds()
{
    return cpuSeconds(RUSAGE_THREAD);
}

void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool runEventLoopUntil(const std::function<bool()> &done, int timeoutMs)
{
    const TimePoint deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && Clock::now() < deadline)
        runEventLoop(5);
    return done();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * double(values.size()));
    const std::size_t index =
        std::clamp<std::size_t>(std::size_t(std::max(rank, 1.0)) - 1, 0, values.size() - 1);
    return values[index];
}

std::vector<TimePoint> within(const std::vector<TimePoint> &times, TimePoint from, TimePoint to)
{
    std::vector<TimePoint> kept;
    std::copy_if(times.begin(), times.end(), std::back_inserter(kept),
                 [&](TimePoint t) { return t >= from && t <= to; });
    return kept;
}

QString loadAverage()
{
    return QString::fromStdString(loadAverageLine());
}

QString metText(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("NOT MET");
}

QByteArray upFrameAt01()
{
    return QByteArray::fromHex("ff010008003f48");
}

int listenOnLoopback(const char *address, std::uint16_t port, QString *error)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QStringLiteral("socket: ") + errnoText();
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (::inet_pton(AF_INET, address, &where.sin_addr) != 1) {
        *error = QStringLiteral("bad address ") + QString::fromLatin1(address);
        ::close(fd);
        return -1;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&where), sizeof where) != 0 ||
        ::listen(fd, 4) != 0) {
        *error =
            QStringLiteral("bind/listen on %1:%2: ").arg(QString::fromLatin1(address)).arg(port) +
            errnoText();
        ::close(fd);
        return -1;
    }
    return fd;
}

std::vector<double> gapsMs(const std::vector<TimePoint> &times)
{
    std::vector<double> gaps;
    for (std::size_t i = 1; i < times.size(); ++i)
        gaps.push_back(msBetween(times[i - 1], times[i]));
    return gaps;
}

Console::Console()
{
    prompt::setHook([this](const QString &text) { messages.append(text); });
}

Console::~Console()
{
    m_form.reset();
    prompt::setHook({});
}

bool Console::start(QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary program directory");
        return false;
    }
    m_form = std::make_unique<MainForm>(m_dir.path());
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowExposed(m_form.get())) {
        *error = QStringLiteral("the window was never exposed");
        return false;
    }
    return true;
}

bool Console::startWithPort(PseudoTerminal &pty, int n, QString *error)
{
    if (!pty.isValid()) {
        *error = QStringLiteral("no pseudo-terminal");
        return false;
    }
    if (!pty.publish(programDir(), n)) {
        *error = QStringLiteral("cannot publish the pseudo-terminal as COM%1").arg(n);
        return false;
    }
    return start(error);
}

QPushButton *Console::button(const char *name)
{
    return m_form->findChild<QPushButton *>(QString::fromUtf8(name));
}

bool Console::openSerial(int n, QString *error)
{
    auto *port = m_form->findChild<QComboBox *>(QStringLiteral("ComboComm"));
    auto *address = m_form->findChild<QComboBox *>(QStringLiteral("探照灯"));
    QPushButton *connectButton = button("连接And断开连接");
    if (!port || !address || !connectButton) {
        *error = QStringLiteral("a link control is missing from the window");
        return false;
    }
    address->setEditText(QStringLiteral("01"));
    port->setEditText(QStringLiteral("COM%1").arg(n));
    QTest::mouseClick(connectButton, Qt::LeftButton);
    if (!m_form->link().linkOpen()) {
        *error = QStringLiteral("the serial link did not open: ") + messages.join(u'|');
        return false;
    }
    messages.clear();
    return true;
}

bool Console::openTcp(const QString &host, QString *error)
{
    auto *network = m_form->findChild<QCheckBox *>(QStringLiteral("网络"));
    auto *ip = m_form->findChild<QLineEdit *>(QStringLiteral("设备IP"));
    auto *address = m_form->findChild<QComboBox *>(QStringLiteral("探照灯"));
    QPushButton *connectButton = button("连接And断开连接");
    if (!network || !ip || !address || !connectButton) {
        *error = QStringLiteral("a link control is missing from the window");
        return false;
    }
    QTest::mouseClick(network, Qt::LeftButton, {}, QPoint(8, 8));
    if (!network->isChecked()) {
        *error = QStringLiteral("the network box did not tick");
        return false;
    }
    address->setEditText(QStringLiteral("01"));
    ip->setText(host);
    QTest::mouseClick(connectButton, Qt::LeftButton);
    if (!runEventLoopUntil([this] { return m_form->link().linkOpen(); }, 5000)) {
        *error = QStringLiteral("the TCP link did not open: ") + messages.join(u'|');
        return false;
    }
    return true;
}

} // namespace bench
