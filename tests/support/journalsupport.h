#pragma once

// Header only: reading the journal a console wrote, for the tests that link the journal.

#include "journal/entry.h"
#include "journal/retention.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QList>
#include <QTest>

#include <functional>

// The whole lines of a day file, and those of them that did not read.
struct JournalDay
{
    QList<journal::Entry> entries;
    QList<QByteArray> broken;

    QList<journal::Entry> where(const std::function<bool(const journal::Entry &)> &pick) const
    {
        QList<journal::Entry> picked;
        for (const journal::Entry &e : entries) {
            if (pick(e))
                picked << e;
        }
        return picked;
    }
    QList<journal::Entry> ofKind(journal::Kind kind) const
    {
        return where([kind](const journal::Entry &e) { return e.kind == kind; });
    }
    QList<journal::Entry> withEvent(const QString &event) const
    {
        return where([&](const journal::Entry &e) { return e.event == event; });
    }
};

inline JournalDay readJournalFile(const QString &path)
{
    JournalDay day;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return day;
    const QByteArray bytes = file.readAll();
    qsizetype start = 0;
    while (true) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            break;
        const QByteArray line = bytes.mid(start, end - start);
        if (const auto entry = journal::parseLine(line))
            day.entries << *entry;
        else
            day.broken << line;
        start = end + 1;
    }
    return day;
}

inline QString journalPath(const QString &dataDir, QDate day)
{
    return dataDir + QStringLiteral("/journal/") + journal::dayFileName(day);
}

inline JournalDay readJournal(const QString &dataDir, QDate day = QDate::currentDate())
{
    return readJournalFile(journalPath(dataDir, day));
}

// Waits until the day's journal has what ready() looks for (the writer writes five times a
// second); returns the journal as last read.
inline JournalDay waitForJournal(const QString &dataDir,
                                 const std::function<bool(const JournalDay &)> &ready,
                                 QDate day = QDate::currentDate(), int timeoutMs = 5000)
{
    JournalDay last;
    const bool ready_ = QTest::qWaitFor(
        [&] {
            last = readJournal(dataDir, day);
            return ready(last);
        },
        timeoutMs);
    Q_UNUSED(ready_);
    return last;
}
