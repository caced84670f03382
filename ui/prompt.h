#pragma once

#include <QString>

#include <functional>

class QWidget;

// Every operator message of the console goes through here: a modal box titled "提示信息"
// with one OK button and no icon. Tests install a hook to read and answer messages without
// blocking.
namespace prompt {

inline const QString kTitle = QStringLiteral("提示信息");

void show(QWidget *parent, const QString &text);
// A message waits for its OK now, in the box or in the hook.
bool isUp();

using Hook = std::function<void(const QString &text)>;
// Replaces the modal box by the hook until it is reset with an empty hook.
void setHook(Hook hook);

// Hears every message as it is shown, the hook or the box alike, for as long as it lives (the
// journal keeps one).
class Watch
{
public:
    explicit Watch(std::function<void(const QString &text)> heard);
    ~Watch();
    Watch(const Watch &) = delete;
    Watch &operator=(const Watch &) = delete;

private:
    friend void show(QWidget *parent, const QString &text);
    // A message waits for its OK now, in the box or in the hook.
    bool isUp();
    std::function<void(const QString &)> m_heard;
};

} // namespace prompt
