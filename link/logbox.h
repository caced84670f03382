#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QString>
#include <QTimer>

// The small log of commands sent and replies received. It keeps the text exactly as written,
// CR LF included, and is emptied whole once it holds 128 characters or more.
class LogBox : public QPlainTextEdit
{
    // The text is kept exact at once; the screen follows at most every 40 ms, so a jog that
    // logs a hundred frames a second does not repaint the box a hundred times a second.
    Q_OBJECT
public:
    static constexpr int kLimit = 128;
    static constexpr int kRefreshMs = 40;
    // How long after the refresh is due the catch-up timer fires, so that it never lands on
    // the same moment as a command that would bring the screen up to date anyway.
    static constexpr int kCatchUpMs = 5;

    explicit LogBox(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    // Adds one entry at the end, where the caret always stays, then empties the log if the
    // entry brought it to the limit.
    void addEntry(const QString &entry);
    // Adds an entry that was abandoned part-way; it stays visible and is not checked against
    // the limit, but it never lands on a log that is already full.
    void addPartial(const QString &text);
    // Empties the log when it has reached the limit.
    void clearIfFull();
    void clearAll();

private:
    void render();
    void showText();

    QString m_text;
    QElapsedTimer m_lastShown;
    QTimer m_refresh;
};
