#include "control/stickcontrol.h"

#include "control/controltexts.h"

#include <QScopedValueRollback>
#include <QTimer>

StickControl::StickControl(JogControl &jog, const QString &choice, const QString &settingsPath,
                           StickHooks hooks, QObject *parent)
    : QObject(parent), m_jog(jog), m_devices(choice), m_settingsPath(settingsPath),
      m_hooks(std::move(hooks)), m_hotPlug(new QTimer(this))
{
    const joysticksettings::Loaded loaded = joysticksettings::load(settingsPath);
    m_settings = loaded.read.settings;
    m_problem = joysticksettings::problemText(settingsPath, loaded);

    connect(&m_jog, &JogControl::everythingLetGo, this, &StickControl::stopDriving);
    m_hotPlug->setObjectName(QStringLiteral("摇杆检测"));
    m_hotPlug->setInterval(kHotPlugMs);
    m_hotPlug->setTimerType(Qt::VeryCoarseTimer);
    connect(m_hotPlug, &QTimer::timeout, this, &StickControl::poll);
    if (!m_devices.enabled())
        return;
    m_jog.setStick(this);
    m_hotPlug->start();
}

void StickControl::setOpen(bool open)
{
    if (open == m_open)
        return;
    m_open = open;
    if (open) {
        m_hotPlug->stop();
        m_jog.wake();
    } else {
        m_hotPlug->start();
    }
}

void StickControl::stopDriving()
{
    if (m_padHeld)
        m_jog.letGo(*m_padHeld, JogControl::Hand::Pad);
    m_padHeld.reset();
    m_motion.reset();
    m_mustCentre = true;
}

void StickControl::poll()
{
    // A message a button's action put up runs the event loop: no second poll inside the first.
    if (m_polling)
        return;
    const QScopedValueRollback polling(m_polling, true);
    const JoystickDevices::State state = m_devices.poll();
    for (const JoystickDevices::Change &change : state.changes) {
        stopDriving();
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
    setOpen(state.open);
    if (!state.open)
        return;
    if (!m_hooks.mayDrive()) {
        // A pad pressed meanwhile is not a press once driving is allowed again.
        stopDriving();
        m_padSeen = state.pad;
        return;
    }
    for (const int button : state.pressed) {
        const auto action = m_settings.buttons.constFind(button);
        if (action == m_settings.buttons.cend())
            continue;
        m_hooks.act(*action);
        // A message may have been up meanwhile: what follows goes by the state of now, and
        // what was pressed while it was up does nothing.
        m_devices.dropPresses();
        if (!m_hooks.mayDrive()) {
            stopDriving();
            m_padSeen = state.pad;
            return;
        }
    }
    // The direction buttons are disabled while a cruise runs; the stick and the pad rest too.
    if (m_hooks.cruising()) {
        stopDriving();
        m_padSeen = state.pad;
        return;
    }
    if (state.pad != m_padSeen) {
        if (m_padHeld)
            m_jog.letGo(*m_padHeld, JogControl::Hand::Pad);
        m_padHeld = state.pad;
        if (m_padHeld)
            m_jog.hold(*m_padHeld, JogControl::Hand::Pad);
        m_padSeen = state.pad;
    }
    const std::optional<stick::Motion> wanted = stick::motionOf(state.x, state.y, m_settings.shape);
    if (!wanted)
        m_mustCentre = false;
    m_motion = m_mustCentre ? std::nullopt : wanted;
}
