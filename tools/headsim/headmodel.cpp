#include "tools/headsim/headmodel.h"

#include <algorithm>
#include <cmath>

namespace headsim {

namespace {

constexpr double kTiltMax = 180;
constexpr double kFullTurn = 360;
constexpr int kTopSpeed = 0x3F;
constexpr int kTurboSpeed = 0x63;
constexpr double kSlowestRate = 0.5;
constexpr double kTopRate = 40;
constexpr double kTurboRate = 80;

double wrapPan(double pan)
{
    pan = std::fmod(pan, kFullTurn);
    if (pan < 0)
        pan += kFullTurn;
    // -1e-15 + 360 rounds to 360 itself.
    return pan >= kFullTurn ? 0 : pan;
}

double clampTilt(double tilt)
{
    return std::clamp(tilt, 0.0, kTiltMax);
}

// Signed shortest way from one pan bearing to another, in (-180, 180].
double panDelta(double from, double to)
{
    double delta = std::fmod(to - from, kFullTurn);
    if (delta > kFullTurn / 2)
        delta -= kFullTurn;
    else if (delta <= -kFullTurn / 2)
        delta += kFullTurn;
    return delta;
}

// Moves the tilt a distance along a sweep between 0 and 180, turning back at either end.
void sweepTilt(HeadState &head, double distance)
{
    // One full sweep up and down is 360 degrees of travel and ends where it started.
    distance = std::fmod(distance, 2 * kTiltMax);
    double &tilt = head.position.tilt;
    while (distance > 0) {
        const double room = head.tiltSweep > 0 ? kTiltMax - tilt : tilt;
        if (distance <= room) {
            tilt += head.tiltSweep * distance;
            break;
        }
        tilt = head.tiltSweep > 0 ? kTiltMax : 0;
        distance -= room;
        head.tiltSweep = -head.tiltSweep;
    }
    tilt = clampTilt(tilt);
}

} // namespace

HeadModel::HeadModel(qint64 startMs) : m_now(startMs) {}

double HeadModel::rateForSpeed(int speed)
{
    if (speed <= 0)
        return 0;
    if (speed <= kTopSpeed)
        return kSlowestRate *
               std::pow(kTopRate / kSlowestRate, (speed - 1) / double(kTopSpeed - 1));
    if (speed >= kTurboSpeed)
        return kTurboRate;
    return kTopRate +
           (kTurboRate - kTopRate) * (speed - kTopSpeed) / double(kTurboSpeed - kTopSpeed);
}

QByteArray HeadModel::positionReply(const Position &position)
{
    const int pan = int(std::lround(position.pan)) % int(kFullTurn);
    const int tilt = std::clamp(int(std::lround(position.tilt)), 0, int(kTiltMax));
    return QStringLiteral("T%1%2llll")
        .arg(pan, 3, 10, QLatin1Char('0'))
        .arg(tilt, 3, 10, QLatin1Char('0'))
        .toLatin1();
}

void HeadModel::advance(qint64 nowMs)
{
    if (nowMs <= m_now)
        return;
    for (HeadState &head : m_heads) {
        if (head.motion != HeadState::Motion::Still)
            advanceHead(head, m_now, nowMs);
    }
    m_now = nowMs;
}

bool HeadModel::moving() const
{
    return std::any_of(m_heads.begin(), m_heads.end(), [](const HeadState &head) {
        return head.motion != HeadState::Motion::Still;
    });
}

void HeadModel::apply(const FrameCommand &command, qint64 nowMs)
{
    advance(nowMs);
    if (command.kind == FrameCommand::Kind::Unknown)
        return;
    m_current = command.address;
    HeadState &head = m_heads.at(command.address);
    switch (command.kind) {
    case FrameCommand::Kind::Jog:
        jog(head, command, std::max(nowMs, m_now));
        break;
    case FrameCommand::Kind::LampOn:
    case FrameCommand::Kind::LampOff:
        head.lamp = command.kind == FrameCommand::Kind::LampOn;
        break;
    case FrameCommand::Kind::PresetSet:
        head.presets.at(command.number - 1) = head.position;
        break;
    case FrameCommand::Kind::PresetRecall:
        if (const auto &preset = head.presets.at(command.number - 1))
            travelTo(head, *preset);
        break;
    case FrameCommand::Kind::CruiseStart:
        startCruise(head, command);
        break;
    case FrameCommand::Kind::CruiseStop:
        if (head.motion == HeadState::Motion::Cruise) {
            head.motion = HeadState::Motion::Still;
            head.cruise = 0;
        }
        break;
    case FrameCommand::Kind::Unknown:
        break;
    }
}

QByteArray HeadModel::apply(const TextCommand &command, qint64 nowMs)
{
    advance(nowMs);
    HeadState &head = m_heads.at(m_current);
    switch (command.kind) {
    case TextCommand::Kind::LampOn:
    case TextCommand::Kind::LampOff:
        head.lamp = command.kind == TextCommand::Kind::LampOn;
        break;
    case TextCommand::Kind::Stop:
        head.motion = HeadState::Motion::Still;
        head.cruise = 0;
        break;
    case TextCommand::Kind::Query:
        return positionReply(head.position);
    case TextCommand::Kind::GoTo:
        travelTo(head, {wrapPan(command.pan), clampTilt(command.tilt)});
        break;
    case TextCommand::Kind::Bad:
        break;
    }
    return {};
}

void HeadModel::jog(HeadState &head, const FrameCommand &command, qint64 nowMs)
{
    head.cruise = 0;
    if (command.directions == 0) {
        head.motion = HeadState::Motion::Still;
        return;
    }
    const int panSign = (command.directions & FrameCommand::kRight)  ? 1
                        : (command.directions & FrameCommand::kLeft) ? -1
                                                                     : 0;
    const int tiltSign = (command.directions & FrameCommand::kUp)     ? 1
                         : (command.directions & FrameCommand::kDown) ? -1
                                                                      : 0;
    head.motion = HeadState::Motion::Jog;
    head.panRate = panSign * rateForSpeed(command.panSpeed);
    head.tiltRate = tiltSign * rateForSpeed(command.tiltSpeed);
    head.jogUntil = nowMs + kJogHoldMs;
}

void HeadModel::startCruise(HeadState &head, const FrameCommand &command)
{
    if (head.motion != HeadState::Motion::Cruise)
        head.tiltSweep = 1;
    head.motion = HeadState::Motion::Cruise;
    head.cruise = command.number;
    head.panRate = rateForSpeed(command.panSpeed);
    head.tiltRate = rateForSpeed(command.tiltSpeed);
}

void HeadModel::travelTo(HeadState &head, Position target)
{
    head.cruise = 0;
    head.motion = HeadState::Motion::Travel;
    head.target = target;
}

void HeadModel::advanceHead(HeadState &head, qint64 from, qint64 to)
{
    Position &p = head.position;
    switch (head.motion) {
    case HeadState::Motion::Still:
        break;
    case HeadState::Motion::Jog: {
        const qint64 end = std::min(to, head.jogUntil);
        if (end > from) {
            const double seconds = (end - from) / 1000.0;
            p.pan = wrapPan(p.pan + head.panRate * seconds);
            p.tilt = clampTilt(p.tilt + head.tiltRate * seconds);
        }
        if (to >= head.jogUntil)
            head.motion = HeadState::Motion::Still;
        break;
    }
    case HeadState::Motion::Cruise: {
        const double seconds = (to - from) / 1000.0;
        if (head.cruise == 1 || head.cruise == 3)
            p.pan = wrapPan(p.pan + head.panRate * seconds);
        if (head.cruise == 2 || head.cruise == 3)
            sweepTilt(head, head.tiltRate * seconds);
        break;
    }
    case HeadState::Motion::Travel: {
        // The last step lands on the target itself, so rounding never leaves a travel running.
        const double step = kTravelRate * (to - from) / 1000.0;
        const double panLeft = panDelta(p.pan, head.target.pan);
        p.pan = std::abs(panLeft) <= step ? head.target.pan
                                          : wrapPan(p.pan + std::copysign(step, panLeft));
        const double tiltLeft = head.target.tilt - p.tilt;
        p.tilt =
            std::abs(tiltLeft) <= step ? head.target.tilt : p.tilt + std::copysign(step, tiltLeft);
        if (p.pan == head.target.pan && p.tilt == head.target.tilt)
            head.motion = HeadState::Motion::Still;
        break;
    }
    }
}

} // namespace headsim
