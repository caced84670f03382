#include "ui/prompt.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMessageBox>
#include <QScopeGuard>

#include <vector>

namespace prompt {
namespace {
Hook &hook()
{
    static Hook current;
    return current;
}
std::vector<Watch *> &watches()
{
    static std::vector<Watch *> all;
    return all;
}
int up = 0;
} // namespace

Watch::Watch(std::function<void(const QString &)> heard) : m_heard(std::move(heard))
{
    watches().push_back(this);
}

Watch::~Watch()
{
    std::erase(watches(), this);
}

bool isUp()
{
    return up > 0;
}

void show(QWidget *parent, const QString &text)
{
    ++up;
    const auto down = qScopeGuard([] { --up; });
    // A copy: a watcher may come or go while the message is up.
    const std::vector<Watch *> listeners = watches();
    for (Watch *watch : listeners)
        watch->m_heard(text);
    if (hook()) {
        hook()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, parent);
    if (QAbstractButton *ok = box.button(QMessageBox::Ok))
        ok->setIcon(QIcon());
    box.exec();
}

void setHook(Hook h)
{
    hook() = std::move(h);
}

} // namespace prompt
