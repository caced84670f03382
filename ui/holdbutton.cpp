#include "ui/holdbutton.h"

#include <QMouseEvent>

void HoldButton::mousePressEvent(QMouseEvent *event)
{
    QPushButton::mousePressEvent(event);
    event->accept();
    m_held = true;
    emit held();
}

void HoldButton::mouseReleaseEvent(QMouseEvent *event)
{
    QPushButton::mouseReleaseEvent(event);
    event->accept();
    release();
}

bool HoldButton::event(QEvent *event)
{
    // A release that can never arrive (the window lost the mouse to another window or a
    // message box, or the button was disabled or hidden under the finger) lets go as well:
    // otherwise the head would keep moving with nobody holding the button.
    switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::EnabledChange:
    case QEvent::Hide:
        if (m_held && (event->type() != QEvent::EnabledChange || !isEnabled()))
            release();
        break;
    default:
        break;
    }
    return QPushButton::event(event);
}

void HoldButton::release()
{
    m_held = false;
    emit letGo();
}
