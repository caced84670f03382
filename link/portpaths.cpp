#include "link/portpaths.h"

#include "protocol/decimaltext.h"

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
    constexpr int kHighest = 9999;
    const decimaltext::Digits run =
        decimaltext::read(QStringView(text).mid(qMin<qsizetype>(3, text.size())), 0,
                          decimaltext::Blanks::Before);
    if (run.value == decimaltext::Digits::kTooLarge || run.value > kHighest)
        return 0;
    return int(run.value);
}

} // namespace portpaths
