#include "tools/headsim/textcommand.h"

#include <optional>

namespace headsim {

namespace {

constexpr int kFieldWidth = 3;

// A plain unsigned decimal, a fraction allowed ("045", "7.5", ".50"); signs, blanks and
// exponents are refused.
std::optional<double> angleField(const QByteArray &field)
{
    if (field.size() != kFieldWidth)
        return std::nullopt;
    for (const char c : field) {
        if (!(c >= '0' && c <= '9') && c != '.')
            return std::nullopt;
    }
    bool ok = false;
    const double value = field.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

TextCommand bad(TextCommand c, const QString &reason)
{
    c.kind = TextCommand::Kind::Bad;
    c.reason = reason;
    return c;
}

} // namespace

TextCommand parseText(const QByteArray &raw)
{
    TextCommand c;
    c.raw = raw;
    if (raw == "Roooooooooo")
        c.kind = TextCommand::Kind::LampOn;
    else if (raw == "Rcccccccccc")
        c.kind = TextCommand::Kind::LampOff;
    else if (raw == "Rssssssssss")
        c.kind = TextCommand::Kind::Stop;
    else if (raw == "Rllllllllll")
        c.kind = TextCommand::Kind::Query;
    if (c.kind != TextCommand::Kind::Bad)
        return c;

    if (!raw.startsWith('R') || raw.size() < 1 + 2 * kFieldWidth)
        return bad(c, QStringLiteral("short"));
    const std::optional<double> pan = angleField(raw.mid(1, kFieldWidth));
    const std::optional<double> tilt = angleField(raw.mid(1 + kFieldWidth, kFieldWidth));
    if (!pan || !tilt)
        return bad(c, QStringLiteral("not an angle"));
    if (*pan > 360 || *tilt > 180)
        return bad(c, QStringLiteral("out of range"));
    c.kind = TextCommand::Kind::GoTo;
    c.pan = *pan;
    c.tilt = *tilt;
    c.speeds = raw.mid(1 + 2 * kFieldWidth);
    return c;
}

QString printable(const QByteArray &raw)
{
    QString text;
    for (const char c : raw) {
        const auto u = quint8(c);
        if (u >= 0x21 && u < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x") +
                    QStringLiteral("%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

} // namespace headsim
