#include "control/jogcontrol.h"

#include "control/consolemodel.h"
#include "control/ticker.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "protocol/textcommand.h"
#include "ui/holdbutton.h"

#include <algorithm>

namespace {

// The flags are kept in scan order, which is the order of the directions themselves.
std::size_t flagOf(protocol::Direction direction)
{
    static_assert(protocol::kScanOrder[3] == protocol::Direction::Right &&
                  protocol::kScanOrder[7] == protocol::Direction::Left);
    return std::size_t(direction);
}

const QString &causeOf(JogControl::Hand hand)
{
    switch (hand) {
    case JogControl::Hand::Key:
        return sendcause::kKey;
    case JogControl::Hand::Pad:
        return sendcause::kPad;
    case JogControl::Hand::Button:
        break;
    }
    return sendcause::kDirectionButton;
}

} // namespace

JogControl::JogControl(const ConsoleModel &model, SendPath &send,
                       const std::array<HoldButton *, 8> &buttons, QPushButton *stopButton,
                       QObject *parent)
    : QObject(parent), m_model(model), m_send(send)
{
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const protocol::Direction direction = protocol::kScanOrder[i];
        connect(buttons[i], &HoldButton::held, this,
                [this, direction] { hold(direction, Hand::Button); });
        connect(buttons[i], &HoldButton::letGo, this,
                [this, direction] { letGo(direction, Hand::Button); });
        // A button still held down when everything is let go comes up and waits for a new press.
        connect(this, &JogControl::everythingLetGo, buttons[i], &HoldButton::drop);
    }
    connect(stopButton, &QPushButton::clicked, this, &JogControl::停止运动_Click);
    // A refused frame lets go of every direction, so a jog without a link stops at once.
    connect(&m_send, &SendPath::frameRefused, this, &JogControl::releaseAll);

    // The scan is the only thing that turns held directions into frames, one per direction per
    // tick, with no catching up after a late tick. It keeps its 10 ms grid for the whole run;
    // while no direction is held and no stick is there to be read a tick has nothing to do, so
    // the timer rests instead of waking the console a hundred times a second, and a press wakes
    // it for the next tick of the grid.
    鼠标发送扫描器 = new Ticker(kScanMs, this);
    鼠标发送扫描器->setObjectName(QStringLiteral("鼠标发送扫描器"));
    connect(鼠标发送扫描器, &Ticker::tick, this, &JogControl::scan);
    鼠标发送扫描器->rest();
}

void JogControl::hold(protocol::Direction direction, Hand hand)
{
    const std::size_t i = flagOf(direction);
    if (m_hands[i] == 0)
        m_causes[i] = causeOf(hand);
    m_hands[i] |= quint8(hand);
    JogHeld[i] = true;
    鼠标发送扫描器->wake();
}

void JogControl::letGo(protocol::Direction direction, Hand hand)
{
    const std::size_t i = flagOf(direction);
    m_hands[i] &= quint8(~quint8(hand));
    JogHeld[i] = m_hands[i] != 0;
}

void JogControl::setStick(StickInput *stick)
{
    m_stick = stick;
    鼠标发送扫描器->wake();
}

void JogControl::takeSample(const StickSample &sample)
{
    follow(sample);
    if (sample.attached)
        鼠标发送扫描器->wake();
}

void JogControl::scan()
{
    const StickSample sample = m_stick ? m_stick->poll() : StickSample{};
    follow(sample);
    const bool anyHeld =
        std::any_of(JogHeld.begin(), JogHeld.end(), [](bool held) { return held; });
    for (std::size_t i = 0; i < JogHeld.size(); ++i) {
        // Tested just before its frame: a refusal earlier in this tick has cleared it.
        if (!JogHeld[i])
            continue;
        if (!m_jogging[i]) {
            m_jogging[i] = true;
            emit jogStarted(int(i));
        }
        m_send.send(m_model.jog(protocol::kScanOrder[i]), m_causes[i]);
    }
    // A held direction has the tick to itself.
    bool stickSent = false;
    // A refusal earlier in this tick has stopped the stick too.
    if (!anyHeld && m_stickMotion) {
        if (!m_jogging[kStickJog]) {
            m_jogging[kStickJog] = true;
            emit jogStarted(kStickJog);
        }
        m_send.send(m_model.stick(*m_stickMotion), sendcause::kStick);
        stickSent = true;
    }
    // After the frames, so a direction let go by a refusal in this tick ends in this tick.
    for (std::size_t i = 0; i < JogHeld.size(); ++i) {
        if (m_jogging[i] && !JogHeld[i]) {
            m_jogging[i] = false;
            emit jogEnded(int(i));
        }
    }
    if (m_jogging[kStickJog] && !stickSent) {
        m_jogging[kStickJog] = false;
        emit jogEnded(kStickJog);
    }
    const bool stillHeld =
        std::any_of(JogHeld.begin(), JogHeld.end(), [](bool held) { return held; });
    if (!stillHeld && !sample.attached)
        鼠标发送扫描器->rest();
}

void JogControl::follow(const StickSample &sample)
{
    if (sample.changed || !sample.attached)
        stopStick();
    // Where the pad was when the device went is where it still is for the one that comes.
    if (!sample.attached)
        return;
    if (!sample.mayMove) {
        // A pad pressed meanwhile is not a press once it may move the head again.
        stopStick();
        m_padSeen = sample.pad;
        return;
    }
    if (sample.pad != m_padSeen) {
        if (m_padHeld)
            letGo(*m_padHeld, Hand::Pad);
        m_padHeld = sample.pad;
        if (m_padHeld)
            hold(*m_padHeld, Hand::Pad);
        m_padSeen = sample.pad;
    }
    if (!sample.motion)
        m_mustCentre = false;
    m_stickMotion = m_mustCentre ? std::nullopt : sample.motion;
}

void JogControl::stopStick()
{
    if (m_padHeld)
        letGo(*m_padHeld, Hand::Pad);
    m_padHeld.reset();
    m_stickMotion.reset();
    m_mustCentre = true;
}

void JogControl::停止运动_Click()
{
    // Stop means nothing held goes on: every hand must press again, the stick come back to the
    // centre, before the head moves again.
    releaseAll();
    m_send.send(protocol::textStop(), sendcause::kStopButton);
}

void JogControl::releaseAll()
{
    stopStick();
    JogHeld.fill(false);
    m_hands.fill(0);
    emit everythingLetGo();
}
