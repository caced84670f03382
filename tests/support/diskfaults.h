#pragma once

// Header only, for tests with or without a support library. Both need root, as CI runs the suite,
// and undo themselves however the test ends.

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

// A 64 KiB tmpfs mounted on an empty folder: a full disk as the console meets one.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &folder) : m_folder(folder.toLocal8Bit())
    {
        m_ok = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (m_ok)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    bool ok() const { return m_ok; }
    // Fills the disk with a file of its own, then frees freeBytes (whole pages) of it again.
    bool fill(qint64 freeBytes)
    {
        const int fd = ::open((m_folder + "/.filler").constData(), O_WRONLY | O_CREAT, 0600);
        qint64 size = 0;
        for (ssize_t n; (n = ::write(fd, QByteArray(4096, 'f').constData(), 4096)) > 0;)
            size += n;
        const bool full = errno == ENOSPC && ::ftruncate(fd, size - freeBytes) == 0;
        return ::close(fd) == 0 && full;
    }

private:
    QByteArray m_folder;
    bool m_ok = false;
};

// A folder made immutable (chattr +i): nothing is made, renamed or removed in it, while its files
// may still be written.
class ImmutableFolder
{
public:
    explicit ImmutableFolder(const QString &folder)
        : m_fd(::open(folder.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
          m_ok(set(FS_IMMUTABLE_FL))
    {
    }
    ~ImmutableFolder()
    {
        if (m_ok)
            set(0);
        ::close(m_fd);
    }
    bool ok() const { return m_ok; }

private:
    bool set(int immutable)
    {
        int flags = 0;
        if (::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) != 0)
            return false;
        flags = (flags & ~FS_IMMUTABLE_FL) | immutable;
        return ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
    }

    int m_fd;
    bool m_ok;
};
