#include "files/wholefile.h"

#include "files/filetexts.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <utility>

namespace files {

namespace {

// All of size bytes, at the file's position or, from 0 on, at that offset.
bool writeAll(int fd, const char *data, qint64 size, qint64 offset = -1)
{
    qint64 done = 0;
    while (done < size) {
        const auto count = std::size_t(size - done);
        const ssize_t n = offset < 0 ? ::write(fd, data + done, count)
                                     : ::pwrite(fd, data + done, count, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

QByteArray followLinks(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return QFile::encodeName(path);
    // Every link of a chain resolved while the file is there; a link to nothing yet makes it.
    const QString target = info.canonicalFilePath();
    return QFile::encodeName(target.isEmpty() ? info.symLinkTarget() : target);
}

// A new file beside target, readable and writable as the process's file mask allows; -1 with
// errno set when the folder does not let us make one.
int makeBeside(const QByteArray &target, QByteArray *name)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    const QByteArray base = target.mid(slash + 1);
    for (int attempt = 0; attempt < 32; ++attempt) {
        *name = folder + '.' + base + '.' +
                QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Also on disk should the machine lose power: the folder's entry for the renamed file. A file
// system that cannot sync a folder has nothing more to do.
void syncFolderOf(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target.left(qMax<qsizetype>(slash, 1));
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// fsync, where the file system can sync at all.
bool synced(int fd)
{
    return ::fsync(fd) == 0 || errno == EINVAL;
}

// Whether the file system of fd has bytes more free, for one that cannot reserve them.
bool roomFor(int fd, qint64 bytes)
{
    struct statvfs fs = {};
    if (bytes <= 0 || ::fstatvfs(fd, &fs) != 0)
        return true;
    return qint64(fs.f_bavail) * qint64(fs.f_frsize) >= bytes;
}

} // namespace

QString reasonText(int error)
{
    using namespace filetexts;
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return kReasonDiskFull;
    case EACCES:
    case EPERM:
        return kReasonNoPermission;
    case EROFS:
        return kReasonReadOnlyDisk;
    case ENOENT:
    case ENOTDIR:
        return kReasonNoFolder;
    case EISDIR:
        return kReasonIsFolder;
    default:
        return kReasonWriteFailed;
    }
}

WholeFile::WholeFile(const QString &path) : m_target(followLinks(path))
{
    const char *target = m_target.constData();
    m_fd = makeBeside(m_target, &m_temporary);
    if (m_fd >= 0) {
        struct stat old = {};
        if (::stat(target, &old) == 0 && S_ISREG(old.st_mode))
            ::fchmod(m_fd, old.st_mode & 07777);
        m_mode = Mode::Beside;
        return;
    }
    const int refused = errno;
    m_temporary.clear();
    // In place: only a regular file that is there and may be written; not blocking on a pipe.
    m_fd = ::open(target, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        fail(errno == ENOENT ? refused : errno);
        return;
    }
    struct stat st = {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        fail(refused);
        return;
    }
    m_mode = Mode::InPlace;
}

WholeFile::~WholeFile()
{
    discard();
}

bool WholeFile::fail(int error)
{
    if (m_mode != Mode::Failed || m_error == 0)
        m_error = error != 0 ? error : EIO;
    m_mode = Mode::Failed;
    discard();
    return false;
}

void WholeFile::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty())
        ::unlink(std::exchange(m_temporary, {}).constData());
    m_kept.clear();
}

bool WholeFile::write(QByteArrayView bytes)
{
    switch (m_mode) {
    case Mode::Beside:
        // Unbuffered: a full disk is met here, not later at a flush nobody checks.
        return writeAll(m_fd, bytes.data(), bytes.size()) || fail(errno);
    case Mode::InPlace:
        m_kept.append(bytes.data(), bytes.size());
        return true;
    case Mode::Failed:
    case Mode::Done:
        break;
    }
    return false;
}

Saved WholeFile::commit()
{
    bool ok = m_mode == Mode::Done;
    if (m_mode == Mode::Beside)
        ok = commitBeside();
    else if (m_mode == Mode::InPlace)
        ok = commitInPlace();
    if (ok)
        m_mode = Mode::Done;
    return {ok, ok ? 0 : m_error};
}

bool WholeFile::commitBeside()
{
    if (!synced(m_fd))
        return fail(errno);
    // A network file system may tell a failed write only now.
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        return fail(errno);
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        return fail(errno);
    m_temporary.clear();
    syncFolderOf(m_target);
    return true;
}

bool WholeFile::commitInPlace()
{
    struct stat st = {};
    if (::fstat(m_fd, &st) != 0)
        return fail(errno);
    const qint64 oldSize = st.st_size;
    const qint64 newSize = m_kept.size();
    // The room first: until every new byte is sure to fit, the old file is not touched.
    if (newSize > 0) {
        const int refused = ::posix_fallocate(m_fd, 0, off_t(newSize));
        if (refused == EOPNOTSUPP || refused == EINVAL) {
            if (!roomFor(m_fd, newSize - oldSize))
                return fail(ENOSPC);
        } else if (refused != 0) {
            // A reservation cut short may have made the file longer, never changed its bytes.
            if (::fstat(m_fd, &st) == 0 && st.st_size != oldSize)
                ::ftruncate(m_fd, off_t(oldSize));
            return fail(refused);
        }
    }
    if (!writeAll(m_fd, m_kept.constData(), newSize, 0) || ::ftruncate(m_fd, off_t(newSize)) != 0 ||
        !synced(m_fd))
        return fail(errno);
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        return fail(errno);
    m_kept.clear();
    return true;
}

Saved writeWhole(const QString &path, QByteArrayView bytes)
{
    WholeFile file(path);
    file.write(bytes);
    return file.commit();
}

} // namespace files
