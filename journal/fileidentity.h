#pragma once

#include <QString>

namespace journal {

// Whether path still names the file open as fd, or it was removed or replaced meanwhile. On
// Unix the device and inode of the two are compared; other systems (and a build with
// CORVANE_GENERIC_PATHS) only ask whether a file is there at all, so a file replaced there goes
// unnoticed. When it cannot be told (a folder that may not be searched, say) the answer is yes.
bool namesOpenFile(const QString &path, int fd);

} // namespace journal
