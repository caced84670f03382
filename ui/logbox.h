#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

class LogText;

// The log box on the window: shows the log text of the send and receive paths. The text is
// kept exact in LogText at once; the screen follows at most every 40 ms, so a jog that logs a
// hundred frames a second does not repaint the box a hundred times a second.
class LogBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 40;
    // How long after the refresh is due the catch-up timer fires, so that it never lands on
    // the same moment as a command that would bring the screen up to date anyway.
    static constexpr int kCatchUpMs = 5;

    explicit LogBox(const LogText &log, QWidget *parent = nullptr);

    // The exact text of the log, CR LF included.
    QString text() const;

private:
    void render();
    void showText();

    const LogText &m_log;
    QElapsedTimer m_lastShown;
    QTimer m_refresh;
};
