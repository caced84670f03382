#include "ui/holdbutton.h"

#include <QMouseEvent>

HoldButton::HoldButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    // Space and an accessibility press come as the button's own press and release. While the
    // mouse holds it, the button's release on sliding off is not the operator letting go.
    connect(this, &QAbstractButton::pressed, this, &HoldButton::hold);
    connect(this, &QAbstractButton::released, this, [this] {
        if (!m_mouseHeld)
            release();
    });
}

void HoldButton::mousePressEvent(QMouseEvent *event)
{
    m_mouseHeld = true;
    m_dropped = false;
    QPushButton::mousePressEvent(event);
    event->accept();
    hold();
}

void HoldButton::mouseReleaseEvent(QMouseEvent *event)
{
    QPushButton::mouseReleaseEvent(event);
    event->accept();
    m_mouseHeld = false;
    m_dropped = false;
    release();
}

void HoldButton::mouseMoveEvent(QMouseEvent *event)
{
    // Sliding back over a dropped button would push it down and hold it again.
    if (m_dropped) {
        event->accept();
        return;
    }
    QPushButton::mouseMoveEvent(event);
}

void HoldButton::drop()
{
    m_dropped = m_mouseHeld;
    setDown(false);
    release();
}

bool HoldButton::event(QEvent *event)
{
    // A release that can never arrive (the window lost the mouse to another window or a
    // message box, the keyboard focus went elsewhere, or the button was disabled or hidden under
    // the finger) lets go as well: otherwise the head would keep moving with nobody holding it.
    switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        m_mouseHeld = false;
        release();
        break;
    case QEvent::FocusOut:
        if (!m_mouseHeld)
            release();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            m_mouseHeld = false;
            release();
        }
        break;
    default:
        break;
    }
    return QPushButton::event(event);
}

void HoldButton::hold()
{
    if (m_held)
        return;
    m_held = true;
    emit held();
}

void HoldButton::release()
{
    if (!m_held)
        return;
    m_held = false;
    emit letGo();
}
