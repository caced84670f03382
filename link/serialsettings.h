#pragma once

#include <QSerialPort>
#include <QString>

// The line settings of the serial link. The head controller speaks 9600 baud, no parity, eight
// data bits and one stop bit, which the operator sees as "9600,N,8,1".
struct SerialSettings
{
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // "baud,parity letter,data bits,stop bits", as the status line shows it.
    QString text() const
    {
        const char parityLetter = parity == QSerialPort::EvenParity    ? 'E'
                                  : parity == QSerialPort::OddParity   ? 'O'
                                  : parity == QSerialPort::MarkParity  ? 'M'
                                  : parity == QSerialPort::SpaceParity ? 'S'
                                                                       : 'N';
        const QString stop = stopBits == QSerialPort::OneAndHalfStop ? QStringLiteral("1.5")
                             : stopBits == QSerialPort::TwoStop      ? QStringLiteral("2")
                                                                     : QStringLiteral("1");
        return QStringLiteral("%1,%2,%3,%4")
            .arg(baud)
            .arg(QLatin1Char(parityLetter))
            .arg(int(dataBits))
            .arg(stop);
    }

    friend bool operator==(const SerialSettings &, const SerialSettings &) = default;
};
