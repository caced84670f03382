// The simulated head's window as the operator sees it: every text it paints stays whole inside
// the window and is never painted over, wherever the head points; and started beside the
// console, as the README's recipe does, neither window covers the other.
#include "support.h"

#include "app/mainform.h"
#include "tools/headsim/headwindow.h"
#include "tools/headsim/simulator.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest>

using namespace headsim;

class TestHeadsimWindow : public QObject
{
    Q_OBJECT

private slots:
    void textsStayWholeAndUncovered_data();
    void textsStayWholeAndUncovered();
    void besideTheConsole();
};

namespace {

class SteppedClock final : public Clock
{
public:
    qint64 nowMs() const override { return m_now; }
    void step(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 0;
};

// One thing painted: a shape, with the box it may cover, or a piece of text with its box.
struct Painted
{
    QRectF box;
    bool isText = false;
    QString text;
};

// A paint engine that only notes what is painted where, in painting order.
class RecordingEngine final : public QPaintEngine
{
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    QList<Painted> painted;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &) override {}

    void drawPath(const QPainterPath &path) override { shape(path.controlPointRect()); }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode) override
    {
        shape(QPolygonF(QList<QPointF>(points, points + count)).boundingRect());
    }
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override { shape(r); }
    void drawTextItem(const QPointF &at, const QTextItem &item) override
    {
        const QRectF box(at.x(), at.y() - item.ascent(), item.width(),
                         item.ascent() + item.descent());
        painted.append({transform().mapRect(box), true, item.text()});
    }

private:
    QTransform transform() const { return painter()->combinedTransform(); }
    // A stroke reaches half the pen's width beyond the outline.
    void shape(const QRectF &outline)
    {
        const QPen pen = painter()->pen();
        const double half = pen.style() == Qt::NoPen ? 0 : std::max(pen.widthF(), 1.0) / 2;
        painted.append(
            {transform().mapRect(outline).adjusted(-half, -half, half, half), false, {}});
    }
};

class RecordingDevice final : public QPaintDevice
{
public:
    explicit RecordingDevice(QSize size) : m_size(size) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    QList<Painted> painted() const { return m_engine.painted; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / 960;
        case PdmHeightMM:
            return m_size.height() * 254 / 960;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDepth:
            return 32;
        }
        return 0;
    }

private:
    QSize m_size;
    mutable RecordingEngine m_engine;
};

QList<Painted> paint(HeadWindow &window)
{
    RecordingDevice device(window.size());
    QPainter painter(&device);
    window.render(&painter);
    painter.end();
    return device.painted();
}

QString withoutBlanks(QString text)
{
    text.remove(QLatin1Char(' '));
    return text;
}

} // namespace

void TestHeadsimWindow::textsStayWholeAndUncovered_data()
{
    QTest::addColumn<int>("pan");
    QTest::addColumn<int>("tilt");
    // The beam on each label of both dials in turn, the "90"s first.
    QTest::newRow("pan 90 tilt 90") << 90 << 90;
    for (int angle = 0; angle < 360; angle += 30) {
        if (angle != 90)
            QTest::addRow("pan %d tilt %d", angle, angle / 2) << angle << angle / 2;
    }
    QTest::newRow("pan 359 tilt 180") << 359 << 180;
}

void TestHeadsimWindow::textsStayWholeAndUncovered()
{
    QFETCH(int, pan);
    QFETCH(int, tilt);
    SteppedClock clock;
    Simulator simulator(clock);
    // A published path as long as an operator's, so its line has to wrap.
    const QString longLine = QStringLiteral(
        "pty /dev/pts/12 published as /home/operator-with-a-long-name/.local/share/corvane/"
        "ports/COM1");
    simulator.noteLink(longLine);
    simulator.handle({Piece::Kind::Text, "Roooooooooo"});
    simulator.handle({Piece::Kind::Text, QStringLiteral("R%1%2")
                                             .arg(pan, 3, 10, QLatin1Char('0'))
                                             .arg(tilt, 3, 10, QLatin1Char('0'))
                                             .toLatin1()});
    clock.step(600000);
    const Position &at = simulator.model().head(0).position;
    QTRY_VERIFY2(qAbs(at.pan - pan) < 0.01 && qAbs(at.tilt - tilt) < 0.01,
                 qPrintable(QStringLiteral("head at %1 %2").arg(at.pan).arg(at.tilt)));

    HeadWindow window(simulator);
    window.resize(window.sizeHint());
    const QList<Painted> painted = paint(window);
    const QRectF inside = QRectF(QPointF(0, 0), window.size()).adjusted(-0.5, -0.5, 0.5, 0.5);

    QString allText;
    int labels = 0;
    for (qsizetype i = 0; i < painted.size(); ++i) {
        const Painted &text = painted.at(i);
        if (!text.isText)
            continue;
        allText += text.text;
        static const QRegularExpression number(QStringLiteral("^[0-9]+$"));
        labels += number.match(text.text).hasMatch() ? 1 : 0;
        QVERIFY2(inside.contains(text.box),
                 qPrintable(QStringLiteral("\"%1\" reaches out of the window").arg(text.text)));
        // Shrunk a little: a shape that only touches a glyph's box hides nothing.
        const QRectF glyphs = text.box.adjusted(1, 1, -1, -1);
        for (qsizetype j = i + 1; j < painted.size(); ++j) {
            QVERIFY2(painted.at(j).isText || !painted.at(j).box.intersects(glyphs),
                     qPrintable(QStringLiteral("\"%1\" is painted over").arg(text.text)));
        }
    }
    // Twelve bearings on the compass and seven tilts on the gauge, each shown.
    QCOMPARE(labels, 19);
    QVERIFY2(withoutBlanks(allText).contains(withoutBlanks(longLine)),
             "the link line is not shown whole");
}

void TestHeadsimWindow::besideTheConsole()
{
    SteppedClock clock;
    Simulator simulator(clock);
    HeadWindow head(simulator);
    head.placeInCorner();
    head.show();
    ProgramDir dir;
    PromptRecorder prompts;
    MainForm console(dir.path());
    console.show();
    QVERIFY(QTest::qWaitForWindowExposed(&head));
    QVERIFY(QTest::qWaitForWindowExposed(&console));
    const QRect area = console.screen()->availableGeometry();
    QVERIFY2(area.topLeft() != QPoint(0, 0), "the test screen should not start at the origin");
    QVERIFY2(head.frameGeometry() != head.geometry(), "the test platform should frame windows");
    const auto apart = [&] {
        return area.contains(head.frameGeometry()) && area.contains(console.frameGeometry()) &&
               !head.frameGeometry().intersects(console.frameGeometry());
    };
    const auto where = [](const QWidget &w) {
        const QRect r = w.frameGeometry();
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    QTRY_VERIFY2(
        apart(),
        qPrintable(QStringLiteral("head %1, console %2").arg(where(head), where(console))));
}

QTEST_MAIN(TestHeadsimWindow)
#include "tst_headsim_window.moc"
