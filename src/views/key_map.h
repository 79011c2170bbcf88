#pragma once
// The keys of the editor in one table, for both key maps: "Designed" (the program's own keys)
// and "Blender" (the keys a Blender modder's hands expect). The menus take their shortcuts from
// it, the plane views and the Preview their commands, and the guide lists it.

#include <QKeyCombination>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace vw {

enum class KeyMap : uint8_t { Designed, Blender };

enum class KeyCommand : uint8_t {
    // Menu commands: their actions' shortcuts.
    FitModel,
    FitSelection,
    SelectAll,
    SelectNone,
    InvertSelection,
    SelectCoincident,
    SelectLinked,
    SelectLinkedUnderPointer,
    GrowSelection,
    ShrinkSelection,
    HideSelected,
    HideUnselected,
    ShowHidden,
    // View commands: typed over a plane view or the Preview.
    SelectTool,
    MoveTool,
    PanTool,
    ZoomTool,
    ScaleTool,
    RotateTool,
    ModalMove,
    ModalScale,
    ModalRotate,
    CircleSelect,
    PivotMenu,
    // The Preview's camera.
    ViewFront,
    ViewBack,
    ViewRight,
    ViewLeft,
    ViewTop,
    ViewBottom,
    ToggleOrthographic,
    FrameSelected,
};

// Where a command's keys are read: as a menu action's shortcut, over either kind of view, or
// over the Preview alone.
enum class KeyScope : uint8_t { Menu, Views, Preview };

struct KeyBinding {
    KeyCommand command;
    KeyScope scope;
    const char* caption; // as the guide names it
    // Up to three keys in each map; an empty combination is none. A tool letter of the designed
    // map takes either case (Shift or Caps Lock), as it always has.
    std::array<QKeyCombination, 3> designed;
    std::array<QKeyCombination, 3> blender;
    bool eitherCase = false;
};

std::span<const KeyBinding> keyBindings();

// The keys of a command in a map, as a menu action's shortcuts take them.
QList<QKeySequence> keysOf(KeyMap map, KeyCommand command);

// The view command a key press gives in a map ("Views" and "Preview" scopes alone: the menus'
// keys reach their actions as shortcuts).
std::optional<KeyCommand> viewCommandFor(KeyMap map, QKeyCombination pressed, bool overPreview);

// The tool a typed letter chooses in a map, as its palette code (1 to 6), or 0.
uint8_t toolCodeForLetter(KeyMap map, char letter);

// The map kept in the settings under this name, and its name there.
std::optional<KeyMap> keyMapNamed(const QString& name);
QString keyMapName(KeyMap map);

} // namespace vw
