#include "protocol/textcommand.h"

namespace protocol {

QString goToAngleCommand(const QString &pan, const QString &tilt, const QString &panSpeed,
                         const QString &tiltSpeed)
{
    // The angle boxes already padded the angles; the head takes the fields exactly as given.
    return QLatin1Char('R') + pan + tilt + panSpeed + tiltSpeed;
}

std::optional<QByteArray> textCommandBytes(const QString &command)
{
    QByteArray bytes;
    bytes.reserve(command.size());
    for (const QChar c : command) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return std::nullopt;
        bytes += char(c.unicode());
    }
    return bytes;
}

} // namespace protocol
