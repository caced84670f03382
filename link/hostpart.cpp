#include "link/hostpart.h"

#include "protocol/decimaltext.h"

#include <QStringList>

#include <array>

namespace {

// A part of a dotted address: a whole number 0-255 of ASCII digits, blanks around it allowed.
int partValue(const QString &piece)
{
    return decimaltext::whole(piece.trimmed(), 255).value_or(0);
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
