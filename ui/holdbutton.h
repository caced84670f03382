#pragma once

#include <QPushButton>

// A direction button of the jog pad: held from a press of any mouse button on it until that
// button comes up (wherever the pointer is by then), while Space is held on it, or for the
// moment of an accessibility press. held() and letGo() come once per change.
class HoldButton : public QPushButton
{
    Q_OBJECT
public:
    explicit HoldButton(const QString &text, QWidget *parent = nullptr);

    bool isHeld() const { return m_held; }
    // Lets go from outside (the jog was stopped): the button comes up, and a mouse button that
    // still holds it does nothing more, sliding over it included, until it is pressed again.
    void drop();

signals:
    void held();
    void letGo();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void hold();
    void release();

    bool m_held = false;
    bool m_mouseHeld = false;
    // Dropped while the mouse held it: the rest of that press is nobody's.
    bool m_dropped = false;
};
