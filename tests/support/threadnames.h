#pragma once

// Header only: also for the tests that link no support library.

#include <QByteArray>
#include <QDir>
#include <QFile>

// Threads of this process that the system shows under name, ending ones included: a thread is
// listed until it has wholly ended.
inline int threadsNamed(const QByteArray &name)
{
    int count = 0;
    const QStringList tasks =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            ++count;
    }
    return count;
}
