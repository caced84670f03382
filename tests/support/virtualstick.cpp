#include "virtualstick.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr Uint32 kSubsystems = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;
constexpr int kJoystickAxes = 2;
constexpr int kJoystickButtons = 12;

short raw(double deflection)
{
    return short(std::lround(std::clamp(deflection, -1.0, 1.0) * 32767.0));
}

} // namespace

VirtualStick::VirtualStick(Kind kind, const QString &name)
    : m_kind(kind), m_name(name), m_nameBytes(name.toUtf8())
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    m_sdl = SDL_InitSubSystem(kSubsystems) == 0;
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.name = m_nameBytes.constData();
    if (kind == Kind::Gamepad) {
        // With a mask of the roles it has, SDL maps it as a gamepad by itself.
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    } else {
        desc.type = SDL_JOYSTICK_TYPE_FLIGHT_STICK;
        desc.naxes = kJoystickAxes;
        desc.nbuttons = kJoystickButtons;
        desc.nhats = 1;
    }
    const int index = m_sdl ? SDL_JoystickAttachVirtualEx(&desc) : -1;
    if (index < 0) {
        qWarning("SDL: %s", SDL_GetError());
        return;
    }
    m_joystick = SDL_JoystickOpen(index);
    if (m_joystick)
        m_instance = SDL_JoystickInstanceID(m_joystick);
}

VirtualStick::~VirtualStick()
{
    unplug();
    if (m_sdl)
        SDL_QuitSubSystem(kSubsystems);
}

void VirtualStick::setStick(double x, double y)
{
    setRaw(raw(x), raw(y));
}

void VirtualStick::setRaw(short x, short y)
{
    if (!m_joystick)
        return;
    // The gamepad's left stick is its axes 0 and 1, as are a joystick's first two.
    SDL_JoystickSetVirtualAxis(m_joystick, 0, x);
    SDL_JoystickSetVirtualAxis(m_joystick, 1, y);
}

void VirtualStick::setButton(int number, bool down)
{
    if (m_joystick)
        SDL_JoystickSetVirtualButton(m_joystick, number - 1, down ? 1 : 0);
}

void VirtualStick::setPad(int right, int up)
{
    if (!m_joystick)
        return;
    if (m_kind == Kind::Gamepad) {
        SDL_JoystickSetVirtualButton(m_joystick, SDL_CONTROLLER_BUTTON_DPAD_UP, up > 0);
        SDL_JoystickSetVirtualButton(m_joystick, SDL_CONTROLLER_BUTTON_DPAD_DOWN, up < 0);
        SDL_JoystickSetVirtualButton(m_joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, right < 0);
        SDL_JoystickSetVirtualButton(m_joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, right > 0);
        return;
    }
    SDL_JoystickSetVirtualHat(m_joystick, 0,
                              Uint8((up > 0 ? SDL_HAT_UP : 0) | (up < 0 ? SDL_HAT_DOWN : 0) |
                                    (right > 0 ? SDL_HAT_RIGHT : 0) |
                                    (right < 0 ? SDL_HAT_LEFT : 0)));
}

void VirtualStick::update()
{
    SDL_JoystickUpdate();
}

void VirtualStick::unplug()
{
    if (!m_joystick)
        return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == m_instance) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
    SDL_JoystickClose(m_joystick);
    m_joystick = nullptr;
}
