#include "app/aboutform.h"

#include "ui/centring.h"
#include "ui/twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

FrmAbout::FrmAbout(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("AboutUs"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips::size(6375, 1800));

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twips::rect(120, 60, 6135, 1095));

    Image1 = new QLabel(frame);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twips::rect(240, 360, 375, 375));
    Image1->setScaledContents(true);

    auto *Label1 = new QLabel(QStringLiteral("Corvane 探照灯云台控制台  V1.0"), frame);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips::rect(840, 360, 5100, 375));

    auto *CmdAboutOk = new QPushButton(QStringLiteral("Confirm"), this);
    CmdAboutOk->setObjectName(QStringLiteral("CmdAboutOk"));
    CmdAboutOk->setGeometry(twips::rect(4920, 1260, 1215, 435));
    connect(CmdAboutOk, &QPushButton::clicked, this, &QWidget::close);

    centreOnScreen(this);
}

void FrmAbout::loadPicture(const QString &path)
{
    Image1->setPixmap(QPixmap(path));
}
