#pragma once

#include <QWidget>

class QLabel;

// The small "AboutUs" window: a picture, one line of text and a Confirm button that
// discards it.
class FrmAbout : public QWidget
{
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);

    // Loads the picture anew; a missing or unreadable file leaves the image empty.
    void loadPicture(const QString &path);

private:
    QLabel *Image1;
};
