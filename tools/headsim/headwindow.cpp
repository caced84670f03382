#include "tools/headsim/headwindow.h"

#include "tools/headsim/headsimtexts.h"
#include "tools/headsim/simulator.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <numbers>

namespace headsim {

namespace {

const QColor kLitBeam(255, 214, 0, 200);
const QColor kDarkBeam(70, 70, 70, 150);
const QColor kNeedle(200, 30, 30);
constexpr double kBeamHalfWidth = 9;

// A point at a distance from the centre, at an angle counted anticlockwise from 3 o'clock.
QPointF polar(const QPointF &centre, double radius, double degrees)
{
    const double rad = degrees * std::numbers::pi / 180;
    return centre + QPointF(radius * std::cos(rad), -radius * std::sin(rad));
}

// The beam as a wedge along the given angle, and the needle on top of it.
void drawBeam(QPainter &painter, const QPointF &centre, double radius, double degrees, bool lit)
{
    QPainterPath wedge(centre);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    wedge.arcTo(box, degrees - kBeamHalfWidth, 2 * kBeamHalfWidth);
    wedge.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(lit ? kLitBeam : kDarkBeam);
    painter.drawPath(wedge);
    painter.setPen(QPen(kNeedle, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, polar(centre, radius * 1.05, degrees));
    painter.setBrush(Qt::black);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(centre, 5, 5);
}

// Ticks every 10 degrees, labels every 30, over an arc of the dial.
void drawScale(QPainter &painter, const QPointF &centre, double radius, double fromDegrees,
               double spanDegrees, const std::function<int(double)> &label)
{
    painter.setPen(QPen(Qt::black, 1));
    for (int step = 0; step <= int(spanDegrees); step += 10) {
        if (step == 360)
            break;
        const double angle = fromDegrees + step;
        const bool major = step % 30 == 0;
        painter.drawLine(polar(centre, radius, angle),
                         polar(centre, radius - (major ? 10 : 5), angle));
        if (major) {
            const QPointF at = polar(centre, radius - 22, angle);
            painter.drawText(QRectF(at.x() - 20, at.y() - 8, 40, 16), Qt::AlignCenter,
                             QString::number(label(angle)));
        }
    }
}

} // namespace

HeadWindow::HeadWindow(const Simulator &simulator, QWidget *parent)
    : QWidget(parent), m_simulator(simulator)
{
    setWindowTitle(headsimtexts::kWindowTitle);
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kRepaintMs);
    connect(&m_repaint, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    connect(&simulator, &Simulator::changed, this, &HeadWindow::scheduleRepaint);
    connect(&simulator, &Simulator::lineLogged, this, &HeadWindow::scheduleRepaint);
}

QSize HeadWindow::sizeHint() const
{
    return {560, 460};
}

void HeadWindow::scheduleRepaint()
{
    if (!m_repaint.isActive())
        m_repaint.start();
}

void HeadWindow::paintEvent(QPaintEvent *)
{
    const HeadState &head = m_simulator.model().head(m_simulator.model().currentAddress());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().window());
    const double dialHeight = height() * 0.55;
    drawCompass(painter, QRectF(0, 0, width() / 2.0, dialHeight), head);
    drawTiltGauge(painter, QRectF(width() / 2.0, 0, width() / 2.0, dialHeight), head);
    drawStatus(painter, QRectF(12, dialHeight, width() - 24, height() - dialHeight), head);
}

void HeadWindow::drawCompass(QPainter &painter, const QRectF &area, const HeadState &head) const
{
    const double radius = std::min(area.width(), area.height() - 30) / 2 - 12;
    const QPointF centre(area.center().x(), area.top() + 12 + radius);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius, radius);
    // A bearing counts clockwise from north; the painter counts anticlockwise from east.
    drawScale(painter, centre, radius, 90, 360,
              [](double angle) { return (450 - int(std::lround(angle))) % 360; });
    drawBeam(painter, centre, radius * 0.85, 90 - head.position.pan, head.lamp);
    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(area.left(), centre.y() + radius + 4, area.width(), 20), Qt::AlignCenter,
        QStringLiteral("%1 %2°").arg(headsimtexts::kPan).arg(head.position.pan, 0, 'f', 1));
}

void HeadWindow::drawTiltGauge(QPainter &painter, const QRectF &area, const HeadState &head) const
{
    const double radius = std::min(area.width() - 40, (area.height() - 30) / 2 - 12);
    const QPointF centre(area.left() + 30, area.top() + 12 + radius);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    // Tilt 0 points straight down, 90 level, 180 straight up.
    painter.drawPie(box, -90 * 16, 180 * 16);
    drawScale(painter, centre, radius, -90, 180,
              [](double angle) { return int(std::lround(angle)) + 90; });
    drawBeam(painter, centre, radius * 0.85, head.position.tilt - 90, head.lamp);
    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(area.left(), centre.y() + radius + 4, area.width(), 20), Qt::AlignCenter,
        QStringLiteral("%1 %2°").arg(headsimtexts::kTilt).arg(head.position.tilt, 0, 'f', 1));
}

void HeadWindow::drawStatus(QPainter &painter, const QRectF &area, const HeadState &head) const
{
    const QString cruise = head.cruise >= 1 && head.cruise <= 3
                               ? headsimtexts::kCruiseNames.at(head.cruise - 1)
                               : headsimtexts::kCruise + u' ' + headsimtexts::kCruiseNone;
    const QString address =
        QStringLiteral("%1").arg(m_simulator.model().currentAddress(), 2, 10, QLatin1Char('0'));
    const QStringList parts = {
        headsimtexts::kAddress + u' ' + address,
        headsimtexts::kLamp + u' ' + (head.lamp ? headsimtexts::kLampOn : headsimtexts::kLampOff),
        cruise,
        headsimtexts::kGood + u' ' + QString::number(m_simulator.goodCount()),
        headsimtexts::kBad + u' ' + QString::number(m_simulator.badCount()),
    };
    const QString status = parts.join(QStringLiteral("    "));
    painter.setPen(Qt::black);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(QRectF(area.left(), area.top() + 8, area.width(), 22), Qt::AlignLeft, status);

    painter.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int lineHeight = painter.fontMetrics().height();
    double y = area.top() + 38;
    for (const QString &line : m_simulator.recentLines()) {
        painter.drawText(QRectF(area.left(), y, area.width(), lineHeight), Qt::AlignLeft, line);
        y += lineHeight;
    }
}

} // namespace headsim
