#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace files {

// How a save went: saved, or the system's error number (errno) of the step that failed.
struct Saved
{
    bool ok = false;
    int error = 0;
};

// The operator's words for a save that failed with this error number (filetexts).
QString reasonText(int error);

// Writes a file of ours so that it is saved whole, every byte on the disk, or left as it was.
// The bytes go to a new file beside the old one, unbuffered, so a full disk is seen at the write
// that meets it; they are synced, and the new file then takes the old one's name (and its
// permissions) in one step. A folder that refuses the new file (no permission, immutable, out of
// entries) but holds a file that may itself be written gets it written in place: the bytes are
// kept until commit(), the room for all of them is taken first, and only then is the old file
// overwritten and cut to its new length, so a disk without that room leaves the old file whole
// (a kill or a failing disk in the middle of that writing can still mix old and new bytes: the
// price of saving at all there).
// A symbolic link is followed: the file it names is the one replaced.
//
// The first failure stays: later writes do nothing and commit() reports it. Destroyed without a
// commit, nothing is saved and the old file stays as it was.
class WholeFile
{
public:
    explicit WholeFile(const QString &path);
    ~WholeFile();
    WholeFile(const WholeFile &) = delete;
    WholeFile &operator=(const WholeFile &) = delete;

    bool write(QByteArrayView bytes);
    Saved commit();

private:
    enum class Mode { Beside, InPlace, Failed, Done };

    bool fail(int error);
    bool commitBeside();
    bool commitInPlace();
    void discard();

    Mode m_mode = Mode::Failed;
    int m_error = 0;
    int m_fd = -1;
    QByteArray m_target;
    QByteArray m_temporary;
    // What goes in place, kept until the room for all of it is known.
    QByteArray m_kept;
};

// The whole of bytes as the file at path, as WholeFile saves it.
Saved writeWhole(const QString &path, QByteArrayView bytes);

} // namespace files
