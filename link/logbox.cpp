#include "link/logbox.h"

#include <QPalette>
#include <QTimer>

LogBox::LogBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
    // The box is disabled so that nobody can type into it or move its caret; keep its text
    // as readable as an enabled box at night.
    QPalette p = palette();
    p.setColor(QPalette::Disabled, QPalette::Text, p.color(QPalette::Active, QPalette::Text));
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Base));
    setPalette(p);
}

void LogBox::addEntry(const QString &entry)
{
    m_text += entry;
    if (m_text.size() >= kLimit)
        m_text.clear();
    render();
}

void LogBox::addPartial(const QString &text)
{
    if (text.isEmpty())
        return;
    // A partial entry skips the size check, so a run of them (a device sending garbage) would
    // grow the log without end; empty it first when it is already full instead.
    if (m_text.size() >= kLimit)
        m_text.clear();
    m_text += text;
    render();
}

void LogBox::clearIfFull()
{
    if (m_text.size() >= kLimit)
        clearAll();
}

void LogBox::clearAll()
{
    m_text.clear();
    render();
}

void LogBox::render()
{
    if (m_showPending)
        return;
    if (!m_lastShown.isValid() || m_lastShown.elapsed() >= kRefreshMs) {
        showText();
        return;
    }
    m_showPending = true;
    QTimer::singleShot(int(kRefreshMs - m_lastShown.elapsed()), Qt::PreciseTimer, this, [this] {
        m_showPending = false;
        showText();
    });
}

void LogBox::showText()
{
    m_lastShown.start();
    // The box shows a few lines; laying out megabytes of a runaway reply would freeze the
    // window, so only the end of a very long text is put on screen. text() stays whole.
    constexpr qsizetype kShownAtMost = 4096;
    QString shown = m_text.size() > kShownAtMost ? m_text.right(kShownAtMost) : m_text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown == toPlainText())
        return;
    setPlainText(shown);
    moveCursor(QTextCursor::End);
}
