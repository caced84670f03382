#include "link/hostpart.h"

#include <QStringList>

#include <array>

namespace {

// A part of a dotted address read by hand: only ASCII digits make a number. QString::toInt
// would also take a sign and stop at an embedded NUL, so "9\0x" would pass as 9.
int partValue(const QString &piece)
{
    const QString part = piece.trimmed();
    if (part.isEmpty())
        return 0;
    int value = 0;
    for (const QChar c : part) {
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 255)
            return 0;
    }
    return value;
}

} // namespace

QString replaceHostPart(const QString &address, int n)
{
    std::array<int, 4> parts = {0, 0, 0, 0};
    const QStringList pieces = address.split(u'.');
    for (int i = 0; i < pieces.size() && i < 4; ++i)
        parts[i] = partValue(pieces[i]);
    parts[3] = n;
    return QStringLiteral("%1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
}
