#include "tools/headsim/headwindow.h"

#include "tools/headsim/headsimtexts.h"
#include "tools/headsim/simulator.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTextOption>

#include <cmath>
#include <functional>
#include <numbers>
#include <optional>

namespace headsim {

namespace {

const QColor kLitBeam(255, 214, 0, 200);
const QColor kDarkBeam(70, 70, 70, 150);
const QColor kNeedle(200, 30, 30);
constexpr double kBeamHalfWidth = 9;
// The scale's labels sit in a ring this far inside the rim; the beam and the needle stop short of
// it, and a pointer outside the rim marks the exact angle, so no label is ever covered.
constexpr double kLabelInset = 22;
constexpr double kInsideLabels = 36;
constexpr double kMargin = 12;

// A point at a distance from the centre, at an angle counted anticlockwise from 3 o'clock.
QPointF polar(const QPointF &centre, double radius, double degrees)
{
    const double rad = degrees * std::numbers::pi / 180;
    return centre + QPointF(radius * std::cos(rad), -radius * std::sin(rad));
}

// The beam as a wedge along the given angle with the needle on it, both inside the ring of
// labels, and a pointer just outside the rim.
void drawBeam(QPainter &painter, const QPointF &centre, double radius, double degrees, bool lit)
{
    const double reach = radius - kInsideLabels;
    QPainterPath wedge(centre);
    const QRectF box(centre.x() - reach, centre.y() - reach, 2 * reach, 2 * reach);
    wedge.arcTo(box, degrees - kBeamHalfWidth, 2 * kBeamHalfWidth);
    wedge.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(lit ? kLitBeam : kDarkBeam);
    painter.drawPath(wedge);
    painter.setPen(QPen(kNeedle, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, polar(centre, reach, degrees));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kNeedle);
    const QPointF tip = polar(centre, radius + 1, degrees);
    const QPointF side = polar(centre, radius + 9, degrees + 3.5);
    const QPointF other = polar(centre, radius + 9, degrees - 3.5);
    painter.drawPolygon(QPolygonF({tip, side, other}));
    painter.setBrush(Qt::black);
    painter.drawEllipse(centre, 5, 5);
}

// Ticks every 10 degrees over an arc of the dial, longer every 30.
void drawTicks(QPainter &painter, const QPointF &centre, double radius, double fromDegrees,
               double spanDegrees)
{
    painter.setPen(QPen(Qt::black, 1));
    for (int step = 0; step <= int(spanDegrees) && step < 360; step += 10) {
        const double angle = fromDegrees + step;
        painter.drawLine(polar(centre, radius, angle),
                         polar(centre, radius - (step % 30 == 0 ? 10 : 5), angle));
    }
}

// A label every 30 degrees, in the ring inside the ticks. keepRightOf, when given, moves a label
// that would stick out past that x back inside (the straight edge of the tilt gauge).
void drawLabels(QPainter &painter, const QPointF &centre, double radius, double fromDegrees,
                double spanDegrees, const std::function<int(double)> &label,
                std::optional<double> keepRightOf = std::nullopt)
{
    painter.setPen(Qt::black);
    for (int step = 0; step <= int(spanDegrees) && step < 360; step += 30) {
        const double angle = fromDegrees + step;
        const QString text = QString::number(label(angle));
        const QPointF at = polar(centre, radius - kLabelInset, angle);
        const double halfWidth = painter.fontMetrics().horizontalAdvance(text) / 2.0 + 1;
        double x = at.x() - halfWidth;
        if (keepRightOf && x < *keepRightOf + 2)
            x = *keepRightOf + 2;
        painter.drawText(QRectF(x, at.y() - 8, 2 * halfWidth, 16), Qt::AlignCenter, text);
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
    return {420, 480};
}

void HeadWindow::placeInCorner()
{
    resize(sizeHint());
    if (const QScreen *place = screen())
        move(place->availableGeometry().topLeft());
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
    drawStatus(painter,
               QRectF(kMargin, dialHeight, width() - 2 * kMargin, height() - dialHeight - kMargin),
               head);
}

void HeadWindow::drawCompass(QPainter &painter, const QRectF &area, const HeadState &head) const
{
    const double radius = std::min(area.width(), area.height() - 30) / 2 - kMargin;
    const QPointF centre(area.center().x(), area.top() + kMargin + radius);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius, radius);
    drawTicks(painter, centre, radius, 90, 360);
    // A bearing counts clockwise from north; the painter counts anticlockwise from east.
    drawBeam(painter, centre, radius, 90 - head.position.pan, head.lamp);
    drawLabels(painter, centre, radius, 90, 360,
               [](double angle) { return (450 - int(std::lround(angle))) % 360; });
    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(area.left(), centre.y() + radius + 10, area.width(), 20), Qt::AlignCenter,
        QStringLiteral("%1 %2°").arg(headsimtexts::kPan).arg(head.position.pan, 0, 'f', 1));
}

void HeadWindow::drawTiltGauge(QPainter &painter, const QRectF &area, const HeadState &head) const
{
    const double radius = std::min(area.width() - 40, (area.height() - 30) / 2 - kMargin);
    const QPointF centre(area.left() + 30, area.top() + kMargin + radius);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    // Tilt 0 points straight down, 90 level, 180 straight up.
    painter.drawPie(box, -90 * 16, 180 * 16);
    drawTicks(painter, centre, radius, -90, 180);
    drawBeam(painter, centre, radius, head.position.tilt - 90, head.lamp);
    drawLabels(
        painter, centre, radius, -90, 180,
        [](double angle) { return int(std::lround(angle)) + 90; }, centre.x());
    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(area.left(), centre.y() + radius + 10, area.width(), 20), Qt::AlignCenter,
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
    const int statusFlags = Qt::AlignLeft | Qt::TextWordWrap;
    const QRectF statusBox = painter.boundingRect(
        QRectF(area.left(), area.top() + 8, area.width(), area.height()), statusFlags, status);
    painter.drawText(statusBox, statusFlags, status);
    drawRecentLines(painter, QRectF(area.left(), statusBox.bottom() + 8, area.width(),
                                    area.bottom() - statusBox.bottom() - 8));
}

// Each line wrapped at the window's edge rather than cut there: at a blank where there is one,
// anywhere in a long path. When they do not all fit, the oldest go first.
void HeadWindow::drawRecentLines(QPainter &painter, const QRectF &area) const
{
    painter.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QTextOption wrapping(Qt::AlignLeft);
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QStringList &lines = m_simulator.recentLines();
    const auto box = [&](double top, const QString &line) {
        return painter.boundingRect(QRectF(area.left(), top, area.width(), area.height()), line,
                                    wrapping);
    };
    qsizetype first = lines.size();
    for (double used = 0; first > 0; --first) {
        used += box(0, lines.at(first - 1)).height();
        if (used > area.height())
            break;
    }
    double y = area.top();
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QRectF at = box(y, lines.at(i));
        painter.drawText(at, lines.at(i), wrapping);
        y = at.bottom();
    }
}

} // namespace headsim
