#include "control/jogkeys.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextEdit>
#include <QWidget>

#include <array>

namespace {

constexpr Qt::KeyboardModifiers kCommandModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

struct PadKey
{
    Qt::Key withNumLock;
    Qt::Key withoutNumLock;
    QPoint push;
};

// The keypad's eight directions at their compass places.
constexpr std::array<PadKey, 8> kPadKeys = {{
    {Qt::Key_7, Qt::Key_Home, {-1, 1}},
    {Qt::Key_8, Qt::Key_Up, {0, 1}},
    {Qt::Key_9, Qt::Key_PageUp, {1, 1}},
    {Qt::Key_6, Qt::Key_Right, {1, 0}},
    {Qt::Key_3, Qt::Key_PageDown, {1, -1}},
    {Qt::Key_2, Qt::Key_Down, {0, -1}},
    {Qt::Key_1, Qt::Key_End, {-1, -1}},
    {Qt::Key_4, Qt::Key_Left, {-1, 0}},
}};

struct ArrowKey
{
    Qt::Key key;
    QPoint push;
    char16_t glyph;
};
constexpr std::array<ArrowKey, 4> kArrows = {{
    {Qt::Key_Up, {0, 1}, u'↑'},
    {Qt::Key_Right, {1, 0}, u'→'},
    {Qt::Key_Down, {0, -1}, u'↓'},
    {Qt::Key_Left, {-1, 0}, u'←'},
}};

bool onKeypad(const QKeyEvent &key)
{
    return key.modifiers() & Qt::KeypadModifier;
}

std::optional<QPoint> pushOf(const QKeyEvent &key)
{
    if (key.modifiers() & kCommandModifiers)
        return std::nullopt;
    if (onKeypad(key)) {
        for (const PadKey &pad : kPadKeys) {
            if (key.key() == pad.withNumLock || key.key() == pad.withoutNumLock)
                return pad.push;
        }
        return std::nullopt;
    }
    for (const ArrowKey &arrow : kArrows) {
        if (key.key() == arrow.key)
            return arrow.push;
    }
    return std::nullopt;
}

// Letters named after the captions: K for 开, G for 关, X for 巡航.
struct Hotkey
{
    Qt::Key key;
    OperatorAction action;
};
constexpr std::array<Hotkey, 3> kLetters = {{
    {Qt::Key_K, OperatorAction::LampOn},
    {Qt::Key_G, OperatorAction::LampOff},
    {Qt::Key_X, OperatorAction::Cruise},
}};

std::optional<OperatorAction> actionOf(const QKeyEvent &key)
{
    const Qt::KeyboardModifiers mods = key.modifiers();
    if (onKeypad(key)) {
        // Keypad 5 is 停止运动, Num Lock on or off.
        if (!(mods & kCommandModifiers) && (key.key() == Qt::Key_5 || key.key() == Qt::Key_Clear))
            return OperatorAction::Stop;
        return std::nullopt;
    }
    if ((mods & kCommandModifiers) == Qt::ControlModifier && key.key() >= Qt::Key_1 &&
        key.key() <= Qt::Key_9)
        return operatoraction::preset(key.key() - Qt::Key_1 + 1);
    if (mods & kCommandModifiers)
        return std::nullopt;
    for (const Hotkey &hotkey : kLetters) {
        if (key.key() == hotkey.key)
            return hotkey.action;
    }
    return std::nullopt;
}

// The same physical key on its way down and up, whatever Num Lock did in between.
quint32 identity(const QKeyEvent &key)
{
    return key.nativeScanCode() != 0 ? key.nativeScanCode() : quint32(key.key());
}

} // namespace

JogKeys::JogKeys(JogControl &jog, QWidget *window, std::function<void(OperatorAction)> act,
                 QObject *parent)
    : QObject(parent), m_jog(jog), m_window(window), m_act(std::move(act))
{
    connect(&m_jog, &JogControl::everythingLetGo, this, [this] {
        // The flags are down already; the keys must be pressed again.
        m_held.clear();
        m_holding.reset();
    });
    qApp->installEventFilter(this);
}

JogKeys::~JogKeys()
{
    qApp->removeEventFilter(this);
}

bool JogKeys::focusKeepsKeys(const QWidget *focus)
{
    for (const QWidget *w = focus; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (const auto *edit = qobject_cast<const QLineEdit *>(w)) {
            if (!edit->isReadOnly())
                return true;
        } else if (const auto *text = qobject_cast<const QPlainTextEdit *>(w)) {
            if (!text->isReadOnly())
                return true;
        } else if (const auto *rich = qobject_cast<const QTextEdit *>(w)) {
            if (!rich->isReadOnly())
                return true;
        } else if (qobject_cast<const QComboBox *>(w) ||
                   qobject_cast<const QAbstractItemView *>(w) ||
                   qobject_cast<const QAbstractSpinBox *>(w)) {
            return true;
        }
    }
    return false;
}

QString JogKeys::hotkeyText(OperatorAction action)
{
    if (action == OperatorAction::Stop)
        return QStringLiteral("小键盘 5");
    if (const int preset = operatoraction::presetOf(action))
        return QStringLiteral("Ctrl+%1").arg(preset);
    for (const Hotkey &hotkey : kLetters) {
        if (hotkey.action == action)
            return QString(QChar(hotkey.key));
    }
    return {};
}

QString JogKeys::directionKeysText(protocol::Direction direction)
{
    const PadKey &pad = kPadKeys[std::size_t(direction)];
    QStringList arrows;
    for (const ArrowKey &arrow : kArrows) {
        if ((arrow.push.x() != 0 && arrow.push.x() == pad.push.x()) ||
            (arrow.push.y() != 0 && arrow.push.y() == pad.push.y()))
            arrows << QString(QChar(arrow.glyph));
    }
    return QStringLiteral("小键盘 %1 或 %2").arg(QChar(pad.withNumLock)).arg(arrows.join(u'+'));
}

bool JogKeys::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyRelease:
        // A held key's release counts wherever it lands: in a list or menu that popped up
        // meanwhile, in another window of the console.
        if (!qobject_cast<QWidget *>(watched))
            return false;
        return keyReleased(static_cast<const QKeyEvent &>(*event));
    case QEvent::KeyPress: {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != m_window)
            return false;
        const auto &key = static_cast<const QKeyEvent &>(*event);
        // The key goes first to the focused control, then, if that control leaves it, on to its
        // parents: it stays the control's either way. A key sent to a control of its own (by
        // assistive software, say) is that control's too.
        if (focusKeepsKeys(widget) || focusKeepsKeys(QApplication::focusWidget()))
            return false;
        return keyPressed(key);
    }
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        // The releases of keys held now would go to another window.
        if (watched == m_window)
            releaseAll();
        break;
    case QEvent::Show:
        // A list or menu that pops up takes the keyboard without deactivating the window: the
        // keys held now are let go as when it is deactivated. Tooltips are no popups.
        if (const auto *widget = qobject_cast<QWidget *>(watched);
            widget && widget->isWindow() && widget->windowType() == Qt::Popup)
            releaseAll();
        break;
    default:
        break;
    }
    return false;
}

bool JogKeys::keyPressed(const QKeyEvent &key)
{
    if (const std::optional<QPoint> push = pushOf(key)) {
        // Auto-repeat neither restarts a jog nor, after a refused frame, starts one again.
        if (!key.isAutoRepeat()) {
            m_held.insert(identity(key), *push);
            follow();
        }
        return true;
    }
    if (const std::optional<OperatorAction> action = actionOf(key)) {
        if (!key.isAutoRepeat())
            m_act(*action);
        return true;
    }
    return false;
}

bool JogKeys::keyReleased(const QKeyEvent &key)
{
    if (key.isAutoRepeat())
        return m_held.contains(identity(key));
    if (!m_held.remove(identity(key)))
        return false;
    follow();
    return true;
}

void JogKeys::releaseAll()
{
    m_held.clear();
    follow();
}

void JogKeys::follow()
{
    QPoint sum;
    for (const QPoint &push : std::as_const(m_held))
        sum += push;
    const std::optional<protocol::Direction> direction = protocol::directionFor(sum.x(), sum.y());
    if (direction == m_holding)
        return;
    if (m_holding)
        m_jog.letGo(*m_holding, JogControl::Hand::Key);
    m_holding = direction;
    if (m_holding)
        m_jog.hold(*m_holding, JogControl::Hand::Key);
}
