#include "preview/preview_view_keys.h"

namespace vw {
namespace {

using Kind = PreviewViewAction::Kind;

std::optional<PreviewViewAction> look(Qt::KeyboardModifiers modifiers, ViewDirection plain,
                                      ViewDirection withCtrl) {
    if (modifiers == Qt::NoModifier)
        return PreviewViewAction{Kind::LookFrom, plain};
    if (modifiers == Qt::ControlModifier)
        return PreviewViewAction{Kind::LookFrom, withCtrl};
    return std::nullopt;
}

std::optional<PreviewViewAction> plainOnly(Qt::KeyboardModifiers modifiers, Kind kind) {
    if (modifiers != Qt::NoModifier)
        return std::nullopt;
    return PreviewViewAction{kind};
}

} // namespace

std::optional<PreviewViewAction> previewViewKey(int key, Qt::KeyboardModifiers modifiers,
                                                bool keypad) {
    if (!keypad) {
        if (key == Qt::Key_Home)
            return plainOnly(modifiers, Kind::FitAll);
        if (key == Qt::Key_F && (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier)
            return PreviewViewAction{Kind::FitSelection};
        return std::nullopt;
    }
    // With Num Lock off the numpad sends the keys printed under its digits.
    switch (key) {
    case Qt::Key_1:
    case Qt::Key_End:
        return look(modifiers, ViewDirection::Front, ViewDirection::Back);
    case Qt::Key_3:
    case Qt::Key_PageDown:
        return look(modifiers, ViewDirection::Right, ViewDirection::Left);
    case Qt::Key_7:
    case Qt::Key_Home:
        return look(modifiers, ViewDirection::Top, ViewDirection::Bottom);
    case Qt::Key_5:
    case Qt::Key_Clear:
        return plainOnly(modifiers, Kind::ToggleOrthographic);
    case Qt::Key_Period:
    case Qt::Key_Comma: // the numpad's decimal key where the locale writes a comma
    case Qt::Key_Delete:
        return plainOnly(modifiers, Kind::FitSelection);
    default:
        return std::nullopt;
    }
}

} // namespace vw
