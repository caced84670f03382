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
    // The top left corner of the screen, frame included, at the window's own size: the console
    // centres itself, so on a screen 1920 pixels wide the two stand side by side. A window
    // geometry given on the command line (-qwindowgeometry) still wins.
    void placeInCorner();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void scheduleRepaint();
    void drawCompass(QPainter &painter, const QRectF &area, const HeadState &head) const;
    void drawTiltGauge(QPainter &painter, const QRectF &area, const HeadState &head) const;
    void drawStatus(QPainter &painter, const QRectF &area, const HeadState &head) const;
    void drawRecentLines(QPainter &painter, const QRectF &area) const;

    const Simulator &m_simulator;
    QTimer m_repaint;
};

} // namespace headsim
