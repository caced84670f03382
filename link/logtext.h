#pragma once

#include <QObject>
#include <QString>

// The text of the small log of commands sent and replies received, kept exactly as written
// (CR LF included). It is emptied whole once it holds 128 characters or more, so it never shows
// more than a few lines. The log box on the window only shows it.
class LogText : public QObject
{
    Q_OBJECT
public:
    static constexpr int kLimit = 128;

    using QObject::QObject;

    QString text() const { return m_text; }
    // Adds one entry at the end, where the caret always stays, then empties the log if the
    // entry brought it to the limit.
    void addEntry(const QString &entry);
    // Adds an entry that was abandoned part-way; it is not checked against the limit, but it
    // never lands on a log that is already full, so a run of them cannot grow the log without end.
    void addPartial(const QString &text);
    // Empties the log when it has reached the limit.
    void clearIfFull();
    void clear();

signals:
    void changed();

private:
    QString m_text;
};
