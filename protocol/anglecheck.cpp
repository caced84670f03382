#include "protocol/anglecheck.h"

#include "protocol/decimaltext.h"

#include <QLocale>

namespace protocol {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Walks the text from pos, skipping blanks, and reports the next meaningful character (or a null
// QChar at the end) together with where it sits.
QChar peek(const QString &text, qsizetype &pos)
{
    while (pos < text.size() && isBlank(text.at(pos)))
        ++pos;
    return pos < text.size() ? text.at(pos) : QChar();
}

// Appends a run of digits starting at pos (blanks before and between them are dropped); returns
// how many.
int takeDigits(const QString &text, qsizetype &pos, QByteArray &out)
{
    const decimaltext::Digits run = decimaltext::read(text, pos, decimaltext::Blanks::Anywhere);
    for (; pos < run.end; ++pos) {
        if (!isBlank(text.at(pos)))
            out += static_cast<char>(text.at(pos).unicode());
    }
    return run.count;
}

} // namespace

double leadingNumber(const QString &text)
{
    // Collect the number as clean ASCII, then let the C locale convert it: the operator's
    // system locale must not turn the period into a thousands separator.
    QByteArray clean;
    qsizetype pos = 0;

    const QChar sign = peek(text, pos);
    if (sign == QLatin1Char('+') || sign == QLatin1Char('-')) {
        clean += static_cast<char>(sign.unicode());
        ++pos;
    }
    int digits = takeDigits(text, pos, clean);
    if (peek(text, pos) == QLatin1Char('.')) {
        clean += '.';
        ++pos;
        digits += takeDigits(text, pos, clean);
    }
    if (digits == 0)
        return 0.0; // a lone sign or period is no number at all

    const QChar e = peek(text, pos);
    if (e == QLatin1Char('E') || e == QLatin1Char('e') || e == QLatin1Char('D') ||
        e == QLatin1Char('d')) {
        // An exponent marker only counts when digits follow; "1e" is still just 1.
        qsizetype expPos = pos + 1;
        QByteArray exponent("e");
        const QChar expSign = peek(text, expPos);
        if (expSign == QLatin1Char('+') || expSign == QLatin1Char('-')) {
            exponent += static_cast<char>(expSign.unicode());
            ++expPos;
        }
        if (takeDigits(text, expPos, exponent) > 0)
            clean += exponent;
    }

    // On overflow QLocale gives +-inf, which the range check refuses anyway.
    return QLocale::c().toDouble(QString::fromLatin1(clean));
}

AngleCheck checkAngle(const QString &text, int rangeEnd)
{
    AngleCheck check;
    const double v = leadingNumber(text);
    // Written so that NaN fails the test and is refused.
    if (!(v >= 0.0 && v <= rangeEnd))
        return check;

    // The head expects three-digit angles; the prefix goes on the text as typed, so leading
    // zeros, fractions and stray characters stay in.
    check.accepted = true;
    if (v < 10.0)
        check.stored = QStringLiteral("00") + text;
    else if (v < 100.0)
        check.stored = QLatin1Char('0') + text;
    else
        check.stored = text;
    return check;
}

QString angleRangeMessage(int rangeEnd)
{
    return QStringLiteral(u"角度范围\uFF1A0-%1\uFF0C请输入正确的角度").arg(rangeEnd);
}

} // namespace protocol
