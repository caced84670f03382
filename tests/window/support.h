#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

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

// Answers every operator message at once and keeps its text.
class PromptRecorder
{
public:
    PromptRecorder();
    ~PromptRecorder();
    QStringList messages;
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

// The real console window in a program directory of its own, with a pseudo-terminal published
// as serial port COM<port> and every operator message recorded. The window is shown and active.
class Console
{
public:
    explicit Console(int port);
    ~Console();

    ProgramDir dir;
    PtyPair pty;
    PromptRecorder prompts;
    std::unique_ptr<QTcpServer> server;
    QTcpSocket *peer = nullptr;
    std::unique_ptr<MainForm> form;

    template <typename T> T *get(const char *name) { return child<T>(window(), name); }
    QString log();
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
