#include "link/portpaths.h"

#include "protocol/decimaltext.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace portpaths {

QString devicePath(const QString &programDir, int n)
{
    if (n < 1)
        return {};
    const QFileInfo published(programDir + QStringLiteral("/ports/COM%1").arg(n));
    if (published.exists()) {
        // Resolve the link so that the lock file matches the one other programs take
        // for the same tty.
        const QString target = published.canonicalFilePath();
        return target.isEmpty() ? published.filePath() : target;
    }
#if defined(Q_OS_LINUX) && !defined(CORVANE_GENERIC_PATHS)
    if (n <= 16)
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (n <= 26)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 17);
    if (n <= 36)
        return QStringLiteral("/dev/ttyACM%1").arg(n - 27);
    return {};
#else
    // Elsewhere the system names its own ports: COMn is the port it lists under that name.
    const QString name = QStringLiteral("COM%1").arg(n);
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts()) {
        if (port.portName() == name)
            return port.systemLocation();
    }
    return {};
#endif
}

int portNumberFromText(const QString &text)
{
    constexpr int kHighest = 9999;
    const decimaltext::Digits run =
        decimaltext::read(QStringView(text).mid(qMin<qsizetype>(3, text.size())), 0,
                          decimaltext::Blanks::Before);
    if (run.value == decimaltext::Digits::kTooLarge || run.value > kHighest)
        return 0;
    return int(run.value);
}

} // namespace portpaths
