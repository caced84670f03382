#include "protocol/reply.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace protocol;

Q_DECLARE_METATYPE(protocol::ReplyKind)

// How chunks from the head end up in the receive log, including what a broken chunk does.
class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void classify_data();
    void classify();
    void digitText_data();
    void digitText();
    void surviveAnyChunk();
};

namespace {

// Written out here rather than shared with the code, so a wrong colon or break is caught.
const QString kLabel = QStringLiteral(u"\r\n<--接收：");

QString logged(const char *body, bool lineEnd = true)
{
    return kLabel + QString::fromLatin1(body) + (lineEnd ? QStringLiteral("\r\n") : QString());
}

} // namespace

void TestReplies::classify_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<ReplyKind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("completed");

    const auto hex = [](const char *h) { return QByteArray::fromHex(h); };

    QTest::newRow("empty") << QByteArray() << ReplyKind::Dropped << QString() << false;
    QTest::newRow("short text") << QByteArray("T1234") << ReplyKind::Dropped << QString() << false;
    QTest::newRow("seven bytes text")
        << QByteArray("T123456") << ReplyKind::Dropped << QString() << false;
    QTest::newRow("seven zero bytes")
        << QByteArray(7, '\0') << ReplyKind::Dropped << QString() << false;

    QTest::newRow("lone sync") << hex("FF") << ReplyKind::Frame << logged("FF ") << true;
    QTest::newRow("position frame") << hex("FF 01 00 59 00 5A B4") << ReplyKind::Frame
                                    << logged("FF 01 00 59 00 5A B4 ") << true;
    QTest::newRow("sync then text")
        << QByteArray("\xFFT1") << ReplyKind::Frame << logged("FF 54 31 ") << true;

    QTest::newRow("tail, 8 bytes")
        << QByteArray("T123llll") << ReplyKind::TextWithTail << logged("T123llll") << true;
    QTest::newRow("tail, 11 bytes")
        << QByteArray("T123456llll") << ReplyKind::TextWithTail << logged("T123456llll") << true;
    // Only bytes 1..4 are read; the odd bytes after them never reach the conversion.
    QTest::newRow("tail, 9 bytes")
        << QByteArray("T1234:;l?") << ReplyKind::TextWithTail << logged("T1234llll") << true;
    QTest::newRow("tail, 12 bytes") << QByteArray("T123456lllll") << ReplyKind::TextWithTail
                                    << logged("T123456", false) << false;

    QTest::newRow("no tail, 8 bytes")
        << QByteArray("T1234567") << ReplyKind::TextWithoutTail << logged("T1234567") << true;
    QTest::newRow("no tail, stops at l") << QByteArray("T1234567llll") << ReplyKind::TextWithoutTail
                                         << logged("T1234567", false) << false;
    QTest::newRow("no tail, odd digits")
        << hex("54 40 05 00 99 30 31 32") << ReplyKind::TextWithoutTail << logged("T10-25-3069012")
        << true;
    QTest::newRow("no tail, fails at once")
        << QByteArray("T:234567") << ReplyKind::TextWithoutTail << logged("T", false) << false;

    QTest::newRow("letters") << QByteArray("ABCDEFGH") << ReplyKind::Other << QString() << true;
    QTest::newRow("lower-case t") << QByteArray("t1234567") << ReplyKind::Other << QString()
                                  << true;
    QTest::newRow("FE first") << hex("FE 01 00 00 00 00 00 01") << ReplyKind::Other << QString()
                              << true;
}

void TestReplies::classify()
{
    QFETCH(QByteArray, chunk);
    QFETCH(ReplyKind, kind);
    QFETCH(QString, text);
    QFETCH(bool, completed);

    const ReplyLog log = classifyReply(chunk);
    QCOMPARE(log.kind, kind);
    QCOMPARE(log.text, text);
    QCOMPARE(log.completed, completed);
}

void TestReplies::digitText_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("expected"); // null: no value

    QTest::newRow("'0'") << 0x30 << QStringLiteral("0");
    QTest::newRow("'5'") << 0x35 << QStringLiteral("5");
    QTest::newRow("'9'") << 0x39 << QStringLiteral("9");
    QTest::newRow("'@'") << 0x40 << QStringLiteral("10");
    QTest::newRow("0x99") << 0x99 << QStringLiteral("69");
    QTest::newRow("0x29") << 0x29 << QStringLiteral("-1");
    QTest::newRow("0x10") << 0x10 << QStringLiteral("-20");
    QTest::newRow("0x05 has no leading zero") << 0x05 << QStringLiteral("-25");
    QTest::newRow("0x00") << 0x00 << QStringLiteral("-30");
    QTest::newRow("':'") << 0x3A << QString();
    QTest::newRow("'l'") << 0x6C << QString();
    QTest::newRow("0x0E") << 0x0E << QString();
    QTest::newRow("0xA0") << 0xA0 << QString();
    QTest::newRow("0xFF") << 0xFF << QString();
}

void TestReplies::digitText()
{
    QFETCH(int, byte);
    QFETCH(QString, expected);

    const std::optional<QString> text = replyDigitText(quint8(byte));
    QCOMPARE(text.has_value(), !expected.isNull());
    if (text)
        QCOMPARE(*text, expected);
}

void TestReplies::surviveAnyChunk()
{
    QList<QByteArray> chunks;
    for (int b = 0; b < 256; ++b)
        chunks << QByteArray(1, char(b));
    chunks << QByteArray(10240, '\xFF') << QByteArray(10240, 'T') << QByteArray(10240, 'l');
    chunks << "T" + QByteArray(10239, 'l') << "T" + QByteArray(10239, '7')
           << "T" + QByteArray(10239, '\x99') << "T123456l" + QByteArray(10232, '5');
    for (const char *letters : {"Tabcdefgh", "TTTTTTTT", "TlllllllLLLL", "TABCDEFlxyz"})
        chunks << QByteArray(letters);

    // Mostly digits after a 'T' or 0xFF, so that completed text replies are common too.
    QRandomGenerator random(20240611);
    for (int i = 0; i < 5000; ++i) {
        QByteArray chunk(random.bounded(0, 40), '\0');
        const bool noisy = random.bounded(2);
        for (char &c : chunk)
            c = char(noisy && random.bounded(4) == 0 ? random.bounded(256)
                                                     : random.bounded(0x30, 0x3A));
        if (!chunk.isEmpty() && random.bounded(3) != 0)
            chunk[0] = random.bounded(2) ? 'T' : '\xFF';
        if (chunk.size() >= 8 && random.bounded(2))
            chunk[7] = 'l';
        chunks << chunk;
    }

    const QRegularExpression frameBody(QStringLiteral("\\A(?:[0-9A-F]{2} )+\\r\\n\\z"));
    const QRegularExpression textBody(QStringLiteral("\\AT[-0-9]*(?:llll)?(?:\\r\\n)?\\z"));
    int completedTexts = 0;
    int abandonedTexts = 0;
    for (const QByteArray &chunk : std::as_const(chunks)) {
        const ReplyLog log = classifyReply(chunk);
        const qsizetype n = chunk.size();
        const char first = n > 0 ? chunk.at(0) : '\0';
        const QString context =
            QString::fromLatin1(chunk.left(16).toHex(' ')) + QStringLiteral(" (%1 bytes)").arg(n);

        if (!log.text.isEmpty())
            QVERIFY2(log.text.startsWith(kLabel), qPrintable(context));

        if (n > 0 && first == '\xFF') {
            QCOMPARE(log.kind, ReplyKind::Frame);
            QCOMPARE(log.text.size(), 2 + 6 + 3 * n + 2);
            QVERIFY2(frameBody.match(log.text.mid(kLabel.size())).hasMatch(), qPrintable(context));
            QVERIFY(log.completed);
        } else if (n < 8) {
            QCOMPARE(log.kind, ReplyKind::Dropped);
            QVERIFY(log.text.isEmpty());
            QVERIFY(!log.completed);
        } else if (first != 'T') {
            QCOMPARE(log.kind, ReplyKind::Other);
            QVERIFY(log.text.isEmpty());
            QVERIFY(log.completed);
        } else {
            const bool tail = chunk.at(7) == 'l';
            QCOMPARE(log.kind, tail ? ReplyKind::TextWithTail : ReplyKind::TextWithoutTail);
            // A byte whose hex text has a letter in it is where the conversion gives up.
            const QByteArray converted = chunk.mid(1, tail ? n - 5 : n - 1);
            const bool digitFails =
                QString::fromLatin1(converted.toHex()).contains(QRegularExpression("[a-f]"));
            QCOMPARE(log.completed, !digitFails);
            const QString body = log.text.mid(kLabel.size());
            QVERIFY2(textBody.match(body).hasMatch(), qPrintable(context));
            QCOMPARE(body.endsWith(QStringLiteral("\r\n")), log.completed);
            QCOMPARE(body.endsWith(QStringLiteral("llll\r\n")), log.completed && tail);
            ++(log.completed ? completedTexts : abandonedTexts);
        }
    }
    // The generator must have exercised both outcomes, or the checks above prove little.
    QVERIFY(completedTexts > 100);
    QVERIFY(abandonedTexts > 100);
}

QTEST_APPLESS_MAIN(TestReplies)
#include "tst_replies.moc"
