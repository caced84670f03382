#include "journal/journalmodel.h"

#include "journal/journaltexts.h"

namespace journal {

namespace {

// A table cell lays out all of its text to draw it: a long field is shown by its beginning (the
// search and the export still have all of it).
constexpr qsizetype kShownChars = 1000;

QString shortened(const QString &text)
{
    if (text.size() <= kShownChars)
        return text;
    const qsizetype cut =
        text.at(kShownChars - 1).isHighSurrogate() ? kShownChars - 1 : kShownChars;
    return text.left(cut) + journaltexts::kShortened.arg(text.size());
}

} // namespace

JournalModel::JournalModel(QObject *parent)
    : QAbstractTableModel(parent),
      m_reader(std::make_unique<DayReader>(DayReader::Receivers{
          this, [this](DayChunk c) { takeChunk(std::move(c)); },
          [this](Filtered f) { takeFiltered(std::move(f)); },
          [this](const Exported &e) { emit exported(e.ok, e.count, e.path, e.error); }}))
{
}

JournalModel::~JournalModel()
{
    // Work under way for this model stops at its next line; the reader goes once its thread has.
    m_reader->latestOpening = ~quint64(0);
    m_work.stop();
}

void JournalModel::showDay(QDate day, const QString &path)
{
    beginResetModel();
    m_day = day;
    m_lines.clear();
    m_rows.clear();
    m_badLines = 0;
    m_picture = DayPicture();
    m_lastMs = 0;
    m_devices.clear();
    m_cache.clear();
    m_file.close();
    m_file.setFileName(path);
    endResetModel();

    const quint64 opening = ++m_opening;
    m_reader->latestOpening = opening;
    m_reading = true;
    m_filtering = false;
    m_moreWanted = false;
    m_work.post([r = m_reader.get(), opening, path, f = m_filterings, filter = m_filter] {
        r->open(opening, path, f, filter);
    });
    emit progressed();
}

void JournalModel::readMore()
{
    if (m_reading) {
        m_moreWanted = true;
        return;
    }
    m_reading = true;
    m_work.post([r = m_reader.get(), opening = m_opening] { r->readMore(opening); });
}

void JournalModel::setFilter(const Filter &filter)
{
    m_filter = filter;
    const quint64 filtering = ++m_filterings;
    m_filtering = true;
    m_work.post([r = m_reader.get(), opening = m_opening, filtering, filter] {
        r->setFilter(opening, filtering, filter);
    });
    emit progressed();
}

void JournalModel::exportCsv(const QString &path)
{
    auto rows = std::make_shared<const std::vector<quint32>>(m_rows);
    m_work.post([r = m_reader.get(), opening = m_opening, path, rows] {
        r->exportCsv(opening, path, rows);
    });
}

void JournalModel::takeChunk(DayChunk chunk)
{
    if (chunk.opening != m_opening)
        return;
    m_lines.insert(m_lines.end(), chunk.lines.begin(), chunk.lines.end());
    // Rows picked by a filter that has since been replaced are not shown; the new filter's
    // answer covers these lines.
    if (chunk.filtering == m_filterings && !chunk.rows.empty()) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + chunk.rows.size()) - 1);
        m_rows.insert(m_rows.end(), chunk.rows.begin(), chunk.rows.end());
        endInsertRows();
    }
    m_badLines = chunk.badLines;
    m_picture = std::move(chunk.picture);
    m_lastMs = chunk.lastMs;
    m_devices = std::move(chunk.devices);
    if (chunk.complete) {
        m_reading = false;
        if (std::exchange(m_moreWanted, false))
            readMore();
    }
    emit progressed();
}

void JournalModel::takeFiltered(Filtered filtered)
{
    if (filtered.opening != m_opening || filtered.filtering != m_filterings)
        return;
    beginResetModel();
    m_rows = std::move(filtered.rows);
    endResetModel();
    m_filtering = false;
    emit progressed();
}

std::optional<Entry> JournalModel::entryAt(int row) const
{
    if (row < 0 || std::size_t(row) >= m_rows.size())
        return std::nullopt;
    const quint32 line = m_rows[std::size_t(row)];
    if (const Entry *cached = m_cache.object(line))
        return *cached;
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const LineRef &ref = m_lines[line];
    if (!m_file.seek(ref.offset))
        return std::nullopt;
    std::optional<Entry> entry = parseLine(m_file.read(ref.length));
    if (entry)
        m_cache.insert(line, new Entry(*entry));
    return entry;
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const std::optional<Entry> entry = entryAt(index.row());
    if (!entry)
        return {};
    switch (index.column()) {
    case TimeColumn:
        return timeText(*entry).mid(11);
    case KindColumn:
        return kindName(entry->kind);
    case DeviceColumn:
        return deviceText(entry->device);
    case EventColumn:
        return shortened(entry->event);
    case CauseColumn:
        return shortened(entry->cause);
    case DetailColumn:
        return shortened(entry->detail);
    default:
        return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QString names[kColumns] = {QStringLiteral("时间"), QStringLiteral("类别"),
                                            QStringLiteral("设备"), QStringLiteral("事件"),
                                            QStringLiteral("原因"), QStringLiteral("内容")};
    return section >= 0 && section < kColumns ? names[section] : QVariant();
}

} // namespace journal
