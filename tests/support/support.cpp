#include "support.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "presets/presetcontroller.h"
#include "link/logtext.h"
#include "ui/prompt.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

#include <QFile>

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

Console::Console(int port, bool startNow) : m_port(port)
{
    pty.publish(dir.path(), port);
    if (startNow)
        start();
}

void Console::start()
{
    form = std::make_unique<MainForm>(dir.path());
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("window not active");
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
    get<QComboBox>("ComboComm")->setEditText(QStringLiteral("COM%1").arg(m_port));
    click("连接And断开连接");
    prompts.messages.clear();
    return form->link().linkOpen();
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

void doubleClickRow(MainForm &form, int row)
{
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
