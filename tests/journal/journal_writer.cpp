// Writes numbered journal entries as fast as an event loop lets it, until it is killed: the
// other end of the test that kills it at random moments.
#include "journal/journal.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    journal::Journal journal(QString::fromLocal8Bit(argv[1]), {});
    qint64 n = 0;
    QTimer burst;
    // Ten entries a millisecond, long ones among them, so writes of many pages happen.
    QObject::connect(&burst, &QTimer::timeout, [&] {
        for (int i = 0; i < 10; ++i, ++n)
            journal.record(journal::Kind::Sent, int(n % 256), QStringLiteral("序号"), {},
                           QStringLiteral("%1 %2").arg(n).arg(QString(int(n % 300), u'字')));
    });
    burst.start(1);
    std::printf("writing\n");
    std::fflush(stdout);
    return app.exec();
}
