#include "link/portpaths.h"

#include "protocol/decimaltext.h"

#include <QFileInfo>
#include <QSerialPortInfo>

// Linux's COM numbers name fixed devices; a build with CORVANE_GENERIC_PATHS asks the system for
// its list, as other systems do.
#if defined(Q_OS_LINUX) && !defined(CORVANE_GENERIC_PATHS)
#define CORVANE_FIXED_PORT_NAMES 1
#endif

namespace portpaths {

namespace {

// ports/COMn, resolved; empty when there is none.
QString publishedPath(const QString &programDir, int n)
{
    const QFileInfo published(programDir + QStringLiteral("/ports/COM%1").arg(n));
    if (!published.exists())
        return {};
    // Resolve the link so that the lock file matches the one other programs take for the
    // same tty.
    const QString target = published.canonicalFilePath();
    return target.isEmpty() ? published.filePath() : target;
}

} // namespace

SystemPorts listSystemPorts()
{
    SystemPorts listed;
#ifndef CORVANE_FIXED_PORT_NAMES
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        listed.insert(port.portName(), port.systemLocation());
#endif
    return listed;
}

QString devicePath(const QString &programDir, int n, const SystemPorts &listed)
{
    if (n < 1)
        return {};
    if (QString published = publishedPath(programDir, n); !published.isEmpty())
        return published;
#ifdef CORVANE_FIXED_PORT_NAMES
    Q_UNUSED(listed);
    if (n <= 16)
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (n <= 26)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 17);
    if (n <= 36)
        return QStringLiteral("/dev/ttyACM%1").arg(n - 27);
    return {};
#else
    // Elsewhere the system names its own ports: COMn is the port it lists under that name.
    return listed.value(QStringLiteral("COM%1").arg(n));
#endif
}

QString devicePath(const QString &programDir, int n)
{
    if (n < 1)
        return {};
#ifdef CORVANE_FIXED_PORT_NAMES
    return devicePath(programDir, n, {});
#else
    if (QString published = publishedPath(programDir, n); !published.isEmpty())
        return published;
    return devicePath(programDir, n, listSystemPorts());
#endif
}

int portNumberFromText(const QString &text)
{
    constexpr int kHighest = 9999;
    const decimaltext::Digits run = decimaltext::read(
        QStringView(text).mid(qMin<qsizetype>(3, text.size())), 0, decimaltext::Blanks::Before);
    if (run.value == decimaltext::Digits::kTooLarge || run.value > kHighest)
        return 0;
    return int(run.value);
}

} // namespace portpaths
