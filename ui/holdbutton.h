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

signals:
    void held();
    void letGo();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void hold();
    void release();

    bool m_held = false;
    bool m_mouseHeld = false;
};
