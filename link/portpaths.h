#pragma once

#include <QString>

// Where the operator's "COMn" lives on this machine.
namespace portpaths {

// "COMn" opens <program directory>/ports/COMn when that exists (a link to any tty); otherwise,
// on Linux, COM1-COM16 are /dev/ttyS0-15, COM17-COM26 /dev/ttyUSB0-9, COM27-COM36
// /dev/ttyACM0-9; elsewhere (and in a build with CORVANE_GENERIC_PATHS) COMn is the port the
// system lists under that name. Empty when n has no device.
QString devicePath(const QString &programDir, int n);

// The port number in a port text: the leading number after the first three characters
// ("COM3" gives 3, "COM12" gives 12); 0 when there is none.
int portNumberFromText(const QString &text);

} // namespace portpaths
