#pragma once

#include <QObject>

#include <array>

class ByteBox;
class ChoiceBox;
class ConsoleModel;
class SendPath;
class Links;
class QPushButton;
class QWidget;

// The main window's controls the cruise works with.
struct CruiseControls
{
    ChoiceBox *巡航模式 = nullptr;
    ByteBox *水平速度 = nullptr;
    ByteBox *垂直速度 = nullptr;
    QPushButton *中 = nullptr;
    // In the order they are disabled and enabled: up-left, up, up-right, right, down-right,
    // down, down-left, left.
    std::array<QPushButton *, 8> directions{};
};

// The operator's cruise: the centre button starts the pattern chosen in the pattern box and
// cancels it again; choosing a pattern presets the speed boxes; a speed chosen during a cruise
// restarts it with the new speeds. Whether a cruise runs is kept here, in ZidongXunhang; the
// centre button's caption and the direction buttons show it.
class CruiseControl : public QObject
{
    Q_OBJECT
public:
    CruiseControl(const ConsoleModel &model, SendPath &send, const Links &links,
                  const CruiseControls &controls, QWidget *window);

    bool cruising() const { return ZidongXunhang; }

    void 中_Click();
    void 巡航模式_Click();
    void speedChosen();
    // Presets the speed boxes for pattern 1, 2 or 3; other patterns change nothing.
    void ApplyPatternSpeeds(int pattern);

private:
    // The one place the cruise state changes, and what shows it with it.
    void setCruising(bool cruising);

    const ConsoleModel &m_model;
    SendPath &m_send;
    const Links &m_links;
    CruiseControls c;
    QWidget *m_window;
    bool ZidongXunhang = false;
};
