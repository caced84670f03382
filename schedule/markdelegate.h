#pragma once

#include <QStyledItemDelegate>

// Draws a timetable row as the list does and, at its right end, one small mark for the on time
// and one for the off time: armed, fired or not armed. The row's text is left as it is.
class MarkDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // Item data: the schedule::SlotMark of the on and the off time, as int.
    static constexpr int kOnRole = Qt::UserRole + 1;
    static constexpr int kOffRole = Qt::UserRole + 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The width the two marks take at the right end of a row drawn with font.
    static int marksWidth(const QFont &font);
};
