#pragma once

#include <QTimer>
#include <QWidget>

namespace headsim {

class Simulator;
struct HeadState;

// A picture of the head being driven: pan on a compass dial, tilt on a gauge, the beam lit or
// dark, the address, the cruise, the counts and the last commands.
class HeadWindow : public QWidget
{
    Q_OBJECT
public:
    // At most about 30 repaints a second, however fast commands come.
    static constexpr int kRepaintMs = 33;

    explicit HeadWindow(const Simulator &simulator, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void scheduleRepaint();
    void drawCompass(QPainter &painter, const QRectF &area, const HeadState &head) const;
    void drawTiltGauge(QPainter &painter, const QRectF &area, const HeadState &head) const;
    void drawStatus(QPainter &painter, const QRectF &area, const HeadState &head) const;

    const Simulator &m_simulator;
    QTimer m_repaint;
};

} // namespace headsim
