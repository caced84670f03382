#include "ui/prompt.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMessageBox>

namespace prompt {
namespace {
Hook &hook()
{
    static Hook current;
    return current;
}
} // namespace

void show(QWidget *parent, const QString &text)
{
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
