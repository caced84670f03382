#include "journal/journalwindow.h"

#include "journal/daystrip.h"
#include "journal/journal.h"
#include "journal/journaltexts.h"
#include "journal/retention.h"
#include "ui/choicebox.h"
#include "ui/prompt.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kAll = QStringLiteral("全部");
const QString kTodaySuffix = QStringLiteral("（今天）");
constexpr int kSearchPauseMs = 300;

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

ChoiceBox *listBox(const QString &name, QWidget *parent)
{
    auto *box = new ChoiceBox(parent);
    box->setEditable(false);
    box->setObjectName(name);
    box->setAccessibleName(name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

} // namespace

JournalWindow::JournalWindow(journal::Journal &journal, QWidget *parent)
    : QWidget(parent, Qt::Window), m_journal(journal)
{
    setObjectName(QStringLiteral("运行记录"));
    setWindowTitle(QStringLiteral("运行记录"));
    resize(960, 620);

    日期 = listBox(QStringLiteral("日期"), this);
    当日概览 = new DayStrip(this);
    当日概览->setObjectName(QStringLiteral("当日概览"));
    类别 = listBox(QStringLiteral("类别"), this);
    类别->addItem(kAll);
    for (int k = 0; k < journal::kKindCount; ++k)
        类别->addItem(journal::kindName(journal::Kind(k)));
    设备 = listBox(QStringLiteral("设备"), this);
    设备->addItem(kAll);
    搜索 = new QLineEdit(this);
    搜索->setObjectName(QStringLiteral("搜索"));
    搜索->setAccessibleName(QStringLiteral("搜索"));
    搜索->setClearButtonEnabled(true);
    搜索->setPlaceholderText(QStringLiteral("时间、事件、原因或内容中的文字"));
    导出 = new QPushButton(QStringLiteral("导出 CSV"), this);
    导出->setObjectName(QStringLiteral("导出"));
    记录表 = new QTableView(this);
    记录表->setObjectName(QStringLiteral("记录表"));
    记录表->setAccessibleName(QStringLiteral("运行记录"));
    记录表->setModel(&m_model);
    记录表->setSelectionBehavior(QAbstractItemView::SelectRows);
    记录表->setWordWrap(false);
    // A million rows: fixed heights, no row header to lay out.
    记录表->verticalHeader()->hide();
    记录表->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    记录表->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    记录表->horizontalHeader()->setStretchLastSection(true);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int han = fontMetrics().horizontalAdvance(QChar(0x4E2D));
    记录表->setColumnWidth(journal::JournalModel::TimeColumn, digit * 13);
    记录表->setColumnWidth(journal::JournalModel::KindColumn, han * 4 + 12);
    记录表->setColumnWidth(journal::JournalModel::DeviceColumn, han * 2 + 12);
    记录表->setColumnWidth(journal::JournalModel::EventColumn, han * 8);
    记录表->setColumnWidth(journal::JournalModel::CauseColumn, han * 10);
    统计 = new QLabel(this);
    统计->setObjectName(QStringLiteral("统计"));

    auto *top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("日期："), 日期, this));
    top->addWidget(日期);
    top->addSpacing(12);
    top->addWidget(caption(QStringLiteral("类别："), 类别, this));
    top->addWidget(类别);
    top->addWidget(caption(QStringLiteral("设备："), 设备, this));
    top->addWidget(设备);
    top->addWidget(caption(QStringLiteral("搜索："), 搜索, this));
    top->addWidget(搜索, 1);
    top->addWidget(导出);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(当日概览);
    layout->addWidget(记录表, 1);
    layout->addWidget(统计);

    m_searchPause = new QTimer(this);
    m_searchPause->setSingleShot(true);
    m_searchPause->setInterval(kSearchPauseMs);
    connect(m_searchPause, &QTimer::timeout, this, &JournalWindow::applyFilter);
    connect(搜索, &QLineEdit::textChanged, m_searchPause, qOverload<>(&QTimer::start));
    connect(搜索, &QLineEdit::returnPressed, this, &JournalWindow::applyFilter);
    connect(日期, &ChoiceBox::chosen, this, &JournalWindow::日期_Click);
    connect(类别, &ChoiceBox::chosen, this, &JournalWindow::类别_Click);
    connect(设备, &ChoiceBox::chosen, this, &JournalWindow::设备_Click);
    connect(导出, &QPushButton::clicked, this, &JournalWindow::导出_Click);

    connect(&m_model, &journal::JournalModel::progressed, this, &JournalWindow::showProgress);
    connect(&m_model, &journal::JournalModel::exported, this, &JournalWindow::exported);
    // New rows at the end: the table follows them while it is scrolled to the end.
    connect(&m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        QScrollBar *bar = 记录表->verticalScrollBar();
        if (bar->value() == bar->maximum())
            QTimer::singleShot(0, 记录表, &QTableView::scrollToBottom);
    });
    connect(&m_journal, &journal::Journal::written, this,
            [this](QDate day, qint64) { journalWritten(day); });
    // The day shown was made again: what is left of it is the new file.
    connect(&m_journal, &journal::Journal::restarted, this, [this](QDate day, const QString &) {
        if (day == m_model.day())
            showDay(day);
    });
    // Today's picture has a line at the time of day, which moves on.
    m_nowTick = new QTimer(this);
    m_nowTick->setInterval(10000);
    connect(m_nowTick, &QTimer::timeout, this, &JournalWindow::showProgress);
    m_nowTick->start();
}

QDate JournalWindow::today() const
{
    return m_journal.now().date();
}

void JournalWindow::fillDays()
{
    QList<QDate> days;
    const QStringList names =
        QDir(m_journal.folder()).entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QDate day = journal::dayOfFileName(name);
        if (day.isValid() && day != today())
            days.prepend(day);
    }
    days.prepend(today());
    日期->clear();
    for (const QDate &day : days) {
        QString text = day.toString(QStringLiteral("yyyy-MM-dd"));
        if (day == today())
            text += kTodaySuffix;
        日期->addItem(text, day);
    }
}

void JournalWindow::showToday()
{
    showDay(today());
}

void JournalWindow::showDay(QDate day)
{
    fillDays();
    const int index = 日期->findData(day);
    if (index < 0)
        日期->addItem(day.toString(QStringLiteral("yyyy-MM-dd")), day);
    日期->setCurrentIndex(日期->findData(day));
    m_followToday = day == today();
    m_model.showDay(day, m_journal.dayPath(day));
}

void JournalWindow::日期_Click()
{
    const QDate day = 日期->currentData().toDate();
    if (day.isValid())
        showDay(day);
}

void JournalWindow::类别_Click()
{
    applyFilter();
}

void JournalWindow::设备_Click()
{
    applyFilter();
}

void JournalWindow::applyFilter()
{
    m_searchPause->stop();
    journal::Filter filter;
    if (类别->currentIndex() > 0)
        filter.kind = journal::Kind(类别->currentIndex() - 1);
    if (设备->currentIndex() > 0)
        filter.device = 设备->currentData().toInt();
    filter.text = 搜索->text().trimmed();
    m_model.setFilter(filter);
}

void JournalWindow::fillDevices()
{
    const int chosen = 设备->currentIndex() > 0 ? 设备->currentData().toInt() : -1;
    std::vector<int> devices = m_model.devices();
    // The device being filtered stays in the list, even on a day without it.
    if (chosen >= 0 && std::find(devices.begin(), devices.end(), chosen) == devices.end()) {
        devices.push_back(chosen);
        std::sort(devices.begin(), devices.end());
    }
    if (int(devices.size()) == 设备->count() - 1) {
        bool same = true;
        for (std::size_t i = 0; i < devices.size() && same; ++i)
            same = 设备->itemData(int(i) + 1).toInt() == devices[i];
        if (same)
            return;
    }
    设备->clear();
    设备->addItem(kAll);
    for (const int d : devices)
        设备->addItem(journal::deviceText(d), d);
    设备->setCurrentIndex(chosen < 0 ? 0 : 设备->findData(chosen));
}

void JournalWindow::journalWritten(QDate day)
{
    if (day == m_model.day()) {
        m_model.readMore();
    } else if (m_followToday && day > m_model.day() && day == today()) {
        // Past midnight: today is the new day's file.
        showDay(day);
    }
}

void JournalWindow::showProgress()
{
    const bool isToday = m_model.day() == today();
    const int end = isToday ? journal::DayPicture::msOfDay(m_journal.now()) : m_model.lastMs();
    当日概览->setDevices(m_model.picture().devices(end), isToday ? end : -1);
    fillDevices();
    QString text =
        QStringLiteral("共 %1 条，显示 %2 条").arg(m_model.lineCount()).arg(m_model.rowCount());
    if (m_model.badLines() > 0)
        text += QStringLiteral("；另有 %1 行无法读取，已跳过").arg(m_model.badLines());
    if (m_model.busy())
        text += QStringLiteral("；正在读取…");
    统计->setText(text);
}

void JournalWindow::导出_Click()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name =
        QStringLiteral("运行记录-%1.csv").arg(m_model.day().toString(QStringLiteral("yyyy-MM-dd")));
    auto *dialog =
        new QFileDialog(this, QStringLiteral("导出 CSV"), folder + QLatin1Char('/') + name,
                        QStringLiteral("CSV 文件 (*.csv)"));
    dialog->setObjectName(QStringLiteral("导出对话框"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    // A Qt dialog, open while the console goes on: no nested wait inside this handler.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString &path) { m_model.exportCsv(path); });
    dialog->open();
}

void JournalWindow::exported(bool ok, qint64 count, const QString &path, const QString &error)
{
    if (ok) {
        统计->setText(QStringLiteral("已导出 %1 条到 %2").arg(count).arg(path));
        return;
    }
    prompt::show(this, journaltexts::kExportFailed.arg(path, error));
}
