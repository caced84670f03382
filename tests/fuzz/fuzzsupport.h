#pragma once

#include <QByteArray>
#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// What the fuzz targets share: texts made from the fuzzer's bytes in the ways the console meets
// them, and a broken property ending the run like a crash, so that libFuzzer keeps the input.
namespace fuzz {

[[noreturn]] inline void fail(const char *property, const QString &detail = {})
{
    std::fprintf(stderr, "\nPROPERTY FAILED: %s\n%s\n", property, qUtf8Printable(detail));
    std::fflush(stderr);
    std::abort();
}

inline void require(bool holds, const char *property, const QString &detail = {})
{
    if (!holds)
        fail(property, detail);
}

inline QByteArray bytesOf(const std::string &s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

// Any UTF-16 code units, little-endian: lone surrogates, NUL and noncharacters included, as a
// QString can hold them even though no keyboard types them.
inline QString utf16Units(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto low = static_cast<quint8>(bytes[i]);
        const auto high = static_cast<quint8>(bytes[i + 1]);
        text += QChar(char16_t(low | (high << 8)));
    }
    return text;
}

// The text of some bytes read the way their first byte says: 'U' UTF-8, 'W' raw UTF-16 units,
// anything else Latin-1. The first byte is not part of the text, so seed files stay readable
// ("L12.5", "Ucom三").
inline QString textOf(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    const QByteArray rest = bytes.mid(1);
    switch (bytes[0]) {
    case 'U':
        return QString::fromUtf8(rest);
    case 'W':
        return utf16Units(rest);
    default:
        return QString::fromLatin1(rest);
    }
}

// A text of at most maxBytes input bytes (ended by a lone backslash, see FuzzedDataProvider).
inline QString consumeText(FuzzedDataProvider &input, std::size_t maxBytes)
{
    return textOf(bytesOf(input.ConsumeRandomLengthString(maxBytes)));
}

// Texts in failure reports: every code unit visible, so a CR or a lone surrogate can be seen.
inline QString escaped(const QString &text, qsizetype atMost = 200)
{
    QString out;
    for (const QChar c : text.left(atMost)) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != QLatin1Char('\\'))
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > atMost)
        out += QStringLiteral("...(%1 units)").arg(text.size());
    return out;
}

} // namespace fuzz
