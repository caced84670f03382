#include "link/portpaths.h"

#include <QFileInfo>

namespace portpaths {

QString devicePath(const QString &programDir, int n)
{
    if (n < 1)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(programDir);
    return QStringLiteral("COM%1").arg(n);
#else
    const QFileInfo published(programDir + QStringLiteral("/ports/COM%1").arg(n));
    if (published.exists()) {
        // Resolve the link so that the lock file matches the one other programs take
        // for the same tty.
        const QString target = published.canonicalFilePath();
        return target.isEmpty() ? published.filePath() : target;
    }
    if (n <= 16)
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (n <= 26)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 17);
    if (n <= 36)
        return QStringLiteral("/dev/ttyACM%1").arg(n - 27);
    return {};
#endif
}

int portNumberFromText(const QString &text)
{
    const QString rest = text.mid(3);
    int value = 0;
    int digits = 0;
    for (const QChar c : rest) {
        if (c == u' ' || c == u'\t') {
            if (digits == 0)
                continue;
            break;
        }
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 9999)
            return 0;
        ++digits;
    }
    return value;
}

} // namespace portpaths
