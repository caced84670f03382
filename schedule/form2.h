#pragma once

#include <QString>
#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace schedule {
class SlotStore;
}

// The timetable editor: the operator types a slot's on and off times and ticks its cruise
// choice. It keeps what it shows between openings and writes the slot store it is given, which
// outlives it.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    explicit Form2(schedule::SlotStore &store, QWidget *parent = nullptr);

    QString onTime() const;
    QString offTime() const;
    // The word of the box last ticked in this run ("无巡航" .. "巡航三"), empty before any.
    const QString &cruiseWord() const { return Xunhang; }

    // Kai_n and Guan_n := the two boxes, as typed; nothing for n outside 0..98.
    void StoreSlotTimes(qint16 slot);

    void 开_00_Change();
    void 关_00_Change();
    // check is 1 to 4; runs for every change of the box's state, however it came.
    void Check_Click(int check, bool ticked);
    void 退出配置_Click();

signals:
    // "确定" was pressed: the editor is hidden and the slot being edited is to be written.
    void confirmed();

private:
    void warnUnlessTime(const QLineEdit *box);

    schedule::SlotStore &m_store;
    QGroupBox *灯开关时间配置;
    QLabel *Lab1;
    QLineEdit *开_00;
    QLabel *Lab2;
    QLineEdit *关_00;
    QGroupBox *巡航模式;
    std::array<QCheckBox *, 4> Check{};
    QPushButton *退出配置;
    QString Xunhang;
};
