// The port number of any port text, and the device path of any port number in a program
// directory whose ports/ folder holds every kind of link an operator can get wrong.
#include "fuzzsupport.h"
#include "link/portpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> programDir;

void link(const QString &target, const QString &name)
{
    const QString path = programDir->filePath(QStringLiteral("ports/") + name);
    if (!QFile::link(target, path))
        fuzz::fail("fixture link", path);
}

// The ports/ folder, made once: COM1 dangling, COM2 and COM3 a loop, COM4 a relative link to a
// plain file, COM5 a link to a folder, COM6 a link to a link, COM7 a plain file, COM8 a folder,
// COM9 /dev/null, COM10 itself, COM11 the ports folder, COM12 a link up past the root.
void makeFixture()
{
    programDir = std::make_unique<QTemporaryDir>();
    QDir dir(programDir->path());
    if (!programDir->isValid() || !dir.mkpath(QStringLiteral("ports/COM8")) ||
        !dir.mkpath(QStringLiteral("folder")))
        fuzz::fail("fixture folders", programDir->path());
    QFile plain(dir.filePath(QStringLiteral("plain.txt")));
    QFile inPorts(dir.filePath(QStringLiteral("ports/COM7")));
    if (!plain.open(QIODevice::WriteOnly) || !inPorts.open(QIODevice::WriteOnly))
        fuzz::fail("fixture files", programDir->path());
    link(QStringLiteral("nowhere/ttyUSB9"), QStringLiteral("COM1"));
    link(QStringLiteral("COM3"), QStringLiteral("COM2"));
    link(QStringLiteral("COM2"), QStringLiteral("COM3"));
    link(QStringLiteral("../plain.txt"), QStringLiteral("COM4"));
    link(QStringLiteral("../folder"), QStringLiteral("COM5"));
    link(QStringLiteral("COM4"), QStringLiteral("COM6"));
    link(QStringLiteral("/dev/null"), QStringLiteral("COM9"));
    link(QStringLiteral("COM10"), QStringLiteral("COM10"));
    link(QStringLiteral("."), QStringLiteral("COM11"));
    link(QStringLiteral("../../../../../../../../../../../.."), QStringLiteral("COM12"));
}

// The leading number after the first three characters, read plainly: blanks before it are
// skipped, ASCII digits taken, and a number above 9999 (no port) or none at all gives 0.
int plainPortNumber(const QString &text)
{
    qsizetype i = 3;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    qsizetype end = i;
    while (end < text.size() && text[end] >= QLatin1Char('0') && text[end] <= QLatin1Char('9'))
        ++end;
    if (end == i)
        return 0;
    // Leading zeros never make a number big; strip them before judging its size.
    const QString digits = text.mid(i, end - i);
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits[first] == QLatin1Char('0'))
        ++first;
    const QString significant = digits.mid(first);
    if (significant.size() > 4)
        return 0;
    return significant.toInt();
}

void checkDevicePath(int n)
{
    const QString path = portpaths::devicePath(programDir->path(), n);
    const QString detail = QStringLiteral("COM%1 gave \"%2\"").arg(n).arg(fuzz::escaped(path));
    if (n < 1) {
        fuzz::require(path.isEmpty(), "no device below COM1", detail);
        return;
    }
    fuzz::require(path.isEmpty() || path.startsWith(QLatin1Char('/')), "absolute path", detail);
    const bool published =
        QFileInfo::exists(programDir->filePath(QStringLiteral("ports/COM%1").arg(n)));
    if (!published)
        fuzz::require(path.isEmpty() == (n > 36), "fixed devices for COM1-COM36", detail);
    else
        fuzz::require(!path.isEmpty(), "a published port has a path", detail);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    makeFixture();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    // Mostly the ports of the fixture and their neighbours, sometimes any number at all.
    const int n =
        input.ConsumeBool() ? input.ConsumeIntegralInRange(-1, 40) : input.ConsumeIntegral<int>();
    checkDevicePath(n);

    const QString text = fuzz::textOf(fuzz::bytesOf(input.ConsumeRemainingBytesAsString()));
    const int got = portpaths::portNumberFromText(text);
    const int want = plainPortNumber(text);
    fuzz::require(
        got == want, "port number",
        QStringLiteral("\"%1\" got %2 want %3").arg(fuzz::escaped(text)).arg(got).arg(want));
    return 0;
}
