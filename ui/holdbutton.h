#pragma once

#include <QPushButton>

// A direction button of the jog pad: held while any mouse button is down on it.
class HoldButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    bool isHeld() const { return m_held; }

signals:
    void held();
    void letGo();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void release();

    bool m_held = false;
};
