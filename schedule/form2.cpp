#include "schedule/form2.h"

#include "schedule/scheduletexts.h"
#include "schedule/slotstore.h"
#include "schedule/timecheck.h"
#include "schedule/timetable.h"
#include "ui/prompt.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Longer times would not read back from the rows file, whose lines are limited.
constexpr int kMaxTimeLength = 64;

template <typename W> W *placed(W *widget, const QString &name, QRect geometry)
{
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QLineEdit *timeBox(const QString &name, QWidget *parent, QRect geometry)
{
    auto *box = placed(new QLineEdit(scheduletexts::kDesignTime, parent), name, geometry);
    box->setMaxLength(kMaxTimeLength);
    box->setAccessibleName(name);
    return box;
}

} // namespace

Form2::Form2(schedule::SlotStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store)
{
    using namespace scheduletexts;
    setObjectName(kEditorTitle);
    setWindowTitle(kEditorTitle);
    // Sized by its client area; where it opens is left to the window system.
    resize(twips::size(8880, 4200));

    灯开关时间配置 = placed(new QGroupBox(kTimesFrame, this), QStringLiteral("灯开关时间配置"),
                            twips::rect(120, 240, 8535, 1455));
    Lab1 = placed(new QLabel(kOnLabel, 灯开关时间配置), QStringLiteral("Lab1"),
                  twips::rect(840, 675, 600, 255));
    开_00 = timeBox(QStringLiteral("开_00"), 灯开关时间配置, twips::rect(1320, 600, 1435, 405));
    Lab1->setBuddy(开_00);
    Lab2 = placed(new QLabel(kOffLabel, 灯开关时间配置), QStringLiteral("Lab2"),
                  twips::rect(6120, 675, 600, 255));
    关_00 = timeBox(QStringLiteral("关_00"), 灯开关时间配置, twips::rect(6600, 600, 1435, 405));
    Lab2->setBuddy(关_00);

    巡航模式 = placed(new QGroupBox(kCruiseFrame, this), QStringLiteral("巡航模式"),
                      twips::rect(120, 1800, 8535, 1695));
    for (int i = 0; i < 4; ++i) {
        Check[i] =
            placed(new QCheckBox(kCheckCaptions[i], 巡航模式), QStringLiteral("Check%1").arg(i + 1),
                   twips::rect(240 + 2040 * i, 720, 1935, 375));
        // toggled, not clicked: the keyboard, screen readers and code change the state too.
        connect(Check[i], &QCheckBox::toggled, this,
                [this, i](bool ticked) { Check_Click(i + 1, ticked); });
    }

    退出配置 = placed(new QPushButton(kConfirm, this), QStringLiteral("退出配置"),
                      twips::rect(7560, 3600, 1095, 495));

    connect(开_00, &QLineEdit::textChanged, this, &Form2::开_00_Change);
    connect(关_00, &QLineEdit::textChanged, this, &Form2::关_00_Change);
    connect(退出配置, &QPushButton::clicked, this, &Form2::退出配置_Click);
    // Closing by the window frame only hides the window (no delete on close): the slot store
    // and the contents stay, and the next double-click shows it again.
}

QString Form2::onTime() const
{
    return 开_00->text();
}

QString Form2::offTime() const
{
    return 关_00->text();
}

void Form2::StoreSlotTimes(qint16 slot)
{
    m_store.StoreSlotTimes(slot, 开_00->text(), 关_00->text());
}

void Form2::开_00_Change()
{
    warnUnlessTime(开_00);
}

void Form2::关_00_Change()
{
    warnUnlessTime(关_00);
}

void Form2::warnUnlessTime(const QLineEdit *box)
{
    // Only a warning: the text stays as typed and can still be confirmed.
    if (!schedule::isDateOrTime(box->text()))
        prompt::show(this, scheduletexts::kInvalidTimeMessage);
}

void Form2::Check_Click(int check, bool ticked)
{
    if (!ticked)
        return;
    // Unticking the others comes back here as "unticked" and leaves the word alone.
    for (int i = 0; i < 4; ++i) {
        if (i + 1 != check)
            Check[i]->setChecked(false);
    }
    Xunhang = schedule::cruiseWordOfCheck(check);
}

void Form2::退出配置_Click()
{
    hide();
    emit confirmed();
}
