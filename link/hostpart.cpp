#include "link/hostpart.h"

#include <QStringList>

#include <array>

QString replaceHostPart(const QString &address, int n)
{
    std::array<int, 4> parts = {0, 0, 0, 0};
    const QStringList pieces = address.split(u'.');
    for (int i = 0; i < pieces.size() && i < 4; ++i) {
        bool ok = false;
        const int value = pieces[i].trimmed().toInt(&ok, 10);
        parts[i] = (ok && value >= 0 && value <= 255) ? value : 0;
    }
    parts[3] = n;
    return QStringLiteral("%1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
}
