#pragma once
// The Preview's own keys, decided in this one place: the numpad's views as Blender has them,
// Home and F.

#include "preview/camera.h"

#include <Qt>

#include <optional>

namespace vw {

struct PreviewViewAction {
    enum class Kind { LookFrom, ToggleOrthographic, FitAll, FitSelection };
    Kind kind = Kind::LookFrom;
    ViewDirection direction = ViewDirection::Front; // LookFrom's
};

// What a key over the Preview asks of its view: modifiers without the keypad's, keypad whether
// the numpad sent it; none leaves the key to the pane window. Numpad 1, 3 and 7 look from the
// front, the right and the top, with Ctrl from the opposite sides; numpad 5 switches between
// perspective and orthographic; numpad . fits the selection as F does; Home fits the shown
// model. The digit row is not a view key: it types amounts during drags.
std::optional<PreviewViewAction> previewViewKey(int key, Qt::KeyboardModifiers modifiers,
                                                bool keypad);

} // namespace vw
