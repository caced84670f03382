#include "protocol/decimaltext.h"

#include <QTest>

using namespace decimaltext;

// The one reader of decimal digits that the speed and device boxes, the IP parts, the port
// numbers, the time fields, the angles and the flags file share.
class TestDecimalText : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void wholeNumbers_data();
    void wholeNumbers();
};

void TestDecimalText::runs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("blanks");
    QTest::addColumn<int>("count");
    QTest::addColumn<long long>("value");
    QTest::addColumn<int>("end");
    const auto none = int(Blanks::None), before = int(Blanks::Before),
               anywhere = int(Blanks::Anywhere);
    QTest::newRow("plain") << "123" << 0 << none << 3 << 123LL << 3;
    QTest::newRow("stops at a letter") << "12a3" << 0 << none << 2 << 12LL << 2;
    QTest::newRow("from inside") << "COM17x" << 3 << none << 2 << 17LL << 5;
    QTest::newRow("no digit") << "abc" << 0 << none << 0 << 0LL << 0;
    QTest::newRow("blank first, none") << " 5" << 0 << none << 0 << 0LL << 0;
    QTest::newRow("blank first, before") << " \t5 6" << 0 << before << 1 << 5LL << 3;
    QTest::newRow("blanks between") << " 1 2\t3 x" << 0 << anywhere << 3 << 123LL << 6;
    QTest::newRow("only blanks") << "   " << 0 << anywhere << 0 << 0LL << 0;
    QTest::newRow("leading zeros") << "0007" << 0 << none << 4 << 7LL << 4;
    QTest::newRow("largest") << "999999999" << 0 << none << 9 << 999999999LL << 9;
    QTest::newRow("too large") << "1000000000" << 0 << none << 10 << Digits::kTooLarge << 10;
    QTest::newRow("far too large")
        << QString(400, u'9') << 0 << none << 400 << Digits::kTooLarge << 400;
    QTest::newRow("other digits") << "１２" << 0 << none << 0 << 0LL << 0;
    QTest::newRow("sign") << "-5" << 0 << none << 0 << 0LL << 0;
    QTest::newRow("NUL inside") << QString::fromUtf16(u"9\0"
                                                      "8",
                                                      3)
                                << 0 << none << 1 << 9LL << 1;
}

void TestDecimalText::runs()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, blanks);
    QFETCH(int, count);
    QFETCH(long long, value);
    QFETCH(int, end);
    const Digits run = read(text, from, Blanks(blanks));
    QCOMPARE(run.count, count);
    QCOMPARE(run.value, value);
    QCOMPARE(int(run.end), end);
}

void TestDecimalText::wholeNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("largest");
    QTest::addColumn<int>("maxDigits");
    QTest::addColumn<int>("value"); // -1: no value
    QTest::newRow("byte") << "255" << 255 << 3 << 255;
    QTest::newRow("past the byte") << "256" << 255 << 3 << -1;
    QTest::newRow("four digits") << "0007" << 255 << 3 << -1;
    QTest::newRow("any zeros") << "0000000007" << 255 << 0 << 7;
    QTest::newRow("empty") << "" << 255 << 0 << -1;
    QTest::newRow("blank after") << "12 " << 255 << 0 << -1;
    QTest::newRow("huge") << QString(50, u'1') << 255 << 0 << -1;
}

void TestDecimalText::wholeNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, largest);
    QFETCH(int, maxDigits);
    QFETCH(int, value);
    QCOMPARE(whole(text, largest, maxDigits).value_or(-1), value);
}

QTEST_GUILESS_MAIN(TestDecimalText)
#include "tst_decimaltext.moc"
