#pragma once
// The Preview's own keys, read from the key map's table: the numpad's views as Blender has them,
// and the menus' Fit Model and Fit Selection keys, which the Preview does itself.

#include "preview/camera.h"
#include "views/key_map.h"

#include <optional>

namespace vw {

struct PreviewViewAction {
    enum class Kind { LookFrom, ToggleOrthographic, FitAll, FitSelection };
    Kind kind = Kind::LookFrom;
    ViewDirection direction = ViewDirection::Front; // LookFrom's
};

// What a key over the Preview asks of its view in a map; none leaves the key to the pane window.
std::optional<PreviewViewAction> previewViewKey(KeyMap map, QKeyCombination pressed);

} // namespace vw
