#pragma once

#include "control/jogcontrol.h"
#include "control/joystickdevices.h"
#include "control/joysticksettings.h"
#include "ui/prompt.h"

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
// attached, and once a second while none is, for one to be plugged in. Each reading hands the
// scan a sample of the stick and the pad, which drive pan and tilt and hold jog directions as the
// scan decides. The mapped buttons run the console's actions after the tick that read them, so
// that a message one puts up is never shown from inside the scan. The stick and the pad may not
// move the head during a cruise, nor when the console may not be driven: its window away, a
// message up, or one shown since the last reading.
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

    StickSample poll() override;

private:
    void lookForDevice();
    void setOpen(bool open);
    bool consoleMayBeDriven() const;
    void runActions(const QList<OperatorAction> &actions);

    JogControl &m_jog;
    JoystickDevices m_devices;
    QString m_settingsPath;
    joysticksettings::Settings m_settings;
    QString m_problem;
    StickHooks m_hooks;
    QTimer *m_hotPlug;
    prompt::Watch m_messages;

    bool m_open = false;
    // A message was shown since the last reading, perhaps answered before a tick saw it up.
    bool m_messageShown = false;
};
