#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

class MainForm;
class QTcpServer;
class QTcpSocket;
class QWidget;

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

private:
    QTemporaryDir m_dir;
};

// Answers every operator message at once and keeps its text. onMessage, when set, runs while
// the message is up, as the operator's wait before pressing OK.
class PromptRecorder
{
public:
    PromptRecorder();
    ~PromptRecorder();
    QStringList messages;
    std::function<void(const QString &)> onMessage;
};

// Controls of the main window by their object names.
template <typename T> T *child(QWidget *window, const char *name)
{
    T *w = window->findChild<T *>(QString::fromUtf8(name));
    if (!w)
        qWarning("no control named %s", name);
    return w;
}

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

// The real console window in a program directory of its own, with a pseudo-terminal published
// as serial port COM<port> and every operator message recorded. The window is shown and active,
// unless start is false: then the test lays out the program directory first and calls start().
class Console
{
public:
    explicit Console(int port, bool start = true);
    void start();
    ~Console();

    ProgramDir dir;
    PtyPair pty;
    PromptRecorder prompts;
    std::unique_ptr<QTcpServer> server;
    QTcpSocket *peer = nullptr;
    std::unique_ptr<MainForm> form;

    template <typename T> T *get(const char *name) { return child<T>(window(), name); }
    QString log();
    QString status();
    void click(const char *name);
    void clickBox(const char *name);
    // Steps a list box one entry down to the given index, as the arrow key does.
    void choose(const char *name, int index);
    // Opens the serial link on the pseudo-terminal and forgets the connect message.
    bool openSerial();
    // Opens the TCP link to a peer listening on address:4196 and forgets the connect message.
    bool openTcp(const char *address);

private:
    QWidget *window() const;
    int m_port;
};
