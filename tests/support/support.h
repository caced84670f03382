#pragma once

#include "linesupport.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <utility>

class AngleControl;
class JournalRecorder;
class CruiseControl;
class JogControl;
class JournalWindow;
class LinkController;
class Links;
class LogText;
class MainForm;
class PresetController;
class ReceivePath;
class SendPath;
class StickControl;
class TimetableController;
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

// The eight direction buttons, clockwise from up-left.
inline constexpr const char *kDirectionButtons[] = {"左上", "上", "右上", "右",
                                                    "右下", "下", "左下", "左"};

// A head controller listening on port 4196 of a loopback address, answered on the window thread.
struct TcpPeer
{
    QTcpServer server;
    // The console's connection, once it has come.
    QTcpSocket *socket = nullptr;
    bool listen(const char *address);
};

// How a test wants its console: where its pseudo-terminal is published, what lies in its program
// directory at start-up, and what is done once the window is up. Written as one expression:
// ConsoleOptions().com(11).searchlight("01").serialOpen().
class ConsoleOptions
{
public:
    // The pseudo-terminal is published as serial port COM<n>, COM7 unless told; COM0 is no port
    // the console lists.
    ConsoleOptions &com(int n)
    {
        m_port = n;
        return *this;
    }
    // A file written into the program directory before start-up.
    ConsoleOptions &file(const QString &name, const QByteArray &bytes)
    {
        m_files.append({name, bytes});
        return *this;
    }
    // Not started: the test lays out the program directory further and calls start() itself.
    ConsoleOptions &laidOutFirst()
    {
        m_start = false;
        return *this;
    }
    // Chosen in the searchlight box once the window is up.
    ConsoleOptions &searchlight(const QString &text)
    {
        m_searchlight = text;
        return *this;
    }
    // The console's clock stands still at this time ("hh:mm:ss") of 8 December 2026.
    ConsoleOptions &clockAt(const QString &time)
    {
        m_clock = time;
        return *this;
    }
    // The serial link opened on the pseudo-terminal once the window is up.
    ConsoleOptions &serialOpen()
    {
        m_openSerial = true;
        return *this;
    }
    // The TCP link opened to a head listening on this loopback address, port 4196.
    ConsoleOptions &tcpOpen(const char *address)
    {
        m_openTcp = address;
        return *this;
    }

private:
    friend class Console;
    int m_port = 7;
    QList<std::pair<QString, QByteArray>> m_files;
    bool m_start = true;
    QString m_searchlight;
    QString m_clock;
    bool m_openSerial = false;
    const char *m_openTcp = nullptr;
};

// The real console window in a program directory of its own, with a pseudo-terminal published
// as a serial port and every operator message recorded. The window is shown and active once
// started. Tests reach the console's parts through this class only, so that how they are
// reached can change in one place.
class Console
{
public:
    explicit Console(ConsoleOptions options = {});
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
    // What the console's clock reads, when it stands still.
    QDateTime now;

    template <typename T> T *get(const char *name) { return child<T>(window(), name); }
    QString log();
    QString status();
    // A file's path in the program directory.
    QString file(const QString &name) const;
    void click(const char *name);
    void clickBox(const char *name);
    // Steps a list box one entry down to the given index, as the arrow key does.
    void choose(const char *name, int index);
    void setSearchlight(const QString &text);
    // A key pressed or let go in the window, as the window system delivers it.
    void key(bool press, Qt::Key key, Qt::KeyboardModifiers mods = {}, bool repeat = false);
    // Clicks the exit button; true when the console asked to end, once.
    bool clickExit();
    // Opens the serial link on the pseudo-terminal and forgets the connect message.
    bool openSerial();
    // Opens the TCP link to a peer listening on address:4196 and forgets the connect message.
    bool openTcp(const char *address);
    // Waits until the preset store has answered every load and save asked of it.
    bool presetsSettled();
    // Waits until a joystick or gamepad drives the console.
    bool stickAttached();
    // Stops the console's clock at a time of 8 December 2026, or of a day after it.
    void setClock(const QString &time, int day = 0);
    // The console's clock reads this from now on.
    void setClock(std::function<QDateTime()> clock);
    // One tick of the clock timer, now.
    void tick();

    // The next n frames at the far end of the pseudo-terminal, waiting for them; true when there
    // are some and they are all this one.
    bool allAre(const QByteArray &frame, int n = 3);
    // Lets whatever is on its way arrive, then says whether anything more comes.
    bool silentAfter(int settleMs = 40);
    // Whether any direction is held.
    bool jogHeld();

    // The console's parts.
    LinkController &link();
    Links &links();
    SendPath &send();
    JogControl &jog();
    CruiseControl &cruise();
    AngleControl &angles();
    ReceivePath &receive();
    TimetableController &timetable();
    PresetController &presets();
    StickControl &stick();
    JournalRecorder &journal();
    // The journal window, once opened.
    JournalWindow *journalWindow();
    // The send and receive log, as a model.
    LogText &logText();

private:
    QWidget *window() const;
    ConsoleOptions m_options;
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
void doubleClickRow(Console &console, int row);
// Ticks the network box, types the address and clicks connect; the connection comes later.
void dialTcp(Console &console, const QString &address);

// A file's bytes, or "<missing>" when it cannot be read.
QByteArray fileBytes(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);
