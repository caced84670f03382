#include "control/joystickdevices.h"

#include "control/stickmotion.h"

#include <SDL.h>

namespace {

constexpr Uint32 kSubsystems = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;
const QString kNoDevice = QStringLiteral("none");

int signOf(bool positive, bool negative)
{
    return int(positive) - int(negative);
}

} // namespace

struct JoystickDevices::Open
{
    SDL_Joystick *joystick = nullptr;
    SDL_GameController *gamepad = nullptr;
    SDL_JoystickID id = -1;
    QString name;
};

JoystickDevices::JoystickDevices(const QString &choice) : m_choice(choice.trimmed())
{
    if (m_choice.compare(kNoDevice, Qt::CaseInsensitive) == 0)
        return;
    // The console's own Ctrl-C and SIGTERM handling stays as it is.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL has no window of its own here to tell it whether the console is in front: whether the
    // stick may drive is the console's decision.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    m_enabled = SDL_InitSubSystem(kSubsystems) == 0;
    if (m_enabled)
        chooseDevice(m_found);
}

JoystickDevices::~JoystickDevices()
{
    if (!m_enabled)
        return;
    QList<Change> ignored;
    closeDevice(ignored);
    SDL_QuitSubSystem(kSubsystems);
}

bool JoystickDevices::matches(int index) const
{
    if (m_choice.isEmpty())
        return true;
    bool isNumber = false;
    const int wanted = m_choice.toInt(&isNumber);
    if (isNumber)
        return index == wanted;
    return QString::fromUtf8(SDL_JoystickNameForIndex(index))
        .contains(m_choice, Qt::CaseInsensitive);
}

void JoystickDevices::chooseDevice(QList<Change> &changes)
{
    if (m_open)
        return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (!matches(i))
            continue;
        auto open = std::make_unique<Open>();
        if (SDL_IsGameController(i)) {
            open->gamepad = SDL_GameControllerOpen(i);
            open->joystick = open->gamepad ? SDL_GameControllerGetJoystick(open->gamepad) : nullptr;
        } else {
            open->joystick = SDL_JoystickOpen(i);
        }
        if (!open->joystick)
            continue;
        open->id = SDL_JoystickInstanceID(open->joystick);
        open->name = QString::fromUtf8(SDL_JoystickName(open->joystick));
        changes.append({true, open->name});
        m_open = std::move(open);
        return;
    }
}

void JoystickDevices::closeDevice(QList<Change> &changes)
{
    if (!m_open)
        return;
    changes.append({false, m_open->name});
    if (m_open->gamepad)
        SDL_GameControllerClose(m_open->gamepad);
    else
        SDL_JoystickClose(m_open->joystick);
    m_open.reset();
}

void JoystickDevices::dropPresses()
{
    if (!m_enabled)
        return;
    SDL_PumpEvents();
    SDL_FlushEvent(SDL_JOYBUTTONDOWN);
    SDL_FlushEvent(SDL_CONTROLLERBUTTONDOWN);
}

JoystickDevices::State JoystickDevices::poll()
{
    State state;
    if (!m_enabled)
        return state;
    state.changes.swap(m_found);
    bool devicesChanged = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_JOYDEVICEADDED:
            devicesChanged = true;
            break;
        case SDL_JOYDEVICEREMOVED:
            if (m_open && event.jdevice.which == m_open->id)
                closeDevice(state.changes);
            devicesChanged = true;
            break;
        case SDL_JOYBUTTONDOWN:
            // A gamepad's buttons come by their roles below, its direction pad included.
            if (m_open && !m_open->gamepad && event.jbutton.which == m_open->id)
                state.pressed.append(event.jbutton.button + 1);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            if (m_open && m_open->gamepad && event.cbutton.which == m_open->id &&
                (event.cbutton.button < SDL_CONTROLLER_BUTTON_DPAD_UP ||
                 event.cbutton.button > SDL_CONTROLLER_BUTTON_DPAD_RIGHT))
                state.pressed.append(event.cbutton.button + 1);
            break;
        default:
            break;
        }
    }
    // A device that SDL no longer lists is gone even if its removal was missed.
    if (m_open && !SDL_JoystickGetAttached(m_open->joystick))
        closeDevice(state.changes);
    if (devicesChanged || !m_open)
        chooseDevice(state.changes);
    if (!m_open)
        return state;

    state.open = true;
    int right = 0;
    int up = 0;
    if (SDL_GameController *pad = m_open->gamepad) {
        state.x = stick::deflection(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
        state.y = stick::deflection(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
        const auto held = [pad](SDL_GameControllerButton b) {
            return SDL_GameControllerGetButton(pad, b) != 0;
        };
        right =
            signOf(held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), held(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
        up = signOf(held(SDL_CONTROLLER_BUTTON_DPAD_UP), held(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    } else {
        SDL_Joystick *j = m_open->joystick;
        if (SDL_JoystickNumAxes(j) >= 2) {
            state.x = stick::deflection(SDL_JoystickGetAxis(j, 0));
            state.y = stick::deflection(SDL_JoystickGetAxis(j, 1));
        }
        if (SDL_JoystickNumHats(j) >= 1) {
            const Uint8 hat = SDL_JoystickGetHat(j, 0);
            right = signOf(hat & SDL_HAT_RIGHT, hat & SDL_HAT_LEFT);
            up = signOf(hat & SDL_HAT_UP, hat & SDL_HAT_DOWN);
        }
    }
    state.pad = protocol::directionFor(right, up);
    return state;
}
