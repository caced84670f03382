// The device and speed boxes: the same bytes read as Latin-1, as UTF-8 and as raw UTF-16 units
// (lone surrogates included) must give a value exactly for one to three ASCII digits up to 255.
#include "fuzzsupport.h"
#include "protocol/frame.h"

#include <cctype>
#include <optional>
#include <string>

namespace {

std::optional<quint8> plainByte(const QString &text)
{
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    std::string digits;
    for (const QChar c : text) {
        if (c.unicode() > 0x7F || !std::isdigit(static_cast<unsigned char>(c.unicode())))
            return std::nullopt;
        digits += char(c.unicode());
    }
    const int value = std::stoi(digits);
    if (value > 255)
        return std::nullopt;
    return static_cast<quint8>(value);
}

void check(const QString &text, const char *encoding)
{
    const std::optional<quint8> got = protocol::parseByteText(text);
    const std::optional<quint8> want = plainByte(text);
    fuzz::require(got == want, "byte text",
                  QStringLiteral("%1 \"%2\" got %3 want %4")
                      .arg(QLatin1String(encoding), fuzz::escaped(text))
                      .arg(got ? int(*got) : -1)
                      .arg(want ? int(*want) : -1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    check(QString::fromLatin1(bytes), "Latin-1");
    check(QString::fromUtf8(bytes), "UTF-8");
    check(fuzz::utf16Units(bytes), "UTF-16");
    return 0;
}
