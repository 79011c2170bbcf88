#pragma once
// The palette's button pictures, drawn in code.

#include <QIcon>

namespace vw {

// The icon of the tool with code 1 (Select) to 6 (Rotate).
QIcon toolIcon(int toolCode);

} // namespace vw
