#pragma once

#include "protocol/frame.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

// The joysticks and gamepads attached to this machine, through SDL's joystick and game-controller
// API, and the one among them that drives: the first one attached, or the one CORVANE_JOYSTICK
// names. Gamepads known to SDL are read by their roles (left stick, direction pad, buttons by
// name); other devices by their first two axes, first hat and buttons. No thread: SDL's events
// are pumped by poll(), on the caller's thread.
class JoystickDevices
{
public:
    // How CORVANE_JOYSTICK chooses: empty for the first device, a number for the device at that
    // place in SDL's list (from 0), "none" for no device at all, else a part of the device's
    // name (any case).
    explicit JoystickDevices(const QString &choice);
    ~JoystickDevices();
    JoystickDevices(const JoystickDevices &) = delete;
    JoystickDevices &operator=(const JoystickDevices &) = delete;

    // SDL's joystick support is up and a device may be chosen.
    bool enabled() const { return m_enabled; }

    struct Change
    {
        bool attached = false;
        QString name;
    };
    struct State
    {
        // A device is chosen and open.
        bool open = false;
        // The main stick, -1 to 1: x to the right, y downwards.
        double x = 0;
        double y = 0;
        std::optional<protocol::Direction> pad;
        // Buttons pressed since the last poll, numbered from 1.
        QList<int> pressed;
        // The driving device came or went since the last poll, in order.
        QList<Change> changes;
    };
    State poll();
    // Reads the device and forgets the buttons pressed since the last poll: they were pressed
    // while the console was busy with an action, a message perhaps, and were not meant for what
    // follows it. Comings and goings are kept for the next poll.
    void dropPresses();

private:
    struct Open;
    void chooseDevice(QList<Change> &changes);
    void closeDevice(QList<Change> &changes);
    bool matches(int index) const;

    QString m_choice;
    bool m_enabled = false;
    // What start-up found, told by the first poll.
    QList<Change> m_found;
    std::unique_ptr<Open> m_open;
};
