#include "ui/centring.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {

QSize placeCentred(QWidget *window, const QWidget *onScreenOf = nullptr)
{
    const QScreen *screen = (onScreenOf ? onScreenOf : window)->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect area = screen->availableGeometry();
    const QSize outer = window->frameGeometry().size();
    // A top-level widget's position is that of its frame.
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
    return outer;
}

// Watches a window for its first few moments on screen and centres it again when the frame
// the window manager added changes its outer size.
class Centrer : public QObject
{
public:
    explicit Centrer(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        m_placedSize = placeCentred(window);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            // Only the first showing: a window brought back from the task bar stays put.
            if (!m_shown.isValid()) {
                m_shown.start();
                m_placedSize = placeCentred(m_window);
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
            // Only while the window is being framed; after that a move is the operator's.
            if (m_shown.isValid() && m_shown.elapsed() < kFramingMs &&
                m_window->frameGeometry().size() != m_placedSize)
                m_placedSize = placeCentred(m_window);
            break;
        default:
            break;
        }
        return false;
    }

private:
    static constexpr qint64 kFramingMs = 2000;
    QPointer<QWidget> m_window;
    QSize m_placedSize;
    QElapsedTimer m_shown;
};

} // namespace

void centreOnScreen(QWidget *window)
{
    new Centrer(window);
}

void centreNow(QWidget *window, const QWidget *onScreenOf)
{
    placeCentred(window, onScreenOf);
}
