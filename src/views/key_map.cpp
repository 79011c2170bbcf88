#include "views/key_map.h"

#include "views/pane_codes.h"

#include <algorithm>
#include <utility>

namespace vw {
namespace {

using Combo = QKeyCombination;
constexpr Combo kNone{};
constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kAlt = Qt::AltModifier;
constexpr auto kPad = Qt::KeypadModifier;

constexpr Combo key(Qt::Key k) {
    return Combo(k);
}
constexpr Combo key(Qt::KeyboardModifiers modifiers, Qt::Key k) {
    return Combo(modifiers, k);
}

// The order is the guide's.
const std::array kBindings = std::to_array<KeyBinding>({
    {KeyCommand::FitModel, KeyScope::Menu, "Fit Model", {key(Qt::Key_Home)}, {key(Qt::Key_Home)}},
    {KeyCommand::FitSelection, KeyScope::Menu, "Fit Selection", {key(Qt::Key_F)}, {key(Qt::Key_F)}},
    {KeyCommand::SelectAll,
     KeyScope::Menu,
     "Select All",
     {key(kCtrl, Qt::Key_A)},
     {key(Qt::Key_A), key(kCtrl, Qt::Key_A)}},
    {KeyCommand::SelectNone,
     KeyScope::Menu,
     "Select None",
     {key(kCtrl | kShift, Qt::Key_A)},
     {key(kAlt, Qt::Key_A), key(kCtrl | kShift, Qt::Key_A)}},
    {KeyCommand::InvertSelection,
     KeyScope::Menu,
     "Invert Selection",
     {key(kCtrl, Qt::Key_I)},
     {key(kCtrl, Qt::Key_I)}},
    {KeyCommand::SelectCoincident,
     KeyScope::Menu,
     "Select Coincident",
     {key(kCtrl, Qt::Key_L)},
     {key(kCtrl, Qt::Key_L)}},
    {KeyCommand::SelectLinked,
     KeyScope::Menu,
     "Select Linked",
     {key(kCtrl | kShift, Qt::Key_L)},
     {key(kCtrl | kShift, Qt::Key_L)}},
    {KeyCommand::SelectLinkedUnderPointer,
     KeyScope::Menu,
     "Select Linked Under Pointer",
     {key(Qt::Key_L)},
     {key(Qt::Key_L)}},
    {KeyCommand::GrowSelection,
     KeyScope::Menu,
     "Grow Selection",
     {key(kCtrl, Qt::Key_Plus)},
     {key(kCtrl, Qt::Key_Plus)}},
    {KeyCommand::ShrinkSelection,
     KeyScope::Menu,
     "Shrink Selection",
     {key(kCtrl, Qt::Key_Minus)},
     {key(kCtrl, Qt::Key_Minus)}},
    {KeyCommand::HideSelected, KeyScope::Menu, "Hide Selected", {key(Qt::Key_H)}, {key(Qt::Key_H)}},
    {KeyCommand::HideUnselected,
     KeyScope::Menu,
     "Hide Unselected",
     {key(kShift, Qt::Key_H)},
     {key(kShift, Qt::Key_H)}},
    {KeyCommand::ShowHidden,
     KeyScope::Menu,
     "Show Hidden",
     {key(kAlt, Qt::Key_H)},
     {key(kAlt, Qt::Key_H)}},
    // The Blender map leaves the letters to its own commands: its tools come from the palette.
    {KeyCommand::SelectTool, KeyScope::Views, "Select tool", {key(Qt::Key_S)}, {}, true},
    {KeyCommand::MoveTool, KeyScope::Views, "Move tool", {key(Qt::Key_V)}, {}, true},
    {KeyCommand::PanTool, KeyScope::Views, "Pan tool", {key(Qt::Key_A)}, {}, true},
    {KeyCommand::ZoomTool, KeyScope::Views, "Zoom tool", {key(Qt::Key_Z)}, {}, true},
    {KeyCommand::ScaleTool, KeyScope::Views, "Scale tool", {key(Qt::Key_C)}, {}, true},
    {KeyCommand::RotateTool, KeyScope::Views, "Rotate tool", {key(Qt::Key_R)}, {}, true},
    {KeyCommand::ModalMove, KeyScope::Views, "Move at the pointer", {}, {key(Qt::Key_G)}},
    {KeyCommand::ModalScale, KeyScope::Views, "Scale at the pointer", {}, {key(Qt::Key_S)}},
    {KeyCommand::ModalRotate, KeyScope::Views, "Rotate at the pointer", {}, {key(Qt::Key_R)}},
    // C is the designed Scale tool's letter, so the designed map circles with Alt+C.
    {KeyCommand::CircleSelect,
     KeyScope::Views,
     "Circle select",
     {key(kAlt, Qt::Key_C)},
     {key(Qt::Key_C)}},
    {KeyCommand::PivotMenu, KeyScope::Views, "Pivot menu", {}, {key(Qt::Key_Period)}},
    // With Num Lock off the numpad sends the keys printed under its digits; where the locale
    // writes a comma, its decimal key sends one.
    {KeyCommand::ViewFront,
     KeyScope::Preview,
     "Front view",
     {key(kPad, Qt::Key_1), key(kPad, Qt::Key_End)},
     {key(kPad, Qt::Key_1), key(kPad, Qt::Key_End)}},
    {KeyCommand::ViewBack,
     KeyScope::Preview,
     "Back view",
     {key(kPad | kCtrl, Qt::Key_1), key(kPad | kCtrl, Qt::Key_End)},
     {key(kPad | kCtrl, Qt::Key_1), key(kPad | kCtrl, Qt::Key_End)}},
    {KeyCommand::ViewRight,
     KeyScope::Preview,
     "Right view",
     {key(kPad, Qt::Key_3), key(kPad, Qt::Key_PageDown)},
     {key(kPad, Qt::Key_3), key(kPad, Qt::Key_PageDown)}},
    {KeyCommand::ViewLeft,
     KeyScope::Preview,
     "Left view",
     {key(kPad | kCtrl, Qt::Key_3), key(kPad | kCtrl, Qt::Key_PageDown)},
     {key(kPad | kCtrl, Qt::Key_3), key(kPad | kCtrl, Qt::Key_PageDown)}},
    {KeyCommand::ViewTop,
     KeyScope::Preview,
     "Top view",
     {key(kPad, Qt::Key_7), key(kPad, Qt::Key_Home)},
     {key(kPad, Qt::Key_7), key(kPad, Qt::Key_Home)}},
    {KeyCommand::ViewBottom,
     KeyScope::Preview,
     "Bottom view",
     {key(kPad | kCtrl, Qt::Key_7), key(kPad | kCtrl, Qt::Key_Home)},
     {key(kPad | kCtrl, Qt::Key_7), key(kPad | kCtrl, Qt::Key_Home)}},
    {KeyCommand::ToggleOrthographic,
     KeyScope::Preview,
     "Orthographic / perspective",
     {key(kPad, Qt::Key_5), key(kPad, Qt::Key_Clear)},
     {key(kPad, Qt::Key_5), key(kPad, Qt::Key_Clear)}},
    {KeyCommand::FrameSelected,
     KeyScope::Preview,
     "Frame the selection",
     {key(kPad, Qt::Key_Period), key(kPad, Qt::Key_Comma), key(kPad, Qt::Key_Delete)},
     {key(kPad, Qt::Key_Period), key(kPad, Qt::Key_Comma), key(kPad, Qt::Key_Delete)}},
});

const std::array<QKeyCombination, 3>& keysIn(const KeyBinding& binding, KeyMap map) {
    return map == KeyMap::Blender ? binding.blender : binding.designed;
}

const KeyBinding* bindingOf(KeyCommand command) {
    const auto found = std::ranges::find(kBindings, command, &KeyBinding::command);
    return found == kBindings.end() ? nullptr : &*found;
}

bool matches(const KeyBinding& binding, const QKeyCombination& bound, QKeyCombination pressed) {
    if (bound == kNone)
        return false;
    if (!binding.eitherCase)
        return bound == pressed;
    return bound.key() == pressed.key() &&
           (pressed.keyboardModifiers() & ~Qt::ShiftModifier) == bound.keyboardModifiers();
}

} // namespace

std::span<const KeyBinding> keyBindings() {
    return kBindings;
}

QList<QKeySequence> keysOf(KeyMap map, KeyCommand command) {
    QList<QKeySequence> keys;
    if (const KeyBinding* binding = bindingOf(command))
        for (const QKeyCombination& combination : keysIn(*binding, map))
            if (combination != kNone)
                keys.append(QKeySequence(combination));
    return keys;
}

std::optional<KeyCommand> viewCommandFor(KeyMap map, QKeyCombination pressed, bool overPreview) {
    for (const KeyBinding& binding : kBindings) {
        if (binding.scope == KeyScope::Menu || (binding.scope == KeyScope::Preview && !overPreview))
            continue;
        for (const QKeyCombination& bound : keysIn(binding, map))
            if (matches(binding, bound, pressed))
                return binding.command;
    }
    return std::nullopt;
}

uint8_t toolCodeForLetter(KeyMap map, char letter) {
    static constexpr std::pair<KeyCommand, uint8_t> kTools[] = {
        {KeyCommand::SelectTool, kToolSelect}, {KeyCommand::MoveTool, kToolMove},
        {KeyCommand::PanTool, kToolPan},       {KeyCommand::ZoomTool, kToolZoom},
        {KeyCommand::ScaleTool, kToolScale},   {KeyCommand::RotateTool, kToolRotate},
    };
    // Every tool letter takes either case.
    const char upper = letter >= 'a' && letter <= 'z' ? char(letter - 'a' + 'A') : letter;
    for (const auto& [command, code] : kTools) {
        const QKeyCombination bound = keysIn(*bindingOf(command), map)[0];
        if (bound != kNone && int(bound.key()) == int(upper))
            return code;
    }
    return 0;
}

std::optional<KeyMap> keyMapNamed(const QString& name) {
    if (name == QLatin1String("Designed"))
        return KeyMap::Designed;
    if (name == QLatin1String("Blender"))
        return KeyMap::Blender;
    return std::nullopt;
}

QString keyMapName(KeyMap map) {
    return map == KeyMap::Blender ? QStringLiteral("Blender") : QStringLiteral("Designed");
}

} // namespace vw
