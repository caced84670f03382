#include "control/cruisecontrol.h"

#include "control/consolemodel.h"
#include "control/controltexts.h"
#include "link/links.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "ui/choicebox.h"
#include "ui/prompt.h"

#include <QPushButton>

using namespace controltexts;

CruiseControl::CruiseControl(const ConsoleModel &model, SendPath &send, const Links &links,
                             const CruiseControls &controls, QWidget *window)
    : QObject(window), m_model(model), m_send(send), m_links(links), c(controls), m_window(window)
{
    connect(c.中, &QPushButton::clicked, this, &CruiseControl::中_Click);
    connect(c.巡航模式, &ChoiceBox::chosen, this, &CruiseControl::巡航模式_Click);
    connect(c.水平速度, &ChoiceBox::chosen, this, &CruiseControl::speedChosen);
    connect(c.垂直速度, &ChoiceBox::chosen, this, &CruiseControl::speedChosen);
}

void CruiseControl::setCruising(bool cruising)
{
    ZidongXunhang = cruising;
    c.中->setText(cruising ? kCruiseRunning : kCruiseIdle);
    for (QPushButton *direction : c.directions)
        direction->setEnabled(!cruising);
}

void CruiseControl::中_Click()
{
    if (!m_links.isOpen()) {
        prompt::show(m_window, kConnectFirst);
        return;
    }
    setCruising(!ZidongXunhang);
    if (ZidongXunhang) {
        // A pattern name typed by hand starts nothing, but the cruise still counts as started.
        m_send.burst(m_model.cruiseStart(), ConsoleModel::kBurst, sendcause::kCruiseButton);
    } else {
        // The stop frame is the same for every pattern.
        m_send.burst(protocol::cruiseStop(m_model.device(), 1), ConsoleModel::kBurst,
                     sendcause::kCruiseButton);
    }
}

void CruiseControl::巡航模式_Click()
{
    ApplyPatternSpeeds(patternOf(c.巡航模式->currentText()));
}

void CruiseControl::speedChosen()
{
    if (!ZidongXunhang)
        return;
    m_send.burst(m_model.cruiseStart(), ConsoleModel::kBurst, sendcause::kSpeedChoice);
}

void CruiseControl::ApplyPatternSpeeds(int pattern)
{
    static const char *const speeds[][2] = {{"63", "5"}, {"5", "63"}, {"63", "63"}};
    if (pattern < 1 || pattern > 3)
        return;
    c.水平速度->setValue(QString::fromLatin1(speeds[pattern - 1][0]));
    c.垂直速度->setValue(QString::fromLatin1(speeds[pattern - 1][1]));
}
