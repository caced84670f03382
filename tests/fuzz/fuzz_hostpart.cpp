// The device address rewritten for searchlight n: always four decimal numbers 0-255, the last n,
// the first three taken over only where the typed part is a whole number 0-255.
#include "fuzzsupport.h"
#include "link/hostpart.h"

#include <QStringList>

namespace {

// A part as the operator would read it: blanks around it do not count, and it is only a number
// when what is left is one to any number of ASCII digits worth 0-255.
int plainPart(const QString &part)
{
    const QString trimmed = part.trimmed();
    if (trimmed.isEmpty())
        return 0;
    int value = 0;
    for (const QChar c : trimmed) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 255)
            return 0;
    }
    return value;
}

bool isDecimal0To255(const QString &text)
{
    if (text.isEmpty() || text.size() > 3 || (text.size() > 1 && text[0] == QLatin1Char('0')))
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return text.toInt() <= 255;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int n = input.ConsumeIntegral<quint8>();
    const QString address = fuzz::textOf(fuzz::bytesOf(input.ConsumeRemainingBytesAsString()));
    const QString result = replaceHostPart(address, n);
    const QString detail = QStringLiteral("\"%1\" with %2 gave \"%3\"")
                               .arg(fuzz::escaped(address))
                               .arg(n)
                               .arg(fuzz::escaped(result));

    const QStringList got = result.split(QLatin1Char('.'));
    fuzz::require(got.size() == 4, "four parts", detail);
    for (const QString &part : got)
        fuzz::require(isDecimal0To255(part), "decimal numbers 0-255", detail);
    fuzz::require(got[3].toInt() == n, "last part is n", detail);

    const QStringList typed = address.split(QLatin1Char('.'));
    for (int i = 0; i < 3; ++i) {
        const int want = i < typed.size() ? plainPart(typed[i]) : 0;
        fuzz::require(got[i].toInt() == want, "typed part kept when it is a number", detail);
    }
    return 0;
}
