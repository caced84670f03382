#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// What tests need of a line to the head without any window: a real pseudo-terminal pair, a
// temporary program directory, hex texts, and the head's end reading frames.

// A real pseudo-terminal pair. The slave end is published as <program dir>/ports/COMn, where the
// console opens it like any serial port; the test reads and writes the master end.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    // The master end, non-blocking: the head's side of the line.
    int master() const { return m_master; }
    QString slavePath() const { return m_slavePath; }
    // Makes the slave reachable as COMn of the given program directory.
    bool publish(const QString &programDir, int n);
    // Everything the console has written so far, waiting up to timeoutMs for at least minBytes.
    QByteArray read(int minBytes = 1, int timeoutMs = 2000);
    // Whatever arrives within the window, without waiting for a count.
    QByteArray drain(int windowMs);
    bool write(const QByteArray &bytes);
    void closeMaster();

private:
    int m_master = -1;
    QString m_slavePath;
};

// A temporary program directory for one test, with the pictures and settings in it if asked.
class ProgramDir
{
public:
    ProgramDir();
    QString path() const { return m_dir.path(); }
    bool isValid() const { return m_dir.isValid(); }
    // Makes every COMn not yet published here a plain file, which opens as no port: the
    // console then finds no serial port, whatever this machine has.
    void hideMachinePorts();

private:
    QTemporaryDir m_dir;
};

// Bytes from a hex text with blanks ("FF 01 00").
QByteArray hex(const char *text);

// The frames the head reads from the console, written out byte by byte, so that a change in what
// the console sends shows up as a failing test rather than as a changed expectation. Searchlight
// 01 with both speeds at 63 (0x3F, what 巡航三 sets at start-up) unless the name says otherwise.
namespace wire {

inline const QByteArray kLampOn = hex("FF 01 02 00 00 00 03");
inline const QByteArray kLampOff = hex("FF 01 04 00 00 00 05");

// The eight jog directions.
inline const QByteArray kUp = hex("FF 01 00 08 00 3F 48");
inline const QByteArray kDown = hex("FF 01 00 10 00 3F 50");
inline const QByteArray kLeft = hex("FF 01 00 04 3F 00 44");
inline const QByteArray kRight = hex("FF 01 00 02 3F 00 42");
inline const QByteArray kUpLeft = hex("FF 01 00 0C 3F 3F 8B");
inline const QByteArray kUpRight = hex("FF 01 00 0A 3F 3F 89");
inline const QByteArray kDownLeft = hex("FF 01 00 14 3F 3F 93");
inline const QByteArray kDownRight = hex("FF 01 00 12 3F 3F 91");

// Cruise started by the operator, with the speeds choosing the pattern sets: 巡航一 63 and 5,
// 巡航二 5 and 63, 巡航三 63 and 63.
inline const QByteArray kCruiseOne = hex("FF 01 00 40 3F 05 85");
inline const QByteArray kCruiseTwo = hex("FF 01 00 20 05 3F 65");
inline const QByteArray kCruiseThree = hex("FF 01 00 80 3F 3F FF");
// Cruise started by the timetable, with its fixed speeds: 5 and 63, 63 and 5, 63 and 63.
inline const QByteArray kTimetableCruiseOne = hex("FF 01 00 40 05 3F 85");
inline const QByteArray kTimetableCruiseTwo = hex("FF 01 00 20 3F 05 65");
inline const QByteArray kTimetableCruiseThree = kCruiseThree;
inline const QByteArray kCruiseStop = hex("FF 01 01 00 00 00 02");

inline const QByteArray kSetPresetTwo = hex("FF 01 62 00 00 00 63");
inline const QByteArray kRecallPresetThree = hex("FF 01 33 00 00 00 34");
inline const QByteArray kRecallPresetNine = hex("FF 01 39 00 00 00 3A");

// What a head answers a pan position query with, at pan 0.
inline const QByteArray kPanReply = hex("FF 01 00 59 00 00 5A");

// A lamp, cruise or preset frame as one burst sends it: three times.
inline QByteArray threeOf(const QByteArray &frame)
{
    return frame.repeated(3);
}

// A frame as the log and the journal write it: "FF 01 02 00 00 00 03".
inline QString text(const QByteArray &frame)
{
    return QString::fromLatin1(frame.toHex(' ').toUpper());
}

} // namespace wire

// The head's end of the line, reading the console's control frames as a head would: a frame is
// seven bytes starting with 0xFF whose last byte is the low eight bits of the sum of bytes 1..5;
// after a wrong checksum the search for 0xFF resumes one byte later.
class FrameStream
{
public:
    // expected, when given, is the one frame the reader counts as right.
    explicit FrameStream(QByteArray expected = {}, bool keepFrames = false);

    // One read's worth of bytes; returns how many good frames it completed.
    int feed(const char *data, qsizetype n);
    int feed(const QByteArray &bytes) { return feed(bytes.constData(), bytes.size()); }

    QList<QByteArray> frames; // every good frame, when kept
    long long goodFrames = 0;
    // Good checksum but not the frame that was expected.
    long long unexpectedFrames = 0;
    long long wrongChecksum = 0;
    // Bytes that ended up in no frame with a good checksum.
    long long strayBytes = 0;
    // Frames whose bytes came out of more than one read.
    long long splitFrames = 0;
    long long reads = 0;
    // Bytes of a frame begun but not yet complete.
    qsizetype pending() const { return m_pending.size(); }

private:
    QByteArray m_expected;
    bool m_keep;
    QByteArray m_pending;
    QList<long long> m_pendingRead;
};

// Bytes the console wrote, read as the head reads them: every good frame in order, and counts of
// whatever was not one.
FrameStream framesIn(const QByteArray &bytes);
