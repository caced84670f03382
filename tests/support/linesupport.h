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
