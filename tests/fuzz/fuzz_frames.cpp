// Every frame builder with arguments from the input: sync first, the address next, the checksum
// the send path writes is the sum of bytes 1-5, presets and patterns out of range give no frame,
// and the hex text of the log reads back to the very bytes.
#include "fuzzsupport.h"
#include "protocol/frame.h"

#include <optional>

using protocol::Frame;

namespace {

QString hexOf(const Frame &frame)
{
    return QString::fromLatin1(protocol::toBytes(frame).toHex(' '));
}

// The log's hex text of some bytes: three characters a byte, two upper-case hex digits and a
// space, and QByteArray::fromHex gives the bytes back.
void checkHexText(const QByteArray &bytes)
{
    const QString hex = protocol::hexText(bytes);
    const QString detail =
        QStringLiteral("bytes %1 hex \"%2\"")
            .arg(QString::fromLatin1(bytes.left(32).toHex(' ')), fuzz::escaped(hex.left(96)));
    fuzz::require(hex.size() == bytes.size() * 3, "three characters a byte", detail);
    for (qsizetype i = 0; i < hex.size(); ++i) {
        const QChar c = hex[i];
        const bool ok = i % 3 == 2 ? c == QLatin1Char(' ')
                                   : (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                                         (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        fuzz::require(ok, "upper-case hex digits and a space", detail);
    }
    fuzz::require(QByteArray::fromHex(hex.toLatin1()) == bytes, "hex text reads back", detail);
}

void checkFrame(const Frame &frame, quint8 address, const char *builder)
{
    const QString detail = QStringLiteral("%1: %2").arg(QLatin1String(builder), hexOf(frame));
    fuzz::require(frame[0] == 0xFF, "byte 0 is the sync byte", detail);
    fuzz::require(frame[1] == address, "byte 1 is the address", detail);
    fuzz::require(frame[6] == 0x00, "builders leave byte 6 to the send path", detail);

    unsigned sum = 0;
    for (int i = 1; i <= 5; ++i)
        sum += frame[i];
    const Frame sent = protocol::withChecksum(frame);
    fuzz::require(protocol::checksum(frame) == sum % 256, "checksum", detail);
    fuzz::require(sent[6] == sum % 256, "byte 6 after withChecksum", detail);
    for (int i = 0; i <= 5; ++i)
        fuzz::require(sent[i] == frame[i], "withChecksum keeps bytes 0-5", detail);

    const QByteArray bytes = protocol::toBytes(sent);
    fuzz::require(bytes.size() == 7, "seven bytes", detail);
    for (int i = 0; i < 7; ++i)
        fuzz::require(static_cast<quint8>(bytes[i]) == sent[i], "toBytes in order", detail);
    checkHexText(bytes);
}

// An argument that is in range most of the time, so that the fuzzer reaches the frames, and any
// int otherwise.
int numberOf(FuzzedDataProvider &input)
{
    return input.ConsumeBool() ? input.ConsumeIntegralInRange(-2, 12)
                               : input.ConsumeIntegral<int>();
}

void checkOptional(const std::optional<Frame> &frame, bool expected, quint8 address,
                   const char *builder, int argument)
{
    fuzz::require(frame.has_value() == expected, builder,
                  QStringLiteral("argument %1 gave %2").arg(argument).arg(frame.has_value()));
    if (frame)
        checkFrame(*frame, address, builder);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    for (int step = 0; step < 16 && input.remaining_bytes() > 0; ++step) {
        const auto address = input.ConsumeIntegral<quint8>();
        const auto pan = input.ConsumeIntegral<quint8>();
        const auto tilt = input.ConsumeIntegral<quint8>();
        switch (input.ConsumeIntegralInRange(0, 6)) {
        case 0: {
            const auto direction =
                static_cast<protocol::Direction>(input.ConsumeIntegralInRange(0, 7));
            const Frame frame = protocol::jogFrame(address, direction, pan, tilt);
            checkFrame(frame, address, "jog");
            // A jog carries the speeds as given or none, never a changed speed.
            fuzz::require(frame[4] == 0 || frame[4] == pan, "jog pan speed", hexOf(frame));
            fuzz::require(frame[5] == 0 || frame[5] == tilt, "jog tilt speed", hexOf(frame));
            break;
        }
        case 1:
            checkFrame(protocol::lampFrame(address, input.ConsumeBool()), address, "lamp");
            break;
        case 2: {
            const int preset = numberOf(input);
            const bool valid = preset >= 1 && preset <= 9;
            checkOptional(protocol::presetSetFrame(address, preset), valid, address, "preset set",
                          preset);
            checkOptional(protocol::presetRecallFrame(address, preset), valid, address,
                          "preset recall", preset);
            break;
        }
        default: {
            const int pattern = numberOf(input);
            const bool valid = pattern >= 1 && pattern <= 3;
            checkOptional(protocol::cruiseStartFrame(address, pattern, pan, tilt), valid, address,
                          "cruise start", pattern);
            checkOptional(protocol::timetableCruiseStartFrame(address, pattern), valid, address,
                          "timetable cruise start", pattern);
            checkOptional(protocol::cruiseStopFrame(address, pattern), valid, address,
                          "cruise stop", pattern);
            break;
        }
        }
    }
    checkHexText(fuzz::bytesOf(input.ConsumeRemainingBytesAsString()));
    return 0;
}
