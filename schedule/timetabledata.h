#pragma once

#include "schedule/schedulescan.h"
#include "schedule/settingsfiles.h"
#include "schedule/slotstore.h"
#include "schedule/timetable.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>

namespace schedule {

// The timetable of the whole run, with no widget in sight: the 99 rows as the operator sees them
// (text, and whether the slot is enabled) and the slot store that the clock scan compares with
// the time of day. The row text is what is shown, saved and read for the cruise word; the slot
// store is filled only by confirming a row in the editor, never by loading the rows. The list on
// the main window shows the rows and hands the operator's selections back here.
class TimetableData : public QObject
{
    Q_OBJECT
public:
    // 99 rows as designed, none enabled, an empty slot store.
    explicit TimetableData(QObject *parent = nullptr);

    // Empty and false for n outside 0..98; setting them there does nothing.
    const QString &rowText(int n) const;
    bool isEnabled(int n) const;
    void setRowText(int n, const QString &text);
    void setEnabled(int n, bool enabled);

    SlotStore &slotStore() { return m_store; }
    const SlotStore &slotStore() const { return m_store; }

    // One scan of the clock tick, with the time text just shown: the enabled slots whose time
    // it is, in order, each consumed as it fires.
    QList<SlotFiring> scan(const QString &time);

    // The settings files: a row text that could not be read leaves its row as it is, a selection
    // that could not be read leaves its row unselected, and a file with fewer lines leaves the
    // rows after them; the slot store is not touched. Both return the numbers (from 1) of the
    // lines they could not take.
    QList<int> loadRows(const QString &path);
    QList<int> loadFlags(const QString &path);
    SaveResult saveRows(const QString &path) const;
    SaveResult saveFlags(const QString &path) const;

signals:
    // Row n's text or enabled flag has changed.
    void rowChanged(int n);

private:
    static bool inRange(int n) { return n >= 0 && n < kRowCount; }

    std::array<QString, kRowCount> m_texts;
    std::array<bool, kRowCount> m_enabled{};
    SlotStore m_store;
};

} // namespace schedule
