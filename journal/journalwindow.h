#pragma once

#include "journal/journalmodel.h"

#include <QDate>
#include <QWidget>

class ChoiceBox;
class DayStrip;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace journal {
class Journal;
}

// "运行记录": the journal of one day, today's live as it is written. On top the day's picture;
// then the day, kind and device boxes, the search box and the export button; then the entries.
class JournalWindow : public QWidget
{
    Q_OBJECT
public:
    explicit JournalWindow(journal::Journal &journal, QWidget *parent = nullptr);

    // Shows today's entries (the console's clock says which day that is) and follows them.
    void showToday();
    void showDay(QDate day);
    journal::JournalModel &model() { return m_model; }

    void 日期_Click();
    void 类别_Click();
    void 设备_Click();
    void 导出_Click();

private:
    void applyFilter();
    void fillDays();
    void fillDevices();
    void journalWritten(QDate day);
    void showProgress();
    void exported(bool ok, qint64 count, const QString &path, const QString &error);
    QDate today() const;

    journal::Journal &m_journal;
    journal::JournalModel m_model;
    bool m_followToday = false;

    ChoiceBox *日期;
    DayStrip *当日概览;
    ChoiceBox *类别;
    ChoiceBox *设备;
    QLineEdit *搜索;
    QPushButton *导出;
    QTableView *记录表;
    QLabel *统计;
    QTimer *m_searchPause;
    QTimer *m_nowTick;
};
