#include "preview/preview_view_keys.h"

namespace vw {
namespace {

using Kind = PreviewViewAction::Kind;

std::optional<PreviewViewAction> cameraCommand(KeyCommand command) {
    const auto look = [](ViewDirection direction) {
        return PreviewViewAction{Kind::LookFrom, direction};
    };
    switch (command) {
    case KeyCommand::ViewFront:
        return look(ViewDirection::Front);
    case KeyCommand::ViewBack:
        return look(ViewDirection::Back);
    case KeyCommand::ViewRight:
        return look(ViewDirection::Right);
    case KeyCommand::ViewLeft:
        return look(ViewDirection::Left);
    case KeyCommand::ViewTop:
        return look(ViewDirection::Top);
    case KeyCommand::ViewBottom:
        return look(ViewDirection::Bottom);
    case KeyCommand::ToggleOrthographic:
        return PreviewViewAction{Kind::ToggleOrthographic};
    case KeyCommand::FrameSelected:
        return PreviewViewAction{Kind::FitSelection};
    default:
        return std::nullopt;
    }
}

bool isKeyOf(KeyMap map, KeyCommand command, QKeyCombination pressed) {
    return keysOf(map, command).contains(QKeySequence(pressed));
}

} // namespace

std::optional<PreviewViewAction> previewViewKey(KeyMap map, QKeyCombination pressed) {
    if (const std::optional<KeyCommand> command = viewCommandFor(map, pressed, true))
        if (std::optional<PreviewViewAction> action = cameraCommand(*command))
            return action;
    if (isKeyOf(map, KeyCommand::FitModel, pressed))
        return PreviewViewAction{Kind::FitAll};
    // F fits the selection in either case, as the tool letters take either.
    const QKeyCombination withoutShift(pressed.keyboardModifiers() & ~Qt::ShiftModifier,
                                       pressed.key());
    if (isKeyOf(map, KeyCommand::FitSelection, withoutShift))
        return PreviewViewAction{Kind::FitSelection};
    return std::nullopt;
}

} // namespace vw
