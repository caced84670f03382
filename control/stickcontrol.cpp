#include "control/stickcontrol.h"

#include "control/controltexts.h"

#include <QList>
#include <QTimer>

#include <utility>

StickControl::StickControl(JogControl &jog, const QString &choice, const QString &settingsPath,
                           StickHooks hooks, QObject *parent)
    : QObject(parent), m_jog(jog), m_devices(choice), m_settingsPath(settingsPath),
      m_hooks(std::move(hooks)), m_hotPlug(new QTimer(this)),
      m_messages([this](const QString &) { m_messageShown = true; })
{
    const joysticksettings::Loaded loaded = joysticksettings::load(settingsPath);
    m_settings = loaded.read.settings;
    m_problem = joysticksettings::problemText(settingsPath, loaded);

    m_hotPlug->setObjectName(QStringLiteral("摇杆检测"));
    m_hotPlug->setInterval(kHotPlugMs);
    m_hotPlug->setTimerType(Qt::VeryCoarseTimer);
    connect(m_hotPlug, &QTimer::timeout, this, &StickControl::lookForDevice);
    if (!m_devices.enabled())
        return;
    m_jog.setStick(this);
    m_hotPlug->start();
}

void StickControl::lookForDevice()
{
    // Once there, the device is read on every tick of the scan from its next one on.
    m_jog.takeSample(poll());
}

void StickControl::setOpen(bool open)
{
    if (open == m_open)
        return;
    m_open = open;
    if (open)
        m_hotPlug->stop();
    else
        m_hotPlug->start();
}

bool StickControl::consoleMayBeDriven() const
{
    return !prompt::isUp() && m_hooks.mayDrive();
}

StickSample StickControl::poll()
{
    const JoystickDevices::State state = m_devices.poll();
    StickSample sample;
    sample.changed = !state.changes.isEmpty();
    for (const JoystickDevices::Change &change : state.changes) {
        if (change.attached) {
            // The file is written on first use, so that the operator finds the defaults to edit.
            const files::Saved saved = joysticksettings::writeDefaultsIfMissing(m_settingsPath);
            if (!saved.ok)
                qWarning("corvane: cannot write %s: %s", qUtf8Printable(m_settingsPath),
                         qUtf8Printable(files::reasonText(saved.error)));
        }
        m_hooks.notice(change.attached ? controltexts::stickAttached(change.name)
                                       : controltexts::stickDetached(change.name));
    }
    // Only a message shown while a device was there keeps it from driving.
    const bool messageShown = std::exchange(m_messageShown, false) && m_open;
    setOpen(state.open);
    sample.attached = state.open;
    if (!state.open)
        return sample;
    sample.pad = state.pad;
    sample.motion = stick::motionOf(state.x, state.y, m_settings.shape);
    // What was pressed while a message was up, or while the window was away, does nothing.
    if (messageShown || !consoleMayBeDriven())
        return sample;
    QList<OperatorAction> actions;
    for (const int button : state.pressed) {
        const auto action = m_settings.buttons.constFind(button);
        if (action != m_settings.buttons.cend())
            actions.append(*action);
    }
    if (!actions.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, actions] { runActions(actions); }, Qt::QueuedConnection);
    // The direction buttons are disabled while a cruise runs; the stick and the pad rest too,
    // while the mapped buttons, the cruise's own among them, still work.
    sample.mayMove = !m_hooks.cruising();
    return sample;
}

void StickControl::runActions(const QList<OperatorAction> &actions)
{
    for (const OperatorAction action : actions) {
        // Each goes by the state of now: one before it may have put up a message that is still
        // there, or hidden the window.
        if (!consoleMayBeDriven())
            return;
        m_hooks.act(action);
        // What was pressed while it ran, a message perhaps up, was not meant for what follows.
        m_devices.dropPresses();
    }
}
