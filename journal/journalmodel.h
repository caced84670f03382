#pragma once

#include "files/workthread.h"
#include "journal/dayreader.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QDate>
#include <QFile>

#include <memory>
#include <vector>

namespace journal {

// The entries of one day file as a table, for the journal window: time, kind, device, event,
// cause, details. The file is indexed and filtered by a DayReader on a thread of its own; the
// model keeps where each line is and reads the rows on show, so a million entries cost a few
// megabytes and no wait.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { TimeColumn, KindColumn, DeviceColumn, EventColumn, CauseColumn, DetailColumn };
    static constexpr int kColumns = 6;

    explicit JournalModel(QObject *parent = nullptr);
    ~JournalModel() override;

    // Shows the day file at path, read afresh, with the filter in force.
    void showDay(QDate day, const QString &path);
    QDate day() const { return m_day; }
    // The file has grown: reads what was added.
    void readMore();
    void setFilter(const Filter &filter);
    const Filter &filter() const { return m_filter; }
    // Writes the rows shown now to a CSV file; exported() tells how it went.
    void exportCsv(const QString &path);

    // Whole lines indexed, and lines that did not read.
    qint64 lineCount() const { return qint64(m_lines.size()); }
    qint64 badLines() const { return m_badLines; }
    // Reading the file or filtering is under way.
    bool busy() const { return m_reading || m_filtering; }
    const DayPicture &picture() const { return m_picture; }
    // The time of day of the last entry read.
    int lastMs() const { return m_lastMs; }
    const std::vector<int> &devices() const { return m_devices; }
    std::optional<Entry> entryAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // Lines were read or the filter was applied: counts, picture and devices may have changed.
    void progressed();
    void exported(bool ok, qint64 count, const QString &path, const QString &error);

private:
    void takeChunk(DayChunk chunk);
    void takeFiltered(Filtered filtered);

    std::unique_ptr<DayReader> m_reader;
    quint64 m_opening = 0;
    quint64 m_filterings = 0;
    QDate m_day;
    Filter m_filter;
    std::vector<LineRef> m_lines;
    std::vector<quint32> m_rows;
    qint64 m_badLines = 0;
    DayPicture m_picture;
    int m_lastMs = 0;
    std::vector<int> m_devices;
    bool m_reading = false;
    bool m_filtering = false;
    // Another look at the file was asked for while one was under way.
    bool m_moreWanted = false;
    mutable QFile m_file;
    mutable QCache<quint32, Entry> m_cache{4000};
    // Last: its thread ends before the reader and the rest of the model go.
    WorkThread m_work{"journal reader"};
};

} // namespace journal
