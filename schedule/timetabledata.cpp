#include "schedule/timetabledata.h"

namespace schedule {

namespace {
const QString kNoRow;
}

TimetableData::TimetableData(QObject *parent) : QObject(parent)
{
    for (int n = 0; n < kRowCount; ++n)
        m_texts[n] = designRow(n);
}

const QString &TimetableData::rowText(int n) const
{
    return inRange(n) ? m_texts[n] : kNoRow;
}

bool TimetableData::isEnabled(int n) const
{
    return inRange(n) && m_enabled[n];
}

void TimetableData::setRowText(int n, const QString &text)
{
    if (!inRange(n) || m_texts[n] == text)
        return;
    m_texts[n] = text;
    emit rowChanged(n);
}

void TimetableData::setEnabled(int n, bool enabled)
{
    if (!inRange(n) || m_enabled[n] == enabled)
        return;
    m_enabled[n] = enabled;
    emit rowChanged(n);
}

QList<SlotFiring> TimetableData::scan(const QString &time)
{
    return scanSlots(
        time, m_store, [this](int n) { return isEnabled(n); },
        [this](int n) { return rowText(n); });
}

QList<int> TimetableData::loadRows(const QString &path)
{
    QList<int> unread;
    const QList<FileLine> lines = readRows(path);
    for (int n = 0; n < lines.size(); ++n) {
        if (lines[n])
            setRowText(n, *lines[n]);
        else
            unread.append(n + 1);
    }
    return unread;
}

QList<int> TimetableData::loadFlags(const QString &path)
{
    QList<int> unread;
    const QList<FlagLine> flags = readFlags(path);
    for (int n = 0; n < flags.size(); ++n) {
        setEnabled(n, flags[n].value_or(false));
        if (!flags[n])
            unread.append(n + 1);
    }
    return unread;
}

SaveResult TimetableData::saveRows(const QString &path) const
{
    return writeRows(path, QStringList(m_texts.begin(), m_texts.end()));
}

SaveResult TimetableData::saveFlags(const QString &path) const
{
    return writeFlags(path, QList<bool>(m_enabled.begin(), m_enabled.end()));
}

} // namespace schedule
