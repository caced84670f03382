#include "protocol/anglecheck.h"

#include <QLocale>
#include <QTest>

using namespace protocol;

// The angle boxes: how a typed text is read as a number and what the box keeps or refuses.
class TestAngleCheck : public QObject
{
    Q_OBJECT

private slots:
    void leadingNumber_data();
    void leadingNumber();
    void leadingNumberIgnoresLocale();
    void leadingNumberOfHugeTexts();
    void keystrokes_data();
    void keystrokes();
    void rangeMessage_data();
    void rangeMessage();
};

void TestAngleCheck::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << 0.0;
    QTest::newRow("lone minus") << QStringLiteral("-") << 0.0;
    QTest::newRow("lone period") << QStringLiteral(".") << 0.0;
    QTest::newRow("negative") << QStringLiteral("-5") << -5.0;
    QTest::newRow("plus") << QStringLiteral("+7") << 7.0;
    QTest::newRow("fraction") << QStringLiteral("7.5") << 7.5;
    QTest::newRow("no integer part") << QStringLiteral(".5") << 0.5;
    QTest::newRow("trailing period") << QStringLiteral("5.") << 5.0;
    QTest::newRow("second period stops") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("leading zeros") << QStringLiteral("007") << 7.0;
    QTest::newRow("two digits") << QStringLiteral("60") << 60.0;
    QTest::newRow("three digits") << QStringLiteral("605") << 605.0;
    QTest::newRow("stops at letter") << QStringLiteral("36a") << 36.0;
    QTest::newRow("comma stops") << QStringLiteral("1,5") << 1.0;
    QTest::newRow("blanks between digits") << QStringLiteral(" 4 5") << 45.0;
    QTest::newRow("tab") << QStringLiteral("\t8") << 8.0;
    QTest::newRow("blank after sign") << QStringLiteral("- 5") << -5.0;
    QTest::newRow("exponent") << QStringLiteral("1e3") << 1000.0;
    QTest::newRow("exponent D") << QStringLiteral("2D2") << 200.0;
    QTest::newRow("negative exponent") << QStringLiteral("15E-1") << 1.5;
    QTest::newRow("exponent then letter") << QStringLiteral("1e3x") << 1000.0;
    QTest::newRow("E without digits") << QStringLiteral("1e") << 1.0;
    QTest::newRow("E and sign without digits") << QStringLiteral("4E+") << 4.0;
    QTest::newRow("E first") << QStringLiteral("e5") << 0.0;
    QTest::newRow("full-width digit") << QStringLiteral(u"５") << 0.0;
}

void TestAngleCheck::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(protocol::leadingNumber(text), expected);
}

void TestAngleCheck::leadingNumberIgnoresLocale()
{
    // An operator with a German system locale still types angles with a period.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const double fraction = protocol::leadingNumber(QStringLiteral("7.5"));
    const double comma = protocol::leadingNumber(QStringLiteral("7,5"));
    QLocale::setDefault(before);
    QCOMPARE(fraction, 7.5);
    QCOMPARE(comma, 7.0);
}

void TestAngleCheck::leadingNumberOfHugeTexts()
{
    const double nines = protocol::leadingNumber(QString(100000, QLatin1Char('9')));
    QVERIFY(nines > 1e300);
    QVERIFY(protocol::leadingNumber(QStringLiteral("1e99999")) > 1e300);
    QCOMPARE(protocol::leadingNumber(QString(5000, QLatin1Char('0')) + QLatin1Char('7')), 7.0);
    QVERIFY(!checkAngle(QString(400, QLatin1Char('9')), 360).accepted);
}

void TestAngleCheck::keystrokes_data()
{
    QTest::addColumn<QStringList>("texts"); // the box content after each keystroke
    QTest::addColumn<int>("rangeEnd");
    QTest::addColumn<QStringList>("stored"); // a null string where the box refuses

    const QString refused;
    QTest::newRow("one digit") << QStringList{"7"} << 360 << QStringList{"007"};
    QTest::newRow("two digits") << QStringList{"4", "45"} << 360 << QStringList{"004", "045"};
    QTest::newRow("180 of 180") << QStringList{"1", "18", "180"} << 180
                                << QStringList{"001", "018", "180"};
    QTest::newRow("360 of 360") << QStringList{"3", "36", "360"} << 360
                                << QStringList{"003", "036", "360"};
    QTest::newRow("361 of 360") << QStringList{"361"} << 360 << QStringList{refused};
    QTest::newRow("181 of 180") << QStringList{"181"} << 180 << QStringList{refused};
    QTest::newRow("365") << QStringList{"3", "36", "365"} << 360
                         << QStringList{"003", "036", refused};
    QTest::newRow("605") << QStringList{"6", "60", "605"} << 360
                         << QStringList{"006", "060", refused};
    QTest::newRow("minus") << QStringList{"-", "-5"} << 360 << QStringList{"00-", refused};
    QTest::newRow("fraction") << QStringList{"7", "7.", "7.5"} << 360
                              << QStringList{"007", "007.", "007.5"};
    QTest::newRow("leading zeros")
        << QStringList{"0", "00", "007"} << 360 << QStringList{"000", "0000", "00007"};
    QTest::newRow("empty") << QStringList{""} << 360 << QStringList{"00"};
    QTest::newRow("letters") << QStringList{"abc"} << 360 << QStringList{"00abc"};
    QTest::newRow("trailing letter") << QStringList{"36a"} << 360 << QStringList{"036a"};
    QTest::newRow("99.9") << QStringList{"99", "99.", "99.9"} << 360
                          << QStringList{"099", "099.", "099.9"};
    QTest::newRow("100") << QStringList{"1", "10", "100"} << 360
                         << QStringList{"001", "010", "100"};
    QTest::newRow("360.5") << QStringList{"360", "360.", "360.5"} << 360
                           << QStringList{"360", "360.", refused};
    QTest::newRow("exponent") << QStringList{"1e2", "4e2"} << 360 << QStringList{"1e2", refused};
    QTest::newRow("blanks") << QStringList{" 4 5"} << 360 << QStringList{"0 4 5"};
}

void TestAngleCheck::keystrokes()
{
    QFETCH(QStringList, texts);
    QFETCH(int, rangeEnd);
    QFETCH(QStringList, stored);
    QCOMPARE(texts.size(), stored.size());

    for (qsizetype i = 0; i < texts.size(); ++i) {
        const AngleCheck check = checkAngle(texts[i], rangeEnd);
        const QByteArray where = "after \"" + texts[i].toUtf8() + '"';
        QVERIFY2(check.accepted == !stored[i].isNull(), where.constData());
        QVERIFY2(check.stored == stored[i], where.constData());
    }
}

void TestAngleCheck::rangeMessage_data()
{
    QTest::addColumn<int>("rangeEnd");
    QTest::addColumn<QString>("expected");

    QTest::newRow("pan") << 360 << QStringLiteral(u"角度范围：0-360，请输入正确的角度");
    QTest::newRow("tilt") << 180 << QStringLiteral(u"角度范围：0-180，请输入正确的角度");
}

void TestAngleCheck::rangeMessage()
{
    QFETCH(int, rangeEnd);
    QFETCH(QString, expected);
    QCOMPARE(angleRangeMessage(rangeEnd), expected);
}

QTEST_APPLESS_MAIN(TestAngleCheck)
#include "tst_anglecheck.moc"
