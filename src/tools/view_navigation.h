#pragma once
// Moving about the current tab's view without changing the tool: the wheel zooms about the
// pointer, the middle button pans, and the view can be fitted to the model or the selection or
// put back as a new model shows it. Tab 5 has no view; there these do nothing.

#include "tools/zoom_tool.h"

namespace vw {

class Pane;

// One zoom click per notch (x 1.25 away from the user, x 0.75 toward), about the pointer at
// pane position (x, y). A step that would break the view is left out.
void wheelZoomAt(Pane& pane, float x, float y, int notches);

// Moves the view by (dx, dy) pane units, as the Pan tool's step does.
void panViewBy(Pane& pane, float dx, float dy);

// The box, in the current view's axes, around every segment the background shows and the
// working data; around the selected working vertices, or all of them when none is selected.
ModelBox shownBox(const Pane& pane);
ModelBox selectionBox(const Pane& pane);

// "Fit Model", "Fit Selection" and "Reset View" of the View menu.
void fitModel(Pane& pane);
void fitSelection(Pane& pane);
void resetCurrentView(Pane& pane);

// Whether any working vertex lies on the drawing surface in the current view.
bool workingDataInView(const Pane& pane);

} // namespace vw
