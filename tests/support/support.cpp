#include "support.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/jogcontrol.h"
#include "control/stickcontrol.h"
#include "link/logtext.h"
#include "presets/presetcontroller.h"
#include "ui/prompt.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

PromptRecorder::PromptRecorder()
{
    prompt::setHook([this](const QString &text) {
        messages.append(text);
        if (onMessage)
            onMessage(text);
    });
}

PromptRecorder::~PromptRecorder()
{
    prompt::setHook({});
}

Console::Console(ConsoleOptions options) : m_options(std::move(options))
{
    pty.publish(dir.path(), m_options.m_port);
    for (const auto &[name, bytes] : m_options.m_files) {
        if (!writeFile(file(name), bytes))
            qWarning("cannot lay out %s", qPrintable(name));
    }
    if (m_options.m_start)
        start();
}

Console::Console(int port, bool start)
    : Console(start ? ConsoleOptions().com(port) : ConsoleOptions().com(port).laidOutFirst())
{
}

void Console::start()
{
    form = std::make_unique<MainForm>(dir.path());
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("window not active");
    if (!m_options.m_clock.isEmpty())
        setClock(m_options.m_clock);
    if (!m_options.m_searchlight.isEmpty())
        setSearchlight(m_options.m_searchlight);
    if (m_options.m_openSerial && !openSerial())
        qWarning("serial link on COM%d not open", m_options.m_port);
    if (m_options.m_openTcp && !openTcp(m_options.m_openTcp))
        qWarning("TCP link to %s not open", m_options.m_openTcp);
}

Console::~Console() = default;

QWidget *Console::window() const
{
    return form.get();
}

QString Console::log()
{
    return form->log().text();
}

QString Console::status()
{
    return get<QLineEdit>("TxtStatus")->text();
}

void Console::click(const char *name)
{
    QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton);
}

void Console::clickBox(const char *name)
{
    auto *box = get<QCheckBox>(name);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void Console::choose(const char *name, int index)
{
    auto *box = get<QComboBox>(name);
    box->setCurrentIndex(index - 1);
    QTest::keyClick(box, Qt::Key_Down);
}

bool Console::presetsSettled()
{
    return QTest::qWaitFor([this] { return form->presets().storeWorkPending() == 0; }, 5000);
}

bool Console::openSerial()
{
    get<QComboBox>("ComboComm")->setEditText(QStringLiteral("COM%1").arg(m_options.m_port));
    click("连接And断开连接");
    prompts.messages.clear();
    return form->link().linkOpen();
}

QString Console::file(const QString &name) const
{
    return dir.path() + QLatin1Char('/') + name;
}

void Console::setSearchlight(const QString &text)
{
    get<QComboBox>("探照灯")->setEditText(text);
}

void Console::key(bool press, Qt::Key key, Qt::KeyboardModifiers mods, bool repeat)
{
    // The text a key types, as the window system sends it along.
    const bool types = !(mods & Qt::ControlModifier) &&
                       ((key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_K);
    QTest::simulateEvent(form->windowHandle(), press, key, mods,
                         types ? QString(QChar(key)).toLower() : QString(), repeat);
}

bool Console::clickExit()
{
    QSignalSpy exits(form.get(), &MainForm::exitRequested);
    click("CmdExit");
    return exits.count() == 1;
}

bool Console::stickAttached()
{
    // Found by the once-a-second look; a loaded machine may take several.
    return QTest::qWaitFor([this] { return form->stick().attached(); }, 20000);
}

void Console::setClock(const QString &time, int day)
{
    now = QDateTime(QDate(2026, 12, 8).addDays(day), QTime::fromString(time, "HH:mm:ss"));
    form->setClock([this] { return now; });
}

void Console::setClock(std::function<QDateTime()> clock)
{
    form->setClock(std::move(clock));
}

void Console::tick()
{
    form->TmrDateTime_Timer();
}

bool Console::allAre(const QByteArray &frame, int n)
{
    FrameStream stream({}, true);
    stream.feed(pty.read(7 * n));
    return !stream.frames.isEmpty() && stream.frames.count(frame) == stream.frames.size();
}

bool Console::silentAfter(int settleMs)
{
    pty.drain(settleMs);
    return pty.drain(60).isEmpty();
}

bool Console::jogHeld()
{
    const auto &held = form->jog().JogHeld;
    return std::count(held.begin(), held.end(), true) > 0;
}

LinkController &Console::link()
{
    return form->link();
}

Links &Console::links()
{
    return form->links();
}

SendPath &Console::send()
{
    return form->send();
}

JogControl &Console::jog()
{
    return form->jog();
}

CruiseControl &Console::cruise()
{
    return form->cruise();
}

AngleControl &Console::angles()
{
    return form->angles();
}

ReceivePath &Console::receive()
{
    return form->receive();
}

TimetableController &Console::timetable()
{
    return form->timetable();
}

PresetController &Console::presets()
{
    return form->presets();
}

StickControl &Console::stick()
{
    return form->stick();
}

JournalRecorder &Console::journal()
{
    return form->journal();
}

JournalWindow *Console::journalWindow()
{
    return form->journalWindow();
}

LogText &Console::logText()
{
    return form->log();
}

bool TcpPeer::listen(const char *address)
{
    if (!server.listen(QHostAddress(QString::fromLatin1(address)), 4196))
        return false;
    QObject::connect(&server, &QTcpServer::newConnection,
                     [this] { socket = server.nextPendingConnection(); });
    return true;
}

bool Console::openTcp(const char *address)
{
    tcp = std::make_unique<TcpPeer>();
    if (!tcp->listen(address))
        return false;
    clickBox("网络");
    get<QLineEdit>("设备IP")->setText(QString::fromLatin1(address));
    click("连接And断开连接");
    if (!QTest::qWaitFor([this] { return form->link().linkOpen(); }, 3000))
        return false;
    if (!QTest::qWaitFor([this] { return tcp->socket != nullptr; }, 3000))
        return false;
    peer = tcp->socket;
    prompts.messages.clear();
    return true;
}

QString caption(QWidget *control)
{
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    if (auto *group = qobject_cast<QGroupBox *>(control))
        return group->title();
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return edit->text();
    return {};
}

QString accessibleName(QWidget *control)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<not accessible>");
}

void clickCheck(QAbstractButton *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void doubleClickRow(Console &console, int row)
{
    MainForm &form = *console.form;
    auto *list = child<QListWidget>(&form, "定时配置");
    list->scrollToItem(list->item(row));
    const QPoint at =
        list->viewport()->mapTo(&form, list->visualItemRect(list->item(row)).center());
    QTest::mouseDClick(form.windowHandle(), Qt::LeftButton, {}, at);
}

void dialTcp(Console &console, const QString &address)
{
    console.clickBox("网络");
    console.get<QLineEdit>("设备IP")->setText(address);
    console.click("连接And断开连接");
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
