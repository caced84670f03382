#include "journal/dayreader.h"

#include "files/wholefile.h"

#include <QStringList>

namespace journal {

namespace {
constexpr qint64 kBlock = 1 << 20;
}

bool Filter::matches(const Entry &entry) const
{
    if (kind && entry.kind != *kind)
        return false;
    if (device >= 0 && entry.device != device)
        return false;
    if (text.isEmpty())
        return true;
    for (const QString &field : {timeText(entry), entry.event, entry.cause, entry.detail}) {
        if (field.contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

DayReader::DayReader(Receivers receivers) : m_to(std::move(receivers)) {}

void DayReader::open(quint64 opening, const QString &path, quint64 filtering, const Filter &filter)
{
    m_opening = opening;
    m_file.close();
    m_file.setFileName(path);
    m_end = 0;
    m_overLong = false;
    m_lines.clear();
    m_bad = 0;
    m_picture = DayPicture();
    m_lastMs = 0;
    m_devices.assign(256, false);
    m_filtering = filtering;
    m_filter = filter;
    readMore(opening);
}

void DayReader::readMore(quint64 opening)
{
    if (opening != m_opening || stale(opening))
        return;
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly)) {
        // No file (yet): an empty day, complete as it stands.
        DayChunk empty;
        empty.opening = opening;
        empty.filtering = m_filtering;
        empty.complete = true;
        QMetaObject::invokeMethod(
            m_to.context, [to = m_to.chunk, c = std::move(empty)] { to(c); }, Qt::QueuedConnection);
        return;
    }
    DayChunk chunk;
    const auto send = [&](bool complete) {
        chunk.opening = opening;
        chunk.filtering = m_filtering;
        chunk.badLines = m_bad;
        chunk.picture = m_picture;
        chunk.lastMs = m_lastMs;
        for (int d = 0; d < 256; ++d) {
            if (m_devices[std::size_t(d)])
                chunk.devices.push_back(d);
        }
        chunk.complete = complete;
        QMetaObject::invokeMethod(
            m_to.context, [to = m_to.chunk, c = std::move(chunk)]() mutable { to(std::move(c)); },
            Qt::QueuedConnection);
        chunk = DayChunk();
    };

    // A line is gathered only while it can still be whole; past kMaxLineBytes it is a bad line,
    // counted once, and the rest of it is passed over up to its end. So each byte is looked at
    // once, and no more than a block and a line are held, whatever the file holds.
    QByteArray carry;
    qint64 at = m_end;
    m_file.seek(at);
    while (!stale(opening)) {
        const QByteArray block = m_file.read(kBlock);
        if (block.isEmpty())
            break;
        const qint64 blockStart = at;
        at += block.size();
        qsizetype from = 0;
        while (from < block.size()) {
            const qsizetype newline = block.indexOf('\n', from);
            const qsizetype end = newline < 0 ? block.size() : newline;
            if (m_overLong) {
                // Still inside a line already counted as bad.
            } else if (carry.size() + (end - from) > kMaxLineBytes) {
                ++m_bad;
                m_overLong = true;
                carry.clear();
            } else if (newline < 0) {
                carry.append(block.constData() + from, end - from);
            } else if (carry.isEmpty()) {
                take(QByteArrayView(block.constData() + from, end - from), blockStart + from,
                     chunk);
            } else {
                // The line began in the block before.
                const qint64 lineStart = blockStart - carry.size();
                carry.append(block.constData() + from, end - from);
                take(carry, lineStart, chunk);
                carry.clear();
            }
            if (newline < 0) {
                // What was passed over needs no second look; a line begun waits for its end.
                if (m_overLong)
                    m_end = at;
                break;
            }
            m_overLong = false;
            from = newline + 1;
            m_end = blockStart + from;
            if (chunk.lines.size() >= std::size_t(m_lines.size() <= std::size_t(kChunkLines)
                                                      ? kFirstChunkLines
                                                      : kChunkLines))
                send(false);
        }
    }
    send(true);
}

void DayReader::take(QByteArrayView line, qint64 offset, DayChunk &chunk)
{
    const std::optional<Entry> entry = parseLine(line);
    if (!entry) {
        ++m_bad;
        return;
    }
    const auto index = quint32(m_lines.size());
    m_lines.push_back({offset, quint32(line.size())});
    chunk.lines.push_back(m_lines.back());
    m_picture.feed(*entry);
    m_lastMs = DayPicture::msOfDay(*entry);
    if (entry->device >= 0)
        m_devices[std::size_t(entry->device)] = true;
    if (m_filter.matches(*entry))
        chunk.rows.push_back(index);
}

std::optional<Entry> DayReader::entryAt(const LineRef &ref)
{
    if (!m_file.seek(ref.offset))
        return std::nullopt;
    return parseLine(m_file.read(ref.length));
}

void DayReader::setFilter(quint64 opening, quint64 filtering, const Filter &filter)
{
    if (opening != m_opening || stale(opening))
        return;
    m_filtering = filtering;
    m_filter = filter;
    Filtered result{opening, filtering, {}};
    if (filter.isEmpty()) {
        result.rows.resize(m_lines.size());
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            result.rows[i] = quint32(i);
    } else {
        // One pass over the file in large reads, line by line as it was indexed.
        std::size_t i = 0;
        QByteArray block;
        qint64 blockStart = 0;
        while (i < m_lines.size() && !stale(opening)) {
            const LineRef &ref = m_lines[i];
            if (ref.offset < blockStart || ref.offset + ref.length > blockStart + block.size()) {
                blockStart = ref.offset;
                if (!m_file.seek(blockStart))
                    break;
                block = m_file.read(std::max<qint64>(kBlock, ref.length));
                if (block.size() < qsizetype(ref.length))
                    break;
            }
            const std::optional<Entry> entry =
                parseLine(QByteArrayView(block).sliced(ref.offset - blockStart, ref.length));
            if (entry && filter.matches(*entry))
                result.rows.push_back(quint32(i));
            ++i;
        }
    }
    if (stale(opening))
        return;
    QMetaObject::invokeMethod(
        m_to.context, [to = m_to.filtered, r = std::move(result)]() mutable { to(std::move(r)); },
        Qt::QueuedConnection);
}

void DayReader::exportCsv(quint64 opening, const QString &path,
                          std::shared_ptr<const std::vector<quint32>> rows)
{
    Exported result{false, 0, path, {}};
    if (opening == m_opening) {
        files::WholeFile out(path);
        // The byte order mark tells spreadsheet programs the file is UTF-8.
        QByteArray text = QByteArray("\xEF\xBB\xBF") + csvHeader().toUtf8();
        for (const quint32 row : *rows) {
            if (row >= m_lines.size())
                continue;
            if (const std::optional<Entry> entry = entryAt(m_lines[row])) {
                text += csvLine(*entry).toUtf8();
                ++result.count;
            }
            if (text.size() > kBlock) {
                if (!out.write(text))
                    break;
                text.clear();
            }
        }
        out.write(text);
        const files::Saved saved = out.commit();
        result.ok = saved.ok;
        if (!saved.ok)
            result.error = files::reasonText(saved.error);
    }
    QMetaObject::invokeMethod(
        m_to.context, [to = m_to.exported, r = std::move(result)] { to(r); }, Qt::QueuedConnection);
}

QString csvField(const QString &text)
{
    // A spreadsheet takes a field that starts like a formula for one, quoted or not: an apostrophe
    // in front keeps an operator's typed text (an address, a port name) plain text.
    const QString field = !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front())
                              ? QLatin1Char('\'') + text
                              : text;
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvHeader()
{
    return QStringLiteral("时间,类别,设备,事件,原因,内容\r\n");
}

QString csvLine(const Entry &entry)
{
    return QStringList{csvField(timeText(entry)),
                       csvField(kindName(entry.kind)),
                       csvField(deviceText(entry.device)),
                       csvField(entry.event),
                       csvField(entry.cause),
                       csvField(entry.detail)}
               .join(QLatin1Char(',')) +
           QStringLiteral("\r\n");
}

} // namespace journal
