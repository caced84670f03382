#include "control/holdbutton.h"

#include <QMouseEvent>

void HoldButton::mousePressEvent(QMouseEvent *event)
{
    QPushButton::mousePressEvent(event);
    event->accept();
    emit held();
}

void HoldButton::mouseReleaseEvent(QMouseEvent *event)
{
    QPushButton::mouseReleaseEvent(event);
    event->accept();
    emit letGo();
}
