#pragma once

#include <QHash>
#include <QString>

// Where the operator's "COMn" lives on this machine.
namespace portpaths {

// "COMn" opens <program directory>/ports/COMn when that exists (a link to any tty); otherwise,
// on Linux, COM1-COM16 are /dev/ttyS0-15, COM17-COM26 /dev/ttyUSB0-9, COM27-COM36
// /dev/ttyACM0-9; elsewhere (and in a build with CORVANE_GENERIC_PATHS) COMn is the port the
// system lists under that name. Empty when n has no device.
QString devicePath(const QString &programDir, int n);

// The ports the system lists, by the name it gives them ("COM3") to where each lives; empty in
// a Linux build, whose numbers name fixed devices. Listing them is a device enumeration that
// can take milliseconds, so a search of every number lists them once and looks each up here.
using SystemPorts = QHash<QString, QString>;
SystemPorts listSystemPorts();
QString devicePath(const QString &programDir, int n, const SystemPorts &listed);

// The port number in a port text: the leading number after the first three characters
// ("COM3" gives 3, "COM12" gives 12); 0 when there is none.
int portNumberFromText(const QString &text);

} // namespace portpaths
