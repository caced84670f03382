#pragma once

#include "linesupport.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

class MainForm;
class QAbstractButton;
class QLineEdit;
class QTcpSocket;
class QWidget;

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

// A head controller listening on port 4196 of a loopback address, answered on the window thread.
struct TcpPeer
{
    QTcpServer server;
    // The console's connection, once it has come.
    QTcpSocket *socket = nullptr;
    bool listen(const char *address);
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
    std::unique_ptr<TcpPeer> tcp;
    // The connection openTcp made, at the head's end.
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
    // Waits until the preset store has answered every load and save asked of it.
    bool presetsSettled();

private:
    QWidget *window() const;
    int m_port;
};

// What a control shows: a button's or label's text, a group box's title, a line edit's text.
QString caption(QWidget *control);
// The name screen readers and desktop automation find a control by.
QString accessibleName(QWidget *control);
// Clicks a check box on its box, where the operator clicks it.
void clickCheck(QAbstractButton *box);
// Replaces a line edit's text key by key, as the operator types it.
void retype(QLineEdit *edit, const QString &text);
// A real double-click on a row of the timetable, as the window system delivers it.
void doubleClickRow(MainForm &form, int row);
// Ticks the network box, types the address and clicks connect; the connection comes later.
void dialTcp(Console &console, const QString &address);

// A file's bytes, or "<missing>" when it cannot be read.
QByteArray fileBytes(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);
