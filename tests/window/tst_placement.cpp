// Where the windows appear: centred, frame included, on the available area of a screen that
// does not start at the origin (the test platform puts it at 100,50 and frames every window).
#include "support.h"

#include "app/mainform.h"

#include <QPushButton>
#include <QScreen>
#include <QtTest>

class PlacementTest : public QObject
{
    Q_OBJECT
private slots:
    void windowsAreCentredOnTheirScreen();
};

void PlacementTest::windowsAreCentredOnTheirScreen()
{
    ProgramDir dir;
    PromptRecorder prompts;
    MainForm form(dir.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect area = form.screen()->availableGeometry();
    QVERIFY2(area.topLeft() != QPoint(0, 0), "the test screen should not start at the origin");
    QVERIFY2(form.frameGeometry() != form.geometry(), "the test platform should frame windows");
    const auto centred = [&](QWidget *window) {
        const QPoint off = window->frameGeometry().center() - area.center();
        return qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1;
    };
    QTRY_VERIFY2(centred(&form), qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                                                .arg(form.frameGeometry().x())
                                                .arg(form.frameGeometry().y())
                                                .arg(form.frameGeometry().width())
                                                .arg(form.frameGeometry().height())));

    QTest::mouseClick(child<QPushButton>(&form, "CmdAbout"), Qt::LeftButton);
    QWidget *about = form.findChild<QWidget *>(QStringLiteral("FrmAbout"));
    QVERIFY(about);
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTRY_VERIFY(centred(about));
}

QTEST_MAIN(PlacementTest)
#include "tst_placement.moc"
