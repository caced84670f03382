#include "protocol/textcommand.h"

namespace protocol {

QString goToAngleCommand(const QString &pan, const QString &tilt, const QString &panSpeed,
                         const QString &tiltSpeed)
{
    // The angle boxes already padded the angles; the head takes the fields exactly as given.
    return QLatin1Char('R') + pan + tilt + panSpeed + tiltSpeed;
}

} // namespace protocol
