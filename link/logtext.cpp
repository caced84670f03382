#include "link/logtext.h"

void LogText::addEntry(const QString &entry)
{
    m_text += entry;
    if (m_text.size() >= kLimit)
        m_text.clear();
    emit changed();
}

void LogText::addPartial(const QString &text)
{
    if (text.isEmpty())
        return;
    if (m_text.size() >= kLimit)
        m_text.clear();
    m_text += text;
    emit changed();
}

void LogText::clearIfFull()
{
    if (m_text.size() >= kLimit)
        clear();
}

void LogText::clear()
{
    m_text.clear();
    emit changed();
}
