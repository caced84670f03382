#pragma once

#include <QObject>

#include <array>

class ByteBox;
class ChoiceBox;
class HeadCommands;
class Links;
class QPushButton;
class QWidget;

// The operator's cruise: the centre button starts the pattern chosen in the pattern box and
// cancels it again; choosing a pattern presets the speed boxes; a speed chosen during a cruise
// restarts it with the new speeds.
class CruiseControl : public QObject
{
    Q_OBJECT
public:
    CruiseControl(HeadCommands &commands, const Links &links, ChoiceBox *pattern, ByteBox *panSpeed,
                  ByteBox *tiltSpeed, QPushButton *centre,
                  const std::array<QPushButton *, 8> &directions, QWidget *window);

    bool ZidongXunhang = false;

    void 中_Click();
    void 巡航模式_Click();
    void speedChosen();
    // Presets the speed boxes for pattern 1, 2 or 3; other patterns change nothing.
    void ApplyPatternSpeeds(int pattern);

private:
    HeadCommands &m_commands;
    const Links &m_links;
    ChoiceBox *巡航模式;
    ByteBox *水平速度;
    ByteBox *垂直速度;
    QPushButton *中;
    std::array<QPushButton *, 8> m_directions;
    QWidget *m_window;
};
