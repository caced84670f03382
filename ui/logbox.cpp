#include "ui/logbox.h"

#include "link/logtext.h"

#include <QPalette>

LogBox::LogBox(const LogText &log, QWidget *parent) : QPlainTextEdit(parent), m_log(log)
{
    m_refresh.setSingleShot(true);
    m_refresh.setTimerType(Qt::PreciseTimer);
    connect(&m_refresh, &QTimer::timeout, this, &LogBox::showText);
    connect(&m_log, &LogText::changed, this, &LogBox::render);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
    // The box is disabled so that nobody can type into it or move its caret; keep its text
    // as readable as an enabled box at night.
    QPalette p = palette();
    p.setColor(QPalette::Disabled, QPalette::Text, p.color(QPalette::Active, QPalette::Text));
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Base));
    setPalette(p);
}

QString LogBox::text() const
{
    return m_log.text();
}

void LogBox::render()
{
    // While commands stream out (a jog logs one every 10 ms) the screen is brought up to date
    // from inside the writer, right after its command has gone out, so the repaint has the
    // whole gap before the next command. A late timer catches the last change of a burst.
    const qint64 since = m_lastShown.isValid() ? m_lastShown.elapsed() : kRefreshMs;
    if (since >= kRefreshMs) {
        m_refresh.stop();
        showText();
        return;
    }
    if (!m_refresh.isActive())
        m_refresh.start(int(kRefreshMs - since) + kCatchUpMs);
}

void LogBox::showText()
{
    m_lastShown.start();
    // The box shows a few lines; laying out megabytes of a runaway reply would freeze the
    // window, so only the end of a very long text is put on screen. The log text stays whole.
    constexpr qsizetype kShownAtMost = 4096;
    const QString &text = m_log.text();
    QString shown = text.size() > kShownAtMost ? text.right(kShownAtMost) : text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown == toPlainText())
        return;
    setPlainText(shown);
    moveCursor(QTextCursor::End);
}
