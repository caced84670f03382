#include "schedule/markdelegate.h"

#include "schedule/scheduletexts.h"
#include "schedule/slotmarks.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kGap = 3;
constexpr int kPadding = 3;

QFont markFont(const QFont &rowFont)
{
    QFont font = rowFont;
    font.setPointSizeF(rowFont.pointSizeF() * 0.8);
    return font;
}

// One mark: "开" or "关" and the state word on a coloured ground, green while it waits for the
// clock, grey once fired, an outline only when it will not fire.
QString markLabel(bool on, schedule::SlotMark mark)
{
    return (on ? QStringLiteral("开 ") : QStringLiteral("关 ")) + schedule::markWord(mark);
}

int chipWidth(const QFontMetrics &metrics, bool on)
{
    int widest = 0;
    for (const auto mark :
         {schedule::SlotMark::Armed, schedule::SlotMark::Fired, schedule::SlotMark::NotArmed})
        widest = std::max(widest, metrics.horizontalAdvance(markLabel(on, mark)));
    return widest + 2 * kPadding;
}

} // namespace

int MarkDelegate::marksWidth(const QFont &font)
{
    const QFontMetrics metrics(markFont(font));
    return chipWidth(metrics, true) + kGap + chipWidth(metrics, false) + kGap;
}

void MarkDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QVariant onData = index.data(kOnRole);
    const QVariant offData = index.data(kOffRole);
    if (!onData.isValid() || !offData.isValid())
        return;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QFont font = markFont(option.font);
    const QFontMetrics metrics(font);
    painter->setFont(font);
    const int height = std::min(option.rect.height() - 2, metrics.height() + 2);
    int right = option.rect.right() - kGap;
    // Off at the far right, on before it: the order of the row's own times.
    for (const bool on : {false, true}) {
        const auto mark = schedule::SlotMark((on ? onData : offData).toInt());
        const int width = chipWidth(metrics, on);
        const QRectF chip(right - width + 0.5, option.rect.center().y() - height / 2.0 + 0.5,
                          width - 1, height - 1);
        QColor ground;
        QColor ink;
        QColor edge;
        switch (mark) {
        case schedule::SlotMark::Armed:
            ground = QColor(46, 139, 60);
            ink = Qt::white;
            edge = ground;
            break;
        case schedule::SlotMark::Fired:
            ground = QColor(200, 200, 200);
            ink = QColor(60, 60, 60);
            edge = QColor(150, 150, 150);
            break;
        case schedule::SlotMark::NotArmed:
            ground = option.palette.color(QPalette::Base);
            ink = QColor(120, 120, 120);
            edge = QColor(170, 170, 170);
            break;
        }
        QPainterPath path;
        path.addRoundedRect(chip, 3, 3);
        painter->fillPath(path, ground);
        painter->setPen(edge);
        painter->drawPath(path);
        painter->setPen(ink);
        painter->drawText(chip, Qt::AlignCenter, markLabel(on, mark));
        right -= width + kGap;
    }
    painter->restore();
}

QSize MarkDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += marksWidth(option.font);
    return size;
}
