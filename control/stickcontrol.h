#pragma once

#include "control/jogcontrol.h"
#include "control/joystickdevices.h"
#include "control/joysticksettings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QTimer;

// What the stick works with around it, on the main window.
struct StickHooks
{
    // The console may be driven from the device now (its window is on the screen and no
    // message is up).
    std::function<bool()> mayDrive;
    std::function<bool()> cruising;
    // Runs an action of a mapped button, as its control on the window runs it.
    std::function<void(OperatorAction)> act;
    // A notice of our own for the status line.
    std::function<void(const QString &)> notice;
};

// The operator's joystick or gamepad: read on every tick of the jog scan while a device is
// attached, and once a second while none is, for one to be plugged in. Its stick drives pan and
// tilt, its direction pad holds jog directions like the buttons, and its mapped buttons run the
// console's actions. Dead-man rules: a stick inside the dead zone sends nothing; a device that
// comes or goes, a refused frame, a cruise or a time when the console may not be driven leave the
// stick stopped until it has been seen back at the centre.
class StickControl : public QObject, public StickInput
{
    Q_OBJECT
public:
    static constexpr int kHotPlugMs = 1000;

    // choice is CORVANE_JOYSTICK's value; settingsPath the joystick.ini of the data directory.
    StickControl(JogControl &jog, const QString &choice, const QString &settingsPath,
                 StickHooks hooks, QObject *parent = nullptr);

    const joysticksettings::Settings &settings() const { return m_settings; }
    // The message about the settings file as it was read at start-up; empty when all was well.
    QString settingsProblem() const { return m_problem; }
    bool attached() const { return m_open; }

    void poll() override;
    std::optional<stick::Motion> motion() const override { return m_motion; }
    bool wantsTicks() const override { return m_open; }

private:
    void stopDriving();
    void setOpen(bool open);

    JogControl &m_jog;
    JoystickDevices m_devices;
    QString m_settingsPath;
    joysticksettings::Settings m_settings;
    QString m_problem;
    StickHooks m_hooks;
    QTimer *m_hotPlug;

    bool m_open = false;
    bool m_polling = false;
    // Set whenever the stick stopped driving for a reason other than the operator centring it.
    bool m_mustCentre = true;
    std::optional<stick::Motion> m_motion;
    // The pad's position at the last poll, and the direction it holds, if any: it holds only when
    // it moves to a direction, so after a refusal it must be pressed again.
    std::optional<protocol::Direction> m_padSeen;
    std::optional<protocol::Direction> m_padHeld;
};
