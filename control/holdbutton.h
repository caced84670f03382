#pragma once

#include <QPushButton>

// A direction button of the jog pad: held while any mouse button is down on it.
class HoldButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

signals:
    void held();
    void letGo();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
