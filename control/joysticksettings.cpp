#include "control/joysticksettings.h"

#include "control/controltexts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace joysticksettings {

namespace {

const QString kDeadZone = QStringLiteral("dead_zone");
const QString kInvertPan = QStringLiteral("invert_pan");
const QString kInvertTilt = QStringLiteral("invert_tilt");
const QString kCurve = QStringLiteral("curve");
const QString kButtonPrefix = QStringLiteral("button_");
const QString kNone = QStringLiteral("none");
const QString kLinear = QStringLiteral("linear");
const QString kSquared = QStringLiteral("squared");

std::optional<bool> yesNo(const QString &value)
{
    if (value == QLatin1String("yes") || value == QLatin1String("true") || value == u'1')
        return true;
    if (value == QLatin1String("no") || value == QLatin1String("false") || value == u'0')
        return false;
    return std::nullopt;
}

std::optional<int> wholeNumber(const QString &text, int low, int high)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high || text.startsWith(u'+'))
        return std::nullopt;
    return n;
}

// Applies one "key = value" to the settings; false when the line says nothing the console knows
// or asks for what it may not have.
bool apply(Read &read, const QString &key, const QString &value)
{
    Settings &settings = read.settings;
    if (key == kDeadZone) {
        // A zone under the smallest is a mistake to be told, and the smallest holds instead: a
        // resting stick must not drive the head.
        const auto percent =
            wholeNumber(value, std::numeric_limits<int>::min(), stick::kMaxDeadZonePercent);
        if (!percent)
            return false;
        read.deadZoneRaised = *percent < stick::kMinDeadZonePercent;
        settings.shape.deadZone = std::max(*percent, stick::kMinDeadZonePercent) / 100.0;
        return !read.deadZoneRaised;
    }
    if (key == kInvertPan || key == kInvertTilt) {
        const auto on = yesNo(value);
        if (on)
            (key == kInvertPan ? settings.shape.invertPan : settings.shape.invertTilt) = *on;
        return on.has_value();
    }
    if (key == kCurve) {
        if (value != kLinear && value != kSquared)
            return false;
        settings.shape.curve = value == kLinear ? stick::Curve::Linear : stick::Curve::Squared;
        return true;
    }
    if (key.startsWith(kButtonPrefix)) {
        const auto button = wholeNumber(key.mid(kButtonPrefix.size()), 1, kButtons);
        if (!button)
            return false;
        if (value == kNone) {
            settings.buttons.remove(*button);
            return true;
        }
        const auto action = operatoraction::fromName(value);
        if (action)
            settings.buttons.insert(*button, *action);
        return action.has_value();
    }
    return false;
}

} // namespace

Read parse(const QByteArray &text)
{
    Read read;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const bool used = equals > 0 && apply(read, line.left(equals).trimmed(),
                                              line.mid(equals + 1).trimmed().toLower());
        if (!used)
            read.badLines.append(int(i + 1));
    }
    return read;
}

QByteArray format(const Settings &settings)
{
    QStringList out;
    out << QStringLiteral("# Corvane 摇杆与手柄设置。每行一项：名称 = 值；以 # 开头的行是说明。")
        << QStringLiteral("# 死区：摇杆偏离中心不到行程的这个百分比（%1-%2）时不转动。")
               .arg(stick::kMinDeadZonePercent)
               .arg(stick::kMaxDeadZonePercent)
        << kDeadZone + QStringLiteral(" = %1").arg(std::lround(settings.shape.deadZone * 100))
        << QStringLiteral("# 反转水平或垂直方向：yes 或 no。")
        << kInvertPan + QStringLiteral(" = ") +
               QLatin1String(settings.shape.invertPan ? "yes" : "no")
        << kInvertTilt + QStringLiteral(" = ") +
               QLatin1String(settings.shape.invertTilt ? "yes" : "no")
        << QStringLiteral("# 速度曲线：linear（与偏离成正比）或 squared（平方，中心附近更细）。")
        << kCurve + QStringLiteral(" = ") +
               (settings.shape.curve == stick::Curve::Linear ? kLinear : kSquared)
        << QStringLiteral("# 按键 1-%1 的动作：lamp-on 开灯，lamp-off 关灯，stop 停止运动，")
               .arg(kButtons)
        << QStringLiteral("# cruise 自动巡航/取消巡航，preset-1 至 preset-9 调用预置位，")
        << QStringLiteral("# previous-device / next-device 上一个/下一个设备编号，none 无动作。")
        << QStringLiteral("# 手柄的按键编号：1 A，2 B，3 X，4 Y，5 Back，6 Guide，7 Start，")
        << QStringLiteral("# 8 左摇杆按下，9 右摇杆按下，10 左肩键，11 右肩键。");
    // A button taken off its default is written as none, or reading would put the default back.
    const Settings defaults;
    for (int button = 1; button <= kButtons; ++button) {
        const auto action = settings.buttons.constFind(button);
        if (action != settings.buttons.cend())
            out << kButtonPrefix + QString::number(button) + QStringLiteral(" = ") +
                       operatoraction::name(*action);
        else if (defaults.buttons.contains(button))
            out << kButtonPrefix + QString::number(button) + QStringLiteral(" = ") + kNone;
    }
    return (out.join(u'\n') + u'\n').toUtf8();
}

Loaded load(const QString &path)
{
    Loaded loaded;
    QFile file(path);
    loaded.exists = file.exists();
    if (!loaded.exists)
        return loaded;
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.error = file.errorString();
        return loaded;
    }
    loaded.read = parse(file.readAll());
    return loaded;
}

files::Saved writeDefaultsIfMissing(const QString &path)
{
    if (QFileInfo::exists(path))
        return {true, 0};
    return files::writeWhole(path, format(Settings{}));
}

QString problemText(const QString &path, const Loaded &loaded)
{
    if (!loaded.error.isEmpty())
        return controltexts::stickFileUnreadable(path, loaded.error);
    if (loaded.read.badLines.isEmpty())
        return {};
    QStringList lines;
    for (int line : loaded.read.badLines)
        lines << QString::number(line);
    return controltexts::stickFileBadLines(path, lines.join(QStringLiteral("、")),
                                           loaded.read.deadZoneRaised ? stick::kMinDeadZonePercent
                                                                      : 0);
}

} // namespace joysticksettings
