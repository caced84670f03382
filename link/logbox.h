#pragma once

#include <QPlainTextEdit>
#include <QString>

// The small log of commands sent and replies received. It keeps the text exactly as written,
// CR LF included, and is emptied whole once it holds 128 characters or more.
class LogBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr int kLimit = 128;

    explicit LogBox(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    // Adds at the end, where the caret always stays.
    void add(const QString &text);
    // Empties the log when it has reached the limit.
    void clearIfFull();
    void clearAll();

private:
    void render();

    QString m_text;
};
