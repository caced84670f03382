#pragma once

#include <QString>

struct _SDL_Joystick;

// A joystick or gamepad made inside the test by SDL's virtual joystick driver: the console finds
// it as it finds a device plugged in, and reads it through the same SDL calls. Buttons are
// numbered from 1 as the console's joystick settings number them (on a gamepad in SDL's order:
// 1 A, 2 B, 3 X, 4 Y, ...).
class VirtualStick
{
public:
    enum class Kind { Gamepad, Joystick };

    explicit VirtualStick(Kind kind = Kind::Gamepad,
                          const QString &name = QStringLiteral("Corvane test gamepad"));
    ~VirtualStick();
    VirtualStick(const VirtualStick &) = delete;
    VirtualStick &operator=(const VirtualStick &) = delete;

    bool isValid() const { return m_joystick != nullptr; }
    QString name() const { return m_name; }

    // The main stick: deflections -1 to 1, x to the right, y downwards as devices report them.
    void setStick(double x, double y);
    void setRaw(short x, short y);
    void centre() { setRaw(0, 0); }
    void setButton(int number, bool down);
    // The direction pad (a gamepad) or the first hat (a joystick): signs of right and up.
    void setPad(int right, int up);
    // Has SDL read the device now, as it reads a real one's queued events at its next update, so
    // that a press and a release before the console's next look both count.
    static void update();
    // Takes the device away as a pulled plug does; the destructor does the same.
    void unplug();

private:
    Kind m_kind;
    QString m_name;
    QByteArray m_nameBytes;
    _SDL_Joystick *m_joystick = nullptr;
    int m_instance = -1;
    bool m_sdl = false;
};
