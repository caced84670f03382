#include "control/cruisecontrol.h"

#include "control/controltexts.h"
#include "control/headcommands.h"
#include "link/links.h"
#include "ui/choicebox.h"
#include "ui/prompt.h"

#include <QPushButton>

using namespace controltexts;

CruiseControl::CruiseControl(HeadCommands &commands, const Links &links, ChoiceBox *pattern,
                             ByteBox *panSpeed, ByteBox *tiltSpeed, QPushButton *centre,
                             const std::array<QPushButton *, 8> &directions, QWidget *window)
    : QObject(window), m_commands(commands), m_links(links), 巡航模式(pattern), 水平速度(panSpeed),
      垂直速度(tiltSpeed), 中(centre), m_directions(directions), m_window(window)
{
    connect(中, &QPushButton::clicked, this, &CruiseControl::中_Click);
    connect(巡航模式, &ChoiceBox::chosen, this, &CruiseControl::巡航模式_Click);
    connect(水平速度, &ChoiceBox::chosen, this, &CruiseControl::speedChosen);
    connect(垂直速度, &ChoiceBox::chosen, this, &CruiseControl::speedChosen);
}

void CruiseControl::中_Click()
{
    if (!m_links.isOpen()) {
        prompt::show(m_window, kConnectFirst);
        return;
    }
    ZidongXunhang = !ZidongXunhang;
    if (ZidongXunhang) {
        中->setText(kCruiseRunning);
        for (QPushButton *direction : m_directions)
            direction->setEnabled(false);
        // A pattern name typed by hand starts nothing, but the cruise still counts as started.
        m_commands.SendCruiseStart(patternOf(巡航模式->currentText()));
    } else {
        中->setText(kCruiseIdle);
        for (QPushButton *direction : m_directions)
            direction->setEnabled(true);
        // The stop frame is the same for every pattern.
        m_commands.SendCruiseStop(1);
    }
}

void CruiseControl::巡航模式_Click()
{
    ApplyPatternSpeeds(patternOf(巡航模式->currentText()));
}

void CruiseControl::speedChosen()
{
    if (中->text() == kCruiseRunning)
        m_commands.SendCruiseStart(patternOf(巡航模式->currentText()));
}

void CruiseControl::ApplyPatternSpeeds(int pattern)
{
    static const char *const speeds[][2] = {{"63", "5"}, {"5", "63"}, {"63", "63"}};
    if (pattern < 1 || pattern > 3)
        return;
    水平速度->setValue(QString::fromLatin1(speeds[pattern - 1][0]));
    垂直速度->setValue(QString::fromLatin1(speeds[pattern - 1][1]));
}
