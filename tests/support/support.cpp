#include "support.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "link/logtext.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
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

bool Console::openSerial()
{
    get<QComboBox>("ComboComm")->setEditText(QStringLiteral("COM%1").arg(m_port));
    click("连接And断开连接");
    prompts.messages.clear();
    return form->link().linkOpen();
}

bool Console::openTcp(const char *address)
{
    server = std::make_unique<QTcpServer>();
    if (!server->listen(QHostAddress(QString::fromLatin1(address)), 4196))
        return false;
    clickBox("网络");
    get<QLineEdit>("设备IP")->setText(QString::fromLatin1(address));
    click("连接And断开连接");
    if (!QTest::qWaitFor([this] { return form->link().linkOpen(); }, 3000))
        return false;
    if (!QTest::qWaitFor([this] { return server->hasPendingConnections(); }, 3000))
        return false;
    peer = server->nextPendingConnection();
    prompts.messages.clear();
    return true;
}
