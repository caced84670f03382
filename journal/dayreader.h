#pragma once

#include "journal/daypicture.h"
#include "journal/entry.h"

#include <QDate>
#include <QFile>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace journal {

// What the journal window shows: one kind or all, one device or all, and a text searched for
// in the time, event, cause and details (case does not matter).
struct Filter
{
    std::optional<Kind> kind;
    int device = -1;
    QString text;

    bool matches(const Entry &entry) const;
    bool isEmpty() const { return !kind && device < 0 && text.isEmpty(); }
};

// Where one whole line of a day file is.
struct LineRef
{
    qint64 offset = 0;
    quint32 length = 0;
};

// The lines of a day file the reader has just indexed, those of them that pass the filter, and
// the picture of the day so far.
struct DayChunk
{
    quint64 opening = 0;
    quint64 filtering = 0;
    std::vector<LineRef> lines;
    // Indices into all lines indexed so far (not only this chunk's).
    std::vector<quint32> rows;
    qint64 badLines = 0;
    DayPicture picture;
    int lastMs = 0;
    std::vector<int> devices;
    // The whole file as it stood has been read.
    bool complete = false;
};

struct Filtered
{
    quint64 opening = 0;
    quint64 filtering = 0;
    std::vector<quint32> rows;
};

struct Exported
{
    bool ok = false;
    qint64 count = 0;
    QString path;
    QString error;
};

// Reads day files on a thread of its own (the model's WorkThread): indexes where each whole
// line is, in chunks, so a day of a million entries shows at once and fills in; filters all
// lines; writes the lines shown to CSV. The results go to the receiver's thread through the event
// loop. A line that does not read (one longer than kMaxLineBytes among them) is counted and
// skipped; the lines after it read as usual. The last bytes of a file that are not a whole line
// yet are left for the next look.
class DayReader : public QObject
{
    Q_OBJECT
public:
    // Lines per chunk: a small first one, so the first rows show at once.
    static constexpr int kFirstChunkLines = 500;
    static constexpr int kChunkLines = 20000;

    struct Receivers
    {
        QObject *context = nullptr;
        std::function<void(DayChunk)> chunk;
        std::function<void(Filtered)> filtered;
        std::function<void(Exported)> exported;
    };

    explicit DayReader(Receivers receivers);

    // The number of the newest opening; work for an older one stops early.
    std::atomic<quint64> latestOpening{0};

    // These run on the reader's thread.
    void open(quint64 opening, const QString &path, quint64 filtering, const Filter &filter);
    void readMore(quint64 opening);
    void setFilter(quint64 opening, quint64 filtering, const Filter &filter);
    void exportCsv(quint64 opening, const QString &path,
                   std::shared_ptr<const std::vector<quint32>> rows);

private:
    bool stale(quint64 opening) const { return opening != latestOpening.load(); }
    std::optional<Entry> entryAt(const LineRef &ref);
    // Indexes one whole line that starts at offset, or counts it as bad.
    void take(QByteArrayView line, qint64 offset, DayChunk &chunk);

    Receivers m_to;
    quint64 m_opening = 0;
    QFile m_file;
    // Where the next look starts: the first line not yet whole, or the end of what was passed
    // over of an over-long one.
    qint64 m_end = 0;
    // m_end is inside a line already counted as bad, whose end has not been read yet.
    bool m_overLong = false;
    std::vector<LineRef> m_lines;
    qint64 m_bad = 0;
    DayPicture m_picture;
    int m_lastMs = 0;
    std::vector<bool> m_devices = std::vector<bool>(256);
    quint64 m_filtering = 0;
    Filter m_filter;
};

// One CSV field: an apostrophe in front when it starts with =, +, -, @, a tab or a carriage
// return, so that no spreadsheet reads it as a formula; quoted when it holds a comma, a quote or
// a line break.
QString csvField(const QString &text);
// The header and one entry as CSV lines, with CRLF.
QString csvHeader();
QString csvLine(const Entry &entry);

} // namespace journal
