#pragma once
// Edit > Pivot and its palette group: what Scale and Rotate work about, one checked at a time.

class QMenu;
class frmTools;

namespace vw {

class EditSession;

// Adds the four choices to the Edit menu's Pivot submenu and to the palette; each sets the
// session's pivot. The box's centre, as the tools have always worked, is checked at first.
// Returns the submenu, which the Blender map's period key pops up at the pointer.
QMenu* createPivotCommands(QMenu* mnuEdit, frmTools* palette, EditSession& session);

} // namespace vw
