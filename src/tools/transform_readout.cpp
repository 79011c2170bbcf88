#include "tools/transform_readout.h"

#include "tools/angle_text.h"

#include <QStringList>

#include <bit>
#include <numbers>
#include <optional>

namespace vw {
namespace {

const char* const kAxisNames[] = {"X", "Y", "Z"};

const char* kindName(TransformKind kind) {
    switch (kind) {
    case TransformKind::Scale:
        return "Scale";
    case TransformKind::Rotate:
        return "Rotate";
    case TransformKind::Move:
        break;
    }
    return "Move";
}

QString readoutNumber(double value) {
    return floatText(static_cast<float>(value));
}

QString axesText(uint8_t axes) {
    QString text;
    for (int axis = 0; axis < 3; ++axis)
        if (axes & (1 << axis))
            text += QLatin1String(kAxisNames[axis]);
    return text;
}

// The model axis a file-oriented direction runs along, if it runs along one.
std::optional<int> axisAlong(const Vec3& direction) {
    const double parts[] = {direction.x, direction.y, direction.z};
    std::optional<int> axis;
    for (int a = 0; a < 3; ++a) {
        if (parts[a] == 0)
            continue;
        if (axis)
            return std::nullopt;
        axis = a;
    }
    return axis;
}

// " along X", " in XY", " about Z".
QString limitText(const TransformDrag& drag) {
    const uint8_t axes = drag.axes();
    if (drag.kind() == TransformKind::Rotate) {
        const std::optional<int> about = axisAlong(drag.turnedAbout());
        return about ? QStringLiteral(" about ") + QLatin1String(kAxisNames[*about]) : QString();
    }
    if (axes == 0)
        return {};
    return (std::popcount(unsigned(axes)) == 1 ? QStringLiteral(" along ")
                                               : QStringLiteral(" in ")) +
           axesText(axes);
}

QString amountText(const TransformDrag& drag, double value) {
    return drag.kind() == TransformKind::Rotate ? readoutNumber(value) + QChar(0x00B0)
                                                : readoutNumber(value);
}

QString applied(const TransformDrag& drag, const std::vector<Segment>& data) {
    switch (drag.kind()) {
    case TransformKind::Scale:
        return amountText(drag, drag.factor());
    case TransformKind::Rotate:
        return amountText(drag, drag.angle() * 180 / std::numbers::pi);
    case TransformKind::Move:
        break;
    }
    const Vec3 moved = drag.movedSoFar(data).value_or(Vec3{});
    // The sheet's y is the file's negated.
    return QStringLiteral("D: %1, %2, %3")
        .arg(readoutNumber(moved.x), readoutNumber(-moved.y), readoutNumber(moved.z));
}

} // namespace

QString transformReadout(const TransformDrag& drag, const std::vector<Segment>& data) {
    const QString head = QLatin1String(kindName(drag.kind())) + limitText(drag);
    const QString typed = QString::fromStdString(drag.typed());
    if (typed.isEmpty())
        return head + QLatin1Char(' ') + applied(drag, data);
    const std::optional<double> amount = drag.amount();
    if (!amount)
        return head + QStringLiteral(": ") + typed + QStringLiteral(" (invalid)");
    const QString value = amountText(drag, *amount);
    if (value == typed || value == typed + QChar(0x00B0))
        return head + QStringLiteral(": ") + value;
    return head + QStringLiteral(": ") + typed + QStringLiteral(" = ") + value;
}

} // namespace vw
